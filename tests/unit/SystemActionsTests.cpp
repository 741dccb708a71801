#include "actions/SystemActions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
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

const Calls kPrivilegeSteps = {"OpenProcessToken 0x28", "LookupPrivilege SeShutdownPrivilege",
                               "AdjustTokenPrivilege 122 19 2", "CloseHandle 122"};

Calls With(Calls first, const Calls& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

TEST(SystemActions, PowerActionsEnableThePrivilegeOnlyOnNtThenExitWindows) {
    struct Case {
        const char* name;
        bool nt;
        std::function<void(SystemActions&)> run;
        Calls expected;
    };
    const Case cases[] = {
        {"logoff on NT", true, [](SystemActions& a) { a.Logoff(); },
         With(kPrivilegeSteps, {"EndSession 0 0xFFFFFFFF"})},
        {"logoff on non-NT",
         false,
         [](SystemActions& a) { a.Logoff(); },
         {"EndSession 0 0xFFFFFFFF"}},
        {"shutdown on NT", true, [](SystemActions& a) { a.ShutdownComputer(); },
         With(kPrivilegeSteps, {"EndSession 1 0xFFFFFFFF"})},
        {"restart on NT", true, [](SystemActions& a) { a.RestartComputer(); },
         With(kPrivilegeSteps, {"EndSession 2 0xFFFFFFFF"})},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.port.windowsNT = c.nt;
        c.run(rig.actions);
        EXPECT_EQ(rig.port.calls, c.expected) << c.name;
    }
}

TEST(SystemActions, EnableShutdownPrivilegeStopsAtTheFirstFailedStepAndClosesTheToken) {
    struct Case {
        bool opens, known, adjusts, result;
        Calls expected;
    };
    const Case cases[] = {
        {true, true, true, true, kPrivilegeSteps},
        {false, true, true, false, {"OpenProcessToken 0x28"}},
        {true,
         false,
         true,
         false,
         {"OpenProcessToken 0x28", "LookupPrivilege SeShutdownPrivilege", "CloseHandle 122"}},
        {true, true, false, false, kPrivilegeSteps},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.port.tokenOpens = c.opens;
        rig.port.privilegeKnown = c.known;
        rig.port.privilegeAdjusts = c.adjusts;
        EXPECT_EQ(rig.actions.EnableShutdownPrivilege(), c.result) << c.opens << c.known;
        EXPECT_EQ(rig.port.calls, c.expected) << c.opens << c.known << c.adjusts;
    }
}

TEST(SystemActions, CdDoorAlwaysClosesAndShowsOnlyTheDoorCommandsError) {
    struct Case {
        const char* name;
        bool eject;
        std::uint32_t openError, setError;
        Calls expected;
    };
    const Case cases[] = {
        {"eject", true, 0, 0, {"MciOpen cdaudio [E: ] 0x2300", "MciSet 1 256", "MciClose 1"}},
        {"close", false, 0, 0, {"MciOpen cdaudio [E: ] 0x2300", "MciSet 1 512", "MciClose 1"}},
        {"no CD device", true, 275, 0, {"MciOpen cdaudio [E: ] 0x2300", "MciClose 0"}},
        {"tray stuck",
         false,
         0,
         261,
         {"MciOpen cdaudio [E: ] 0x2300", "MciSet 1 512",
          "MessageBox [The driver cannot recognize the command.] [Tessarin] 16", "MciClose 1"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.port.mciOpenError = c.openError;
        rig.port.mciSetError = c.setError;
        rig.port.mciErrorTexts[261] = "  The driver cannot recognize the command.   ";
        c.eject ? rig.actions.EjectCdrom("E: ") : rig.actions.CloseCdrom("E: ");
        EXPECT_EQ(rig.port.calls, c.expected) << c.name;
    }
}

TEST(SystemActions, FailedOpenNeverClosesTheDeviceOfAnEarlierAction) {
    Rig rig;
    rig.actions.EjectCdrom("E: ");
    rig.port.mciOpenError = 275;
    rig.actions.CloseCdrom("F: ");
    EXPECT_EQ(rig.port.calls.back(), "MciClose 0");
}

// Device words are level × 257, so 0xLLLL per channel.
TEST(SystemActions, VolumeStepsPerChannelAndHoldsToTheRange) {
    struct Case {
        const char* name;
        std::uint32_t packedBefore;
        std::uint32_t readError;
        std::function<void(SystemActions&)> run;
        std::string expectedSet;
    };
    const Case cases[] = {
        {"raise 250/100", 0x6464FAFA, 0, [](SystemActions& a) { a.RaiseVolume(); },
         "WaveOutSetVolume 0 0x6E6EFFFF"},
        {"lower 5/100", 0x64640505, 0, [](SystemActions& a) { a.LowerVolume(); },
         "WaveOutSetVolume 0 0x5A5A0000"},
        {"mute then raise", 0x64640505, 0,
         [](SystemActions& a) {
             a.Mute();
             a.RaiseVolume();
         },
         "WaveOutSetVolume 0 0xA0A0A0A"},
        {"failed read counts as 0", 0x64640505, 6, [](SystemActions& a) { a.RaiseVolume(); },
         "WaveOutSetVolume 0 0xA0A0A0A"},
        {"128 writes as 32896", 0x80008000, 0,
         [](SystemActions& a) { a.SetWaveVolume(128, 128, 0); }, "WaveOutSetVolume 0 0x80808080"},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.port.packedVolumeValue = c.packedBefore;
        rig.port.volumeReadError = c.readError;
        c.run(rig.actions);
        EXPECT_EQ(rig.port.calls.back(), c.expectedSet) << c.name;
    }
}

TEST(SystemActions, GetWaveVolumeReadsLeftFromTheLowWordToTheNearestLevel) {
    struct Case {
        std::uint32_t packed;
        std::int32_t left, right;
    };
    const Case cases[] = {
        {0x80008000, 128, 128}, {0x0000FFFF, 255, 0}, {0xFFFF0000, 0, 255},
        {0x00800081, 1, 0},     {0x0080007F, 0, 0},
    };
    for (const Case& c : cases) {
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
    struct Case {
        std::int64_t value;
        std::int16_t word;
        bool refused;
    };
    const Case cases[] = {{0, 0, false},      {32767, 32767, false}, {32768, -32768, false},
                          {65535, -1, false}, {65536, 0, true},      {-1, 0, true}};
    for (const Case& c : cases) {
        Rig rig;
        const std::int16_t word = rig.actions.UnsignedToInteger(c.value);
        EXPECT_EQ(word, c.word) << c.value;
        EXPECT_EQ(rig.port.calls, c.refused ? Calls{"MessageBox [Error in conversion from Unsigned "
                                                    "to nSigned Integer] [Tessarin] 0"}
                                            : Calls{})
            << c.value;
        if (!c.refused) {
            EXPECT_EQ(SystemActions::IntegerToUnsigned(word), c.value);
        }
    }
}

TEST(SystemActions, ScreenSaverIsAskedOfTheMainWindow) {
    Rig rig;
    rig.actions.StartTheDefaultScreensaver();
    EXPECT_EQ(rig.port.calls, (Calls{"MainWindow SysCommand 0xF140 0"}));
}

TEST(SystemActions, MonitorTogglesOnlyOnNonNtAndSwitchesOffOnNt) {
    for (bool nt : {false, true}) {
        Rig rig;
        rig.port.windowsNT = nt;
        rig.actions.ToggleMonitor();
        EXPECT_EQ(rig.state.bMonitorOn, nt);
        rig.actions.ToggleMonitor();
        EXPECT_TRUE(rig.state.bMonitorOn);
        EXPECT_EQ(rig.port.calls,
                  (Calls{"Desktop SysCommand 0xF170 2",
                         nt ? "Desktop SysCommand 0xF170 2" : "Desktop SysCommand 0xF170 -1"}))
            << "NT " << nt;
    }
}

TEST(SystemActions, NtMonitorWaitsForTheKeysToComeUpWithinItsBound) {
    struct Case {
        const char* name;
        std::set<int> held;
        std::uint64_t keysUpAt;
        std::uint64_t earliest, latest;
    };
    const Case cases[] = {
        {"keys already up", {0x11, 'K'}, 1000, 1000, 1000},
        {"ctrl+win+F12 released", {0x11, 0x5B, 0x7B}, 1130, 1130, 1150},
        {"highest key stuck", {0xFE}, UINT64_MAX, 3000, 3020},
        {"backspace stuck", {0x08}, UINT64_MAX, 3000, 3020},
        {"mouse button held from the popup menu", {0x01, 0x02, 0x06}, UINT64_MAX, 1000, 1000},
    };
    for (const Case& c : cases) {
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
    EXPECT_EQ(rig.port.calls, (Calls{"WaveOutSetVolume 0 0x0", "Desktop SysCommand 0xF170 2"}));
}

}  // namespace
}  // namespace tessarin
