#include "actions/SystemActions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FakeSystemPort.h"

namespace tessarin {
namespace {

using fakes::FakeSystemPort;
using Calls = std::vector<std::string>;

struct Rig {
    FakeSystemPort port;
    AppState state;
    SystemActions actions{port, state};
};

// The recorded calls joined by "|".
std::string Joined(const Calls& calls) {
    std::string text;
    for (const std::string& call : calls) {
        text += (text.empty() ? "" : "|") + call;
    }
    return text;
}

const std::string kPrivilegeSteps =
    "OpenProcessToken 0x28|LookupPrivilege SeShutdownPrivilege|"
    "AdjustTokenPrivilege 122 19 2|CloseHandle 122|";

TEST(SystemActions, PowerActionsEnableThePrivilegeOnlyOnNtThenExitWindows) {
    const struct {
        bool nt;
        void (SystemActions::*run)();
        std::string expected;
    } cases[] = {
        {true, &SystemActions::Logoff, kPrivilegeSteps + "EndSession 0 0xFFFFFFFF"},
        {false, &SystemActions::Logoff, "EndSession 0 0xFFFFFFFF"},
        {true, &SystemActions::ShutdownComputer, kPrivilegeSteps + "EndSession 1 0xFFFFFFFF"},
        {true, &SystemActions::RestartComputer, kPrivilegeSteps + "EndSession 2 0xFFFFFFFF"},
        {true, &SystemActions::StartTheDefaultScreensaver, "MainWindow SysCommand 0xF140 0"},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.port.windowsNT = c.nt;
        (rig.actions.*c.run)();
        EXPECT_EQ(Joined(rig.port.calls), c.expected);
    }
}

TEST(SystemActions, EnableShutdownPrivilegeStopsAtTheFirstFailedStepAndClosesTheToken) {
    const struct {
        bool opens, known, adjusts, result;
        std::string expected;
    } cases[] = {
        {true, true, true, true, kPrivilegeSteps},
        {false, true, true, false, "OpenProcessToken 0x28|"},
        {true, false, true, false,
         "OpenProcessToken 0x28|LookupPrivilege SeShutdownPrivilege|CloseHandle 122|"},
        {true, true, false, false, kPrivilegeSteps},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.port.tokenOpens = c.opens;
        rig.port.privilegeKnown = c.known;
        rig.port.privilegeAdjusts = c.adjusts;
        EXPECT_EQ(rig.actions.EnableShutdownPrivilege(), c.result) << c.expected;
        EXPECT_EQ(Joined(rig.port.calls) + "|", c.expected);
    }
}

TEST(SystemActions, CdDoorAlwaysClosesAndShowsOnlyTheDoorCommandsError) {
    const struct {
        bool eject;
        std::uint32_t openError, setError;
        std::string expected;  // after "MciOpen cdaudio [E: ] 0x2300"
    } cases[] = {
        {true, 0, 0, "MciSet 1 256|MciClose 1"},
        {false, 0, 0, "MciSet 1 512|MciClose 1"},
        {true, 275, 0, "MciClose 0"},
        {false, 0, 261,
         "MciSet 1 512|MessageBox [The driver cannot recognize the command.] [Tessarin] 16|"
         "MciClose 1"},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.port.mciOpenError = c.openError;
        rig.port.mciSetError = c.setError;
        rig.port.mciErrorTexts[261] = "  The driver cannot recognize the command.   ";
        c.eject ? rig.actions.EjectCdrom("E: ") : rig.actions.CloseCdrom("E: ");
        EXPECT_EQ(Joined(rig.port.calls), "MciOpen cdaudio [E: ] 0x2300|" + c.expected);
    }
    // A failed open never closes the device of an earlier action.
    Rig rig;
    rig.actions.EjectCdrom("E: ");
    rig.port.mciOpenError = 275;
    rig.actions.CloseCdrom("F: ");
    EXPECT_EQ(rig.port.calls.back(), "MciClose 0");
}

// Device words are level × 257, so 0xLLLL per channel.
TEST(SystemActions, VolumeStepsPerChannelAndHoldsToTheRange) {
    const struct {
        const char* name;
        std::uint32_t packedBefore;
        std::uint32_t readError;
        void (SystemActions::*first)();
        void (SystemActions::*then)();
        const char* expectedSet;
    } cases[] = {
        {"raise 250/100", 0x6464FAFA, 0, &SystemActions::RaiseVolume, nullptr, "0x6E6EFFFF"},
        {"lower 5/100", 0x64640505, 0, &SystemActions::LowerVolume, nullptr, "0x5A5A0000"},
        {"mute then raise", 0x64640505, 0, &SystemActions::Mute, &SystemActions::RaiseVolume,
         "0xA0A0A0A"},
        {"failed read counts as 0", 0x64640505, 6, &SystemActions::RaiseVolume, nullptr,
         "0xA0A0A0A"},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.port.packedVolumeValue = c.packedBefore;
        rig.port.volumeReadError = c.readError;
        (rig.actions.*c.first)();
        if (c.then != nullptr) {
            (rig.actions.*c.then)();
        }
        EXPECT_EQ(rig.port.calls.back(), std::string("WaveOutSetVolume 0 ") + c.expectedSet)
            << c.name;
    }
}

TEST(SystemActions, WaveVolumeLevelsConvertToAndFromDeviceWords) {
    Rig setter;
    setter.actions.SetWaveVolume(128, 128, 0);
    EXPECT_EQ(setter.port.calls.back(), "WaveOutSetVolume 0 0x80808080");  // 128 is 32896
    const struct {
        std::uint32_t packed;
        std::int32_t left, right;
    } cases[] = {
        {0x80008000, 128, 128}, {0x0000FFFF, 255, 0}, {0xFFFF0000, 0, 255},
        {0x00800081, 1, 0},     {0x0080007F, 0, 0},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.port.packedVolumeValue = c.packed;
        std::int32_t left = -1;
        std::int32_t right = -1;
        EXPECT_EQ(rig.actions.GetWaveVolume(left, right, 0), 0u);
        EXPECT_EQ(left, c.left) << std::hex << c.packed;
        EXPECT_EQ(right, c.right) << std::hex << c.packed;
    }
}

TEST(SystemActions, SignedWordConversionsRefuseValuesOutsideSixteenBits) {
    const struct {
        std::int64_t value;
        std::int16_t word;
        bool refused;
    } cases[] = {{0, 0, false},      {32767, 32767, false}, {32768, -32768, false},
                 {65535, -1, false}, {65536, 0, true},      {-1, 0, true}};
    for (const auto& c : cases) {
        Rig rig;
        const std::int16_t word = rig.actions.UnsignedToInteger(c.value);
        EXPECT_EQ(word, c.word) << c.value;
        EXPECT_EQ(Joined(rig.port.calls),
                  c.refused ? "MessageBox [Error in conversion from Unsigned to nSigned Integer] "
                              "[Tessarin] 0"
                            : "")
            << c.value;
        if (!c.refused) {
            EXPECT_EQ(SystemActions::IntegerToUnsigned(word), c.value);
        }
    }
}

TEST(SystemActions, MonitorTogglesOnlyOnNonNtAndSwitchesOffOnNt) {
    for (bool nt : {false, true}) {
        Rig rig;
        rig.port.windowsNT = nt;
        rig.actions.ToggleMonitor();
        EXPECT_EQ(rig.state.bMonitorOn, nt);
        rig.actions.ToggleMonitor();
        EXPECT_TRUE(rig.state.bMonitorOn);
        EXPECT_EQ(Joined(rig.port.calls),
                  nt ? "Desktop SysCommand 0xF170 2|Desktop SysCommand 0xF170 2"
                     : "Desktop SysCommand 0xF170 2|Desktop SysCommand 0xF170 -1");
    }
}

TEST(SystemActions, NtMonitorWaitsForTheKeysToComeUpWithinItsBound) {
    const struct {
        const char* name;
        std::set<int> held;
        std::uint64_t keysUpAt;
        std::uint64_t earliest, latest;
    } cases[] = {
        {"keys already up", {0x11, 'K'}, 1000, 1000, 1000},
        {"ctrl+win+F12 released", {0x11, 0x5B, 0x7B}, 1130, 1130, 1150},
        {"highest key stuck", {0xFE}, UINT64_MAX, 3000, 3020},
        {"backspace stuck", {0x08}, UINT64_MAX, 3000, 3020},
        {"mouse button held from the popup menu", {0x01, 0x02, 0x06}, UINT64_MAX, 1000, 1000},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.port.heldKeys = c.held;
        rig.port.keysUpAt = c.keysUpAt;
        rig.actions.ToggleMonitor();
        ASSERT_EQ(rig.port.desktopSendTimes.size(), 1u) << c.name;
        EXPECT_GE(rig.port.desktopSendTimes[0], c.earliest) << c.name;
        EXPECT_LE(rig.port.desktopSendTimes[0], c.latest) << c.name;
        EXPECT_GE(rig.port.messagePasses, 1) << c.name;
    }
}

TEST(SystemActions, HotkeyPressedDuringTheMonitorWaitRunsBeforeTheMonitorGoesOff) {
    Rig rig;
    rig.port.heldKeys = {0x12};
    rig.port.keysUpAt = 1100;
    rig.port.onMessages = [&rig] {
        if (rig.port.messagePasses == 2) {
            rig.actions.Mute();
        }
    };
    rig.actions.ToggleMonitor();
    EXPECT_EQ(Joined(rig.port.calls), "WaveOutSetVolume 0 0x0|Desktop SysCommand 0xF170 2");
}

TEST(SystemActions, AnUnloadDuringTheMonitorWaitEndsTheWaitAndLeavesTheMonitorOn) {
    Rig rig;
    rig.port.heldKeys = {0xFE};
    rig.port.keysUpAt = UINT64_MAX;
    rig.port.onMessages = [&rig] { rig.port.quitting = rig.port.messagePasses == 2; };
    rig.actions.ToggleMonitor();
    EXPECT_EQ(rig.port.messagePasses, 2);
    EXPECT_TRUE(rig.port.desktopSendTimes.empty());
}

}  // namespace
}  // namespace tessarin
