#include "hotkeys/Hotkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "RecordingExecutor.h"
#include "hotkeys/AltGr.h"
#include "hotkeys/HotkeyCapture.h"
#include "hotkeys/HotkeyNotation.h"
#include "model/ActionStore.h"
#include "model/MemorySettingsStore.h"
#include "platform/HotkeyPort.h"
#include "platform/Windows1252CodePage.h"
#include "ui/MainWindowLogic.h"

namespace tessarin {
namespace {

constexpr std::uint32_t kShift = 16, kCtrl = 17, kAlt = 18, kLeftWin = 91, kRightWin = 92;
const Windows1252CodePage kCodePage;

// The modifier words are plain substring tests; the key starts two characters after the last plus
// sign; blanks around either part are trimmed, other white space is not; the key names are exact,
// and any other text gives the first byte of its form in the code page.
TEST(ParseHotkeyText, ModifierWordsBeforeTheLastPlusAndTheKeyAfterIt) {
    const struct {
        const char* text;
        std::uint32_t modifiers;  // 0: the text names no combination
        std::uint32_t key;
    } cases[] = {{"CONTROL + X", 2, 'X'},
                 {"ctrl + k", 0, 0},
                 {"CTRL+K", 0, 0},
                 {"CTRL + ", 0, 0},
                 {"ALTCTRLSHIFTWIN + Z", 15, 'Z'},
                 {"CTRL + A+BC", 2, 'C'},
                 {"  CTRL  + K ", 2, 'K'},
                 {"CTRL + \tK", 2, 0x09},
                 {"CTRL + F13", 2, 'F'},
                 {"CTRL + €", 2, 0x80},
                 {"CTRL + 中", 2, '?'}};
    for (const auto& c : cases) {
        const std::optional<ParsedHotkey> expected =
            c.modifiers == 0 ? std::nullopt : std::optional(ParsedHotkey{c.modifiers, c.key});
        EXPECT_EQ(ParseHotkeyText(c.text, kCodePage), expected) << '"' << c.text << '"';
    }
}

// Keys pressed on a field holding some text, and the text, Ignored and Complete after the last.
TEST(AddKeyToHotkeyText, NeedsAModifierAndANamedKeyAndKeepsTheWordsInTheirOrder) {
    const struct {
        const char* text;
        std::vector<std::uint32_t> keys;
        const char* after;
    } cases[] = {// A held modifier repeats its key-down.
                 {"", {kAlt, kAlt, kCtrl, kCtrl, 'K'}, "ALT + CTRL + K|01"},
                 {"", {kCtrl, kAlt, kShift, '.'}, "SHIFT + ALT + CTRL + .|01"},
                 {"", {kShift, kShift, kCtrl, kAlt, kAlt, 'Q'}, "SHIFT + CTRL + ALT + Q|01"},
                 {"", {kCtrl, kLeftWin, 0x28}, "WIN + CTRL + [DARROW]|01"},
                 {"", {kLeftWin, kRightWin, '1'}, "WIN + 1|01"},
                 {"", {'K'}, "|10"},
                 {"CONTROL + ", {'X'}, "CONTROL + X|01"},
                 {"CTRL + ", {0x100}, "CTRL + |10"},
                 {"CTRL + ", {0x82}, "CTRL + \xE2\x80\x9A|01"},
                 {"CTRL + K", {'L'}, "CTRL + L|01"},
                 {"ALT + CTRL + +", {'A'}, "ALT + CTRL + A|01"},
                 {"CTRL + K", {kAlt}, "ALT + CTRL + K|00"}};
    for (const auto& c : cases) {
        HotkeyTextStep step{false, false, c.text};
        for (const std::uint32_t key : c.keys) {
            step = AddKeyToHotkeyText(step.Text, key, kCodePage);
        }
        EXPECT_EQ(step.Text + "|" + std::to_string(step.Ignored) + std::to_string(step.Complete),
                  c.after)
            << c.text << " / " << ::testing::PrintToString(c.keys);
    }
}

// Every combination the capture can build parses back to what was held and pressed, except the
// keys whose one-character name the parse trims or skips: the space bar (a blank) and the key
// named by the plus sign, which the parse takes for the separator's.
TEST(HotkeyNotation, EveryCapturedCombinationParsesBackExceptBlankAndPlus) {
    const std::pair<std::vector<std::uint32_t>, std::uint32_t> holds[] = {
        {{kAlt}, kModAlt},
        {{kRightWin}, kModWin},
        {{kLeftWin, kShift}, kModWin | kModShift},
        {{kCtrl, kLeftWin, kAlt, kShift}, kModControl | kModWin | kModAlt | kModShift}};
    const std::set<std::uint32_t> modifierKeys = {kShift, kCtrl, kAlt, kLeftWin, kRightWin};
    for (const auto& [held, flags] : holds) {
        std::set<std::uint32_t> lost;
        for (std::uint32_t key = 0; key <= 0xFF; ++key) {
            HotkeyTextStep step;
            for (const std::uint32_t down : held) {
                step = AddKeyToHotkeyText(step.Text, down, kCodePage);
            }
            step = AddKeyToHotkeyText(step.Text, key, kCodePage);
            ASSERT_EQ(step.Complete, modifierKeys.count(key) == 0) << key;
            if (step.Complete &&
                ParseHotkeyText(step.Text, kCodePage) != ParsedHotkey{flags, key}) {
                lost.insert(key);
            }
        }
        EXPECT_EQ(lost, (std::set<std::uint32_t>{0x20, 0x2B})) << "flags " << flags;
    }
}

// What AltGr types on Q: @, and with Shift the Polish capital A with ogonek.
struct TableLayout final : KeyboardLayout {
    std::optional<std::string> AltGrText(std::uint32_t key, bool shift) const override {
        return key == 'Q' ? std::optional<std::string>(shift ? "\xC4\x84" : "@") : std::nullopt;
    }
};

TEST(AltGrTip, MarksTheCtrlAltHotkeysThatTakeACharacterOfTheLayout) {
    enum { None, Accepted, Refused };
    const struct {
        const char* hotkey;
        int held;
        const char* named;  // what the tip says the hotkey is and types; null: no tip
    } cases[] = {{"CTRL + ALT + Q", Accepted,
                  R"(On this keyboard, CTRL + ALT + Q is AltGr+Q, which types "@". )"
                  R"(While this hotkey is set, "@" cannot be typed.)"},
                 // Disabled hotkeys take the character again when they are enabled.
                 {"ALT + CONTROL + Q", None, R"(ALT + CONTROL + Q is AltGr+Q, which types "@")"},
                 {"SHIFT + CTRL + ALT + Q", Accepted, "AltGr+Shift+Q, which types \"\xC4\x84\""},
                 {"WIN + CTRL + ALT + Q", Accepted, nullptr},
                 {"CTRL + Q", Accepted, nullptr},
                 // Another owner holds the combination, so this row takes nothing away.
                 {"CTRL + ALT + Q", Refused, nullptr},
                 {"CTRL + ALT + Z", Accepted, nullptr},
                 {"", None, nullptr}};
    for (const auto& c : cases) {
        const std::string tip =
            AltGrTip({"", c.hotkey, "", 0, 0, {c.held != None, c.held == Accepted}}, TableLayout(),
                     kCodePage);
        EXPECT_TRUE(c.named ? tip.find(c.named) != std::string::npos : tip.empty()) << tip;
    }
}

// A global atom table with use counts (an atom released once too often leaves a negative count)
// and a hotkey service that, like the system's, refuses a combination or an id already taken.
struct FakeHotkeyPort final : HotkeyPort {
    std::uint16_t AddGlobalAtom(const std::string& name) override {
        if (atomTableFull) {
            return 0;
        }
        const std::uint16_t atom =
            atoms.try_emplace(name, static_cast<std::uint16_t>(0xC000 + atoms.size()))
                .first->second;
        ++useCounts[atom];
        return atom;
    }
    void DeleteGlobalAtom(std::uint16_t atom) override {
        if (--useCounts[atom] == 0) {
            useCounts.erase(atom);
        }
    }
    bool RegisterHotkey(std::int32_t id, std::uint32_t modifiers, std::uint32_t keyCode) override {
        return std::none_of(live.begin(), live.end(), [id](auto& e) { return e.second == id; }) &&
               live.try_emplace({modifiers, keyCode}, id).second;
    }
    void UnregisterHotkey(std::int32_t id) override {
        std::erase_if(live, [id](const auto& e) { return e.second == id; });
    }

    std::map<std::string, std::uint16_t> atoms;
    std::map<std::uint16_t, int> useCounts;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::int32_t> live;  // combination: its id
    bool atomTableFull = false;
};

// The system reports a hotkey by the id of a global atom, and names get the atoms from 0xC000 up.
static_assert(HotkeyIdFromAtom(0xC000) == -16384 && HotkeyIdFromAtom(0xFFFF) == -1);
static_assert(AtomFromHotkeyId(-16384) == 0xC000 && AtomFromHotkeyId(-1) == 0xFFFF);

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

std::string HotkeyColumn(const ActionList& list) {
    std::string column;
    for (const ActionRecord& row : list) {
        column += (&row == &*list.begin() ? "" : "|") + row.Hotkey;
    }
    return column;
}

// A list whose row n has the n-th hotkey text ("|" between rows) and runs the data "rown",
// registered as at the start.
struct Rig {
    explicit Rig(const std::string& hotkeyColumn) {
        for (const std::string& text : Split(hotkeyColumn, '|')) {
            list.Add({"Go to URL", text, "row" + std::to_string(list.Count() + 1), 2, 0, {}});
        }
        hotkeys.RegisterAllHotKeys();
    }

    // The data of the rows that the combination, typed as hotkey text, runs.
    std::string Press(const std::string& combination) {
        executor.runs.clear();
        const ParsedHotkey parsed = ParseHotkeyText(combination, kCodePage).value();
        const auto owner = port.live.find({parsed.Modifiers, parsed.KeyCode});
        hotkeys.DoHotkey(owner == port.live.end() ? 0 : owner->second);
        return std::accumulate(
            executor.runs.begin(), executor.runs.end(), std::string(),
            [](const std::string& data, auto& run) { return data + run.second; });
    }

    // At the exit every atom and combination is given back, each exactly once.
    void ExpectAllReleasedAtExit() {
        hotkeys.UnregisterAllHotKeys();
        EXPECT_TRUE(port.useCounts.empty() && port.live.empty());
    }

    ActionList list;
    FakeHotkeyPort port;
    fakes::RecordingExecutor executor;
    AppState state;
    MemorySettingsStore store;
    Hotkeys hotkeys{list, port, executor, kCodePage, state};
};

TEST(Hotkeys, EachRowAnswersToItsOwnCombinationTheFirstOfTwoKeepsItAndToggleReleases) {
    Rig rig("CTRL + K||ALT + B|ctrl + k|CTRL +  |CTRL + K");
    EXPECT_EQ(rig.Press("CTRL + Z") + rig.Press("CTRL + K") + rig.Press("ALT + B"), "row1row3");
    for (const std::size_t n : {2u, 4u, 5u}) {
        EXPECT_TRUE(rig.list.At(n).Tag == 0 && !rig.list.At(n).Registration.Held) << n;
    }
    // The refused row holds its atom all the same, and gives it back with the others.
    EXPECT_TRUE(rig.list.At(6).Registration.Held && !rig.list.At(6).Registration.Accepted);
    rig.ExpectAllReleasedAtExit();

    // Disable releases everything; enable registers the current texts if the atoms last.
    Rig two("CTRL + A|CTRL + B|");
    two.hotkeys.ToggleHotkeys();
    EXPECT_STREQ(two.hotkeys.ToggleCaption(), "Enable All Hotkeys");
    EXPECT_TRUE(two.port.live.empty() && two.port.useCounts.empty());
    two.list.At(1).Hotkey = "ALT + F5";
    two.hotkeys.ToggleHotkeys();
    EXPECT_STREQ(two.hotkeys.ToggleCaption(), "Disable All Hotkeys");
    EXPECT_EQ(two.Press("ALT + F5") + two.Press("CTRL + B") + two.Press("CTRL + A"), "row1row2");
    two.hotkeys.ToggleHotkeys();
    two.ExpectAllReleasedAtExit();

    two.port.atomTableFull = true;
    two.hotkeys.ToggleHotkeys();
    EXPECT_TRUE(two.list.At(1).Tag == 0 && !two.list.At(1).Registration.Held &&
                two.port.live.empty());

    // Rows with the firing id run in list order while a nested hotkey's action deletes a row.
    Rig same("|||");
    for (const std::size_t n : {1u, 2u, 4u}) {
        same.list.At(n).Tag = -7;
    }
    same.list.At(4).ActionType = "Mute";
    same.executor.onRun = [&same](auto&, auto&) { same.list.Remove(2); };
    same.hotkeys.DoHotkey(-7);
    EXPECT_EQ(same.executor.runs,
              (decltype(same.executor.runs){{"Go to URL", "row1"}, {"Mute", "row4"}}));
}

constexpr std::uint32_t kUp = 0;  // no key has the code 0: stands for "a key went up"
constexpr std::uint32_t kDeleteButton = 0x1000, kCancelButton = 0x1001;

// Events, then the last key's outcome (a button or key-up counts as I) by its initial, the field,
// and the answer once finished ("open" before any answer while the dialog is still open).
TEST(HotkeyCapture, KeysAndButtonsBuildTheFieldAndOnlyTheFirstEndCounts) {
    const std::pair<std::vector<std::uint32_t>, const char*> cases[] = {
        {{kCtrl, kCtrl, 'K'}, "A|CTRL + K|CTRL + K"},
        {{kCtrl, kUp, 'K'}, "I||open"},
        // The space bar (as the plus key) names no key that could be registered.
        {{kCtrl, 0x20, 'Q'}, "A|CTRL + Q|CTRL + Q"},
        {{kCtrl, kUp, 0x1B}, "C||"},
        {{kShift, 0x1B}, "A|SHIFT + \x1b|SHIFT + \x1b"},
        {{kCtrl, 'K', kUp, kAlt, 'J'}, "I|CTRL + K|CTRL + K"},
        {{kCtrl, kDeleteButton, kCancelButton}, "I|CTRL + |#DEL#"},
        {{kCtrl, kCancelButton, kDeleteButton}, "I|CTRL + |"},
        {{kAlt, 'K', kDeleteButton}, "I|ALT + K|ALT + K"}};
    for (const auto& [events, expected] : cases) {
        HotkeyCapture capture(kCodePage);
        CaptureKey last = CaptureKey::Ignored;
        for (const std::uint32_t event : events) {
            last = event == kUp             ? (capture.KeyUp(), CaptureKey::Ignored)
                   : event == kDeleteButton ? (capture.DeleteHotkey(), CaptureKey::Ignored)
                   : event == kCancelButton ? (capture.Cancel(), CaptureKey::Ignored)
                                            : capture.KeyDown(event);
        }
        EXPECT_EQ("IBAC"[static_cast<int>(last)] + ("|" + capture.Text() + "|") +
                      (capture.Finished() ? capture.Answer() : "open" + capture.Answer()),
                  expected)
            << ::testing::PrintToString(events);
    }
}

TEST(EditHotkey, OnlyASelectedRowOpensTheDialogAndEveryAnswerEndsSavedRegisteredAndSwitchedOn) {
    const struct {
        const char* hotkeys;
        bool disabledFirst;
        std::optional<std::size_t> selected;
        const char* answer;   // null: the dialog must not open (it would answer "#DEL#")
        const char* texts;    // the hotkey column afterwards, also as stored
        const char* presses;  // combination>data of the row it runs, "|" between presses
    } cases[] = {
        {"CTRL + A|CTRL + B", false, 2, "ALT + CTRL + F5", "CTRL + A|ALT + CTRL + F5",
         "ALT + CTRL + F5>row2|CTRL + B>|CTRL + A>row1"},
        {"|CTRL + B", false, 1, "WIN + SHIFT + [LARROW]", "WIN + SHIFT + [LARROW]|CTRL + B",
         "WIN + SHIFT + [LARROW]>row1|CTRL + B>row2"},
        {"CTRL + A|CTRL + B", false, 1, "#DEL#", "|CTRL + B", "CTRL + A>|CTRL + B>row2"},
        {"null|CTRL + B", false, 1, "#DEL#", "|CTRL + B", "CTRL + B>row2"},
        {"CTRL + A|SHIFT + B", true, 2, "", "CTRL + A|SHIFT + B", "CTRL + A>row1|SHIFT + B>row2"},
        {"CTRL + A", true, std::nullopt, nullptr, "CTRL + A", "CTRL + A>row1"},
        {"CTRL + A|CTRL + B", false, 3, nullptr, "CTRL + A|CTRL + B", "CTRL + A>row1"},
        {"CTRL + K|", true, 2, "CTRL + K", "CTRL + K|CTRL + K", "CTRL + K>row1"},
        {"CTRL + K|CTRL + K", false, 2, "#DEL#", "CTRL + K|", "CTRL + K>row1"}};
    for (const auto& c : cases) {
        const std::string answer = c.answer ? c.answer : "#DEL#";
        SCOPED_TRACE(std::string(c.hotkeys) + " <- " + answer);
        Rig rig(c.hotkeys);
        if (c.disabledFirst) {
            rig.hotkeys.ToggleHotkeys();
        }
        rig.state.CapturedHotkey = "ALT + Z";  // an earlier answer, never to be applied again
        CmdEditHotkey(
            rig.state, rig.list, c.selected, [&answer] { return answer; }, rig.hotkeys, rig.store,
            kCodePage);
        EXPECT_EQ(rig.state.CapturedHotkey, c.answer ? c.answer : "");
        ActionList stored;
        LoadRegActions(rig.store, stored);
        EXPECT_EQ(HotkeyColumn(rig.list), c.texts);
        EXPECT_EQ(HotkeyColumn(stored), c.texts);
        for (const ActionRecord& row : rig.list) {
            // A row without hotkey must not answer to the id it had.
            EXPECT_TRUE(!row.Hotkey.empty() || row.Tag == 0) << row.Data;
        }
        for (const std::string& press : Split(c.presses, '|')) {
            EXPECT_EQ(rig.Press(Split(press, '>')[0]), Split(press, '>')[1]) << press;
        }
        EXPECT_TRUE(rig.state.HotkeysEnabled);
        rig.ExpectAllReleasedAtExit();
    }
    // The list can lose the row while the dialog is open (an import from another copy).
    Rig gone("CTRL + A");
    ApplyCapturedHotkey(gone.list, 2, "#DEL#", gone.hotkeys, gone.store, kCodePage);
    EXPECT_EQ(HotkeyColumn(gone.list), "CTRL + A");
}

// Row 0 (outside the list), then rows 3, 1 and 1 of three rows holding CTRL and their number.
TEST(DeleteAction, ReleasesTheRowsHotkeySavesAndSelectsTheRowAbove) {
    Rig rig("CTRL + 1|CTRL + 2|CTRL + 3");
    SaveRegActions(rig.store, rig.list);
    const std::tuple<std::size_t, std::optional<std::size_t>, std::string, const char*> steps[] = {
        {0, std::nullopt, "CTRL + 1|CTRL + 2|CTRL + 3", "row1row2row3"},
        {3, 2, "CTRL + 1|CTRL + 2", "row1row2"},
        {1, 1, "CTRL + 2", "row2"},
        {1, std::nullopt, "", ""}};
    for (const auto& [deleted, selected, left, runs] : steps) {
        EXPECT_EQ(DeleteAction(rig.list, deleted, rig.hotkeys, rig.store), selected) << deleted;
        ActionList stored;
        LoadRegActions(rig.store, stored);
        EXPECT_EQ(HotkeyColumn(rig.list) + "/" + HotkeyColumn(stored), left + "/" + left);
        // The other rows keep their hotkeys although their positions moved.
        EXPECT_EQ(rig.Press("CTRL + 1") + rig.Press("CTRL + 2") + rig.Press("CTRL + 3"), runs);
    }
    rig.ExpectAllReleasedAtExit();
}

}  // namespace
}  // namespace tessarin
