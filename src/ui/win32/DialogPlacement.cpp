#include "ui/win32/DialogPlacement.h"

namespace tessarin::win32 {

void PlaceDialog(HWND dialog, HWND owner, int clientWidthTwips, int clientHeightTwips, UINT dpi,
                 const RECT* suggested) {
    RECT frame{0, 0, ToPixels(clientWidthTwips, dpi), ToPixels(clientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)),
                             FALSE, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)),
                             dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT topLeft{};
    if (suggested != nullptr) {
        topLeft = {suggested->left, suggested->top};
    } else {
        RECT around{};
        if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
            GetWindowRect(owner, &around);
        } else {
            MONITORINFO monitor{};
            monitor.cbSize = sizeof(monitor);
            GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
            around = monitor.rcWork;
        }
        topLeft = {around.left + (around.right - around.left - width) / 2,
                   around.top + (around.bottom - around.top - height) / 2};
    }
    SetWindowPos(dialog, nullptr, topLeft.x, topLeft.y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tessarin::win32
