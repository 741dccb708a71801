#pragma once

// Owners for the system's handles: each kind is a unique_ptr whose deleter is the one call that
// gives that kind back, so no path (an early return, an exception, a failed Create) can leak
// one or give it back twice.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <type_traits>

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

}  // namespace tessarin::win32
