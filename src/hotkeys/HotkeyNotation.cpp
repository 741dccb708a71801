#include "hotkeys/HotkeyNotation.h"

#include <array>
#include <cstddef>

#include "model/Text.h"

namespace tessarin {

namespace {

// Virtual-key codes of the modifier keys; left and right Shift, Ctrl and Alt share one code.
constexpr std::uint32_t kVkShift = 16;
constexpr std::uint32_t kVkControl = 17;
constexpr std::uint32_t kVkAlt = 18;
constexpr std::uint32_t kVkLeftWin = 91;
constexpr std::uint32_t kVkRightWin = 92;

struct NamedKey {
    std::string_view Name;
    std::uint32_t Code;
};

// The keys whose names are not their character in the code page, read in both directions.
constexpr std::array<NamedKey, 16> kNamedKeys = {{
    {"F1", 0x70},
    {"F2", 0x71},
    {"F3", 0x72},
    {"F4", 0x73},
    {"F5", 0x74},
    {"F6", 0x75},
    {"F7", 0x76},
    {"F8", 0x77},
    {"F9", 0x78},
    {"F10", 0x79},
    {"F11", 0x7A},
    {"F12", 0x7B},
    {"[LARROW]", 0x25},
    {"[UARROW]", 0x26},
    {"[RARROW]", 0x27},
    {"[DARROW]", 0x28},
}};

constexpr std::string_view kWinWord = "WIN + ";
constexpr std::string_view kShiftWord = "SHIFT + ";
constexpr std::string_view kCtrlWord = "CTRL + ";
constexpr std::string_view kControlWord = "CONTROL + ";
constexpr std::string_view kAltWord = "ALT + ";

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Empty when the key has no name in the notation.
std::string KeyName(std::uint32_t keyCode, const CodePage& codePage) {
    for (const NamedKey& key : kNamedKeys) {
        if (key.Code == keyCode) {
            return std::string(key.Name);
        }
    }
    if (keyCode > 0xFF) {
        return {};
    }
    return codePage.FromAnsi(static_cast<unsigned char>(keyCode));
}

}  // namespace

std::optional<ParsedHotkey> ParseHotkeyText(std::string_view text, const CodePage& codePage) {
    if (text.empty()) {
        return std::nullopt;
    }

    // Everything before the last separator is the modifier part, so a key name never adds a
    // modifier, while any word that merely contains a modifier word does ("WINDOW" is WIN).
    const std::size_t separator = text.rfind(" + ");
    const std::string_view modifierPart = separator == std::string_view::npos
                                              ? std::string_view{}
                                              : TrimBlanksView(text.substr(0, separator + 1));
    std::uint32_t modifiers = 0;
    if (Contains(modifierPart, "ALT")) {
        modifiers |= kModAlt;
    }
    if (Contains(modifierPart, "CONTROL")) {
        modifiers |= kModControl;
    }
    if (Contains(modifierPart, "CTRL")) {
        modifiers |= kModControl;
    }
    if (Contains(modifierPart, "SHIFT")) {
        modifiers |= kModShift;
    }
    if (Contains(modifierPart, "WIN")) {
        modifiers |= kModWin;
    }
    if (modifiers == 0) {
        return std::nullopt;
    }

    // A modifier part is only found behind a " + ", so a plus sign exists. The key starts two
    // characters after the last one, whatever those two characters are.
    const std::size_t keyStart = text.rfind('+') + 2;
    const std::string_view keyPart =
        keyStart < text.size() ? TrimBlanksView(text.substr(keyStart)) : std::string_view{};

    // The space bar's name is a blank and trims away; the name of the key 0x2B is a plus sign,
    // taken for the separator's. Such an entry has no code, so it registers nothing rather
    // than some other key.
    if (keyPart.empty()) {
        return std::nullopt;
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.Name == keyPart) {
            return ParsedHotkey{modifiers, key.Code};
        }
    }
    const std::string ansi = codePage.ToAnsi(keyPart);
    if (ansi.empty()) {
        return std::nullopt;
    }
    return ParsedHotkey{modifiers, static_cast<unsigned char>(ansi.front())};
}

HotkeyTextStep AddKeyToHotkeyText(std::string_view text, std::uint32_t keyCode,
                                  const CodePage& codePage) {
    HotkeyTextStep step;
    step.Text = std::string(text);
    std::string& built = step.Text;

    // A held key repeats its key-down, so each word is added only once. Where a word goes
    // (front or back) depends on what is already there; the order carries no meaning.
    switch (keyCode) {
        case kVkLeftWin:
        case kVkRightWin:
            if (!Contains(built, kWinWord)) {
                built.insert(0, kWinWord);
            }
            return step;
        case kVkShift:
            if (!Contains(built, kShiftWord)) {
                if (Contains(built, kWinWord)) {
                    built += kShiftWord;
                } else {
                    built.insert(0, kShiftWord);
                }
            }
            return step;
        case kVkControl:
            if (!Contains(built, kCtrlWord)) {
                built += kCtrlWord;
            }
            return step;
        case kVkAlt:
            if (!Contains(built, kAltWord)) {
                if (Contains(built, kShiftWord)) {
                    built += kAltWord;
                } else {
                    built.insert(0, kAltWord);
                }
            }
            return step;
        default:
            break;
    }

    const bool anyModifier = Contains(built, kShiftWord) || Contains(built, kAltWord) ||
                             Contains(built, kCtrlWord) || Contains(built, kControlWord) ||
                             Contains(built, kWinWord);
    // A code with no character in the code page would be stored as a name that parses to some
    // other key, or to none; refusing it keeps the capture from offering a combination that
    // cannot be registered as pressed.
    const std::string name = anyModifier ? KeyName(keyCode, codePage) : std::string{};
    if (name.empty()) {
        step.Ignored = true;
        return step;
    }

    // Any key name already there is replaced; the modifier words stay.
    built.resize(built.rfind("+ ") + 2);
    built += name;
    step.Complete = true;
    return step;
}

}  // namespace tessarin
