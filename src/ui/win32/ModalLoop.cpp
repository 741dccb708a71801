#include "ui/win32/ModalLoop.h"

namespace tessarin::win32 {

void RunModalLoop(HWND dialog, HWND owner, const std::function<bool()>& finished,
                  const std::function<void()>& onQuit,
                  const std::function<bool(const MSG&)>& dialogKeys) {
    const bool ownerWasEnabled = owner != nullptr && EnableWindow(owner, FALSE) == FALSE;
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);

    MSG message{};
    while (!finished()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
            }
            onQuit();
            break;
        }
        if ((!dialogKeys || dialogKeys(message)) && IsDialogMessageW(dialog, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
}

}  // namespace tessarin::win32
