#include "actions/WindowActions.h"

#include <gtest/gtest.h>

#include "FakeDesktopPort.h"
#include "FakeRawRegistry.h"

namespace tessarin {
namespace {

using Received = std::vector<std::pair<WindowHandle, std::string>>;
using W = WindowActions;
using Action = void (W::*)();
using Text = std::optional<std::string>;

constexpr WindowHandle kMain = 0x500, kEditor = 0x600, kBrowser = 0x700;

struct Rig {
    Rig() {
        desktop.windows = {{kMain, "TessarinMain", 40, 1},
                           {kEditor, "Notepad", 41, 7},
                           {kBrowser, "IEFrame", 42, 8}};
        desktop.focus = {{1, 0x501}, {7, 0x601}};
    }
    fakes::FakeDesktopPort desktop;
    fakes::FakeRawRegistry registry;
    WindowActions actions{desktop, registry, kMain};
};

// Ctrl, Shift and Alt of the hotkey go up first; a press the system refuses ends the sequence,
// and whatever is held then is let go.
TEST(WindowActions, KeySequencesReleaseEveryKeyTheyPress) {
    const std::tuple<bool, int, std::vector<int>> cases[] = {
        {false, 0, {-0x11, -0x10, -0xA4, 0x5B, 0x4C, -0x5B, -0x4C}},
        {true, 0, {-0x11, -0x10, -0xA4, 0x11, 0x56, -0x56, -0x11}},
        {false, 0x4C, {-0x11, -0x10, -0xA4, 0x5B, 0x4C, -0x5B}}};
    for (const auto& [paste, refused, keys] : cases) {
        Rig rig;
        rig.desktop.foreground = kBrowser;
        rig.desktop.refusedPress = refused;
        paste ? void(rig.actions.PasteText("x")) : rig.actions.SwitchUser();
        EXPECT_EQ(rig.desktop.keys, keys);
    }
}

// WM_PASTE goes to the focus of the foreground window's thread; the browser's frame gets a typed
// Ctrl+V and time to take it. The pasted text never stays on the clipboard, and the user's
// clipboard is never lost: it comes back, also when the program ends during the browser's time,
// or is emptied when it cannot come back.
TEST(WindowActions, PasteReachesTheFocusedControlAndGivesTheClipboardBack) {
    const std::tuple<WindowHandle, Text, bool, int, int, Received, Text> cases[] = {
        // foreground, clipboard, unreadable, failing write, quit at pump, received, after
        {kBrowser, "old", false, 0, 0, {{kBrowser, "paste new"}}, "old"},
        {kBrowser, "old", false, 0, 1, {}, "old"},
        {kEditor, "old", true, 0, 0, {}, "old"},
        {kEditor, "old", false, 1, 0, {}, "old"},
        {kEditor, "old", false, 2, 0, {{0x601, "paste new"}}, std::nullopt},
    };
    for (const auto& [foreground, before, unreadable, failing, quit, received, after] : cases) {
        Rig rig;
        rig.desktop.foreground = foreground;
        rig.desktop.clipboard = before;
        rig.desktop.clipboardUnreadable = unreadable;
        rig.desktop.failingWrite = failing;
        rig.desktop.quitAtPump = quit;
        EXPECT_EQ(rig.actions.PasteText("new"), !unreadable && failing != 1);
        EXPECT_EQ(rig.desktop.received, received);
        EXPECT_EQ(rig.desktop.clipboard, after);
        EXPECT_EQ(rig.desktop.GetFocus(), 0x501u);  // no longer attached
    }
}

// Maximize and minimize spare the program's own main window; close does not. Show state 0 stands
// for closed. A hidden taskbar shows again.
TEST(WindowActions, ForegroundWindowActionsSpareOnlyTheMainWindowFromSizing) {
    const std::tuple<WindowHandle, std::uint32_t, Action, std::uint32_t> cases[] = {
        {kEditor, 3, &W::MaximizeRestoreWindow, 1},
        {kMain, 1, &W::MaximizeRestoreWindow, 1},
        {kEditor, 1, &W::MinimizeWindow, 2},
        {kMain, 1, &W::MinimizeWindow, 1},
        {kMain, 1, &W::CloseWindow, 0},
        {0, 1, &W::CloseWindow, 1},
        {kEditor, 1, &W::ShowHideTaskbar, 1}};
    for (const auto& [foreground, state, run, after] : cases) {
        Rig rig;
        rig.desktop.foreground = foreground;
        rig.desktop.taskbarVisible = false;
        for (auto& window : rig.desktop.windows) {
            window.ShowState = state;
        }
        (rig.actions.*run)();
        for (const auto& window : rig.desktop.windows) {
            EXPECT_EQ(window.ShowState, window.Handle == foreground && after ? after : state);
        }
        EXPECT_EQ(rig.desktop.received, (after ? Received{} : Received{{foreground, "close"}}));
        EXPECT_EQ(rig.desktop.taskbarVisible, run == &W::ShowHideTaskbar);
    }
}

// Explorer reads a DWORD whatever was stored; an absent value counts as "not shown".
TEST(WindowActions, HiddenFilesActionsWriteADword) {
    const char* advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    const std::tuple<std::optional<RegistryData>, Action, int> cases[] = {
        {std::nullopt, &W::ToggleHidden, 1},
        {RegistryData{reg::kSz, "1", {}}, &W::ToggleHidden, 0},
        {RegistryData{reg::kDword, {}, {1, 0, 0, 0}}, &W::HideHidden, 0},
        {std::nullopt, &W::ShowHidden, 1}};
    for (const auto& [stored, run, written] : cases) {
        Rig rig;
        stored ? rig.registry.Put(reg::kCurrentUser, advanced, "Hidden", *stored) : void();
        (rig.actions.*run)();
        const RegistryData* value = rig.registry.Find(reg::kCurrentUser, advanced, "Hidden");
        EXPECT_EQ(value ? *value : RegistryData{},
                  (RegistryData{reg::kDword, {}, {std::uint8_t(written), 0, 0, 0}}));
        EXPECT_EQ(rig.registry.OpenKeyCount(), 0u);
    }
}

// Every process with a visible (or taskbar) browser frame from the foreground window down ends
// once, with exit code 1; an unload ends the walk at the next window.
TEST(WindowActions, BrowserWalkEndsEachBrowserProcessOnceFromTheForegroundDown) {
    using Ended = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    for (const int quitAtPump : {0, 2}) {
        Rig rig;
        // The first frame is above the foreground, the last two are hidden.
        rig.desktop.windows = {{0x10, "IEFrame", 50},
                               {0x11, "Notepad", 51},
                               {0x12, "IEFrame", 52},
                               {0x13, "MozillaWindowClass", 52},
                               {0x14, "MozillaWindowClass", 53, 0, 0},
                               {0x15, "MozillaWindowClass", 54, 0, 0, desk::kWsExAppWindow}};
        rig.desktop.foreground = 0x11;
        rig.desktop.quitAtPump = quitAtPump;
        rig.actions.KillIEandNetscape();
        EXPECT_EQ(rig.desktop.terminated, (quitAtPump ? Ended{{52, 1}} : Ended{{52, 1}, {54, 1}}));
        EXPECT_TRUE(rig.desktop.openProcesses.empty());
    }
}

}  // namespace
}  // namespace tessarin
