#include "hotkeys/AltGr.h"

#include <optional>
#include <string_view>

#include "hotkeys/HotkeyNotation.h"

namespace tessarin {

namespace {

// The name the capture gives the key, so that the tip names it as the Hotkey column does.
std::string KeyName(std::uint32_t keyCode, const CodePage& codePage) {
    constexpr std::string_view kAnyModifier = "CTRL + ";
    const HotkeyTextStep step = AddKeyToHotkeyText(kAnyModifier, keyCode, codePage);
    return step.Complete ? step.Text.substr(kAnyModifier.size()) : std::string{};
}

}  // namespace

std::string AltGrTip(const ActionRecord& row, const KeyboardLayout& layout,
                     const CodePage& codePage) {
    if (row.Registration.Held && !row.Registration.Accepted) {
        return {};
    }
    const std::optional<ParsedHotkey> hotkey = ParseHotkeyText(row.Hotkey, codePage);
    constexpr std::uint32_t kAltGr = kModControl | kModAlt;
    // A hotkey that also needs the Windows key leaves AltGr alone.
    if (!hotkey || (hotkey->Modifiers & (kAltGr | kModWin)) != kAltGr) {
        return {};
    }
    const bool shift = (hotkey->Modifiers & kModShift) != 0;
    const std::optional<std::string> typed = layout.AltGrText(hotkey->KeyCode, shift);
    if (!typed) {
        return {};
    }
    const std::string quoted = '"' + *typed + '"';
    return "On this keyboard, " + row.Hotkey + " is AltGr+" + (shift ? "Shift+" : "") +
           KeyName(hotkey->KeyCode, codePage) + ", which types " + quoted +
           ". While this hotkey is set, " + quoted + " cannot be typed.";
}

}  // namespace tessarin
