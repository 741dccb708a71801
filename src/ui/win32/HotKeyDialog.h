#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "hotkeys/HotkeyCapture.h"
#include "platform/CodePage.h"

namespace tessarin::win32 {

// "Register Hotkey": records the key combination the user presses for one action, or the wish to
// remove its hotkey. Modal to its owner, while the thread's other windows keep receiving their
// messages, so hotkeys run their actions during the capture.
class HotKeyDialog {
  public:
    static constexpr int kLabel1Id = 100;
    static constexpr int kText1Id = 101;
    static constexpr int kCommand1Id = 102;
    // The close box and Escape on a button end the dialog as the button does.
    static constexpr int kCancelButtonId = IDCANCEL;

    explicit HotKeyDialog(const CodePage& codePage) : codePage_(codePage) {}
    ~HotKeyDialog();
    HotKeyDialog(const HotKeyDialog&) = delete;
    HotKeyDialog& operator=(const HotKeyDialog&) = delete;

    // Shows a new dialog with an empty field and returns when it has closed, with its answer
    // (`CapturedHotkey`): empty, "#DEL#" or a combination such as "CTRL + ALT + K". A WM_QUIT
    // that arrives meanwhile ends the dialog as "Cancel" and is posted again for the caller.
    std::string ShowModal(HWND owner);

  private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    static LRESULT CALLBACK Text1Proc(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData) noexcept;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout(UINT dpi, const RECT* suggested);
    void ReleaseFonts();
    void Text1KeyDown(std::uint32_t keyCode);
    void Text1KeyUp();

    const CodePage& codePage_;
    std::optional<HotkeyCapture> capture_;
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
    HWND label1_ = nullptr;
    HWND text1_ = nullptr;
    HWND command1_ = nullptr;
    HWND cancelButton_ = nullptr;
    HFONT arial_ = nullptr;
    HFONT fieldFont_ = nullptr;
};

}  // namespace tessarin::win32
