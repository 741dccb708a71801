#include "model/ActionData.h"

#include <cstddef>

#include "model/Text.h"
#include "model/Utf8.h"

namespace tessarin {

namespace {

constexpr char kQuote = '"';

}  // namespace

std::string JoinActionData(std::string_view command, std::string_view parameters) {
    // The editor wraps program paths in quotes even when the user already typed them.
    std::string data = CollapseDoubledQuotes(command);
    data += ' ';
    data += parameters;
    return data;
}

SplitData SplitActionData(std::string_view data) {
    SplitData split;
    // A quote can never be a UTF-8 continuation byte, so the byte search finds characters.
    const std::size_t quote = data.empty() ? std::string_view::npos : data.find(kQuote, 1);
    if (quote == std::string_view::npos) {
        split.Command = WithoutQuotes(data);
        return split;
    }
    split.Command = std::string(data.substr(0, quote + 1));
    // The separator is assumed rather than checked: whatever follows the quote is dropped.
    const std::size_t separator = quote + 1;
    if (separator < data.size()) {
        split.Parameters =
            std::string(data.substr(separator + Utf8CharacterLength(data, separator)));
    }
    return split;
}

}  // namespace tessarin
