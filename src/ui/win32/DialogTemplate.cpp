#include "ui/win32/DialogTemplate.h"

#include <cstring>

namespace tessarin::win32 {

DialogTemplate::DialogTemplate(const std::wstring& title, short width, short height, DWORD style) {
    DLGTEMPLATE header{};
    header.style =
        style | DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    header.cx = width;
    header.cy = height;
    Add(&header, sizeof(header));
    const WORD noMenu = 0;
    const WORD defaultClass = 0;
    Add(&noMenu, sizeof(noMenu));
    Add(&defaultClass, sizeof(defaultClass));
    AddText(title);
    const WORD pointSize = 9;
    Add(&pointSize, sizeof(pointSize));
    AddText(L"Segoe UI");
}

void DialogTemplate::AddControl(const wchar_t* windowClass, const std::wstring& text, WORD id,
                                short x, short y, short width, short height, DWORD style) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = width;
    item.cy = height;
    item.id = id;
    Add(&item, sizeof(item));
    AddText(windowClass);
    AddText(text);
    const WORD noCreationData = 0;
    Add(&noCreationData, sizeof(noCreationData));
    // The header counts its controls.
    reinterpret_cast<DLGTEMPLATE*>(words_.data())->cdit++;
}

const DLGTEMPLATE* DialogTemplate::Get() {
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
}

void DialogTemplate::Align() {
    // Controls start on a DWORD boundary.
    if (words_.size() % 2 != 0) {
        words_.push_back(0);
    }
}

void DialogTemplate::Add(const void* data, std::size_t size) {
    const std::size_t at = words_.size();
    words_.resize(at + (size + 1) / sizeof(WORD));
    std::memcpy(words_.data() + at, data, size);
}

void DialogTemplate::AddText(const std::wstring& text) {
    Add(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

}  // namespace tessarin::win32
