#include "platform/Windows1252CodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessarin {
namespace {

const Windows1252CodePage kPage;

struct ByteCase {
    unsigned char Byte;
    std::string Utf8;
};

// Bytes and their characters, both directions.
TEST(Windows1252CodePage, ConvertsEachByteToItsCharacterAndBack) {
    const std::vector<ByteCase> cases = {
        {0x00, std::string(1, '\0')},
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0x80, "€"},
        {0x82, "‚"},
        {0x9F, "Ÿ"},
        {0xA0, "\xC2\xA0"},
        {0xE9, "é"},
        {0xFF, "ÿ"},
        // Unassigned in the page, kept as the C1 control of the same value.
        {0x81, "\xC2\x81"},
        {0x9D, "\xC2\x9D"},
    };
    for (const ByteCase& c : cases) {
        EXPECT_EQ(kPage.FromAnsi(c.Byte), c.Utf8) << int{c.Byte};
        EXPECT_EQ(kPage.ToAnsi(c.Utf8), std::string(1, static_cast<char>(c.Byte))) << int{c.Byte};
    }
}

struct TextCase {
    std::string Utf8;
    std::string Ansi;
};

TEST(Windows1252CodePage, ReplacesWhatThePageLacksAndEveryMalformedByte) {
    const std::vector<TextCase> cases = {
        {"", ""},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"aé€b",
         "a\xE9\x80"
         "b"},
        // Characters outside the page, one '?' per UTF-16 unit, no best-fit look-alikes.
        {"Ā∞ł", "???"},  // which a best-fit mapping makes "A8l"
        {"中", "?"},
        {"a中文b", "a??b"},
        {"😀", "??"},
        {"\xC2\x80", "?"},  // U+0080: a C1 control that 0x80 does not stand for
        // Malformed UTF-8: one '?' for every byte that is not part of a whole sequence.
        {"\xFF", "?"},
        {"\xE9t\xE9", "?t?"},
        {"\xE2\x82"
         "A",
         "??A"},
        {"\xE2\x82\xAC\xE2", "\x80?"},
        {"\xC0\xAF", "??"},            // overlong '/'
        {"\xED\xA0\x80", "???"},       // a surrogate
        {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
        {"\xF0\x9F\x98", "???"},       // a truncated four-byte sequence
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(kPage.ToAnsi(c.Utf8), c.Ansi) << c.Utf8;
    }
}

}  // namespace
}  // namespace tessarin
