#include "hotkeys/AltGr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FakeKeyboardLayout.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

// Key codes of the German keyboard's ß, + and < keys.
constexpr std::uint32_t kSharpSKey = 0xDB;
constexpr std::uint32_t kPlusKey = 0xBB;
constexpr std::uint32_t kLessKey = 0xE2;

const FakeKeyboardLayout kGerman({{{'Q', false}, "@"},
                                  {{'E', false}, "€"},
                                  {{'7', false}, "{"},
                                  {{'8', false}, "["},
                                  {{'9', false}, "]"},
                                  {{'0', false}, "}"},
                                  {{kSharpSKey, false}, "\\"},
                                  {{kPlusKey, false}, "~"},
                                  {{kLessKey, false}, "|"},
                                  {{'M', false}, "µ"},
                                  {{'2', false}, "²"},
                                  {{'3', false}, "³"}});
const FakeKeyboardLayout kUs(FakeKeyboardLayout::Table{});
// Polish (programmers): AltGr+A and AltGr+Shift+A type different letters.
const FakeKeyboardLayout kPolish({{{'A', false}, "ą"}, {{'A', true}, "Ą"}});

enum class Registration { None, Accepted, Refused };

struct TipCase {
    std::string Hotkey;
    Registration Held;
    const KeyboardLayout* Layout;
    std::string Expected;
};

TEST(AltGrTip, MarksTheCtrlAltHotkeysThatTakeACharacterOfTheLayout) {
    const std::vector<TipCase> cases = {
        {"CTRL + ALT + Q", Registration::Accepted, &kGerman,
         R"(On this keyboard, CTRL + ALT + Q is AltGr+Q, which types "@". )"
         R"(While this hotkey is set, "@" cannot be typed.)"},
        // Disabled hotkeys take the character again when they are enabled.
        {"ALT + CTRL + M", Registration::None, &kGerman,
         R"(On this keyboard, ALT + CTRL + M is AltGr+M, which types "µ". )"
         R"(While this hotkey is set, "µ" cannot be typed.)"},
        {"CONTROL + ALT + Û", Registration::Accepted, &kGerman,
         R"(On this keyboard, CONTROL + ALT + Û is AltGr+Û, which types "\". )"
         R"(While this hotkey is set, "\" cannot be typed.)"},
        {"SHIFT + CTRL + ALT + A", Registration::Accepted, &kPolish,
         R"(On this keyboard, SHIFT + CTRL + ALT + A is AltGr+Shift+A, which types "Ą". )"
         R"(While this hotkey is set, "Ą" cannot be typed.)"},
        {"SHIFT + CTRL + ALT + Q", Registration::Accepted, &kGerman, ""},
        {"WIN + CTRL + ALT + Q", Registration::Accepted, &kGerman, ""},
        {"CTRL + Q", Registration::Accepted, &kGerman, ""},
        {"SHIFT + ALT + Q", Registration::Accepted, &kGerman, ""},
        // Another owner holds the combination, so this row takes nothing away.
        {"CTRL + ALT + Q", Registration::Refused, &kGerman, ""},
        {"CTRL + ALT + A", Registration::Accepted, &kGerman, ""},
        {"CTRL + ALT + Q", Registration::Accepted, &kUs, ""},
        {"", Registration::None, &kGerman, ""},
    };
    const Windows1252CodePage codePage;
    for (const TipCase& c : cases) {
        ActionRecord row;
        row.Hotkey = c.Hotkey;
        row.Registration = {c.Held != Registration::None, c.Held == Registration::Accepted};
        EXPECT_EQ(AltGrTip(row, *c.Layout, codePage), c.Expected) << c.Hotkey;
    }
}

}  // namespace
}  // namespace tessarin
