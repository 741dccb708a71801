#pragma once

#include <windows.h>

#include "model/AppState.h"
#include "platform/SettingsStore.h"
#include "ui/win32/SearchDialog.h"

namespace tessarin::win32 {

// Asks for the receiver of a "Send Email Dialog" action, offering the remembered ones, and
// leaves it in `sEmailReceiver` (empty when cancelled). A new receiver is remembered in the
// settings store; "Remove Email" forgets the one in the edit field after asking.
class EmailDialog final : private PromptWindow {
  public:
    static constexpr int kLabel1Id = 100;
    static constexpr int kComboEmailId = 101;
    static constexpr int kCommand1Id = 102;
    static constexpr int kOKButtonId = IDOK;
    static constexpr int kCancelButtonId = IDCANCEL;

    EmailDialog(AppState& state, SettingsStore& store);

    // Returns when the window has closed, with `sEmailReceiver` set. A prompt already showing is
    // brought to the front and this call answers with no receiver.
    void ShowModal(HWND owner);

  private:
    void Load() override;
    void Command(int id, int notification) override;
    void Dismissed() override;
    void LoadEmailList();
    void RemoveEmail();

    AppState& state_;
    SettingsStore& store_;
};

}  // namespace tessarin::win32
