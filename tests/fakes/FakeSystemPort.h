#pragma once

#include <map>
#include <set>
#include <vector>

#include "platform/SystemPort.h"

namespace tessarin::fakes {

// The machine as the system actions leave it: how the session ended and whether the shutdown
// privilege was held then, the CD doors, the devices and token left open, the volume of its one
// wave-out device, the messages shown, the screen saver and the monitor. Its clock only moves
// when the code under test waits.
class FakeSystemPort : public SystemPort {
  public:
    bool IsWindowsNT() override { return windowsNT; }
    Handle OpenProcessToken(std::uint32_t access) override {
        const bool opens = tokenOpens && access == sys::kTokenAdjustPrivilegesAndQuery;
        return opens ? (++openHandles, 0x7Au) : 0u;
    }
    std::optional<Luid> LookupPrivilege(const std::string& name) override {
        return privilegeKnown && name == "SeShutdownPrivilege" ? std::optional(Luid{19, 0})
                                                               : std::nullopt;
    }
    bool AdjustTokenPrivilege(Handle token, Luid privilege, std::uint32_t attributes) override {
        return privileged = privilegeAdjusts && token == 0x7A && privilege == Luid{19, 0} &&
                            attributes == sys::kSePrivilegeEnabled;
    }
    void CloseHandle(Handle handle) override { openHandles -= handle == 0x7A ? 1 : 0; }
    void EndSession(std::uint32_t flags, std::uint32_t reason) override {
        ended = std::to_string(flags) + (privileged ? " privileged" : "") +
                (reason == 0xFFFFFFFFu ? "" : " with a reason");
    }
    std::uint32_t MciOpen(const std::string& type, const std::string& drive, std::uint32_t flags,
                          std::uint32_t& id) override {
        const bool opens = type == "cdaudio" && flags == sys::kMciOpenTypeElementShareable;
        return mciOpenError != 0 || !opens ? mciOpenError + 1 : (devices[id = nextId++] = drive, 0);
    }
    std::uint32_t MciSet(std::uint32_t id, std::uint32_t flags) override {
        if (mciSetError == 0 && devices.count(id) != 0) {
            doors[devices[id]] = flags == sys::kMciSetDoorOpen ? "open" : "closed";
        }
        return mciSetError;
    }
    // Closing an identifier nobody holds may close someone else's device.
    std::uint32_t MciClose(std::uint32_t id) override {
        return strayCloses += id != 0 && devices.erase(id) == 0 ? 1 : 0, 0;
    }
    std::string MciErrorString(std::uint32_t code) override {
        return "  error " + std::to_string(code) + " ";
    }
    std::uint32_t WaveOutGetVolume(std::uint32_t device, std::uint32_t& packed) override {
        packed = volumeReadError == 0 && device == 0 ? volume : packed;
        return device == 0 ? volumeReadError : 2;
    }
    std::uint32_t WaveOutSetVolume(std::uint32_t device, std::uint32_t packed) override {
        return volume = device == 0 ? packed : volume, device == 0 ? 0 : 2;
    }
    void ShowMessageBox(const std::string& text, const std::string&, std::uint32_t) override {
        messages.push_back(text);
    }
    void SendSysCommandToMainWindow(std::uint32_t command, std::intptr_t lParam) override {
        screenSaver = screenSaver || (command == sys::kScScreenSave && lParam == 0);
    }
    void SendSysCommandToDesktop(std::uint32_t command, std::intptr_t lParam) override {
        monitor.push_back(command != sys::kScMonitorPower ? "?"
                          : lParam == 2                   ? "off at " + std::to_string(now)
                                                          : "on");
    }
    bool IsKeyDown(int key) override { return now < keysUpAt && heldKeys.count(key) != 0; }
    std::uint64_t TickCount() override { return now; }
    // The quit message stays once met, as it ends the program.
    bool ProcessPendingMessages() override { return quitAtPass == 0 || ++passes < quitAtPass; }
    void WaitForMessages(std::uint32_t milliseconds) override { now += milliseconds; }

    bool windowsNT = true, tokenOpens = true, privilegeKnown = true, privilegeAdjusts = true,
         privileged = false, screenSaver = false;
    std::uint32_t mciOpenError = 0, mciSetError = 0, volumeReadError = 0, nextId = 1, volume = 0;
    std::set<int> heldKeys;
    std::uint64_t keysUpAt = 0, now = 1000;
    // quitAtPass: 1-based number of the message pass that meets the program's quit message.
    int quitAtPass = 0, passes = 0, openHandles = 0, strayCloses = 0;
    std::string ended;                             // the flags the session ended with
    std::map<std::uint32_t, std::string> devices;  // open, with their drives
    std::map<std::string, std::string> doors;
    std::vector<std::string> messages, monitor;  // monitor: each "off at <time>" or "on"
};

}  // namespace tessarin::fakes
