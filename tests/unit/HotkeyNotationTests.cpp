#include "hotkeys/HotkeyNotation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

constexpr std::uint32_t kShift = 16;
constexpr std::uint32_t kCtrl = 17;
constexpr std::uint32_t kAlt = 18;
constexpr std::uint32_t kLeftWin = 91;
constexpr std::uint32_t kRightWin = 92;

bool IsModifierKey(std::uint32_t key) {
    return key == kShift || key == kCtrl || key == kAlt || key == kLeftWin || key == kRightWin;
}

const Windows1252CodePage kCodePage;

std::optional<ParsedHotkey> Hotkey(std::uint32_t modifiers, std::uint32_t key) {
    return ParsedHotkey{modifiers, key};
}

struct ParseCase {
    std::string Text;
    std::optional<ParsedHotkey> Expected;
};

TEST(ParseHotkeyText, ParsesEachTextToItsFlagsAndKey) {
    const std::vector<ParseCase> cases = {
        {"CTRL + ALT + K", Hotkey(3, 0x4B)},
        {"ALT + CTRL + F5", Hotkey(3, 0x74)},
        {"WIN + SHIFT + [LARROW]", Hotkey(12, 0x25)},
        {"CONTROL + X", Hotkey(2, 0x58)},
        {"SHIFT + a", Hotkey(4, 0x61)},
        {"SHIFT + ALT + CTRL + .", Hotkey(7, 0x2E)},
        {"CTRL + |", Hotkey(2, 0x7C)},
        {"WIN + CTRL + [DARROW]", Hotkey(10, 0x28)},
        {"null", std::nullopt},
        {"ctrl + k", std::nullopt},
        {"", std::nullopt},
        {"CTRL+K", std::nullopt},
        {"CTRL + ", std::nullopt},
        // Plain substring tests on the modifier part.
        {"WINDOW + X", Hotkey(8, 0x58)},
        {"ALTCTRLSHIFTWIN + Z", Hotkey(15, 0x5A)},
        {"CONTROL + CTRL + X", Hotkey(2, 0x58)},
        // Only what precedes the last " + " is the modifier part.
        {"K + CTRL", std::nullopt},
        {"CTRL + ALT", Hotkey(2, 0x41)},
        // The key part starts two characters after the last plus sign.
        {"CTRL + A+B", std::nullopt},
        {"CTRL + A+BC", Hotkey(2, 0x43)},
        {"CTRL + +", std::nullopt},
        // Blanks around either part are trimmed; other white space is not.
        {"  CTRL  + K ", Hotkey(2, 0x4B)},
        {"CTRL +   F1  ", Hotkey(2, 0x70)},
        {"CTRL + \tK", Hotkey(2, 0x09)},
        {"\tCTRL + K", Hotkey(2, 0x4B)},
        // The space bar's name is a blank and leaves no key.
        {"CTRL +  ", std::nullopt},
        // Key names from the table are exact and case-sensitive; other text gives its first byte.
        {"CTRL + F13", Hotkey(2, 0x46)},
        {"CTRL + f1", Hotkey(2, 0x66)},
        {"CTRL + [larrow]", Hotkey(2, 0x5B)},
        {"CTRL + KEY", Hotkey(2, 0x4B)},
        // The first byte in the code page, not of the UTF-8 text.
        {"CTRL + é", Hotkey(2, 0xE9)},
        {"CTRL + €", Hotkey(2, 0x80)},
        {"CTRL + 中", Hotkey(2, 0x3F)},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(ParseHotkeyText(c.Text, kCodePage), c.Expected) << '"' << c.Text << '"';
    }
}

struct PressCase {
    std::vector<std::uint32_t> Keys;  // the last one completes the combination
    std::string Expected;
};

// Each key in turn, every modifier's key-down repeated `repeats` times as a held key does.
HotkeyTextStep Press(const std::vector<std::uint32_t>& keys, int repeats) {
    HotkeyTextStep step;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool last = i + 1 == keys.size();
        for (int r = 0; r < (last ? 1 : repeats); ++r) {
            step = AddKeyToHotkeyText(step.Text, keys[i], kCodePage);
            if (!last) {
                EXPECT_FALSE(step.Complete) << step.Text;
                EXPECT_FALSE(step.Ignored) << step.Text;
            }
        }
    }
    return step;
}

TEST(AddKeyToHotkeyText, BuildsTheTextFromTheKeysPressedInOrder) {
    const std::vector<PressCase> cases = {
        {{kCtrl, 0x4B}, "CTRL + K"},
        {{kCtrl, kAlt, 0x4B}, "ALT + CTRL + K"},
        {{kAlt, kCtrl, 0x4B}, "ALT + CTRL + K"},
        {{kShift, kAlt, 0x74}, "SHIFT + ALT + F5"},
        {{kCtrl, kAlt, kShift, 0x2E}, "SHIFT + ALT + CTRL + ."},
        {{kShift, kCtrl, kAlt, 0x51}, "SHIFT + CTRL + ALT + Q"},
        {{kCtrl, kLeftWin, 0x28}, "WIN + CTRL + [DARROW]"},
        {{kRightWin, kShift, 0x31}, "WIN + SHIFT + 1"},
        {{kLeftWin, kRightWin, 0x31}, "WIN + 1"},
        {{kLeftWin, kShift, kAlt, 0x25}, "WIN + SHIFT + ALT + [LARROW]"},
        {{kAlt, 0x61}, "ALT + a"},
        {{kCtrl, 0x7C}, "CTRL + |"},
        {{kCtrl, 0x80}, "CTRL + €"},
        {{kCtrl, 0xE9}, "CTRL + é"},
    };
    for (const PressCase& c : cases) {
        for (const int repeats : {1, 3}) {
            const HotkeyTextStep step = Press(c.Keys, repeats);
            EXPECT_EQ(step.Text, c.Expected) << "repeats " << repeats;
            EXPECT_TRUE(step.Complete) << c.Expected;
            EXPECT_FALSE(step.Ignored) << c.Expected;
        }
    }
}

// The names of the key table, in both directions.
TEST(HotkeyNotation, NamesEveryFunctionKeyAndArrowBothWays) {
    std::vector<std::pair<std::string, std::uint32_t>> names = {
        {"[LARROW]", 37}, {"[UARROW]", 38}, {"[RARROW]", 39}, {"[DARROW]", 40}};
    for (std::uint32_t n = 1; n <= 12; ++n) {
        names.push_back({"F" + std::to_string(n), 111 + n});
    }
    for (const auto& [name, key] : names) {
        EXPECT_EQ(AddKeyToHotkeyText("SHIFT + ", key, kCodePage).Text, "SHIFT + " + name);
        EXPECT_EQ(ParseHotkeyText("ALT + " + name, kCodePage), Hotkey(1, key)) << name;
    }
}

struct StepCase {
    std::string Text;
    std::uint32_t Key;
    HotkeyTextStep Expected;
};

TEST(AddKeyToHotkeyText, IgnoresKeysWithoutAModifierAndReplacesAnEarlierKeyName) {
    const std::vector<StepCase> cases = {
        // No modifier word held: nothing happens.
        {"", 0x4B, {true, false, ""}},
        {"K", 0x4C, {true, false, "K"}},
        {"ctrl + ", 0x4C, {true, false, "ctrl + "}},
        {"CTRL", 0x4C, {true, false, "CTRL"}},
        // The parse's spelling counts as held.
        {"CONTROL + ", 0x58, {false, true, "CONTROL + X"}},
        // Beyond the 0 to 255 range there is no character to name the key.
        {"CTRL + ", 0x100, {true, false, "CTRL + "}},
        // A key name already there goes; the words stay.
        {"CTRL + K", 0x4C, {false, true, "CTRL + L"}},
        {"CTRL + [LARROW]", 0x70, {false, true, "CTRL + F1"}},
        {"ALT + CTRL + +", 0x41, {false, true, "ALT + CTRL + A"}},
        // A modifier after a key name still only adds its word.
        {"CTRL + K", kAlt, {false, false, "ALT + CTRL + K"}},
        {"CTRL + K", kCtrl, {false, false, "CTRL + K"}},
    };
    for (const StepCase& c : cases) {
        const HotkeyTextStep step = AddKeyToHotkeyText(c.Text, c.Key, kCodePage);
        EXPECT_EQ(step.Text, c.Expected.Text) << c.Text << " / " << c.Key;
        EXPECT_EQ(step.Ignored, c.Expected.Ignored) << c.Text << " / " << c.Key;
        EXPECT_EQ(step.Complete, c.Expected.Complete) << c.Text << " / " << c.Key;
    }
}

// Windows-1252 with one byte taken out, as a page with holes would have.
class PageWithoutByte final : public CodePage {
  public:
    explicit PageWithoutByte(unsigned char missing) : missing_(missing) {}
    std::string ToAnsi(std::string_view utf8) const override { return page_.ToAnsi(utf8); }
    std::string FromAnsi(unsigned char code) const override {
        return code == missing_ ? std::string{} : page_.FromAnsi(code);
    }

  private:
    Windows1252CodePage page_;
    unsigned char missing_;
};

TEST(AddKeyToHotkeyText, IgnoresAKeyThatHasNoCharacterInTheCodePage) {
    const PageWithoutByte page(0x81);
    const HotkeyTextStep missing = AddKeyToHotkeyText("CTRL + ", 0x81, page);
    EXPECT_TRUE(missing.Ignored);
    EXPECT_FALSE(missing.Complete);
    EXPECT_EQ(missing.Text, "CTRL + ");

    const HotkeyTextStep present = AddKeyToHotkeyText("CTRL + ", 0x82, page);
    EXPECT_TRUE(present.Complete);
    EXPECT_EQ(present.Text, "CTRL + \xE2\x80\x9A");
}

// Every combination the capture can build parses back to what was held and pressed, except the
// keys whose one-character name the parse trims or skips: the space bar (a blank) and the key
// named by the plus sign, which the parse takes for the separator's.
TEST(HotkeyNotation, EveryCapturedCombinationParsesBackExceptBlankAndPlus) {
    struct Held {
        std::vector<std::uint32_t> Keys;
        std::uint32_t Flags;
    };
    const std::vector<Held> holds = {
        {{kAlt}, kModAlt},
        {{kRightWin}, kModWin},
        {{kLeftWin, kShift}, kModWin | kModShift},
        {{kCtrl, kLeftWin, kAlt, kShift}, kModControl | kModWin | kModAlt | kModShift},
    };
    for (const Held& held : holds) {
        std::set<std::uint32_t> lost;
        for (std::uint32_t key = 0; key <= 0xFF; ++key) {
            std::vector<std::uint32_t> keys = held.Keys;
            keys.push_back(key);
            const HotkeyTextStep step = Press(keys, 1);
            if (IsModifierKey(key)) {
                EXPECT_FALSE(step.Complete) << key;
                continue;
            }
            ASSERT_TRUE(step.Complete) << key;
            if (ParseHotkeyText(step.Text, kCodePage) != Hotkey(held.Flags, key)) {
                lost.insert(key);
            }
        }
        EXPECT_EQ(lost, (std::set<std::uint32_t>{0x20, 0x2B})) << "flags " << held.Flags;
    }
}

}  // namespace
}  // namespace tessarin
