#include "platform/win32/Win32CodePage.h"

#include <windows.h>

#include <climits>
#include <cstddef>

namespace tessarin::win32 {

namespace {

std::wstring WideFrom(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int inLength = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(codePage, flags, text.data(), inLength, nullptr, 0);
    if (wideLength <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    const int written =
        MultiByteToWideChar(codePage, flags, text.data(), inLength, wide.data(), wideLength);
    wide.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return wide;
}

std::string NarrowFrom(UINT codePage, DWORD flags, std::wstring_view wide) {
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int inLength = static_cast<int>(wide.size());
    const int narrowLength =
        WideCharToMultiByte(codePage, flags, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    const int written = WideCharToMultiByte(codePage, flags, wide.data(), inLength, narrow.data(),
                                            narrowLength, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return narrow;
}

}  // namespace

std::string Win32CodePage::ToAnsi(std::string_view utf8) const {
    // Malformed UTF-8 arrives as U+FFFD, which no ANSI page holds, so it ends up as the default
    // character like any other missing one. Best-fit is off: a character the page lacks must
    // become '?', not a look-alike that names a different key.
    return NarrowFrom(CP_ACP, WC_NO_BEST_FIT_CHARS, WideFrom(CP_UTF8, 0, utf8));
}

std::string Win32CodePage::FromAnsi(unsigned char code) const {
    // A lead byte of a double-byte page is no character on its own; without the error flag it
    // would come back as the page's default character and name the wrong key.
    const char byte = static_cast<char>(code);
    return NarrowFrom(CP_UTF8, 0,
                      WideFrom(CP_ACP, MB_ERR_INVALID_CHARS, std::string_view(&byte, 1)));
}

}  // namespace tessarin::win32
