#include "hotkeys/HotkeyCapture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FakeHotkeyPort.h"
#include "RecordingExecutor.h"
#include "hotkeys/HotkeyNotation.h"
#include "model/MemorySettingsStore.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

using fakes::FakeHotkeyPort;
using fakes::RecordingExecutor;

constexpr std::uint32_t kUp = 0;  // no key has the code 0: stands for "a key went up"
constexpr std::uint32_t kShift = 16, kCtrl = 17, kAlt = 18, kWin = 91;

struct KeyCase {
    const char* name;
    std::vector<std::uint32_t> events;
    CaptureKey last;
    std::string text;
    std::optional<std::string> answer;  // none while the dialog stays open
};

TEST(HotkeyCapture, KeyEventsBuildTheFieldAndEndTheCapture) {
    const std::vector<KeyCase> cases = {
        {"modifier then key", {kCtrl, 'K'}, CaptureKey::Accepted, "CTRL + K", "CTRL + K"},
        {"held modifier repeats",
         {kCtrl, kCtrl, kCtrl, 'K'},
         CaptureKey::Accepted,
         "CTRL + K",
         "CTRL + K"},
        {"two modifiers and a function key",
         {kCtrl, kAlt, 0x74},
         CaptureKey::Accepted,
         "ALT + CTRL + F5",
         "ALT + CTRL + F5"},
        {"three modifiers and Delete",
         {kCtrl, kAlt, kShift, 0x2E},
         CaptureKey::Accepted,
         "SHIFT + ALT + CTRL + .",
         "SHIFT + ALT + CTRL + ."},
        {"windows key and an arrow",
         {kWin, kShift, 0x25},
         CaptureKey::Accepted,
         "WIN + SHIFT + [LARROW]",
         "WIN + SHIFT + [LARROW]"},
        {"keypad digit", {kCtrl, 0x61}, CaptureKey::Accepted, "CTRL + a", "CTRL + a"},
        {"tab with a modifier", {kShift, 0x09}, CaptureKey::Accepted, "SHIFT + \t", "SHIFT + \t"},
        {"modifiers only", {kShift, kAlt}, CaptureKey::Building, "SHIFT + ALT + ", std::nullopt},
        {"key alone", {'K'}, CaptureKey::Ignored, "", std::nullopt},
        {"release starts over", {kCtrl, kUp, 'K'}, CaptureKey::Ignored, "", std::nullopt},
        {"release empties the field", {kCtrl, kAlt, kUp}, CaptureKey::Ignored, "", std::nullopt},
        {"space bar names no key", {kCtrl, 0x20}, CaptureKey::Ignored, "CTRL + ", std::nullopt},
        {"plus key names no key", {kCtrl, 0x2B}, CaptureKey::Ignored, "CTRL + ", std::nullopt},
        {"usable key after a refused one",
         {kCtrl, 0x20, 'Q'},
         CaptureKey::Accepted,
         "CTRL + Q",
         "CTRL + Q"},
        {"escape alone cancels", {kCtrl, kUp, 0x1B}, CaptureKey::Cancelled, "", ""},
        {"escape with a modifier is a key",
         {kShift, 0x1B},
         CaptureKey::Accepted,
         "SHIFT + \x1b",
         "SHIFT + \x1b"},
        {"keys after the end change nothing",
         {kCtrl, 'K', kUp, kAlt, 'J'},
         CaptureKey::Ignored,
         "CTRL + K",
         "CTRL + K"},
    };
    const Windows1252CodePage codePage;
    for (const KeyCase& c : cases) {
        HotkeyCapture capture(codePage);
        CaptureKey last = CaptureKey::Ignored;
        for (std::uint32_t event : c.events) {
            if (event == kUp) {
                capture.KeyUp();
                last = CaptureKey::Ignored;
            } else {
                last = capture.KeyDown(event);
            }
        }
        EXPECT_EQ(last, c.last) << c.name;
        EXPECT_EQ(capture.Text(), c.text) << c.name;
        EXPECT_EQ(capture.Finished(), c.answer.has_value()) << c.name;
        EXPECT_EQ(capture.Answer(), c.answer.value_or("")) << c.name;
    }
}

TEST(HotkeyCapture, ButtonsAnswerOnceAndOnlyTheFirstEndCounts) {
    const Windows1252CodePage codePage;
    HotkeyCapture deleted(codePage);
    deleted.KeyDown(kCtrl);
    deleted.DeleteHotkey();
    deleted.Cancel();
    EXPECT_EQ(deleted.Answer(), "#DEL#");

    HotkeyCapture cancelled(codePage);
    cancelled.KeyDown(kCtrl);
    cancelled.Cancel();
    cancelled.DeleteHotkey();
    EXPECT_TRUE(cancelled.Finished());
    EXPECT_EQ(cancelled.Answer(), "");

    HotkeyCapture accepted(codePage);
    accepted.KeyDown(kAlt);
    accepted.KeyDown('K');
    accepted.DeleteHotkey();
    EXPECT_EQ(accepted.Answer(), "ALT + K");
}

struct Rig {
    explicit Rig(const std::vector<const char*>& hotkeyTexts) {
        for (std::size_t n = 1; n <= hotkeyTexts.size(); ++n) {
            ActionRecord record;
            record.ActionType = "Go to URL";
            record.Hotkey = hotkeyTexts[n - 1];
            record.Data = "row" + std::to_string(n);
            list.Add(std::move(record));
        }
        hotkeys.RegisterAllHotKeys();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // The data of the rows the combination runs, as the system would deliver it.
    std::vector<std::string> Press(const std::string& combination) {
        executor.runs.clear();
        const auto parsed = ParseHotkeyText(combination, codePage);
        if (parsed) {
            hotkeys.DoHotkey(port.Press(parsed->Modifiers, parsed->KeyCode));
        }
        std::vector<std::string> data;
        for (const auto& run : executor.runs) {
            data.push_back(run.second);
        }
        return data;
    }

    ActionList list;
    FakeHotkeyPort port;
    RecordingExecutor executor;
    Windows1252CodePage codePage;
    AppState state;
    MemorySettingsStore store;
    Hotkeys hotkeys{list, port, executor, codePage, state};
};

using Presses = std::vector<std::pair<const char*, std::vector<std::string>>>;

struct EditCase {
    const char* name;
    std::vector<const char*> hotkeys;
    bool disabledFirst;
    std::optional<std::size_t> selected;
    const char* answer;
    std::vector<const char*> texts;  // the hotkey column afterwards, also as stored
    Presses presses;
};

TEST(EditHotkey, EveryAnswerEndsSavedAndRegisteredFromTheTexts) {
    const std::vector<EditCase> cases = {
        {"accept on a registered row",
         {"CTRL + A", "CTRL + B"},
         false,
         2,
         "ALT + CTRL + F5",
         {"CTRL + A", "ALT + CTRL + F5"},
         {{"ALT + CTRL + F5", {"row2"}}, {"CTRL + B", {}}, {"CTRL + A", {"row1"}}}},
        {"accept on a row without hotkey",
         {"", "CTRL + B"},
         false,
         1,
         "WIN + SHIFT + [LARROW]",
         {"WIN + SHIFT + [LARROW]", "CTRL + B"},
         {{"WIN + SHIFT + [LARROW]", {"row1"}}, {"CTRL + B", {"row2"}}}},
        {"delete on a registered row",
         {"CTRL + A", "CTRL + B"},
         false,
         1,
         "#DEL#",
         {"", "CTRL + B"},
         {{"CTRL + A", {}}, {"CTRL + B", {"row2"}}}},
        {"delete on a text that never registered",
         {"null", "CTRL + B"},
         false,
         1,
         "#DEL#",
         {"", "CTRL + B"},
         {{"CTRL + B", {"row2"}}}},
        {"cancel", {"CTRL + A"}, false, 1, "", {"CTRL + A"}, {{"CTRL + A", {"row1"}}}},
        {"cancel switches disabled hotkeys on",
         {"CTRL + A", "SHIFT + B"},
         true,
         2,
         "",
         {"CTRL + A", "SHIFT + B"},
         {{"CTRL + A", {"row1"}}, {"SHIFT + B", {"row2"}}}},
        {"no selection applies nothing",
         {"CTRL + A"},
         true,
         std::nullopt,
         "#DEL#",
         {"CTRL + A"},
         {{"CTRL + A", {"row1"}}}},
        {"a taken combination given while disabled runs only the earlier row",
         {"CTRL + K", ""},
         true,
         2,
         "CTRL + K",
         {"CTRL + K", "CTRL + K"},
         {{"CTRL + K", {"row1"}}}},
        {"the earlier row keeps a combination a later row gives up",
         {"CTRL + K", "CTRL + K"},
         false,
         2,
         "#DEL#",
         {"CTRL + K", ""},
         {{"CTRL + K", {"row1"}}}},
    };
    for (const EditCase& c : cases) {
        Rig rig(c.hotkeys);
        if (c.disabledFirst) {
            rig.hotkeys.ToggleHotkeys();
        }
        ApplyCapturedHotkey(rig.list, c.selected, c.answer, rig.hotkeys, rig.store, rig.codePage);

        ASSERT_EQ(rig.list.Count(), c.texts.size()) << c.name;
        for (std::size_t n = 1; n <= c.texts.size(); ++n) {
            const std::string number = std::to_string(n);
            EXPECT_EQ(rig.list.At(n).Hotkey, c.texts[n - 1]) << c.name << ", row " << n;
            EXPECT_EQ(rig.store.GetSetting("Actions", "Hotkey" + number, "absent"), c.texts[n - 1])
                << c.name << ", row " << n;
            EXPECT_EQ(rig.store.GetSetting("Actions", "Data" + number, "absent"), "row" + number)
                << c.name;
        }
        EXPECT_TRUE(rig.state.HotkeysEnabled) << c.name;
        for (const auto& [combination, runs] : c.presses) {
            EXPECT_EQ(rig.Press(combination), runs) << c.name << ", " << combination;
        }
        // Every atom the edit took is given back exactly once at the exit.
        rig.hotkeys.UnregisterAllHotKeys();
        EXPECT_TRUE(rig.port.useCounts.empty()) << c.name;
        EXPECT_TRUE(rig.port.live.empty()) << c.name;
        EXPECT_EQ(rig.port.overReleasedAtoms, 0) << c.name;
    }
}

TEST(EditHotkey, DialogOpensOnlyForASelectedRowAndItsAnswerIsNeverReused) {
    Rig rig({"CTRL + A", "CTRL + B"});
    int shown = 0;
    const auto dialog = [&shown] {
        ++shown;
        return std::string("#DEL#");
    };

    rig.state.CapturedHotkey = "ALT + Z";
    CmdEditHotkey(rig.state, rig.list, 2, dialog, rig.hotkeys, rig.store, rig.codePage);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(rig.state.CapturedHotkey, "#DEL#");
    EXPECT_EQ(rig.list.At(2).Hotkey, "");

    for (const std::optional<std::size_t> selected :
         {std::optional<std::size_t>{}, std::optional<std::size_t>{0},
          std::optional<std::size_t>{3}}) {
        CmdEditHotkey(rig.state, rig.list, selected, dialog, rig.hotkeys, rig.store, rig.codePage);
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(rig.state.CapturedHotkey, "");
        EXPECT_EQ(rig.list.At(1).Hotkey, "CTRL + A");
    }
    EXPECT_EQ(rig.Press("CTRL + A"), std::vector<std::string>{"row1"});
}

}  // namespace
}  // namespace tessarin
