#pragma once

#include <cstddef>
#include <string_view>

namespace tessarin {

// Byte length of the UTF-8 character starting at `at` (which must be inside the text). A
// malformed sequence counts only as far as its continuation bytes reach, so dropping "one
// character" never swallows the valid text after a bad byte, nor splits a good one.
constexpr std::size_t Utf8CharacterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t expected = 1;
    if (lead >= 0xC0u && lead < 0xE0u) {
        expected = 2;
    } else if (lead >= 0xE0u && lead < 0xF0u) {
        expected = 3;
    } else if (lead >= 0xF0u && lead < 0xF8u) {
        expected = 4;
    }
    std::size_t length = 1;
    while (length < expected && at + length < text.size() &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0u) == 0x80u) {
        ++length;
    }
    return length;
}

}  // namespace tessarin
