// EncodeQuery (the search prompt's query for the URL) and AcceptedSearchQuery on any typed text,
// through the Western European code page.
//
// Invariants: the encoded query holds only ASCII letters and digits and "%XX" escapes with two
// upper-case hex digits; a letter or digit stands only for itself; and undoing the escapes
// gives exactly the text's bytes in the code page, so nothing typed is lost or added. The
// accepted query is empty exactly when only blanks were typed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/Windows1252CodePage.h"
#include "ui/PromptLogic.h"

namespace {

bool IsLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;  // lower case is not what the encoder writes
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessarin;
    const Windows1252CodePage codePage;
    const std::string_view typed = fuzz::AsText(data, size);

    const std::string encoded = EncodeQuery(typed, codePage);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size();) {
        const char c = encoded[i];
        if (IsLetterOrDigit(c)) {
            decoded += c;
            ++i;
            continue;
        }
        FUZZ_CHECK(c == '%');
        FUZZ_CHECK(i + 2 < encoded.size());
        const int high = HexValue(encoded[i + 1]);
        const int low = HexValue(encoded[i + 2]);
        FUZZ_CHECK(high >= 0 && low >= 0);
        const auto byte = static_cast<char>(high * 16 + low);
        // An escape never stands for a letter or digit, which go as they are.
        FUZZ_CHECK(!IsLetterOrDigit(byte));
        decoded += byte;
        i += 3;
    }
    FUZZ_CHECK(decoded == codePage.ToAnsi(typed));

    const std::string accepted = AcceptedSearchQuery(typed, codePage);
    const bool onlyBlanks = typed.find_first_not_of(' ') == std::string_view::npos;
    FUZZ_CHECK(accepted.empty() == onlyBlanks);
    if (!onlyBlanks) {
        FUZZ_CHECK(accepted == encoded);
    }
    return 0;
}
