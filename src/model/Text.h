#pragma once

#include <string>
#include <string_view>

// The small text rules the whole program shares. Blanks are spaces only: a tab or a line break
// is part of a key name, a path or a stored value.
namespace tessarin {

// The text without leading and trailing blanks.
std::string_view TrimBlanksView(std::string_view text);
std::string TrimBlanks(std::string_view text);
// True when the text is empty or holds nothing but blanks.
bool IsBlank(std::string_view text);
// The text up to its first NUL, as the system's fixed buffers hand it over.
std::string TrimAtNull(std::string_view text);
// The text with every double quote removed.
std::string WithoutQuotes(std::string_view text);
// Every pair of adjacent double quotes becomes one, scanning left to right.
std::string CollapseDoubledQuotes(std::string_view text);
// Whether the text holds the needle, ASCII letters compared without regard to case.
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view needle);

}  // namespace tessarin
