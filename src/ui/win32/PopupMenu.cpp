#include "ui/win32/PopupMenu.h"

#include <cstdint>
#include <optional>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

// Drawn on this colour, which then becomes transparent; none of the pictures uses it.
constexpr COLORREF kKeyColour = RGB(255, 0, 255);

// Draws on a 16-unit grid scaled to the bitmap's size.
class Sketch {
  public:
    Sketch(HDC dc, int size) : dc_(dc), size_(size), tools_(dc) {}

    int At(int units) const { return MulDiv(units, size_, 16); }

    void Rect(int left, int top, int right, int bottom, COLORREF fill, COLORREF line) const {
        Use(fill, line);
        Rectangle(dc_, At(left), At(top), At(right), At(bottom));
    }
    void Oval(int left, int top, int right, int bottom, COLORREF line) const {
        Use(std::nullopt, line);
        Ellipse(dc_, At(left), At(top), At(right), At(bottom));
    }
    void Disc(int left, int top, int right, int bottom, COLORREF fill, COLORREF line) const {
        Use(fill, line);
        Ellipse(dc_, At(left), At(top), At(right), At(bottom));
    }
    void Line(int x1, int y1, int x2, int y2, COLORREF line) const {
        Use(std::nullopt, line);
        MoveToEx(dc_, At(x1), At(y1), nullptr);
        LineTo(dc_, At(x2), At(y2));
    }

  private:
    void Use(std::optional<COLORREF> fill, COLORREF line) const {
        tools_.Use(size_ >= 32 ? size_ / 16 : 1, line, fill);
    }

    HDC dc_;
    int size_;
    mutable SelectedPenAndBrush tools_;
};

void DrawFolder(const Sketch& s) {
    const COLORREF line = RGB(150, 110, 20);
    s.Rect(1, 3, 7, 6, RGB(225, 180, 60), line);
    s.Rect(1, 5, 15, 14, RGB(250, 210, 90), line);
}

void DrawMonitor(const Sketch& s) {
    const COLORREF line = RGB(60, 60, 60);
    s.Rect(6, 11, 10, 14, RGB(150, 150, 150), line);
    s.Rect(3, 13, 13, 15, RGB(150, 150, 150), line);
    s.Rect(1, 2, 15, 12, RGB(110, 110, 110), line);
    s.Rect(3, 4, 13, 10, RGB(70, 140, 220), RGB(40, 90, 170));
}

void DrawGlobe(const Sketch& s) {
    const COLORREF line = RGB(20, 70, 140);
    s.Disc(1, 1, 15, 15, RGB(90, 160, 230), line);
    s.Oval(5, 1, 11, 15, line);
    s.Line(1, 8, 15, 8, line);
    s.Line(8, 1, 8, 15, line);
}

// A premultiplied 32-bit bitmap, blended onto the menu when an entry is drawn.
UniqueBitmap DrawBitmap(int size, void (*draw)(const Sketch&)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap == nullptr) {
        return nullptr;
    }
    {
        const UniqueDC dc(CreateCompatibleDC(nullptr));
        const SelectedObject canvas(dc.get(), bitmap.get());
        const RECT all{0, 0, size, size};
        const UniqueBrush key(CreateSolidBrush(kKeyColour));
        FillRect(dc.get(), &all, key.get());
        draw(Sketch(dc.get(), size));
        GdiFlush();
    }

    // GDI leaves the alpha byte at zero: everything drawn becomes opaque, the key transparent.
    auto* pixel = static_cast<std::uint32_t*>(bits);
    const std::uint32_t keyPixel = 0x00FF00FF;
    for (int i = 0; i < size * size; ++i, ++pixel) {
        *pixel = (*pixel & 0x00FFFFFF) == keyPixel ? 0 : (*pixel | 0xFF000000);
    }
    return bitmap;
}

void AppendItem(HMENU menu, UINT id, const std::wstring& text, HBITMAP bitmap) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STRING | (bitmap != nullptr ? MIIM_BITMAP | MIIM_DATA : 0u);
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    item.hbmpItem = bitmap != nullptr ? HBMMENU_CALLBACK : nullptr;
    item.dwItemData = reinterpret_cast<ULONG_PTR>(bitmap);
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

void AppendSeparator(HMENU menu) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

}  // namespace

PopupBitmaps::PopupBitmaps(UINT dpi)
    : dpi_(dpi == 0 ? 96 : dpi), size_(MulDiv(16, static_cast<int>(dpi_), 96)) {
    bitmaps_[0] = DrawBitmap(size_, &DrawFolder);
    bitmaps_[1] = DrawBitmap(size_, &DrawMonitor);
    bitmaps_[2] = DrawBitmap(size_, &DrawGlobe);
}

HBITMAP PopupBitmaps::Get(PopupBitmap which) const {
    return bitmaps_[static_cast<std::size_t>(which) - 1].get();
}

bool PopupBitmaps::Owns(ULONG_PTR itemData) const {
    for (const UniqueBitmap& bitmap : bitmaps_) {
        if (bitmap != nullptr && reinterpret_cast<ULONG_PTR>(bitmap.get()) == itemData) {
            return true;
        }
    }
    return false;
}

bool MeasurePopupBitmap(const PopupBitmaps& bitmaps, MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || !bitmaps.Owns(item.itemData)) {
        return false;
    }
    item.itemWidth = static_cast<UINT>(bitmaps.Size());
    item.itemHeight = static_cast<UINT>(bitmaps.Size());
    return true;
}

bool DrawPopupBitmap(const PopupBitmaps& bitmaps, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || !bitmaps.Owns(item.itemData)) {
        return false;
    }
    const int size = bitmaps.Size();
    const RECT& area = item.rcItem;
    const int x = area.left + (area.right - area.left - size) / 2;
    const int y = area.top + (area.bottom - area.top - size) / 2;
    const UniqueDC source(CreateCompatibleDC(item.hDC));
    const SelectedObject picture(source.get(), reinterpret_cast<HBITMAP>(item.itemData));
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(item.hDC, x < area.left ? area.left : x, y, size, size, source.get(), 0, 0, size,
                  size, blend);
    return true;
}

std::wstring MenuText(std::string_view caption) {
    std::wstring text;
    for (wchar_t c : Widen(caption)) {
        text += c;
        if (c == L'&') {
            text += L'&';
        }
    }
    return text;
}

UniqueMenu CreateTrayPopupMenu(const PopupMenuContent& content, const PopupBitmaps& bitmaps) {
    UniqueMenu menu(CreatePopupMenu());
    if (menu == nullptr) {
        return nullptr;
    }
    UINT id = kPopupFirstEntryId;
    for (const PopupEntry& entry : content.Entries) {
        AppendItem(menu.get(), id++, MenuText(entry.Caption), bitmaps.Get(entry.Bitmap));
    }
    AppendSeparator(menu.get());
    AppendItem(menu.get(), kPopupConfigureId, MenuText(kConfigureCaption), nullptr);
    AppendItem(menu.get(), kPopupToggleId, MenuText(content.ToggleCaption), nullptr);
    AppendSeparator(menu.get());
    AppendItem(menu.get(), kPopupExitId, MenuText(kUnloadCaption), nullptr);
    return menu;
}

}  // namespace tessarin::win32
