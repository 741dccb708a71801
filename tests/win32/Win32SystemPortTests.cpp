// The system control services against the real system under Wine, limited to what cannot harm
// the machine: nothing here ends the session, moves a tray or switches the monitor.

#include "platform/win32/Win32SystemPort.h"

#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "actions/SystemActions.h"
#include "model/AppState.h"
#include "platform/win32/WideString.h"

namespace tessarin {
namespace {

struct Rig {
    win32::Win32SystemPort port{nullptr};
    AppState state;
    SystemActions actions{port, state};
};

TEST(Win32SystemPort, ReportsTheNtPlatform) {
    Rig rig;
    EXPECT_TRUE(rig.port.IsWindowsNT());
}

TEST(Win32SystemPort, EnablesTheShutdownPrivilegeInTheProcessToken) {
    Rig rig;
    ASSERT_TRUE(rig.actions.EnableShutdownPrivilege());

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID shutdown{};
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown));
    PRIVILEGE_SET wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Control = PRIVILEGE_SET_ALL_NECESSARY;
    wanted.Privilege[0].Luid = shutdown;
    BOOL held = FALSE;
    ASSERT_TRUE(PrivilegeCheck(token, &wanted, &held));
    CloseHandle(token);
    EXPECT_TRUE(held);
}

TEST(Win32SystemPort, VolumeLevelsSurviveARoundTripThroughWaveOutDeviceZero) {
    if (waveOutGetNumDevs() == 0) {
        GTEST_SKIP() << "no wave-out device";
    }
    Rig rig;
    std::uint32_t original = 0;
    ASSERT_EQ(rig.port.WaveOutGetVolume(0, original), 0u);

    struct Case {
        std::int32_t left, right;
    };
    for (const Case& c : {Case{128, 64}, Case{255, 0}, Case{10, 200}}) {
        ASSERT_EQ(rig.actions.SetWaveVolume(c.left, c.right, 0), 0u);
        std::int32_t left = -1;
        std::int32_t right = -1;
        ASSERT_EQ(rig.actions.GetWaveVolume(left, right, 0), 0u);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(right, c.right);
    }
    rig.port.WaveOutSetVolume(0, original);
}

TEST(Win32SystemPort, CdOpenOfADriveThatIsNoCdFailsWithTheSystemsOwnErrorText) {
    Rig rig;
    std::uint32_t deviceId = 0xDEAD;
    const std::uint32_t error =
        rig.port.MciOpen("cdaudio", "Q:\\no such drive\\", 0x2300, deviceId);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(deviceId, 0xDEADu);
    wchar_t expected[MAXERRORLENGTH]{};
    ASSERT_TRUE(mciGetErrorStringW(error, expected, MAXERRORLENGTH));
    EXPECT_FALSE(rig.actions.GetMCIErrorText(error).empty());
    EXPECT_EQ(rig.actions.GetMCIErrorText(error), win32::Narrow(expected));
}

TEST(Win32SystemPort, WaitForMessagesWakesForAPostedMessageThatIsThenDispatched) {
    Rig rig;
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    const std::uint64_t start = rig.port.TickCount();
    rig.port.WaitForMessages(5000);
    EXPECT_LT(rig.port.TickCount() - start, 2000u);
    EXPECT_TRUE(rig.port.ProcessPendingMessages());
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE));

    // The program's quit message is left for its own loop, and the wait is told to stop.
    PostQuitMessage(7);
    EXPECT_FALSE(rig.port.ProcessPendingMessages());
    EXPECT_EQ(GetMessageW(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.wParam, 7u);
}

TEST(Win32SystemPort, KeysNobodyPressesReadAsUp) {
    Rig rig;
    for (int key : {VK_F24, VK_ATTN, VK_OEM_CLEAR}) {
        EXPECT_FALSE(rig.port.IsKeyDown(key)) << key;
    }
}

}  // namespace
}  // namespace tessarin
