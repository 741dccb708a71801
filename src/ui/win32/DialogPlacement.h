#pragma once

#include <windows.h>

namespace tessarin::win32 {

// Twips, the unit the windows are designed in, to pixels at a DPI.
inline int ToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

// Sizes a dialog so that its client area is the given twips at the DPI, and places it: where the
// system suggests after a DPI change, otherwise centred on its visible owner, or on the work area
// of its monitor when the owner is hidden (the program may be in the notification area).
void PlaceDialog(HWND dialog, HWND owner, int clientWidthTwips, int clientHeightTwips, UINT dpi,
                 const RECT* suggested);

}  // namespace tessarin::win32
