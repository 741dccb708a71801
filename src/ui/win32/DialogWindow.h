#pragma once

#include <windows.h>

#include <array>
#include <span>
#include <string>

#include "platform/win32/Handles.h"

namespace tessarin::win32 {

// A place in a dialog's client area, in twips: the unit the dialogs are designed in.
struct Twips {
    int Left;
    int Top;
    int Width;
    int Height;
};

// Arial at the classic 8 points at a DPI, as the main window and some dialogs were designed.
UniqueFont CreateArialFont(UINT dpi, bool bold = false);

enum class ControlFont {
    Message,  // the system's message font at the window's DPI
    Arial,    // Arial at 8 points, where a dialog was designed with it
};

// One control of a dialog, created once the window exists, so that its place can be converted
// at the window's own DPI.
struct DialogControl {
    int Id;
    const wchar_t* WindowClass;
    const char* Text;
    DWORD Style;  // WS_CHILD and WS_VISIBLE are implied
    Twips Bounds;
    DWORD ExStyle = 0;
    ControlFont Font = ControlFont::Message;
};

// Rows for the kinds of control the dialogs are mostly made of. OK (IDOK) is the default button.
constexpr DialogControl PushButton(int id, const char* text, Twips bounds,
                                   ControlFont font = ControlFont::Message) {
    const DWORD kind = id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    return {id, L"BUTTON", text, WS_TABSTOP | kind, bounds, 0, font};
}
constexpr DialogControl Label(int id, const char* text, Twips bounds, DWORD style = SS_LEFT,
                              ControlFont font = ControlFont::Message) {
    return {id, L"STATIC", text, style, bounds, 0, font};
}
// An edit field with a sunken edge.
constexpr DialogControl Field(int id, DWORD style, Twips bounds) {
    return {id, L"EDIT", "", WS_TABSTOP | style, bounds, WS_EX_CLIENTEDGE};
}

// A window's text, as UTF-8.
std::string WindowText(HWND window);

// What every dialog of the program shares: a fresh window for every showing, built from its
// control table and laid out at its DPI (again when the DPI changes), shown modally while the
// thread's other windows keep receiving their messages, so hotkeys stay live. A WM_QUIT ends the
// showing as if the dialog were cancelled and is posted again for the caller's loop. OK (IDOK),
// where a dialog has it, is the default button; Escape and the close box arrive as IDCANCEL.
class DialogWindow {
  public:
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

  protected:
    // Which windows wait while the dialog is open.
    enum class ModalTo {
        Owner,
        // Every window of the program: a hotkey can bring a prompt up while the editor or a
        // message box is open over the main window, and those must wait for it too.
        Program,
    };

    // `controls` must outlive the dialog: the tables are static.
    DialogWindow(std::span<const DialogControl> controls, int clientWidth, int clientHeight)
        : controls_(controls), clientWidth_(clientWidth), clientHeight_(clientHeight) {}
    virtual ~DialogWindow();

    // Creates and shows the window and returns once End was called or the window went away.
    // False when the dialog is already showing (it is brought to the front) or cannot be
    // created.
    bool RunModal(HWND owner, const std::string& caption, ModalTo modalTo);
    // Ends the showing; the commands that still arrive are ignored.
    void End();
    bool Showing() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // The controls exist and are laid out, the window is not shown yet.
    virtual void Created() {}
    // The window is on screen and in front.
    virtual void Shown() {}
    virtual void Command(int id, int notification) = 0;
    virtual void Notify(const NMHDR&) {}
    // After the fonts, at the first layout and at every change of DPI.
    virtual void DpiChanged(UINT) {}
    // A control that takes every key itself: the dialog's keyboard navigation must not turn Tab,
    // Enter, Escape or Alt+letter into navigation before the control sees them.
    virtual bool KeepsKeys(HWND) const { return false; }

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout(UINT dpi, const RECT* suggested);
    void PumpUntilEnded();

    std::span<const DialogControl> controls_;
    int clientWidth_;
    int clientHeight_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    std::array<UniqueFont, 2> fonts_;  // by ControlFont
    bool ended_ = false;
};

}  // namespace tessarin::win32
