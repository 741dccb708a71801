#pragma once

#include <string>
#include <string_view>

namespace tessarin::win32 {

// The core speaks UTF-8; the W functions speak UTF-16. Convert right at the call.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace tessarin::win32
