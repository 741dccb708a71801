#pragma once

#include <string>
#include <string_view>

namespace tessarin {

// The system's ANSI code page. Key names of the hotkey notation are single characters of it,
// named by their byte value, so producing and parsing a name must go through the same page.
class CodePage {
  public:
    virtual ~CodePage() = default;
    // The UTF-8 text in the code page. A character the page lacks becomes '?', as the system's
    // own conversion does.
    virtual std::string ToAnsi(std::string_view utf8) const = 0;
    // The UTF-8 form of one byte of the code page; empty where the page has no character there.
    virtual std::string FromAnsi(unsigned char code) const = 0;
};

}  // namespace tessarin
