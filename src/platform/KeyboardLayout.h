#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessarin {

// The keyboard layout the user types with now. On many layouts AltGr is Ctrl+Alt, so a hotkey on
// Ctrl+Alt takes away whatever character that AltGr combination types.
class KeyboardLayout {
  public:
    virtual ~KeyboardLayout() = default;
    // The text, in UTF-8, that the key types with AltGr (and Shift); none when it types nothing,
    // only a control character, or starts a dead key.
    virtual std::optional<std::string> AltGrText(std::uint32_t keyCode, bool shift) const = 0;
};

}  // namespace tessarin
