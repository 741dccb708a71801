#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/HotkeyPort.h"

namespace tessarin {

struct ParsedHotkey {
    std::uint32_t Modifiers = 0;  // never 0 in a parse result
    std::uint32_t KeyCode = 0;    // virtual-key code, 0 to 255

    friend bool operator==(const ParsedHotkey&, const ParsedHotkey&) = default;
};

// "CTRL + ALT + K" to its modifier flags and virtual-key code; none when the text names no
// modifier or no key.
std::optional<ParsedHotkey> ParseHotkeyText(std::string_view text, const CodePage& codePage);

struct HotkeyTextStep {
    bool Ignored = false;   // the key goes no further; Text is unchanged
    bool Complete = false;  // a key name was appended: the combination is finished
    std::string Text;
};

// The capture rule: the text built so far plus one key that went down.
HotkeyTextStep AddKeyToHotkeyText(std::string_view text, std::uint32_t keyCode,
                                  const CodePage& codePage);

}  // namespace tessarin
