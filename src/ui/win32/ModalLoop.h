#pragma once

#include <windows.h>

#include <functional>

namespace tessarin::win32 {

// Runs a dialog that was created modeless as a modal one: its owner is disabled, and messages
// keep flowing (so hotkeys stay live) until `finished` says so. A WM_QUIT ends the loop early: it
// is posted again for the outer loop and `onQuit` lets the dialog answer as if cancelled.
// `dialogKeys` decides for each message whether the dialog's keyboard navigation may take it.
// The owner is enabled again before this returns, so the activation goes back to it rather than
// to some other program's window when the caller destroys the dialog.
void RunModalLoop(HWND dialog, HWND owner, const std::function<bool()>& finished,
                  const std::function<void()>& onQuit,
                  const std::function<bool(const MSG&)>& dialogKeys = nullptr);

}  // namespace tessarin::win32
