#include "ui/win32/SearchDialog.h"

#include "platform/win32/WideString.h"
#include "ui/win32/DialogPlacement.h"
#include "ui/win32/ModalLoop.h"
#include "ui/PromptLogic.h"

namespace tessarin::win32 {
namespace {

// A dialog without controls: they are created at the window's DPI once it exists, where their
// positions in twips can be converted exactly. The caption is set by each prompt's load step.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    wchar_t Title[1];  // empty; ends the template on a whole number of DWORDs
};

const EmptyDialogTemplate kTemplate = {
    {static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), 0, 0, 0, 0, 0, 0},
    0,
    0,
    L""};

HFONT CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

constexpr int kMargin = 120;
constexpr int kButtonWidth = 1155;
constexpr int kButtonHeight = 375;
constexpr int kFieldWidth = 4560;
constexpr int kClientWidth = kMargin + kFieldWidth + kMargin;
constexpr int kButtonsTop = 600;
constexpr int kOKLeft = kClientWidth - 2 * (kButtonWidth + kMargin);
constexpr int kCancelLeft = kClientWidth - (kButtonWidth + kMargin);

}  // namespace

PromptWindow::~PromptWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    ReleaseFont();
}

bool PromptWindow::RunModal(HWND owner) {
    if (window_ != nullptr) {
        SetForegroundWindow(window_);
        return false;
    }
    owner_ = owner;
    unloaded_ = false;
    const HWND window =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.Header, owner,
                                   &PromptWindow::DialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        return false;
    }
    // Modal to the whole program, not only to the owner: a hotkey can bring a prompt up while
    // the editor or a message box is open over the main window, and those wait for it too.
    std::vector<HWND> disabled;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND other, LPARAM list) -> BOOL {
            auto& windows = *reinterpret_cast<std::vector<HWND>*>(list);
            if (IsWindowEnabled(other) && IsWindowVisible(other)) {
                windows.push_back(other);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    std::erase(disabled, window);
    for (HWND other : disabled) {
        EnableWindow(other, FALSE);
    }
    // The load step sets the focus, which needs the window shown and active first.
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    Load();
    RunModalLoop(
        window, owner, [&] { return window_ == nullptr || unloaded_; }, [&] { Dismissed(); });
    for (HWND other : disabled) {
        EnableWindow(other, TRUE);
    }
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    ReleaseFont();
    return true;
}

void PromptWindow::Unload() {
    unloaded_ = true;
    // A click sent from another thread (BM_CLICK) is handled inside GetMessage, which then goes
    // on waiting; the loop must wake up to see that the prompt has ended.
    PostMessageW(window_, WM_NULL, 0, 0);
}

INT_PTR CALLBACK PromptWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<PromptWindow*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<PromptWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Only a failed allocation can get here; the prompt stays as it was.
        return FALSE;
    }
}

INT_PTR PromptWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CreateControls();
            Layout(GetDpiForWindow(window_), nullptr);
            SendMessageW(window_, DM_SETDEFID, IDOK, 0);
            return FALSE;  // the load step sets the focus
        case WM_COMMAND:
            if (!unloaded_) {
                Command(LOWORD(wParam), HIWORD(wParam));
            }
            return TRUE;
        case WM_DPICHANGED:
            Layout(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_DESTROY:
            // Also when the owner goes first and takes the prompt with it.
            if (!unloaded_) {
                unloaded_ = true;
                Dismissed();
            }
            window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void PromptWindow::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const PromptControl& control : controls_) {
        CreateWindowExW(control.ExStyle, control.WindowClass, control.Text,
                        WS_CHILD | WS_VISIBLE | control.Style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id)), instance,
                        nullptr);
    }
}

void PromptWindow::Layout(UINT dpi, const RECT* suggested) {
    PlaceDialog(window_, owner_, clientWidth_, clientHeight_, dpi, suggested);

    // The new font goes in before the old one is deleted: a control must never hold a dead one.
    const HFONT oldFont = font_;
    font_ = CreateMessageFont(dpi);
    for (const PromptControl& control : controls_) {
        const HWND child = Control(control.Id);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        MoveWindow(child, ToPixels(control.Bounds.Left, dpi), ToPixels(control.Bounds.Top, dpi),
                   ToPixels(control.Bounds.Width, dpi), ToPixels(control.Bounds.Height, dpi), TRUE);
    }
    if (oldFont != nullptr) {
        DeleteObject(oldFont);
    }
}

std::string PromptWindow::TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return Narrow(text);
}

void PromptWindow::ReleaseFont() {
    if (font_ != nullptr) {
        DeleteObject(font_);
        font_ = nullptr;
    }
}

SearchDialog::SearchDialog(AppState& state, const CodePage& codePage)
    : PromptWindow(
          {
              {kTextSearchId,
               L"EDIT",
               L"",
               WS_TABSTOP | ES_AUTOHSCROLL,
               WS_EX_CLIENTEDGE,
               {kMargin, kMargin, kFieldWidth, 315}},
              {kOKButtonId,
               L"BUTTON",
               L"OK",
               WS_TABSTOP | BS_DEFPUSHBUTTON,
               0,
               {kOKLeft, kButtonsTop, kButtonWidth, kButtonHeight}},
              {kCancelButtonId,
               L"BUTTON",
               L"Cancel",
               WS_TABSTOP | BS_PUSHBUTTON,
               0,
               {kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight}},
          },
          kClientWidth, kButtonsTop + kButtonHeight + kMargin),
      state_(state),
      codePage_(codePage) {}

void SearchDialog::ShowModal(HWND owner) {
    if (!RunModal(owner)) {
        // A nested search while the prompt is open gets no query: the user has not typed one
        // for it.
        state_.sSearchQuery.clear();
    }
}

void SearchDialog::Load() {
    SetFocus(Control(kTextSearchId));
    state_.sSearchQuery.clear();
    SetWindowTextW(Window(), Widen("Enter " + state_.sSearchEngine + " Search Query").c_str());
}

void SearchDialog::Command(int id, int) {
    if (id == kOKButtonId) {
        state_.sSearchQuery = AcceptedSearchQuery(TextOf(Control(kTextSearchId)), codePage_);
        Unload();
    } else if (id == kCancelButtonId) {
        state_.sSearchQuery.clear();
        Unload();
    }
}

void SearchDialog::Dismissed() {
    state_.sSearchQuery.clear();
}

}  // namespace tessarin::win32
