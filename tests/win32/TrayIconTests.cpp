// The notification-area icon against the real shell of the Wine desktop: a new taskbar gets the
// icon back, and icon files are loaded by the system or refused.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "TestPrograms.h"
#include "model/SettingsSection.h"
#include "platform/win32/WideString.h"
#include "ui/win32/TrayIcon.h"

namespace tessarin {
namespace {

// A visible dialog box that the given window owns, such as a message box.
HWND OwnedDialog(HWND owner) {
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box != nullptr;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box)) {
            return box;
        }
    }
    return nullptr;
}

struct IdleHost : win32::TrayHost {
    const ActionList& PopupActions() const override { return list_; }
    bool HotkeysEnabled() const override { return true; }
    void RunPopupAction(const std::string&, const std::string&) override {}
    void ToggleHotkeys() override {}
    void UnloadFromTray() override {}
    ActionList list_;
};

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ShowWindow(window_, SW_SHOWNORMAL);
        ASSERT_TRUE(tray_.InstallTrayHook());
    }
    void TearDown() override { DestroyWindow(window_); }

    bool Notify(DWORD request) const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = window_;
        data.uID = win32::kTrayIconId;
        return Shell_NotifyIconW(request, &data) != FALSE;
    }
    // The shell answers a change to an icon only while it holds that icon.
    bool IconPresent() const { return Notify(NIM_MODIFY); }

    HWND window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"tray test", WS_OVERLAPPEDWINDOW,
                                   40, 40, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HICON ownIcon_ = LoadIconW(nullptr, IDI_APPLICATION);
    IdleHost host_;
    win32::TrayIcon tray_{window_, ownIcon_, host_};
};

TEST_F(TrayIconTest, ANewTaskbarGetsTheIconBackOnlyWhileTheWindowIsHidden) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_TRUE(tray_.SetupTrayIcon());
    ASSERT_TRUE(Notify(NIM_DELETE));  // as a crashed shell loses it
    ASSERT_FALSE(IconPresent());
    SendMessageW(window_, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconPresent());

    SendMessageW(window_, win32::kTrayCallbackMessage, win32::kTrayIconId, WM_LBUTTONUP);
    ASSERT_TRUE(IsWindowVisible(window_));
    SendMessageW(window_, taskbarCreated, 0, 0);
    EXPECT_FALSE(IconPresent());
}

// A 16 by 16, 32-bit icon file: the directory with its one entry, then the picture, whose height
// counts the mask below it as well.
std::string IconFileBytes() {
    const BYTE directory[] = {0, 0,  1, 0,    1, 0, 16, 16, 0, 0, 1,
                              0, 32, 0, 0x68, 4, 0, 0,  22, 0, 0, 0};
    const BITMAPINFOHEADER header{sizeof(header), 16, 32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(directory), sizeof(directory)) +
           std::string(reinterpret_cast<const char*>(&header), sizeof(header)) +
           std::string(16 * 16 * 4, '\xCC') + std::string(16 * 4, '\0');
}

TEST_F(TrayIconTest, IconFilesThatAreNoIconsFallBackToTheOwnIcon) {
    const std::wstring folder = testsupport::TempFolder() + L"tessarin tray\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string icon = win32::Narrow(folder + L"own \u00e9.ico");
    const std::string text = win32::Narrow(folder + L"text.ico");
    const std::string missing = win32::Narrow(folder + L"missing.ico");
    ASSERT_TRUE(testsupport::WriteWholeFile(win32::Widen(icon), IconFileBytes()));
    ASSERT_TRUE(testsupport::WriteWholeFile(win32::Widen(text), "no icon"));

    // Every box the window shows is answered as the user would, and counted.
    std::atomic<int> boxes{0};
    std::atomic<bool> finished{false};
    std::thread answerer([&] {
        for (; !finished; Sleep(20)) {
            if (const HWND box = OwnedDialog(window_)) {
                ++boxes;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                testsupport::WaitFor([&] { return !IsWindow(box); });
            }
        }
    });
    for (const std::string& stored : {std::string(kDefaultIcon), missing, text, icon}) {
        tray_.LoadStoredIcon(stored);
        const bool loaded = stored == icon;
        EXPECT_EQ(tray_.IconPath(), loaded ? stored : kDefaultIcon) << stored;
        EXPECT_EQ(tray_.Picture() != ownIcon_, loaded) << stored;
    }
    EXPECT_EQ(boxes, 0) << "start-up must not speak";
    EXPECT_FALSE(tray_.UseChosenIcon(text));
    EXPECT_EQ(boxes, 1) << "a file the user chose is refused aloud";
    EXPECT_EQ(tray_.IconPath(), kDefaultIcon);
    EXPECT_EQ(tray_.Picture(), ownIcon_);
    EXPECT_TRUE(tray_.UseChosenIcon(icon));
    EXPECT_NE(tray_.Picture(), ownIcon_);
    finished = true;
    answerer.join();

    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessarin
