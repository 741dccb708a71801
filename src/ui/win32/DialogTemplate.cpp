#include "ui/win32/DialogTemplate.h"

#include <cstring>

namespace tessarin::win32 {

DialogTemplate::DialogTemplate(const std::wstring& caption) {
    DLGTEMPLATE header{};
    header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    // The header, no menu, the default window class, then the caption with its terminator.
    words_.resize(sizeof(header) / sizeof(WORD) + 2 + caption.size() + 1);
    std::memcpy(words_.data(), &header, sizeof(header));
    std::memcpy(words_.data() + sizeof(header) / sizeof(WORD) + 2, caption.c_str(),
                (caption.size() + 1) * sizeof(wchar_t));
}

}  // namespace tessarin::win32
