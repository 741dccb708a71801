#include "actions/SystemActions.h"

#include <gtest/gtest.h>

#include "FakeSystemPort.h"

namespace tessarin {
namespace {

using Strings = std::vector<std::string>;
using Step = void (SystemActions::*)();

struct Rig {
    fakes::FakeSystemPort port;
    AppState state;
    SystemActions actions{port, state};
};

// On NT the session ends holding the shutdown privilege, whose token is not left open.
TEST(SystemActions, PowerActionsEndTheSessionWithThePrivilegeWhereThereIsOne) {
    // Bits of what is missing: NT, the token, the privilege's name, its adjustment.
    for (const int missing : {0, 1, 2, 4, 8}) {
        Rig rig;
        rig.port.windowsNT = (missing & 1) == 0;
        rig.port.tokenOpens = (missing & 2) == 0;
        rig.port.privilegeKnown = (missing & 4) == 0;
        rig.port.privilegeAdjusts = (missing & 8) == 0;
        rig.actions.Logoff();
        EXPECT_EQ(rig.port.ended, missing ? "0" : "0 privileged");
        rig.port.privileged = false;
        rig.actions.ShutdownComputer();
        EXPECT_EQ(rig.port.ended, missing ? "1" : "1 privileged");
        EXPECT_EQ(rig.actions.EnableShutdownPrivilege(), missing < 2);
        EXPECT_EQ(rig.port.openHandles, 0);
    }
}

// A failed door command names the problem; the device is closed in every case, and a failed
// open never closes the device of an earlier action again.
TEST(SystemActions, CdDoorMovesOnTheDriveAskedForAndItsDeviceIsAlwaysClosed) {
    using Doors = std::map<std::string, std::string>;
    const std::tuple<bool, std::uint32_t, std::uint32_t, Doors, Strings> cases[] = {
        // eject, open error, door command error, doors, messages
        {true, 0, 0, {{"E: ", "open"}}, {}},
        {true, 275, 0, {}, {}},
        {false, 0, 261, {}, {"error 261"}},
    };
    for (const auto& [eject, openError, setError, doors, messages] : cases) {
        Rig rig;
        rig.port.mciOpenError = openError;
        rig.port.mciSetError = setError;
        eject ? rig.actions.EjectCdrom("E: ") : rig.actions.CloseCdrom("E: ");
        rig.port.mciOpenError = 275;
        rig.actions.CloseCdrom("F: ");
        EXPECT_EQ(rig.port.doors, doors);
        EXPECT_EQ(rig.port.messages, messages);
        EXPECT_TRUE(rig.port.devices.empty());
        EXPECT_EQ(rig.port.strayCloses, 0);
    }
}

// Device words are level x 257, 0xLLLL per channel with the right one high; levels round. Only
// 16-bit values convert to signed words.
TEST(SystemActions, VolumeStepsPerChannelWithinTheRangeAndMuteSilencesBoth) {
    const std::tuple<std::uint32_t, std::uint32_t, Step, std::uint32_t> cases[] = {
        {0x6464FAFA, 0, &SystemActions::RaiseVolume, 0x6E6EFFFF},
        {0x64640505, 0, &SystemActions::LowerVolume, 0x5A5A0000},
        {0x64640505, 0, &SystemActions::Mute, 0},
        {0x64640505, 6, &SystemActions::RaiseVolume, 0x0A0A0A0A},  // unreadable counts as 0
        {0x00800081, 0, &SystemActions::RaiseVolume, 0x0A0A0B0B},
    };
    for (const auto& [before, readError, run, after] : cases) {
        Rig rig;
        rig.port.volume = before;
        rig.port.volumeReadError = readError;
        (rig.actions.*run)();
        EXPECT_EQ(rig.port.volume, after) << std::hex << before;
        EXPECT_TRUE(rig.port.messages.empty());
    }
    Rig rig;
    EXPECT_EQ(rig.actions.UnsignedToInteger(65536), 0);
    EXPECT_EQ(rig.port.messages.size(), 1u);  // 65536 is refused
}

// Before NT the program keeps the monitor's state; on NT it switches off each time, once the
// keyboard's keys are up (any key going up wakes it) or after two seconds at most. The wait keeps
// pumping messages, and the program's quit met there ends it with the monitor left as it is.
TEST(SystemActions, MonitorTogglesBeforeNtAndGoesOffOnNtOnceTheKeysAreUp) {
    const std::tuple<bool, std::set<int>, std::uint64_t, int, Strings> cases[] = {
        // NT, keys held, until, message pass meeting the quit, after two toggles
        {false, {0x11}, 5000, 0, {"off at 1000", "on"}},
        {true, {0x11, 0x5B, 0x7B}, 1130, 0, {"off at 1140", "off at 1140"}},
        {true, {0xFE}, UINT64_MAX, 0, {"off at 3000", "off at 5000"}},
        {true, {0x01, 0x02, 0x06}, UINT64_MAX, 0, {"off at 1000", "off at 1000"}},  // mouse
        {true, {0xFE}, UINT64_MAX, 2, {}},
    };
    for (const auto& [nt, held, until, quitAtPass, monitor] : cases) {
        Rig rig;
        rig.port.windowsNT = nt;
        rig.port.heldKeys = held;
        rig.port.keysUpAt = until;
        rig.port.quitAtPass = quitAtPass;
        rig.actions.ToggleMonitor();
        EXPECT_EQ(rig.state.bMonitorOn, nt);
        rig.actions.ToggleMonitor();
        EXPECT_EQ(rig.port.monitor, monitor);
    }
}

}  // namespace
}  // namespace tessarin
