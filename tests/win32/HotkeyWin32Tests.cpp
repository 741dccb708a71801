// Real RegisterHotKey and real keyboard input from another process: a combination typed at the
// keyboard reaches the row that owns it, and the capture dialog takes what is typed at it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
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

// Registered beside the program's own hotkeys: it shows that typed input arrived.
constexpr int kWitnessId = 0x2222;

class HotkeyWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &HotkeyWin32::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessarinHotkeyTestWindow";
        RegisterClassW(&windowClass);
        window_ =
            CreateWindowExW(0, windowClass.lpszClassName, L"hotkey test", WS_OVERLAPPEDWINDOW, 100,
                            100, 500, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ASSERT_TRUE(RegisterHotKey(window_, kWitnessId, MOD_CONTROL | MOD_SHIFT, VK_F9));
    }

    void TearDown() override {
        UnregisterHotKey(window_, kWitnessId);
        win32::UnhookHotkeys(window_);
        DestroyWindow(window_);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
        auto* self = reinterpret_cast<HotkeyWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == WM_HOTKEY && wParam == kWitnessId) {
            ++self->witnessed_;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    // Pumps this thread's messages until the witness has been typed `count` times in all.
    bool Witnessed(int count) {
        return testsupport::WaitFor([&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
            return witnessed_ >= count;
        });
    }

    // Types the keys, then the witness, and waits for the witness: every hotkey message the keys
    // caused has been dispatched by then.
    void Type(const Keys& keys) {
        const int count = witnessed_ + 1;
        ASSERT_TRUE(SendKeys(keys));
        ASSERT_TRUE(SendKeys({VK_CONTROL, VK_SHIFT, VK_F9}));
        ASSERT_TRUE(Witnessed(count)) << "the keyboard input never reached the window";
    }

    HWND window_ = nullptr;
    std::atomic<int> witnessed_{0};
    win32::Win32CodePage codePage_;
};

TEST_F(HotkeyWin32, ATypedCombinationRunsTheFirstRowThatHoldsIt) {
    ActionList list;
    for (const auto& [hotkey, data] : {std::pair{"", "none"},
                                       {"CTRL + ALT + K", "first"},
                                       {"CTRL + ALT + K", "taken"},
                                       {"WIN + SHIFT + [LARROW]", "arrow"}}) {
        ActionRecord record;
        record.ActionType = "Go to URL";
        record.Hotkey = hotkey;
        record.Data = data;
        list.Add(std::move(record));
    }
    win32::Win32HotkeyPort port(window_);
    fakes::RecordingExecutor executor;
    AppState state;
    Hotkeys hotkeys(list, port, executor, codePage_, state);
    ASSERT_TRUE(win32::HookHotkeys(window_, hotkeys));
    hotkeys.RegisterAllHotKeys();
    EXPECT_TRUE(list.At(2).Registration.Accepted);
    EXPECT_FALSE(list.At(3).Registration.Accepted) << "the system refuses a taken combination";

    Type({VK_CONTROL, VK_MENU, 'K'});
    Type({VK_LWIN, VK_SHIFT, VK_LEFT});
    hotkeys.UnregisterAllHotKeys();
    Type({VK_CONTROL, VK_MENU, 'K'});
    const std::vector<std::pair<std::string, std::string>> runs = {{"Go to URL", "first"},
                                                                   {"Go to URL", "arrow"}};
    EXPECT_EQ(executor.runs, runs);
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
        {"Windows key", {{VK_LWIN, VK_SHIFT, VK_LEFT}}, 0, "WIN + SHIFT + [LARROW]"},
        {"a hotkey", {{VK_CONTROL, VK_SHIFT, VK_F9}, {VK_CONTROL, 'K'}}, 0, "CTRL + K"},
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
        bool sent = true;
        bool ownerDisabled = false;
        std::string answer = "unanswered";
        const testsupport::DialogRun run = testsupport::DriveDialog(
            L"Register Hotkey", win32::HotKeyDialog::kText1Id,
            [&] { answer = dialog.ShowModal(window_); },
            [&](HWND shown) {
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
            });
        EXPECT_TRUE(sent && run.Ready) << c.Name << ": the keys did not reach the focused field";
        EXPECT_TRUE(run.ClosedByItself) << c.Name << ": the dialog stayed open";
        EXPECT_EQ(answer, c.Answer) << c.Name;
        EXPECT_TRUE(ownerDisabled && IsWindowEnabled(window_)) << c.Name;
    }
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_SHIFT, VK_F9}));
    EXPECT_TRUE(Witnessed(2)) << "the hotkey typed at the dialog did not run";
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
