#include "platform/Windows1252CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace tessarin {
namespace {

using namespace std::string_literals;

TEST(Windows1252CodePage, ConvertsEachByteToItsCharacterAndBack) {
    const Windows1252CodePage page;
    // The unassigned 0x81 and 0x9D stay the C1 controls of the same value.
    const std::pair<unsigned char, std::string> cases[] = {
        {0x00, "\0"s},    {0x7F, "\x7F"}, {0x80, "€"},      {0x82, "‚"},     {0x9F, "Ÿ"},
        {0xA0, "\u00A0"}, {0xFF, "ÿ"},    {0x81, "\u0081"}, {0x9D, "\u009D"}};
    for (const auto& [byte, utf8] : cases) {
        EXPECT_EQ(page.FromAnsi(byte), utf8) << int{byte};
        EXPECT_EQ(page.ToAnsi(utf8), std::string(1, static_cast<char>(byte))) << int{byte};
    }
}

// What the page lacks becomes one '?' per UTF-16 unit, with no best-fit look-alikes; malformed
// UTF-8 one '?' for every byte that is not part of a whole sequence.
TEST(Windows1252CodePage, ReplacesWhatThePageLacksAndEveryMalformedByte) {
    // Beyond the page, overlong, a surrogate, above U+10FFFF, no lead byte at all, truncated, a
    // byte that leads nothing.
    const std::pair<std::string, std::string> cases[] = {
        {"a\xE4\xB8\xAD!", "a?!"},    {"\xF0\x9F\x98\x80", "??"},   {"\u0080", "?"},
        {"\xE9t\xE9", "?t?"},         {"\xE2\x82Z", "??Z"},         {"\xC0\xAF", "??"},
        {"\xED\xA0\x80", "???"},      {"\xF4\x90\x80\x80", "????"}, {"\xF0\x9F\x98", "???"},
        {"\xF5\x80\x80\x80", "????"}, {"a\0\xC3\xA9"s, "a\0\xE9"s}, {"\xE2\x82\xAC", "\x80"}};
    for (const auto& [utf8, ansi] : cases) {
        EXPECT_EQ(Windows1252CodePage().ToAnsi(utf8), ansi) << testing::PrintToString(utf8);
    }
}

}  // namespace
}  // namespace tessarin
