#include "ui/win32/AboutDialog.h"

#include "ui/win32/DialogTemplate.h"

namespace tessarin::win32 {
namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void AboutDialog::Show(HWND owner) {
    DialogTemplate dialog(L"About Tessarin", 180, 86, 0);
    dialog.AddControl(L"STATIC", L"Tessarin v1.36", 100, 10, 12, 160, 12, SS_CENTER);
    dialog.AddControl(L"STATIC", L"System-wide hotkeys for everyday actions.", 101, 10, 28, 160, 20,
                      SS_CENTER);
    // The OK button answers to Enter and Escape alike.
    dialog.AddControl(L"BUTTON", L"OK", IDOK, 65, 62, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, AboutProc, 0);
}

}  // namespace tessarin::win32
