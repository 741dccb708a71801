#pragma once

#include <windows.h>

#include "hotkeys/Hotkeys.h"

namespace tessarin::win32 {

// Chains the hotkey window procedure onto a window: WM_HOTKEY reaches DoHotkey, and every
// message, WM_HOTKEY included, then goes on to the window's own procedure.
bool HookHotkeys(HWND window, Hotkeys& hotkeys);
void UnhookHotkeys(HWND window);

LRESULT CALLBACK HotkeyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclassId, DWORD_PTR refData) noexcept;

}  // namespace tessarin::win32
