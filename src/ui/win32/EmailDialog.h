#pragma once

#include <windows.h>

#include <string>

#include "platform/SettingsStore.h"
#include "ui/win32/DialogWindow.h"

namespace tessarin::win32 {

// Asks for the receiver of a "Send Email Dialog" action, offering the remembered ones. A new
// receiver is remembered in the settings store; "Remove Email" forgets the one in the edit field
// after asking. Modal to every window of the program.
class EmailDialog final : private DialogWindow {
  public:
    static constexpr int kLabel1Id = 100;
    static constexpr int kComboEmailId = 101;
    static constexpr int kCommand1Id = 102;
    static constexpr int kOKButtonId = IDOK;
    static constexpr int kCancelButtonId = IDCANCEL;

    explicit EmailDialog(SettingsStore& store);

    // Returns when the window has closed: the receiver, or empty when the prompt was cancelled
    // or closed. A prompt already showing is brought to the front and this call answers empty:
    // a nested e-mail action must not write to a receiver the user did not choose for it.
    std::string ShowModal(HWND owner);

  private:
    void Shown() override;
    void Command(int id, int notification) override;
    void LoadEmailList();
    void RemoveEmail();

    SettingsStore& store_;
    std::string answer_;
};

}  // namespace tessarin::win32
