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
    bool finished;  // the answer is then the text
};

TEST(HotkeyCapture, KeyEventsBuildTheFieldAndEndTheCapture) {
    const std::vector<KeyCase> cases = {
        {"modifier then key", {kCtrl, 'K'}, CaptureKey::Accepted, "CTRL + K", true},
        {"held modifier", {kCtrl, kCtrl, kCtrl, 'K'}, CaptureKey::Accepted, "CTRL + K", true},
        {"two modifiers", {kCtrl, kAlt, 0x74}, CaptureKey::Accepted, "ALT + CTRL + F5", true},
        {"windows key", {kWin, kShift, 0x25}, CaptureKey::Accepted, "WIN + SHIFT + [LARROW]", true},
        {"tab with a modifier", {kShift, 0x09}, CaptureKey::Accepted, "SHIFT + \t", true},
        {"modifiers only", {kShift, kAlt}, CaptureKey::Building, "SHIFT + ALT + ", false},
        {"key alone", {'K'}, CaptureKey::Ignored, "", false},
        {"release starts over", {kCtrl, kUp, 'K'}, CaptureKey::Ignored, "", false},
        {"release empties the field", {kCtrl, kAlt, kUp}, CaptureKey::Ignored, "", false},
        {"space bar names no key", {kCtrl, 0x20}, CaptureKey::Ignored, "CTRL + ", false},
        {"plus key names no key", {kCtrl, 0x2B}, CaptureKey::Ignored, "CTRL + ", false},
        {"key after a refused one", {kCtrl, 0x20, 'Q'}, CaptureKey::Accepted, "CTRL + Q", true},
        {"escape alone cancels", {kCtrl, kUp, 0x1B}, CaptureKey::Cancelled, "", true},
        {"escape with a modifier", {kShift, 0x1B}, CaptureKey::Accepted, "SHIFT + \x1b", true},
        {"keys after the end", {kCtrl, 'K', kUp, kAlt, 'J'}, CaptureKey::Ignored, "CTRL + K", true},
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
        EXPECT_EQ(capture.Finished(), c.finished) << c.name;
        EXPECT_EQ(capture.Answer(), c.finished ? c.text : "") << c.name;
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

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

struct EditCase {
    const char* name;
    const char* hotkeys;  // the hotkey column, "|" between rows
    bool disabledFirst;
    std::optional<std::size_t> selected;
    const char* answer;
    const char* texts;    // the hotkey column afterwards, also as stored
    const char* presses;  // combination>data of the row it runs, "|" between presses
};

TEST(EditHotkey, EveryAnswerEndsSavedAndRegisteredFromTheTexts) {
    const std::vector<EditCase> cases = {
        {"accept on a registered row", "CTRL + A|CTRL + B", false, 2, "ALT + CTRL + F5",
         "CTRL + A|ALT + CTRL + F5", "ALT + CTRL + F5>row2|CTRL + B>|CTRL + A>row1"},
        {"accept on a row without hotkey", "|CTRL + B", false, 1, "WIN + SHIFT + [LARROW]",
         "WIN + SHIFT + [LARROW]|CTRL + B", "WIN + SHIFT + [LARROW]>row1|CTRL + B>row2"},
        {"delete on a registered row", "CTRL + A|CTRL + B", false, 1, "#DEL#", "|CTRL + B",
         "CTRL + A>|CTRL + B>row2"},
        {"delete on a text that never registered", "null|CTRL + B", false, 1, "#DEL#", "|CTRL + B",
         "CTRL + B>row2"},
        {"cancel", "CTRL + A", false, 1, "", "CTRL + A", "CTRL + A>row1"},
        {"cancel switches disabled hotkeys on", "CTRL + A|SHIFT + B", true, 2, "",
         "CTRL + A|SHIFT + B", "CTRL + A>row1|SHIFT + B>row2"},
        {"no selection applies nothing", "CTRL + A", true, std::nullopt, "#DEL#", "CTRL + A",
         "CTRL + A>row1"},
        {"a taken combination given while disabled runs only the earlier row", "CTRL + K|", true, 2,
         "CTRL + K", "CTRL + K|CTRL + K", "CTRL + K>row1"},
        {"the earlier row keeps a combination a later row gives up", "CTRL + K|CTRL + K", false, 2,
         "#DEL#", "CTRL + K|", "CTRL + K>row1"},
    };
    for (const EditCase& c : cases) {
        std::vector<const char*> hotkeys;
        const std::vector<std::string> rows = Split(c.hotkeys, '|');
        for (const std::string& row : rows) {
            hotkeys.push_back(row.c_str());
        }
        Rig rig(hotkeys);
        if (c.disabledFirst) {
            rig.hotkeys.ToggleHotkeys();
        }
        ApplyCapturedHotkey(rig.list, c.selected, c.answer, rig.hotkeys, rig.store, rig.codePage);

        const std::vector<std::string> texts = Split(c.texts, '|');
        ASSERT_EQ(rig.list.Count(), texts.size()) << c.name;
        for (std::size_t n = 1; n <= texts.size(); ++n) {
            const std::string number = std::to_string(n);
            EXPECT_EQ(rig.list.At(n).Hotkey, texts[n - 1]) << c.name << ", row " << n;
            EXPECT_EQ(rig.store.GetSetting("Actions", "Hotkey" + number, "absent"), texts[n - 1])
                << c.name << ", row " << n;
            EXPECT_EQ(rig.store.GetSetting("Actions", "Data" + number, "absent"), "row" + number)
                << c.name;
        }
        for (const std::string& press : Split(c.presses, '|')) {
            const std::vector<std::string> parts = Split(press, '>');
            const std::vector<std::string> none;
            EXPECT_EQ(rig.Press(parts[0]), parts[1].empty() ? none : Split(parts[1], '|'))
                << c.name << ", " << press;
        }
        EXPECT_TRUE(rig.state.HotkeysEnabled) << c.name;
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
