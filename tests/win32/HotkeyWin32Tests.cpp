// Real RegisterHotKey and real keyboard input from another process: a combination typed at the
// keyboard reaches the row that owns it, and the capture dialog takes what is typed at it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "RecordingExecutor.h"
#include "TestPrograms.h"
#include "hotkeys/Hotkeys.h"
#include "platform/win32/HotkeyHook.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32KeyboardLayout.h"
#include "ui/win32/HotKeyDialog.h"

namespace tessarin {
namespace {

using testsupport::SendKeys;
using Keys = std::vector<UINT>;
using Runs = std::vector<std::pair<std::string, std::string>>;

class HotkeyWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [hotkey, data] : {std::pair{"CTRL + ALT + K", "first"},
                                           {"CTRL + ALT + K", "taken"},
                                           {"WIN + SHIFT + [LARROW]", "arrow"}}) {
            ActionRecord record;
            record.ActionType = "Go to URL";
            record.Hotkey = hotkey;
            record.Data = data;
            list_.Add(std::move(record));
        }
        ASSERT_TRUE(win32::HookHotkeys(window_, hotkeys_));
        hotkeys_.RegisterAllHotKeys();
    }

    void TearDown() override {
        hotkeys_.UnregisterAllHotKeys();
        win32::UnhookHotkeys(window_);
        DestroyWindow(window_);
    }

    // Pumps this thread's messages until the rows have run `count` times in all.
    bool Ran(std::size_t count) {
        return testsupport::WaitFor([&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
            return executor_.runs.size() >= count;
        });
    }

    HWND window_ = CreateWindowExW(0, L"STATIC", L"hotkey test", WS_OVERLAPPEDWINDOW, 100, 100, 500,
                                   300, nullptr, nullptr, nullptr, nullptr);
    ActionList list_;
    win32::Win32HotkeyPort port_{window_};
    fakes::RecordingExecutor executor_;
    AppState state_;
    win32::Win32CodePage codePage_;
    Hotkeys hotkeys_{list_, port_, executor_, codePage_, state_};
};

TEST_F(HotkeyWin32, ATypedCombinationRunsTheFirstRowThatHoldsIt) {
    ASSERT_TRUE(list_.At(1).Registration.Accepted);
    EXPECT_FALSE(list_.At(2).Registration.Accepted) << "the system refuses a taken combination";
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'K'}) && SendKeys({VK_LWIN, VK_SHIFT, VK_LEFT}));
    EXPECT_TRUE(Ran(2)) << "the keyboard input never reached the window";
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "first"}, {"Go to URL", "arrow"}}));
    hotkeys_.UnregisterAllHotKeys();
    EXPECT_TRUE(RegisterHotKey(window_, 1, MOD_CONTROL | MOD_ALT, 'K')) << "still registered";
    UnregisterHotKey(window_, 1);
}

// What the capture dialog answers for keys typed at it, and for its buttons, with the owner
// disabled meanwhile; a hotkey typed while it is open runs and never reaches the field.
TEST_F(HotkeyWin32, TheCaptureDialogAnswersWhatWasTypedAtIt) {
    constexpr int kCloseBox = -1;
    constexpr int kQuit = -2;
    const struct {
        const char* Name;
        std::vector<Keys> Typed;  // each group pressed in order, then released in reverse
        int Button;               // clicked after the keys; 0 for none
        const char* Answer;
    } cases[] = {
        {"Ctrl+K", {{VK_CONTROL, 'K'}}, 0, "CTRL + K"},
        {"a release starts over", {{VK_CONTROL}, {'K'}, {VK_SHIFT, 'K'}}, 0, "SHIFT + K"},
        {"Alt+F4 is a combination", {{VK_MENU, VK_F4}}, 0, "ALT + F4"},
        {"a lone Alt opens no menu", {{VK_MENU}, {VK_MENU, VK_CONTROL, 'Q'}}, 0, "ALT + CTRL + Q"},
        {"a lone F10 opens no menu", {{VK_F10}, {VK_CONTROL, VK_F10}}, 0, "CTRL + F10"},
        {"Tab stays in the field", {{VK_TAB}, {VK_SHIFT, VK_TAB}}, 0, "SHIFT + \t"},
        {"Enter closes nothing", {{VK_RETURN}, {VK_CONTROL, VK_RETURN}}, 0, "CTRL + \r"},
        {"Windows key", {{VK_LWIN, VK_SHIFT, VK_RIGHT}}, 0, "WIN + SHIFT + [RARROW]"},
        {"a hotkey", {{VK_CONTROL, VK_MENU, 'K'}, {VK_CONTROL, 'K'}}, 0, "CTRL + K"},
        {"Escape alone cancels", {{VK_CONTROL}, {VK_ESCAPE}}, 0, ""},
        {"Delete Hotkey", {{VK_CONTROL}}, win32::HotKeyDialog::kCommand1Id, "#DEL#"},
        {"Cancel", {{VK_CONTROL}}, win32::HotKeyDialog::kCancelButtonId, ""},
        {"close box", {{VK_CONTROL}}, kCloseBox, ""},
        {"a quit for the main loop", {{VK_CONTROL}}, kQuit, ""},
    };
    ShowWindow(window_, SW_SHOW);
    win32::HotKeyDialog dialog(codePage_);
    const DWORD uiThread = GetCurrentThreadId();
    for (const auto& c : cases) {
        bool ready = false, closed = false, sent = true, ownerDisabled = false;
        // A second thread types at the dialog, as a user would while its own loop runs here; a
        // dialog it leaves open is cancelled, so no case can hang.
        std::thread user([&] {
            HWND shown = nullptr;
            ready = testsupport::WaitFor([&] {
                shown = FindWindowW(L"#32770", L"Register Hotkey");
                GUITHREADINFO info{};
                info.cbSize = sizeof(info);
                return GetGUIThreadInfo(uiThread, &info) && info.hwndFocus != nullptr &&
                       info.hwndFocus == GetDlgItem(shown, win32::HotKeyDialog::kText1Id) &&
                       GetForegroundWindow() == shown;
            });
            if (ready) {
                ownerDisabled = !IsWindowEnabled(window_);
                for (const Keys& keys : c.Typed) {
                    sent = SendKeys(keys) && sent;
                }
                if (c.Button == kCloseBox) {
                    PostMessageW(shown, WM_SYSCOMMAND, SC_CLOSE, 0);
                } else if (c.Button == kQuit) {
                    PostThreadMessageW(uiThread, WM_QUIT, 7, 0);
                } else if (c.Button != 0) {
                    SendMessageW(GetDlgItem(shown, c.Button), BM_CLICK, 0, 0);
                }
                closed = testsupport::WaitFor([&] { return !IsWindow(shown); });
            }
            testsupport::WaitFor([&] {
                PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
                return !IsWindow(shown);
            });
        });
        const std::string answer = dialog.ShowModal(window_);
        user.join();
        EXPECT_TRUE(sent && ready) << c.Name << ": the keys did not reach the focused field";
        EXPECT_TRUE(closed) << c.Name << ": the dialog stayed open";
        EXPECT_EQ(answer, c.Answer) << c.Name;
        EXPECT_TRUE(ownerDisabled && IsWindowEnabled(window_)) << c.Name;
    }
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_TRUE(Ran(1)) << "the hotkey typed at the dialog did not run";
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "first"}}));
}

// The US keyboard has no AltGr: Ctrl+Alt with any key types nothing, so no hotkey is marked.
TEST(Win32KeyboardLayout, TheUsLayoutTypesNothingWithCtrlAlt) {
    std::vector<HKL> loaded(static_cast<std::size_t>(GetKeyboardLayoutList(0, nullptr)));
    loaded.resize(static_cast<std::size_t>(
        GetKeyboardLayoutList(static_cast<int>(loaded.size()), loaded.data())));
    const HKL us = LoadKeyboardLayoutW(L"00000409", KLF_NOTELLSHELL);
    ASSERT_NE(us, nullptr);
    const win32::Win32KeyboardLayout layout(us);
    const UINT keys[] = {'Q', 'E', '7', '0', 'M', VK_OEM_4, VK_OEM_102};
    for (const UINT key : keys) {
        for (const bool shift : {false, true}) {
            EXPECT_EQ(layout.AltGrText(key, shift), std::nullopt) << key << " shift " << shift;
        }
    }
    // Leave the user's keyboards as they were.
    if (std::find(loaded.begin(), loaded.end(), us) == loaded.end()) {
        UnloadKeyboardLayout(us);
    }
}

}  // namespace
}  // namespace tessarin
