#pragma once

#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace tessarin::win32 {

// The system's ANSI code page (CP_ACP), whatever the installation has set.
class Win32CodePage final : public CodePage {
  public:
    std::string ToAnsi(std::string_view utf8) const override;
    std::string FromAnsi(unsigned char code) const override;
};

}  // namespace tessarin::win32
