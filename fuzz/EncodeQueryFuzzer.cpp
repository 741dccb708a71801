// EncodeQuery (the search prompt's query for the URL) and AcceptedSearchQuery on any typed text,
// through the Western European code page.
//
// Invariants: the encoded query holds only ASCII letters and digits, which stand for themselves,
// and "%XX" escapes (upper-case hex) of the other bytes; undoing the escapes gives exactly the
// text's bytes in the code page, so nothing typed is lost or added. The accepted query is
// empty exactly when only blanks were typed, and otherwise the encoded query.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/Windows1252CodePage.h"
#include "ui/PromptLogic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessarin;
    const auto plain = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    const Windows1252CodePage codePage;
    const std::string_view typed = fuzz::AsText(data, size);
    const std::string encoded = EncodeQuery(typed, codePage);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (plain(encoded[i])) {
            decoded += encoded[i];
            continue;
        }
        const std::string hex = encoded.substr(i + 1, 2);
        FUZZ_CHECK(encoded[i] == '%' && hex.size() == 2);
        FUZZ_CHECK(hex.find_first_not_of("0123456789ABCDEF") == std::string::npos);
        decoded += static_cast<char>(std::stoi(hex, nullptr, 16));
        FUZZ_CHECK(!plain(decoded.back()));
        i += 2;
    }
    FUZZ_CHECK(decoded == codePage.ToAnsi(typed));
    const bool onlyBlanks = typed.find_first_not_of(' ') == std::string_view::npos;
    FUZZ_CHECK(AcceptedSearchQuery(typed, codePage) == (onlyBlanks ? "" : encoded));
    return 0;
}
