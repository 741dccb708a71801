#pragma once

#include <windows.h>

#include <commctrl.h>

namespace tessarin::win32 {

// The editor's node pictures, drawn rather than loaded so they stay sharp at every DPI.
inline constexpr int kNodeIconCount = 25;

// The side of one node picture in pixels: 16 at 96 DPI.
int NodeIconSize(UINT dpi);

// An image list of kNodeIconCount pictures in the catalogue's icon numbering (number n at index
// n - 1); the caller destroys it. Null when the system runs out of GDI resources.
HIMAGELIST CreateNodeIcons(UINT dpi);

}  // namespace tessarin::win32
