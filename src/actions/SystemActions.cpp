#include "actions/SystemActions.h"

#include <algorithm>

#include "model/Text.h"

namespace tessarin {

namespace {

constexpr char kProgramTitle[] = "Tessarin";

using namespace sys;

// No shutdown reason given: all bits set.
constexpr std::uint32_t kEwxReasonAll = 0xFFFFFFFFu;

constexpr std::intptr_t kMonitorOff = 2;
constexpr std::intptr_t kMonitorOn = -1;

constexpr std::uint32_t kWaveOutDevice = 0;

// Every virtual key of the keyboard; the mouse buttons (1, 2, 4, 5, 6) lie below.
constexpr int kFirstKeyboardKey = 0x08;
constexpr int kLastKeyboardKey = 0xFE;

std::int32_t WordToLevel(std::int32_t word) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(word) * 255 + 65535 / 2) / 65535);
}

}  // namespace

void SystemActions::Logoff() {
    ExitWindowsWith(kEwxLogoff);
}

void SystemActions::ShutdownComputer() {
    ExitWindowsWith(kEwxShutdown);
}

void SystemActions::RestartComputer() {
    ExitWindowsWith(kEwxReboot);
}

void SystemActions::ExitWindowsWith(std::uint32_t flags) {
    if (port_.IsWindowsNT()) {
        // Without the privilege the call below simply fails, which is all anyone would learn.
        EnableShutdownPrivilege();
    }
    port_.EndSession(flags, kEwxReasonAll);
}

bool SystemActions::EnableShutdownPrivilege() {
    const SystemPort::Handle token = port_.OpenProcessToken(kTokenAdjustPrivilegesAndQuery);
    if (token == 0) {
        return false;
    }
    bool enabled = false;
    if (const auto privilege = port_.LookupPrivilege("SeShutdownPrivilege")) {
        enabled = port_.AdjustTokenPrivilege(token, *privilege, kSePrivilegeEnabled);
    }
    port_.CloseHandle(token);
    return enabled;
}

void SystemActions::SetCDDoor(const std::string& drive, std::uint32_t doorCommand) {
    std::uint32_t openedId = 0;
    if (port_.MciOpen("cdaudio", drive, kMciOpenTypeElementShareable, openedId) == 0) {
        cdDeviceId_ = openedId;
        const std::uint32_t error = port_.MciSet(cdDeviceId_, doorCommand);
        if (error != 0) {
            port_.ShowMessageBox(GetMCIErrorText(error), kProgramTitle, kMbIconStop);
        }
    }
    // Closed in every case; after a failed open this goes to no device at all rather than to
    // an identifier that was already given back and may since belong to someone else.
    port_.MciClose(cdDeviceId_);
    cdDeviceId_ = 0;
}

std::string SystemActions::GetMCIErrorText(std::uint32_t errorCode) {
    return TrimBlanks(port_.MciErrorString(errorCode));
}

void SystemActions::LowerVolume() {
    StepVolume(-kVolumeStep);
}

void SystemActions::RaiseVolume() {
    StepVolume(kVolumeStep);
}

void SystemActions::Mute() {
    SetWaveVolume(0, 0, kWaveOutDevice);
}

void SystemActions::StepVolume(int step) {
    std::int32_t left = 0;
    std::int32_t right = 0;
    GetWaveVolume(left, right, kWaveOutDevice);
    SetWaveVolume(std::clamp(left + step, 0, 255), std::clamp(right + step, 0, 255),
                  kWaveOutDevice);
}

std::uint32_t SystemActions::SetWaveVolume(std::int32_t left, std::int32_t right,
                                           std::uint32_t device) {
    const std::int16_t leftWord = UnsignedToInteger(std::int64_t{left} * 65535 / 255);
    const std::int16_t rightWord = UnsignedToInteger(std::int64_t{right} * 65535 / 255);
    const std::uint32_t packed = static_cast<std::uint32_t>(static_cast<std::uint16_t>(rightWord))
                                     << 16 |
                                 static_cast<std::uint16_t>(leftWord);
    return port_.WaveOutSetVolume(device, packed);
}

std::uint32_t SystemActions::GetWaveVolume(std::int32_t& left, std::int32_t& right,
                                           std::uint32_t device) {
    std::uint32_t packed = 0;
    const std::uint32_t result = port_.WaveOutGetVolume(device, packed);
    if (result != 0) {
        packed = 0;
    }
    const auto leftWord = static_cast<std::int16_t>(static_cast<std::uint16_t>(packed & 0xFFFFu));
    const auto rightWord = static_cast<std::int16_t>(static_cast<std::uint16_t>(packed >> 16));
    left = WordToLevel(IntegerToUnsigned(leftWord));
    right = WordToLevel(IntegerToUnsigned(rightWord));
    return result;
}

std::int16_t SystemActions::UnsignedToInteger(std::int64_t value) {
    if (value >= 0 && value <= 32767) {
        return static_cast<std::int16_t>(value);
    }
    if (value >= 32768 && value <= 65535) {
        return static_cast<std::int16_t>(value - 65536);
    }
    port_.ShowMessageBox("Error in conversion from Unsigned to nSigned Integer", kProgramTitle,
                         kMbOk);
    return 0;
}

std::int32_t SystemActions::IntegerToUnsigned(std::int16_t value) {
    return value < 0 ? std::int32_t{value} + 65536 : std::int32_t{value};
}

void SystemActions::StartTheDefaultScreensaver() {
    port_.SendSysCommandToMainWindow(kScScreenSave, 0);
}

void SystemActions::ToggleMonitor() {
    if (port_.IsWindowsNT()) {
        // On NT any key going up wakes the monitor again, the hotkey's own keys included.
        // An unload chosen meanwhile ends the program; the monitor stays as it is.
        if (WaitForKeysReleased()) {
            port_.SendSysCommandToDesktop(kScMonitorPower, kMonitorOff);
        }
        return;
    }
    if (state_.bMonitorOn) {
        port_.SendSysCommandToDesktop(kScMonitorPower, kMonitorOff);
        state_.bMonitorOn = false;
    } else {
        state_.bMonitorOn = true;
        port_.SendSysCommandToDesktop(kScMonitorPower, kMonitorOn);
    }
}

bool SystemActions::WaitForKeysReleased() {
    const std::uint64_t start = port_.TickCount();
    for (;;) {
        if (!port_.ProcessPendingMessages()) {
            return false;
        }
        bool anyDown = false;
        for (int key = kFirstKeyboardKey; key <= kLastKeyboardKey && !anyDown; ++key) {
            anyDown = port_.IsKeyDown(key);
        }
        // A key the system reports as stuck must not keep the monitor on for ever.
        if (!anyDown || port_.TickCount() - start >= kKeyReleaseTimeoutMs) {
            return true;
        }
        port_.WaitForMessages(kKeyPollMs);
    }
}

}  // namespace tessarin
