#include "ui/win32/DialogWindow.h"

#include <array>
#include <utility>
#include <vector>

#include "platform/win32/WideString.h"
#include "ui/win32/DialogPlacement.h"
#include "ui/win32/DialogTemplate.h"

namespace tessarin::win32 {

UniqueFont CreateArialFont(UINT dpi, bool bold) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

namespace {

UniqueFont CreateControlFont(ControlFont kind, UINT dpi) {
    if (kind == ControlFont::Arial) {
        return CreateArialFont(dpi);
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return nullptr;
    }
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

// Disables the windows that wait for the dialog and returns them; only those that were enabled,
// so that exactly these are enabled again afterwards. A hidden owner (the program may sit in the
// notification area) waits too.
std::vector<HWND> DisableWaitingWindows(HWND owner, bool wholeProgram) {
    std::vector<HWND> candidates;
    if (wholeProgram) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND other, LPARAM list) -> BOOL {
                if (IsWindowVisible(other)) {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(other);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&candidates));
    }
    candidates.push_back(owner);
    std::vector<HWND> disabled;
    for (HWND window : candidates) {
        if (window != nullptr && EnableWindow(window, FALSE) == FALSE) {
            disabled.push_back(window);
        }
    }
    return disabled;
}

}  // namespace

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return Narrow(text);
}

DialogWindow::~DialogWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

bool DialogWindow::RunModal(HWND owner, const std::string& caption, ModalTo modalTo) {
    if (window_ != nullptr) {
        SetForegroundWindow(window_);
        return false;
    }
    owner_ = owner;
    ended_ = false;
    // Before the dialog exists, as a system modal dialog does it: the dialog takes the focus as
    // it is created, and the windows that wait for it must be disabled by then.
    const std::vector<HWND> disabled = DisableWaitingWindows(owner, modalTo == ModalTo::Program);
    const DialogTemplate dialogTemplate(Widen(caption));
    const bool created = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate.Get(),
                                                    owner, &DialogWindow::DialogProc,
                                                    reinterpret_cast<LPARAM>(this)) != nullptr;
    if (created) {
        // Shown and in front before the dialog's own step, which may set the focus.
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        Shown();
        PumpUntilEnded();
    }
    // Before the dialog goes, so that the activation returns to the owner rather than to some
    // other program's window.
    for (HWND other : disabled) {
        EnableWindow(other, TRUE);
    }
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    fonts_ = {};
    return created;
}

void DialogWindow::End() {
    ended_ = true;
    // A click sent from another thread (BM_CLICK) is handled inside GetMessage, which then goes
    // on waiting; the loop must wake up to see that the showing has ended.
    PostMessageW(window_, WM_NULL, 0, 0);
}

void DialogWindow::PumpUntilEnded() {
    MSG message{};
    while (window_ != nullptr && !ended_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
            }
            return;
        }
        if (!KeepsKeys(message.hwnd) && IsDialogMessageW(window_, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<DialogWindow*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    // Nothing reaches the dialog before its initialisation or after its destruction.
    if (self == nullptr || self->window_ != window) {
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Only a failed allocation can get here; the dialog stays as it was.
        return FALSE;
    }
}

INT_PTR DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CreateControls();
            Layout(GetDpiForWindow(window_), nullptr);
            if (Control(IDOK) != nullptr) {
                SendMessageW(window_, DM_SETDEFID, IDOK, 0);
            }
            Created();
            return FALSE;  // each dialog sets its own focus
        case WM_COMMAND:
            if (!ended_) {
                Command(LOWORD(wParam), HIWORD(wParam));
            }
            return TRUE;
        case WM_NOTIFY:
            Notify(*reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;  // the control goes on with its own handling
        case WM_DPICHANGED:
            Layout(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_DESTROY:
            // Also when the owner goes first and takes the dialog with it: the showing ends
            // without an answer.
            window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void DialogWindow::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const DialogControl& control : controls_) {
        CreateWindowExW(control.ExStyle, control.WindowClass, Widen(control.Text).c_str(),
                        WS_CHILD | WS_VISIBLE | control.Style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id)), instance,
                        nullptr);
    }
}

void DialogWindow::Layout(UINT dpi, const RECT* suggested) {
    PlaceDialog(window_, owner_, clientWidth_, clientHeight_, dpi, suggested);
    // The new fonts go in before the old ones are deleted: a control must never hold a dead one.
    std::array<UniqueFont, 2> fonts;
    for (const DialogControl& control : controls_) {
        UniqueFont& font = fonts[static_cast<std::size_t>(control.Font)];
        if (font == nullptr) {
            font = CreateControlFont(control.Font, dpi);
        }
        const HWND child = Control(control.Id);
        MoveWindow(child, ToPixels(control.Bounds.Left, dpi), ToPixels(control.Bounds.Top, dpi),
                   ToPixels(control.Bounds.Width, dpi), ToPixels(control.Bounds.Height, dpi), TRUE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    fonts_ = std::move(fonts);
    DpiChanged(dpi);
}

}  // namespace tessarin::win32
