#include "platform/Windows1252CodePage.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tessarin {

namespace {

// 0x80 to 0x9F, the only range where the page differs from Latin-1. The unassigned bytes 0x81,
// 0x8D, 0x8F, 0x90 and 0x9D keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

constexpr char kDefaultChar = '?';

char32_t CodePointOf(unsigned char code) {
    if (code >= 0x80 && code <= 0x9F) {
        return kHighControls[static_cast<std::size_t>(code - 0x80)];
    }
    return code;
}

// The byte for a code point, or the default character where the page has none. No best-fit
// substitution: "Ā" is not an "A" here.
char ByteOf(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kDefaultChar;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // The page reaches no further than the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct Decoded {
    char32_t CodePoint = 0;
    std::size_t Length = 0;  // 0: the byte at the position starts no well-formed sequence
};

// One well-formed sequence at the start of s, with the ranges that exclude overlong forms,
// surrogates and code points above U+10FFFF.
Decoded DecodeOne(std::string_view s) {
    const auto byteAt = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        if (lead == 0xE0) {
            secondMin = 0xA0;
        } else if (lead == 0xED) {
            secondMax = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        if (lead == 0xF0) {
            secondMin = 0x90;
        } else if (lead == 0xF4) {
            secondMax = 0x8F;
        }
    } else {
        return {};
    }
    if (s.size() < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byteAt(i);
        const unsigned char low = i == 1 ? secondMin : static_cast<unsigned char>(0x80);
        const unsigned char high = i == 1 ? secondMax : static_cast<unsigned char>(0xBF);
        if (next < low || next > high) {
            return {};
        }
        cp = (cp << 6) | (next & 0x3Fu);
    }
    return {cp, length};
}

}  // namespace

std::string Windows1252CodePage::ToAnsi(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const Decoded decoded = DecodeOne(utf8);
        if (decoded.Length == 0) {
            out += kDefaultChar;
            utf8.remove_prefix(1);
        } else {
            out += ByteOf(decoded.CodePoint);
            // The system converts UTF-16 units: both halves of a surrogate pair miss the page.
            if (decoded.CodePoint > 0xFFFF) {
                out += kDefaultChar;
            }
            utf8.remove_prefix(decoded.Length);
        }
    }
    return out;
}

std::string Windows1252CodePage::FromAnsi(unsigned char code) const {
    std::string out;
    AppendUtf8(out, CodePointOf(code));
    return out;
}

}  // namespace tessarin
