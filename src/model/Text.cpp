#include "model/Text.h"

#include <algorithm>
#include <iterator>

namespace tessarin {

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view TrimBlanksView(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        // Empty, yet still pointing into the text, as a number parser expects.
        return text.substr(text.size());
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string TrimBlanks(std::string_view text) {
    return std::string(TrimBlanksView(text));
}

bool IsBlank(std::string_view text) {
    return TrimBlanksView(text).empty();
}

std::string TrimAtNull(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string WithoutQuotes(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result),
                 [](char c) { return c != '"'; });
    return result;
}

std::string CollapseDoubledQuotes(std::string_view text) {
    std::string collapsed;
    collapsed.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        collapsed += text[i];
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            ++i;
        }
    }
    return collapsed;
}

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view needle) {
    const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
    return found != text.end();
}

}  // namespace tessarin
