#pragma once

// Owners for the system's handles: each kind is a unique_ptr whose deleter is the one call that
// gives that kind back, so no path (an early return, an exception, a failed Create) can leak
// one or give it back twice.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace tessarin::win32 {

namespace handles {

// A deleter that calls `Release` on the handle; unique_ptr never calls it for a null one.
template <typename Handle, auto Release>
struct Deleter {
    using pointer = Handle;
    void operator()(Handle handle) const noexcept { Release(handle); }
};

inline void CloseKernelHandle(HANDLE handle) noexcept {
    CloseHandle(handle);
}
inline void DeleteGdiObject(HGDIOBJ object) noexcept {
    DeleteObject(object);
}
inline void DestroyIconHandle(HICON icon) noexcept {
    DestroyIcon(icon);
}
inline void DestroyImageListHandle(HIMAGELIST list) noexcept {
    ImageList_Destroy(list);
}
inline void DestroyMenuHandle(HMENU menu) noexcept {
    DestroyMenu(menu);
}
inline void DeleteDeviceContext(HDC dc) noexcept {
    DeleteDC(dc);
}
inline void CloseRegistryKey(HKEY key) noexcept {
    RegCloseKey(key);
}
inline void FreeTaskMemory(void* memory) noexcept {
    CoTaskMemFree(memory);
}

}  // namespace handles

// A kernel object (a mutex, a process, a file). Not for INVALID_HANDLE_VALUE: callers turn that
// into null first.
using UniqueHandle = std::unique_ptr<void, handles::Deleter<HANDLE, handles::CloseKernelHandle>>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>,
                                   handles::Deleter<HFONT, handles::DeleteGdiObject>>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>,
                                     handles::Deleter<HBITMAP, handles::DeleteGdiObject>>;
using UniquePen =
    std::unique_ptr<std::remove_pointer_t<HPEN>, handles::Deleter<HPEN, handles::DeleteGdiObject>>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>,
                                    handles::Deleter<HBRUSH, handles::DeleteGdiObject>>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>,
                                   handles::Deleter<HICON, handles::DestroyIconHandle>>;
using UniqueImageList =
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>,
                    handles::Deleter<HIMAGELIST, handles::DestroyImageListHandle>>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>,
                                   handles::Deleter<HMENU, handles::DestroyMenuHandle>>;
using UniqueDC = std::unique_ptr<std::remove_pointer_t<HDC>,
                                 handles::Deleter<HDC, handles::DeleteDeviceContext>>;
using UniqueKey =
    std::unique_ptr<std::remove_pointer_t<HKEY>, handles::Deleter<HKEY, handles::CloseRegistryKey>>;
// Memory the shell hands out with CoTaskMemAlloc (known-folder paths, item id lists).
template <typename T>
using UniqueTaskMemory = std::unique_ptr<T, handles::Deleter<T*, handles::FreeTaskMemory>>;

// An object selected into a device context for a while: the object of its kind that the context
// held before comes back when this goes. A GDI object cannot be deleted while selected, so
// declare its owner before this.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        // Null when the selection failed (a region, which answers otherwise, is never selected).
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The pen and brush that shapes are drawn with. Each Use selects a new pair, and the pair it
// replaces is freed; at the end the context gets back the pair it had, and the last pair is freed.
class SelectedPenAndBrush {
  public:
    explicit SelectedPenAndBrush(HDC dc) noexcept
        : dc_(dc),
          penSlot_(dc, GetStockObject(NULL_PEN)),
          brushSlot_(dc, GetStockObject(NULL_BRUSH)) {}

    // A solid pen of the width and colour, and a solid brush of the fill or none.
    void Use(int width, COLORREF line, std::optional<COLORREF> fill) noexcept {
        if (UniquePen pen(CreatePen(PS_SOLID, width, line)); pen != nullptr) {
            SelectObject(dc_, pen.get());
            pen_ = std::move(pen);
        }
        UniqueBrush brush(fill ? CreateSolidBrush(*fill) : nullptr);
        if (fill && brush == nullptr) {
            return;
        }
        SelectObject(dc_, brush != nullptr ? brush.get() : GetStockObject(NULL_BRUSH));
        brush_ = std::move(brush);
    }

  private:
    HDC dc_;
    // Declared before the slots, so they are freed after the context has its own pair back.
    UniquePen pen_;
    UniqueBrush brush_;
    SelectedObject penSlot_;
    SelectedObject brushSlot_;
};

}  // namespace tessarin::win32
