#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "hotkeys/HotkeyCapture.h"
#include "platform/CodePage.h"
#include "ui/win32/DialogWindow.h"

namespace tessarin::win32 {

// "Register Hotkey": records the key combination the user presses for one action, or the wish to
// remove its hotkey. Modal to its owner.
class HotKeyDialog final : private DialogWindow {
  public:
    static constexpr int kLabel1Id = 100;
    static constexpr int kText1Id = 101;
    static constexpr int kCommand1Id = 102;
    // The close box and Escape on a button end the dialog as the button does.
    static constexpr int kCancelButtonId = IDCANCEL;

    explicit HotKeyDialog(const CodePage& codePage);

    // Shows a new dialog with an empty field and returns when it has closed, with its answer
    // (`CapturedHotkey`): empty, "#DEL#" or a combination such as "CTRL + ALT + K". A WM_QUIT
    // that arrives meanwhile ends the dialog as "Cancel" and is posted again for the caller.
    std::string ShowModal(HWND owner);

  private:
    static LRESULT CALLBACK Text1Proc(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData) noexcept;

    void Created() override;
    void Command(int id, int notification) override;
    bool KeepsKeys(HWND control) const override { return control == Control(kText1Id); }
    void Text1KeyDown(std::uint32_t keyCode);
    void Text1KeyUp();
    void EndWhenFinished();

    const CodePage& codePage_;
    std::optional<HotkeyCapture> capture_;
};

}  // namespace tessarin::win32
