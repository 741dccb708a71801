#include "actions/WindowActions.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FakeDesktopPort.h"
#include "FakeRawRegistry.h"

namespace tessarin {
namespace {

using fakes::FakeDesktopPort;
using fakes::FakeRawRegistry;
using Lines = std::vector<std::string>;

constexpr WindowHandle kMainWindow = 0x500;
constexpr WindowHandle kEditor = 0x600;
constexpr WindowHandle kEditControl = 0x601;
constexpr WindowHandle kBrowser = 0x700;
constexpr const char* kAdvanced =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

struct Rig {
    Rig() {
        desktop.windows = {{kMainWindow, "TessarinMain", desk::kWsVisible, 0, 40,
                            FakeDesktopPort::kOwnThread, 1, 0},
                           {kEditor, "Notepad", desk::kWsVisible, 0, 41, 7, 1, kEditControl},
                           {kBrowser, "IEFrame", desk::kWsVisible, 0, 42, 8, 1, 0}};
        desktop.foreground = kEditor;
        desktop.clipboard = "old text";
    }

    FakeDesktopPort desktop;
    FakeRawRegistry registry;
    WindowActions actions{desktop, registry, kMainWindow};
};

// "+5B -4C" stands for the key events "Key 0x5B down", "Key 0x4C up".
Lines KeyEvents(const std::string& events) {
    Lines lines;
    for (std::size_t at = 0; at < events.size(); at += 4) {
        lines.push_back("Key 0x" + events.substr(at + 1, 2) +
                        (events[at] == '+' ? " down" : " up"));
    }
    return lines;
}

TEST(WindowActions, KeySequencesReleaseEveryKeyTheyPress) {
    const auto switchUser = [](WindowActions& a) { a.SwitchUser(); };
    const auto showDesktop = [](WindowActions& a) { a.ShowDesktop(); };
    const auto pasteIntoBrowser = [](WindowActions& a) { a.PasteText("x"); };
    const struct {
        const char* Name;
        std::function<void(WindowActions&)> Run;
        std::set<std::uint8_t> Refused;
        const char* Keys;  // after the modifiers of the hotkey are let go
    } cases[] = {
        {"switch user", switchUser, {}, "+5B +4C -5B -4C"},
        {"show desktop", showDesktop, {}, "+5B +4D -5B -4D"},
        {"paste into browser", pasteIntoBrowser, {}, "+11 +56 -56 -11"},
        // A press the system refuses ends the sequence, and what is held is let go.
        {"switch user, L refused", switchUser, {desk::kVkL}, "+5B +4C -5B"},
        {"show desktop, Win refused", showDesktop, {desk::kVkLeftWin}, "+5B"},
        {"paste into browser, V refused", pasteIntoBrowser, {desk::kVkV}, "+11 +56 -11"},
    };
    for (const auto& test : cases) {
        Rig rig;
        rig.desktop.foreground = kBrowser;
        rig.desktop.refusedPresses = test.Refused;
        test.Run(rig.actions);
        EXPECT_EQ(rig.desktop.CallsStartingWith("Key "),
                  KeyEvents(std::string("-11 -10 -A4 ") + test.Keys))
            << test.Name;
        EXPECT_TRUE(rig.desktop.KeysHeld().empty()) << test.Name;
    }
}

TEST(WindowActions, PasteGoesToTheFocusOfTheForegroundThreadThenGivesTheClipboardBack) {
    Rig rig;
    EXPECT_TRUE(rig.actions.PasteText("Hello wörld "));

    EXPECT_EQ(rig.desktop.calls,
              (Lines{"ReadClipboard", "ReplaceClipboard \"Hello wörld \"", "GetForegroundWindow",
                     "GetWindowClass 0x600", "GetCurrentThreadId", "GetWindowThreadId 0x600",
                     "AttachThreadInput 1 7 true", "GetFocus", "AttachThreadInput 1 7 false",
                     "SendMessage 0x601 0x302 0x0 0x0", "RestoreClipboard \"old text\""}));
    EXPECT_EQ(rig.desktop.pasted, (Lines{"Hello wörld "}));
    EXPECT_EQ(rig.desktop.clipboard, "old text");
}

TEST(WindowActions, PasteIntoBrowserRestoresOnlyAfterTheKeystrokesHadTime) {
    // An unload during the wait cuts it short, but the clipboard still comes back.
    for (const int quitAtPump : {0, 1}) {
        Rig rig;
        rig.desktop.foreground = kBrowser;
        rig.desktop.quitAtPump = quitAtPump;
        rig.actions.PasteText("x");
        const Lines& calls = rig.desktop.calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls[calls.size() - 3], "Key 0x11 up");
        EXPECT_EQ(calls[calls.size() - 2], "Wait 500");
        EXPECT_EQ(calls.back(), "RestoreClipboard \"old text\"");
        EXPECT_TRUE(rig.desktop.CallsStartingWith("SendMessage").empty());
    }
}

TEST(WindowActions, PasteNeverLeavesThePastedTextOnTheClipboardNorLosesTheUsersClipboard) {
    const struct {
        const char* Name;
        std::optional<std::string> Before;
        bool Unreadable;
        int FailingWrite;  // 0: none fails
        bool Pasted;
        Lines Writes;  // what was put on the clipboard, or back, in order
        std::optional<std::string> After;
    } cases[] = {
        {"plain", "old", false, 0, true, {"\"new\"", "\"old\""}, "old"},
        {"clipboard held nothing", std::nullopt, false, 0, true, {"\"new\"", "none"}, std::nullopt},
        {"user's clipboard unreadable", "old", true, 0, false, {}, "old"},
        {"paste text not set", "old", false, 1, false, {"\"new\"", "\"old\""}, "old"},
        {"restore failed", "old", false, 2, true, {"\"new\"", "\"old\"", "none"}, std::nullopt},
    };
    for (const auto& test : cases) {
        Rig rig;
        rig.desktop.clipboard = test.Before;
        rig.desktop.clipboardUnreadable = test.Unreadable;
        rig.desktop.failingWrites = {test.FailingWrite};
        EXPECT_EQ(rig.actions.PasteText("new"), test.Pasted) << test.Name;
        Lines writes;
        for (const std::string& call : rig.desktop.calls) {
            if (call.starts_with("Replace") || call.starts_with("Restore")) {
                writes.push_back(call.substr(call.find(' ') + 1));
            }
        }
        EXPECT_EQ(writes, test.Writes) << test.Name;
        EXPECT_EQ(rig.desktop.pasted, test.Pasted ? Lines{"new"} : Lines{}) << test.Name;
        EXPECT_EQ(rig.desktop.clipboard, test.After) << test.Name;
    }
}

TEST(WindowActions, PasteIntoOwnThreadAsksItsOwnFocusWithoutDetaching) {
    Rig rig;
    rig.desktop.foreground = kMainWindow;
    rig.desktop.ownFocus = 0x501;
    rig.actions.PasteText("t");
    EXPECT_EQ(rig.desktop.CallsStartingWith("Attach"), (Lines{"AttachThreadInput 1 1 true"}));
    EXPECT_EQ(rig.desktop.CallsStartingWith("SendMessage"),
              (Lines{"SendMessage 0x501 0x302 0x0 0x0"}));
}

struct WindowCase {
    const char* Name;
    WindowHandle Foreground;
    std::uint32_t ShowState;
    std::function<void(WindowActions&)> Run;
    Lines Effects;
};

TEST(WindowActions, ForegroundWindowActionsSpareOnlyTheirOwnMainWindowFromSizing) {
    auto maximize = [](WindowActions& a) { a.MaximizeRestoreWindow(); };
    auto minimize = [](WindowActions& a) { a.MinimizeWindow(); };
    auto close = [](WindowActions& a) { a.CloseWindow(); };
    const WindowCase cases[] = {
        {"maximized restores", kEditor, 3, maximize, {"ShowWindow 0x600 1"}},
        {"normal maximizes", kEditor, 1, maximize, {"ShowWindow 0x600 3"}},
        {"minimized maximizes", kEditor, 2, maximize, {"ShowWindow 0x600 3"}},
        {"own window not maximized", kMainWindow, 1, maximize, {}},
        {"own window not restored", kMainWindow, 3, maximize, {}},
        {"gone window untouched", 0x999, 1, maximize, {}},
        {"no foreground", 0, 1, maximize, {}},
        {"minimize", kEditor, 1, minimize, {"ShowWindow 0x600 6"}},
        {"own window not minimized", kMainWindow, 1, minimize, {}},
        {"no foreground to minimize", 0, 1, minimize, {}},
        {"close", kEditor, 1, close, {"PostMessage 0x600 0x10 0x0 0x0"}},
        {"own window closes too", kMainWindow, 1, close, {"PostMessage 0x500 0x10 0x0 0x0"}},
        {"no foreground to close", 0, 1, close, {}},
    };
    for (const WindowCase& test : cases) {
        Rig rig;
        rig.desktop.foreground = test.Foreground;
        for (auto& window : rig.desktop.windows) {
            window.ShowState = test.ShowState;
        }
        test.Run(rig.actions);
        Lines effects = rig.desktop.CallsStartingWith("ShowWindow");
        for (const std::string& post : rig.desktop.CallsStartingWith("PostMessage")) {
            effects.push_back(post);
        }
        EXPECT_EQ(effects, test.Effects) << test.Name;
    }
}

TEST(WindowActions, TaskbarTogglesBetweenHiddenAndShown) {
    Rig rig;
    rig.desktop.taskbar = 0x800;
    rig.actions.ShowHideTaskbar();
    rig.actions.ShowHideTaskbar();
    EXPECT_EQ(
        rig.desktop.CallsStartingWith("SetWindowPos"),
        (Lines{"SetWindowPos 0x800 0x0 0 0 0 0 0x4080", "SetWindowPos 0x800 0x0 0 0 0 0 0x4040"}));
    EXPECT_EQ(rig.desktop.CallsStartingWith("FindWindow").front(),
              "FindWindow \"Shell_traywnd\" \"\"");

    Rig none;
    none.actions.ShowHideTaskbar();
    EXPECT_EQ(none.desktop.calls, (Lines{"FindWindow \"Shell_traywnd\" \"\""}));
}

RegistryData Dword(std::uint8_t value) {
    return {reg::kDword, {}, {value, 0, 0, 0}};
}

struct HiddenCase {
    const char* Name;
    std::optional<RegistryData> Stored;
    std::function<void(WindowActions&)> Run;
    std::uint8_t Written;
};

TEST(WindowActions, HiddenFilesActionsWriteADword) {
    auto toggle = [](WindowActions& a) { a.ToggleHidden(); };
    const HiddenCase cases[] = {
        {"toggle 2", Dword(2), toggle, 1},
        {"toggle 1", Dword(1), toggle, 0},
        {"toggle 0", Dword(0), toggle, 1},
        {"toggle absent", std::nullopt, toggle, 1},
        {"toggle text 1 stays a dword", RegistryData{reg::kSz, "1", {}}, toggle, 0},
        {"hide", Dword(1), [](WindowActions& a) { a.HideHidden(); }, 0},
        {"show absent", std::nullopt, [](WindowActions& a) { a.ShowHidden(); }, 1},
    };
    for (const HiddenCase& test : cases) {
        Rig rig;
        if (test.Stored) {
            rig.registry.Put(reg::kCurrentUser, kAdvanced, "Hidden", *test.Stored);
        }
        test.Run(rig.actions);
        const RegistryData* written = rig.registry.Find(reg::kCurrentUser, kAdvanced, "Hidden");
        ASSERT_NE(written, nullptr) << test.Name;
        EXPECT_EQ(*written, Dword(test.Written)) << test.Name;
        EXPECT_EQ(rig.registry.OpenKeyCount(), 0u) << test.Name;
    }
}

TEST(WindowActions, BrowserWalkTerminatesEachBrowserProcessOnceFromTheForegroundDown) {
    Rig rig;
    using W = FakeDesktopPort::Window;
    rig.desktop.windows = {
        W{0x10, "IEFrame", desk::kWsVisible, 0, 50, 1, 1, 0},  // above the foreground
        W{0x11, "Notepad", desk::kWsVisible, 0, 51, 2, 1, 0},
        W{0x12, "IEFrame", desk::kWsVisible, 0, 52, 3, 1, 0},
        W{0x13, "MozillaWindowClass", desk::kWsVisible, 0, 52, 3, 1, 0},  // same process
        W{0x14, "MozillaWindowClass", 0, 0, 53, 4, 1, 0},                 // hidden
        W{0x15, "MozillaWindowClass", 0, desk::kWsExAppWindow, 54, 5, 1, 0},
        W{0x16, "IEFrame", desk::kWsVisible | 0x20000000u, 0, 55, 6, 2, 0},  // minimized
        W{0x17, "ieframe", desk::kWsVisible, 0, 56, 7, 1, 0},
        W{0x18, "IEFrame", desk::kWsVisible, 0, 57, 8, 1, 0},  // cannot be opened
        W{0x19, "MozillaWindowClass", desk::kWsVisible, 0, 58, 9, 1, 0},
    };
    rig.desktop.foreground = 0x11;
    rig.desktop.unopenable = {57};

    rig.actions.KillIEandNetscape();

    EXPECT_EQ(rig.desktop.terminated, (std::vector<std::uint32_t>{52, 54, 55, 58}));
    EXPECT_EQ(rig.desktop.CallsStartingWith("OpenProcess"),
              (Lines{"OpenProcess 0x100001 false 52", "OpenProcess 0x100001 false 54",
                     "OpenProcess 0x100001 false 55", "OpenProcess 0x100001 false 57",
                     "OpenProcess 0x100001 false 58"}));
    EXPECT_EQ(rig.desktop.CallsStartingWith("TerminateProcess").front(),
              "TerminateProcess 0x9034 1");
    EXPECT_TRUE(rig.desktop.openProcesses.empty());
    // Nine windows from the foreground down, each followed by a pump, in each of 21 walks.
    EXPECT_EQ(rig.desktop.CallsStartingWith("PumpMessages").size(), 9u * 21u);
    EXPECT_EQ(rig.desktop.CallsStartingWith("GetWindowStyle 0x10 ").size(), 0u);

    // An unload ends the walk at its next pump, here the one after the first browser.
    Rig unloaded;
    unloaded.desktop.windows = rig.desktop.windows;
    unloaded.desktop.foreground = 0x11;
    unloaded.desktop.quitAtPump = 2;
    unloaded.actions.KillIEandNetscape();
    EXPECT_EQ(unloaded.desktop.terminated, (std::vector<std::uint32_t>{52}));
    EXPECT_EQ(unloaded.desktop.CallsStartingWith("PumpMessages").size(), 2u);
}

}  // namespace
}  // namespace tessarin
