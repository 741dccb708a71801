#include "hotkeys/HotkeyNotation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hotkeys/AltGr.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

constexpr std::uint32_t kShift = 16, kCtrl = 17, kAlt = 18, kLeftWin = 91, kRightWin = 92;
const Windows1252CodePage kCodePage;

TEST(ParseHotkeyText, ModifierWordsBeforeTheLastPlusAndTheKeyAfterIt) {
    const struct {
        const char* text;
        std::uint32_t modifiers;  // 0: the text names no combination
        std::uint32_t key;
    } cases[] = {
        {"CTRL + ALT + K", 3, 'K'},
        {"WIN + SHIFT + [LARROW]", 12, 0x25},
        {"CONTROL + X", 2, 'X'},
        {"SHIFT + ALT + CTRL + .", 7, '.'},
        {"SHIFT + a", 4, 'a'},
        {"null", 0, 0},
        {"ctrl + k", 0, 0},
        {"", 0, 0},
        {"CTRL+K", 0, 0},
        {"CTRL + ", 0, 0},
        {"K + CTRL", 0, 0},
        // The space bar's name trims away; the plus key's is taken for the separator.
        {"CTRL +  ", 0, 0},
        {"CTRL + +", 0, 0},
        // Plain substring tests on the modifier part.
        {"WINDOW + X", 8, 'X'},
        {"ALTCTRLSHIFTWIN + Z", 15, 'Z'},
        {"CTRL + ALT", 2, 'A'},
        // The key starts two characters after the last plus sign.
        {"CTRL + A+B", 0, 0},
        {"CTRL + A+BC", 2, 'C'},
        // Blanks around either part are trimmed; other white space is not.
        {"  CTRL  + K ", 2, 'K'},
        {"CTRL +   F1  ", 2, 0x70},
        {"CTRL + \tK", 2, 0x09},
        {"\tCTRL + K", 2, 'K'},
        // Names are exact; any other text gives the first byte of its form in the code page.
        {"CTRL + F13", 2, 'F'},
        {"CTRL + [larrow]", 2, '['},
        {"CTRL + é", 2, 0xE9},
        {"CTRL + €", 2, 0x80},
        {"CTRL + 中", 2, '?'}};
    for (const auto& c : cases) {
        const std::optional<ParsedHotkey> expected =
            c.modifiers == 0 ? std::nullopt : std::optional(ParsedHotkey{c.modifiers, c.key});
        EXPECT_EQ(ParseHotkeyText(c.text, kCodePage), expected) << '"' << c.text << '"';
    }
}

// The names are stored text, so both directions must keep them.
TEST(HotkeyNotation, NamesTheFunctionKeysAndArrowsBothWays) {
    std::vector<std::pair<std::string, std::uint32_t>> names = {
        {"[LARROW]", 0x25}, {"[UARROW]", 0x26}, {"[RARROW]", 0x27}, {"[DARROW]", 0x28}};
    for (std::uint32_t n = 1; n <= 12; ++n) {
        names.emplace_back("F" + std::to_string(n), 0x6F + n);
    }
    for (const auto& [name, key] : names) {
        EXPECT_EQ(AddKeyToHotkeyText("SHIFT + ", key, kCodePage).Text, "SHIFT + " + name);
        EXPECT_EQ(ParseHotkeyText("ALT + " + name, kCodePage), (ParsedHotkey{kModAlt, key}));
    }
}

TEST(AddKeyToHotkeyText, BuildsTheWordsInTheirOrderWhateverOrderTheKeysCameIn) {
    const std::pair<std::vector<std::uint32_t>, const char*> cases[] = {
        {{kCtrl, kAlt, 'K'}, "ALT + CTRL + K"},
        {{kAlt, kCtrl, 'K'}, "ALT + CTRL + K"},
        {{kCtrl, kAlt, kShift, '.'}, "SHIFT + ALT + CTRL + ."},
        {{kShift, kCtrl, kAlt, 'Q'}, "SHIFT + CTRL + ALT + Q"},
        {{kCtrl, kLeftWin, 0x28}, "WIN + CTRL + [DARROW]"},
        {{kRightWin, kShift, '1'}, "WIN + SHIFT + 1"},
        {{kLeftWin, kRightWin, '1'}, "WIN + 1"},
        {{kLeftWin, kShift, kAlt, 0x25}, "WIN + SHIFT + ALT + [LARROW]"}};
    for (const auto& [keys, expected] : cases) {
        // A held modifier repeats its key-down.
        for (const int repeats : {1, 3}) {
            HotkeyTextStep step;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                for (int r = 0; r < (i + 1 == keys.size() ? 1 : repeats); ++r) {
                    step = AddKeyToHotkeyText(step.Text, keys[i], kCodePage);
                }
            }
            EXPECT_EQ(step.Text, expected) << "repeats " << repeats;
        }
    }
}

TEST(AddKeyToHotkeyText, NeedsAModifierAndANamedKeyAndReplacesAnEarlierKeyName) {
    const struct {
        const char* text;
        std::uint32_t key;
        bool ignored, complete;
        const char* after;
    } cases[] = {{"", 'K', true, false, ""},
                 {"ctrl + ", 'L', true, false, "ctrl + "},
                 {"CTRL", 'L', true, false, "CTRL"},
                 {"CONTROL + ", 'X', false, true, "CONTROL + X"},
                 {"CTRL + ", 0x100, true, false, "CTRL + "},
                 {"CTRL + ", 0x82, false, true, "CTRL + \xE2\x80\x9A"},
                 {"CTRL + K", 'L', false, true, "CTRL + L"},
                 {"CTRL + [LARROW]", 0x70, false, true, "CTRL + F1"},
                 {"ALT + CTRL + +", 'A', false, true, "ALT + CTRL + A"},
                 {"CTRL + K", kAlt, false, false, "ALT + CTRL + K"},
                 {"CTRL + K", kCtrl, false, false, "CTRL + K"},
                 {"ALT + ", kShift, false, false, "SHIFT + ALT + "}};
    for (const auto& c : cases) {
        const HotkeyTextStep step = AddKeyToHotkeyText(c.text, c.key, kCodePage);
        EXPECT_EQ(step.Text + "|" + std::to_string(step.Ignored) + std::to_string(step.Complete),
                  c.after + ("|" + std::to_string(c.ignored) + std::to_string(c.complete)))
            << c.text << " / " << c.key;
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

// What keys type with AltGr (and Shift): German @, µ and \ and Polish ą and Ą in one layout.
class TableLayout final : public KeyboardLayout {
  public:
    std::optional<std::string> AltGrText(std::uint32_t keyCode, bool shift) const override {
        const auto found = table_.find({keyCode, shift});
        return found == table_.end() ? std::nullopt : std::optional(found->second);
    }

  private:
    std::map<std::pair<std::uint32_t, bool>, std::string> table_ = {{{'Q', false}, "@"},
                                                                    {{'M', false}, "µ"},
                                                                    {{0xDB, false}, "\\"},
                                                                    {{'A', false}, "ą"},
                                                                    {{'A', true}, "Ą"}};
};

TEST(AltGrTip, MarksTheCtrlAltHotkeysThatTakeACharacterOfTheLayout) {
    enum { None, Accepted, Refused };
    const struct {
        const char* hotkey;
        int held;
        const char* named;  // what the tip says the hotkey is and types; null: no tip
    } cases[] = {
        {"CTRL + ALT + Q", Accepted, R"(CTRL + ALT + Q is AltGr+Q, which types "@")"},
        // Disabled hotkeys take the character again when they are enabled.
        {"ALT + CTRL + M", None, R"(ALT + CTRL + M is AltGr+M, which types "µ")"},
        {"CONTROL + ALT + Û", Accepted, R"(CONTROL + ALT + Û is AltGr+Û, which types "\")"},
        {"SHIFT + CTRL + ALT + A", Accepted, R"(AltGr+Shift+A, which types "Ą")"},
        {"SHIFT + CTRL + ALT + Q", Accepted, nullptr},
        {"WIN + CTRL + ALT + Q", Accepted, nullptr},
        {"CTRL + Q", Accepted, nullptr},
        // Another owner holds the combination, so this row takes nothing away.
        {"CTRL + ALT + Q", Refused, nullptr},
        {"CTRL + ALT + Z", Accepted, nullptr},
        {"", None, nullptr}};
    for (const auto& c : cases) {
        ActionRecord row;
        row.Hotkey = c.hotkey;
        row.Registration = {c.held != None, c.held == Accepted};
        const std::string tip = AltGrTip(row, TableLayout(), kCodePage);
        EXPECT_TRUE(c.named ? tip.find(c.named) != std::string::npos : tip.empty()) << tip;
    }
    ActionRecord row;
    row.Hotkey = "CTRL + ALT + Q";
    EXPECT_EQ(AltGrTip(row, TableLayout(), kCodePage),
              R"(On this keyboard, CTRL + ALT + Q is AltGr+Q, which types "@". )"
              R"(While this hotkey is set, "@" cannot be typed.)");
}

}  // namespace
}  // namespace tessarin
