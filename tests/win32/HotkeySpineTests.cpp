// Real atoms, real RegisterHotKey and real keyboard input from another process: a combination
// typed at the keyboard must reach the row that owns it and nothing else.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "RecordingExecutor.h"
#include "TestPrograms.h"
#include "hotkeys/HotkeyNotation.h"
#include "hotkeys/Hotkeys.h"
#include "platform/win32/HotkeyHook.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32KeyboardLayout.h"

namespace tessarin {
namespace {

using testsupport::SendKeys;
using Runs = std::vector<std::pair<std::string, std::string>>;

constexpr int kSentinelId = 0x2222;  // a hotkey registered beside the rows, to know input arrived
constexpr UINT kSentinelKey = VK_F9;

class HotkeySpine : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &HotkeySpine::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessarinHotkeyTestWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"hotkey test", WS_OVERLAPPED, 0, 0,
                                  100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        port_ = std::make_unique<win32::Win32HotkeyPort>(window_);
        hotkeys_ = std::make_unique<Hotkeys>(list_, *port_, executor_, codePage_, state_);
        ASSERT_TRUE(win32::HookHotkeys(window_, *hotkeys_));
        ASSERT_TRUE(RegisterHotKey(window_, kSentinelId, MOD_CONTROL | MOD_SHIFT, kSentinelKey));
    }

    void TearDown() override {
        if (window_ == nullptr) {
            return;
        }
        hotkeys_->UnregisterAllHotKeys();
        UnregisterHotKey(window_, kSentinelId);
        win32::UnhookHotkeys(window_);
        DestroyWindow(window_);
    }

    void AddRow(const std::string& caption, const std::string& hotkey, const std::string& data) {
        ActionRecord record;
        record.ActionType = caption;
        record.Hotkey = hotkey;
        record.Data = data;
        list_.Add(std::move(record));
    }

    // Types the combination, then the sentinel, and waits for the sentinel: every hotkey
    // message the combination caused has been dispatched by then.
    void Type(const std::vector<UINT>& keys) {
        sentinelSeen_ = false;
        ASSERT_TRUE(SendKeys(keys));
        ASSERT_TRUE(SendKeys({VK_CONTROL, VK_SHIFT, kSentinelKey}));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!sentinelSeen_ && std::chrono::steady_clock::now() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
        }
        ASSERT_TRUE(sentinelSeen_) << "the keyboard input never reached the window";
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
        auto* self = reinterpret_cast<HotkeySpine*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == WM_HOTKEY && wParam == kSentinelId) {
            self->sentinelSeen_ = true;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    ActionList list_;
    fakes::RecordingExecutor executor_;
    win32::Win32CodePage codePage_;
    AppState state_;
    std::unique_ptr<win32::Win32HotkeyPort> port_;
    std::unique_ptr<Hotkeys> hotkeys_;
    bool sentinelSeen_ = false;
};

TEST_F(HotkeySpine, RealAtomsGiveNegativeIdsAndAreReleased) {
    AddRow("Mute", "CTRL + ALT + M", " ");
    AddRow("Logoff", "SHIFT + ALT + F5", " ");
    hotkeys_->RegisterAllHotKeys();
    for (std::size_t n = 1; n <= 2; ++n) {
        const std::int32_t id = list_.At(n).Tag;
        EXPECT_GE(id, -16384);
        EXPECT_LE(id, -1);
        const std::wstring name = L"TessarinAtom" + std::to_wstring(n);
        EXPECT_EQ(GlobalFindAtomW(name.c_str()), AtomFromHotkeyId(id));
        EXPECT_TRUE(list_.At(n).Registration.Accepted);
    }
    hotkeys_->UnregisterAllHotKeys();
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom1"), 0);
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom2"), 0);
}

TEST_F(HotkeySpine, TypedCombinationRunsItsRow) {
    AddRow("Mute", "", " ");
    AddRow("Go to URL", "CTRL + ALT + K", "http://example.test/");
    AddRow("Lower Volume", "WIN + SHIFT + [LARROW]", " ");
    hotkeys_->RegisterAllHotKeys();

    Type({VK_CONTROL, VK_MENU, 'K'});
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "http://example.test/"}}));

    executor_.runs.clear();
    Type({VK_LWIN, VK_SHIFT, VK_LEFT});
    EXPECT_EQ(executor_.runs, (Runs{{"Lower Volume", " "}}));
}

TEST_F(HotkeySpine, DisabledHotkeysRunNothingUntilEnabled) {
    AddRow("Go to URL", "CTRL + ALT + K", "http://a.test/");
    hotkeys_->RegisterAllHotKeys();
    hotkeys_->ToggleHotkeys();
    ASSERT_FALSE(state_.HotkeysEnabled);

    Type({VK_CONTROL, VK_MENU, 'K'});
    EXPECT_TRUE(executor_.runs.empty());

    hotkeys_->ToggleHotkeys();
    Type({VK_CONTROL, VK_MENU, 'K'});
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "http://a.test/"}}));
}

TEST_F(HotkeySpine, SameCombinationOnTwoRowsRunsOnlyTheFirst) {
    AddRow("Go to URL", "CTRL + ALT + J", "first");
    AddRow("Go to URL", "CTRL + ALT + J", "second");
    hotkeys_->RegisterAllHotKeys();
    EXPECT_TRUE(list_.At(1).Registration.Accepted);
    EXPECT_FALSE(list_.At(2).Registration.Accepted);

    Type({VK_CONTROL, VK_MENU, 'J'});
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "first"}}));
}

TEST_F(HotkeySpine, RowsBelowADeletedRowKeepTheirHotkeys) {
    AddRow("Go to URL", "CTRL + ALT + 1", "one");
    AddRow("Go to URL", "CTRL + ALT + 2", "two");
    AddRow("Go to URL", "CTRL + ALT + 3", "three");
    hotkeys_->RegisterAllHotKeys();
    hotkeys_->UnregisterOneHotKey(list_.At(1));
    list_.Remove(1);

    Type({VK_CONTROL, VK_MENU, '1'});
    Type({VK_CONTROL, VK_MENU, '3'});
    Type({VK_CONTROL, VK_MENU, '2'});
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "three"}, {"Go to URL", "two"}}));
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
