#include "platform/win32/MessagePump.h"

#include <windows.h>

namespace tessarin::win32 {

bool PumpPendingMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        if (message.message == WM_QUIT) {
            // Swallowed here, the main loop would never end and leave a process without windows.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

}  // namespace tessarin::win32
