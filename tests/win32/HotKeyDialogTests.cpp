// The capture dialog for real: its own modal loop, keys typed from a second process, its buttons
// clicked, and the answer it returns.

#include "ui/win32/HotKeyDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestPrograms.h"
#include "platform/win32/Win32CodePage.h"

namespace tessarin::win32 {
namespace {

using testsupport::DriveDialog;
using testsupport::WaitFor;

using testsupport::SendKeys;
using Keys = std::vector<UINT>;

constexpr int kOwnerHotkeyId = 0x2323;

class HotKeyDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &HotKeyDialogTest::OwnerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessarinCaptureOwner";
        RegisterClassW(&windowClass);
        owner_ =
            CreateWindowExW(0, windowClass.lpszClassName, L"capture owner", WS_OVERLAPPEDWINDOW,
                            100, 100, 500, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(owner_, nullptr);
        SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(owner_, SW_SHOW);
    }

    void TearDown() override {
        if (owner_ != nullptr) {
            DestroyWindow(owner_);
        }
    }

    std::string Run(const std::function<void(HWND)>& drive) {
        std::string answer;
        run_ = DriveDialog(
            L"Register Hotkey", HotKeyDialog::kText1Id, [&] { answer = dialog_.ShowModal(owner_); },
            drive);
        return answer;
    }

    static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
        auto* self = reinterpret_cast<HotKeyDialogTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == WM_HOTKEY && wParam == kOwnerHotkeyId) {
            ++self->hotkeysSeen_;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND owner_ = nullptr;
    Win32CodePage codePage_;
    HotKeyDialog dialog_{codePage_};
    testsupport::DialogRun run_;
    std::atomic<int> hotkeysSeen_{0};
};

struct TypeCase {
    const char* name;
    std::vector<Keys> typed;  // each group pressed in order, then released in reverse
    const char* answer;
};

TEST_F(HotKeyDialogTest, TypedCombinationsBecomeTheAnswer) {
    const std::vector<TypeCase> cases = {
        {"Ctrl+K", {{VK_CONTROL, 'K'}}, "CTRL + K"},
        {"a release starts over", {{VK_CONTROL}, {'K'}, {VK_SHIFT, 'K'}}, "SHIFT + K"},
        {"Alt+F4 is a combination, not a close", {{VK_MENU, VK_F4}}, "ALT + F4"},
        {"a lone Alt opens no menu", {{VK_MENU}, {VK_MENU, VK_CONTROL, 'Q'}}, "ALT + CTRL + Q"},
        {"a lone F10 opens no menu", {{VK_F10}, {VK_CONTROL, VK_F10}}, "CTRL + F10"},
        {"Tab stays in the field", {{VK_TAB}, {VK_SHIFT, VK_TAB}}, "SHIFT + \t"},
        {"Enter closes nothing", {{VK_RETURN}, {VK_CONTROL, VK_RETURN}}, "CTRL + \r"},
        {"Windows key and an arrow", {{VK_LWIN, VK_SHIFT, VK_LEFT}}, "WIN + SHIFT + [LARROW]"},
        {"Escape alone cancels", {{VK_CONTROL}, {VK_ESCAPE}}, ""},
    };
    for (const TypeCase& c : cases) {
        bool sent = true;
        const std::string answer = Run([&](HWND) {
            for (const Keys& keys : c.typed) {
                sent = SendKeys(keys) && sent;
            }
        });
        EXPECT_TRUE(sent) << c.name;
        EXPECT_TRUE(run_.Ready) << c.name << ": the dialog never had the keyboard focus";
        EXPECT_TRUE(run_.ClosedByItself) << c.name << ": the dialog stayed open";
        EXPECT_EQ(answer, c.answer) << c.name;
    }
}

TEST_F(HotKeyDialogTest, ButtonsAndCloseBoxAnswerAndTheOwnerIsDisabledMeanwhile) {
    struct Case {
        const char* name;
        int button;  // 0: the close box
        const char* answer;
    };
    for (const Case& c :
         {Case{"Delete Hotkey", HotKeyDialog::kCommand1Id, "#DEL#"},
          Case{"Cancel", HotKeyDialog::kCancelButtonId, ""}, Case{"close box", 0, ""}}) {
        bool ownerDisabled = false;
        HWND shown = nullptr;
        const std::string answer = Run([&](HWND dialog) {
            shown = dialog;
            ownerDisabled = !IsWindowEnabled(owner_) && GetWindow(dialog, GW_OWNER) == owner_;
            // Keys held down when a button is clicked do not count.
            SendKeys({VK_CONTROL});
            if (c.button == 0) {
                PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            } else {
                SendMessageW(GetDlgItem(dialog, c.button), BM_CLICK, 0, 0);
            }
        });
        EXPECT_TRUE(run_.ClosedByItself) << c.name;
        EXPECT_EQ(answer, c.answer) << c.name;
        EXPECT_TRUE(ownerDisabled) << c.name;
        EXPECT_TRUE(IsWindowEnabled(owner_)) << c.name;
        EXPECT_FALSE(IsWindow(shown)) << c.name;
    }
}

TEST_F(HotKeyDialogTest, QuitEndsTheDialogAndReachesTheOuterLoop) {
    const DWORD uiThread = GetCurrentThreadId();
    const std::string answer = Run([&](HWND) {
        SendKeys({VK_CONTROL});
        PostThreadMessageW(uiThread, WM_QUIT, 7, 0);
    });
    MSG quit{};
    EXPECT_TRUE(run_.ClosedByItself);
    EXPECT_EQ(answer, "");
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

// The layout is given in twips and scaled to the dialog's DPI.
TEST_F(HotKeyDialogTest, TheFieldSitsAtItsTwipsUnderTheCaption) {
    std::string caption;
    RECT field{};
    int dpi = 0;
    Run([&](HWND dialog) {
        caption = WindowText(dialog);
        dpi = static_cast<int>(GetDpiForWindow(dialog));
        GetWindowRect(GetDlgItem(dialog, HotKeyDialog::kText1Id), &field);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&field), 2);
        SendMessageW(GetDlgItem(dialog, HotKeyDialog::kCancelButtonId), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(run_.Ready);
    EXPECT_EQ(caption, "Register Hotkey");
    const auto px = [dpi](LONG twips) { return MulDiv(twips, dpi, 1440); };
    EXPECT_EQ(field.left, px(360));
    EXPECT_EQ(field.top, px(840));
    EXPECT_EQ(field.right - field.left, px(2775));
    EXPECT_EQ(field.bottom - field.top, px(285));
}

TEST_F(HotKeyDialogTest, HotkeysRunWhileTheDialogIsOpenAndNeverReachTheField) {
    ASSERT_TRUE(RegisterHotKey(owner_, kOwnerHotkeyId, MOD_CONTROL | MOD_SHIFT, VK_F9));
    bool hotkeyArrived = false;
    const std::string answer = Run([&](HWND) {
        SendKeys({VK_CONTROL, VK_SHIFT, VK_F9});
        hotkeyArrived = WaitFor([&] { return hotkeysSeen_ > 0; });
        SendKeys({VK_CONTROL, 'K'});
    });
    UnregisterHotKey(owner_, kOwnerHotkeyId);
    EXPECT_TRUE(hotkeyArrived);
    EXPECT_EQ(answer, "CTRL + K");
}

TEST_F(HotKeyDialogTest, EachOpeningStartsWithAnEmptyField) {
    EXPECT_EQ(Run([](HWND) { SendKeys({VK_MENU, 'A'}); }), "ALT + A");
    std::string field = "unread";
    const std::string answer = Run([&](HWND dialog) {
        field = WindowText(GetDlgItem(dialog, HotKeyDialog::kText1Id));
        SendKeys({VK_ESCAPE});
    });
    EXPECT_EQ(field, "");
    EXPECT_EQ(answer, "");
}

}  // namespace
}  // namespace tessarin::win32
