#pragma once

#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace tessarin {

// Western European, the ANSI code page of most Windows installations. Portable, so the core's
// tests and fuzzers see the same key names and query bytes as the program on such a system.
class Windows1252CodePage final : public CodePage {
  public:
    // A character beyond the Basic Multilingual Plane becomes "??", one for each UTF-16 unit, as
    // from the system's conversion. Malformed UTF-8 never stops the conversion: every byte that
    // does not start or continue a well-formed sequence becomes one '?'.
    std::string ToAnsi(std::string_view utf8) const override;
    // Every byte has a character: the five bytes the page leaves unassigned come back as the C1
    // controls of the same value, as the system's table gives them.
    std::string FromAnsi(unsigned char code) const override;
};

}  // namespace tessarin
