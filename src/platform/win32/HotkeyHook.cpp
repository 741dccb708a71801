#include "platform/win32/HotkeyHook.h"

#include <commctrl.h>

namespace tessarin::win32 {
namespace {

constexpr UINT_PTR kHotkeySubclassId = 0x484B;

}  // namespace

LRESULT CALLBACK HotkeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR refData) noexcept {
    if (message == WM_HOTKEY) {
        auto* hotkeys = reinterpret_cast<Hotkeys*>(refData);
        try {
            // The id travels in the low 32 bits of wParam; atom ids are negative.
            hotkeys->DoHotkey(static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam)));
        } catch (...) {
            // An action that failed must not take the message loop down with it.
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

bool HookHotkeys(HWND window, Hotkeys& hotkeys) {
    return SetWindowSubclass(window, HotkeyWindowProc, kHotkeySubclassId,
                             reinterpret_cast<DWORD_PTR>(&hotkeys)) != FALSE;
}

void UnhookHotkeys(HWND window) {
    RemoveWindowSubclass(window, HotkeyWindowProc, kHotkeySubclassId);
}

}  // namespace tessarin::win32
