#include "ui/win32/AboutDialog.h"

#include "Version.h"

namespace tessarin::win32 {
namespace {

constexpr DialogControl kControls[] = {
    Label(100, kProgramTitle, {255, 315, 4215, 330}, SS_CENTER),
    Label(101, "System-wide hotkeys for everyday actions.", {255, 735, 4215, 540}, SS_CENTER),
    PushButton(IDOK, "OK", {1710, 1650, 1305, 375}),
};

}  // namespace

AboutDialog::AboutDialog() : DialogWindow(kControls, 4725, 2265) {}

void AboutDialog::Show(HWND owner) {
    AboutDialog dialog;
    dialog.RunModal(owner, "About Tessarin", ModalTo::Owner);
}

void AboutDialog::Created() {
    SetFocus(Control(IDOK));
}

// The OK button answers to Enter and Escape alike, and so does the close box.
void AboutDialog::Command(int id, int) {
    if (id == IDOK || id == IDCANCEL) {
        End();
    }
}

}  // namespace tessarin::win32
