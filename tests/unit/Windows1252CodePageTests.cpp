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
        {0x2E, "."},
        {0x41, "A"},
        {0x61, "a"},
        {0x7C, "|"},
        {0x7F, "\x7F"},
        {0x80, "€"},
        {0x82, "‚"},
        {0x8A, "Š"},
        {0x99, "™"},
        {0x9F, "Ÿ"},
        {0xA0, "\xC2\xA0"},
        {0xE9, "é"},
        {0xFF, "ÿ"},
        // Unassigned in the page, kept as the C1 control of the same value.
        {0x81, "\xC2\x81"},
        {0x8D, "\xC2\x8D"},
        {0x8F, "\xC2\x8F"},
        {0x90, "\xC2\x90"},
        {0x9D, "\xC2\x9D"},
    };
    for (const ByteCase& c : cases) {
        EXPECT_EQ(kPage.FromAnsi(c.Byte), c.Utf8) << int{c.Byte};
        EXPECT_EQ(kPage.ToAnsi(c.Utf8), std::string(1, static_cast<char>(c.Byte))) << int{c.Byte};
    }
}

TEST(Windows1252CodePage, EveryByteComesBackAsItself) {
    for (int code = 0; code <= 0xFF; ++code) {
        const auto byte = static_cast<unsigned char>(code);
        EXPECT_EQ(kPage.ToAnsi(kPage.FromAnsi(byte)), std::string(1, static_cast<char>(byte)))
            << code;
    }
}

struct TextCase {
    std::string Utf8;
    std::string Ansi;
};

TEST(Windows1252CodePage, ReplacesWhatThePageLacksAndEveryMalformedByte) {
    const std::vector<TextCase> cases = {
        {"", ""},
        {"abc", "abc"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"aé€b",
         "a\xE9\x80"
         "b"},
        // Characters outside the page, one '?' per UTF-16 unit, no look-alikes.
        {"中", "?"},
        {"a中文b", "a??b"},
        {"😀", "??"},
        {"Ā", "?"},
        {"\xC2\x80", "?"},  // U+0080: a C1 control that 0x80 does not stand for
        {"\xC2\x9F", "?"},
        // Malformed UTF-8: one '?' for every byte that is not part of a whole sequence.
        {"\xFF", "?"},
        {"\x80", "?"},
        {"\xE9t\xE9", "?t?"},
        {"\xE2\x82", "??"},
        {"\xE2\x82"
         "A",
         "??A"},
        {"\xE2\x82\xAC\xE2", "\x80?"},
        {"\xC0\xAF", "??"},            // overlong '/'
        {"\xE0\x80\xAE", "???"},       // overlong '.'
        {"\xED\xA0\x80", "???"},       // a surrogate
        {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
        {"\xF0\x9F\x98", "???"},       // a truncated four-byte sequence
        {"\xF8\x88\x80\x80\x80", "?????"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(kPage.ToAnsi(c.Utf8), c.Ansi) << c.Utf8;
    }
}

std::string EncodeUtf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// The page holds exactly 256 characters: every other code point becomes the default character.
// Without this, a best-fit mapping ("Ā" to "A") would slip through unnoticed.
TEST(Windows1252CodePage, HoldsExactlyTheCharactersOfItsBytes) {
    int held = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        const std::string utf8 = EncodeUtf8(cp);
        const std::string ansi = kPage.ToAnsi(utf8);
        if (cp > 0xFFFF) {
            ASSERT_EQ(ansi, "??") << static_cast<unsigned>(cp);
            continue;
        }
        ASSERT_EQ(ansi.size(), 1u) << static_cast<unsigned>(cp);
        if (ansi != "?" || cp == U'?') {
            ++held;
            EXPECT_EQ(kPage.FromAnsi(static_cast<unsigned char>(ansi[0])), utf8)
                << static_cast<unsigned>(cp);
        }
    }
    EXPECT_EQ(held, 256);
}

}  // namespace
}  // namespace tessarin
