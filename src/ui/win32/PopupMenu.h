#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "platform/win32/Handles.h"
#include "ui/PopupMenuModel.h"

namespace tessarin::win32 {

// Command ids of the popup's items; entry j has kPopupFirstEntryId + j - 1.
inline constexpr UINT kPopupConfigureId = 1;
inline constexpr UINT kPopupToggleId = 2;
inline constexpr UINT kPopupExitId = 3;
inline constexpr UINT kPopupFirstEntryId = 100;

// The three entry pictures, drawn for one DPI: 16 by 16 pixels at 96 DPI.
class PopupBitmaps {
  public:
    explicit PopupBitmaps(UINT dpi);

    HBITMAP Get(PopupBitmap which) const;
    // Whether an owner-drawn menu picture is one of these; its item data is the bitmap.
    bool Owns(ULONG_PTR itemData) const;
    UINT Dpi() const { return dpi_; }
    int Size() const { return size_; }

  private:
    UINT dpi_;
    int size_;
    std::array<UniqueBitmap, 3> bitmaps_;
};

// The popup as a menu of its own. The bitmaps must outlive it. The entry
// pictures are drawn by the menu's owner window, which passes WM_MEASUREITEM and WM_DRAWITEM
// to the two functions below: a menu that draws a 32-bit picture itself does not blend it
// everywhere, and its transparent corners then show black.
UniqueMenu CreateTrayPopupMenu(const PopupMenuContent& content, const PopupBitmaps& bitmaps);

// True when the message was about one of these pictures and has been answered.
bool MeasurePopupBitmap(const PopupBitmaps& bitmaps, MEASUREITEMSTRUCT& item);
bool DrawPopupBitmap(const PopupBitmaps& bitmaps, const DRAWITEMSTRUCT& item);

// A caption as menu text: an ampersand would otherwise underline the next character and vanish,
// and URLs and paths often hold one.
std::wstring MenuText(std::string_view caption);

}  // namespace tessarin::win32
