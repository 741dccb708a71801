#include "ui/win32/HotKeyDialog.h"

#include <commctrl.h>

#include <array>
#include <utility>

#include "platform/win32/WideString.h"
#include "ui/win32/DialogPlacement.h"
#include "ui/win32/ModalLoop.h"

namespace tessarin::win32 {
namespace {

constexpr UINT_PTR kText1SubclassId = 0x484B44;

struct Twips {
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr Twips kLabel1 = {360, 240, 2775, 495};
constexpr Twips kText1 = {360, 840, 2775, 285};
constexpr Twips kCommand1 = {3600, 240, 1215, 375};
constexpr Twips kCancelButton = {3600, 720, 1215, 375};
// The controls with the label's left margin kept on the right and below.
constexpr int kClientWidth = kCommand1.Left + kCommand1.Width + kLabel1.Left;
constexpr int kClientHeight = kText1.Top + kText1.Height + kLabel1.Left;

constexpr int kArialPoints = 8;

// A dialog without controls: they are created at the window's DPI in WM_INITDIALOG, where their
// positions in twips can be converted exactly.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    wchar_t Title[16];
    WORD Padding;  // to a whole number of DWORDs, so the alignment adds no hidden padding
};

const EmptyDialogTemplate kTemplate = {
    {static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), 0, 0, 0, 0, 0, 0},
    0,
    0,
    L"Register Hotkey",
    0};

HFONT CreateArial(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kArialPoints, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HFONT CreateMessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace

HotKeyDialog::~HotKeyDialog() {
    if (dialog_ != nullptr) {
        DestroyWindow(dialog_);
    }
    ReleaseFonts();
}

std::string HotKeyDialog::ShowModal(HWND owner) {
    if (dialog_ != nullptr) {
        return {};
    }
    capture_.emplace(codePage_);
    owner_ = owner;
    const HWND dialog =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.Header, owner,
                                   &HotKeyDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog == nullptr) {
        return {};
    }
    RunModalLoop(
        dialog, owner, [&] { return dialog_ == nullptr || capture_->Finished(); },
        [&] { capture_->Cancel(); },
        // The field takes every key for itself: IsDialogMessage would turn Tab, Enter, Escape
        // and Alt+letter into navigation before the field ever saw them.
        [&](const MSG& message) { return message.hwnd != text1_; });
    if (dialog_ != nullptr) {
        DestroyWindow(dialog_);
    }
    ReleaseFonts();
    return capture_->Answer();
}

INT_PTR CALLBACK HotKeyDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<HotKeyDialog*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<HotKeyDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Only a failed allocation can get here; the dialog stays as it was.
        return FALSE;
    }
}

INT_PTR HotKeyDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CreateControls();
            Layout(GetDpiForWindow(dialog_), nullptr);
            SetFocus(text1_);
            return FALSE;  // the focus is set
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCommand1Id) {
                capture_->DeleteHotkey();
            } else if (LOWORD(wParam) == kCancelButtonId) {
                capture_->Cancel();
            } else {
                return FALSE;
            }
            // A click sent from another thread (BM_CLICK) is handled inside GetMessage, which
            // then goes on waiting; the loop must wake up to see that the dialog has ended.
            PostMessageW(dialog_, WM_NULL, 0, 0);
            return TRUE;
        case WM_DPICHANGED:
            Layout(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_DESTROY:
            // Also when the owner goes first and takes the dialog with it.
            capture_->Cancel();
            dialog_ = label1_ = text1_ = command1_ = cancelButton_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

void HotKeyDialog::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto create = [this, instance](DWORD exStyle, const wchar_t* windowClass,
                                         const wchar_t* text, DWORD style, int id) {
        return CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                               0, dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
    };
    label1_ = create(0, L"STATIC", L"Press The Hotkey Combination You Wish To Assign", SS_LEFT,
                     kLabel1Id);
    text1_ = create(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kText1Id);
    command1_ = create(0, L"BUTTON", L"Delete Hotkey", WS_TABSTOP | BS_PUSHBUTTON, kCommand1Id);
    cancelButton_ = create(0, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, kCancelButtonId);
    SetWindowSubclass(text1_, &HotKeyDialog::Text1Proc, kText1SubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
}

void HotKeyDialog::Layout(UINT dpi, const RECT* suggested) {
    PlaceDialog(dialog_, owner_, kClientWidth, kClientHeight, dpi, suggested);

    const std::array<std::pair<HWND, Twips>, 4> controls = {{{label1_, kLabel1},
                                                             {text1_, kText1},
                                                             {command1_, kCommand1},
                                                             {cancelButton_, kCancelButton}}};
    for (const auto& [control, twips] : controls) {
        MoveWindow(control, ToPixels(twips.Left, dpi), ToPixels(twips.Top, dpi),
                   ToPixels(twips.Width, dpi), ToPixels(twips.Height, dpi), TRUE);
    }

    // The new fonts go in before the old ones are deleted: a control must never hold a dead one.
    const HFONT oldArial = arial_;
    const HFONT oldFieldFont = fieldFont_;
    arial_ = CreateArial(dpi);
    fieldFont_ = CreateMessageFont(dpi);
    for (HWND control : {label1_, command1_, cancelButton_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(arial_), TRUE);
    }
    SendMessageW(text1_, WM_SETFONT, reinterpret_cast<WPARAM>(fieldFont_), TRUE);
    for (HFONT font : {oldArial, oldFieldFont}) {
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
}

void HotKeyDialog::ReleaseFonts() {
    for (HFONT* font : {&arial_, &fieldFont_}) {
        if (*font != nullptr) {
            DeleteObject(*font);
            *font = nullptr;
        }
    }
}

LRESULT CALLBACK HotKeyDialog::Text1Proc(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<HotKeyDialog*>(refData);
    try {
        switch (message) {
            case WM_GETDLGCODE:
                return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                // Alt and everything pressed with it, and F10, arrive as system keys; the edit
                // control and DefWindowProc must not see them, or Alt+F4 would close the dialog
                // and a lone Alt or F10 would open its system menu.
                self->Text1KeyDown(static_cast<std::uint32_t>(wParam));
                return 0;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                self->Text1KeyUp();
                return 0;
            // Typing never changes the field, and Alt+letter must not beep for a missing mnemonic.
            case WM_CHAR:
            case WM_SYSCHAR:
            case WM_DEADCHAR:
            case WM_SYSDEADCHAR:
            // The edit control's context menu would change the text as well.
            case WM_PASTE:
            case WM_CUT:
            case WM_CLEAR:
            case WM_UNDO:
            case EM_UNDO:
                return 0;
            case WM_NCDESTROY:
                RemoveWindowSubclass(field, &HotKeyDialog::Text1Proc, kText1SubclassId);
                break;
            default:
                break;
        }
    } catch (...) {
        // Only a failed allocation can get here; the key is lost, the dialog stays open.
        return 0;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

void HotKeyDialog::Text1KeyDown(std::uint32_t keyCode) {
    const CaptureKey result = capture_->KeyDown(keyCode);
    if (result == CaptureKey::Building || result == CaptureKey::Accepted) {
        SetWindowTextW(text1_, Widen(capture_->Text()).c_str());
    }
}

void HotKeyDialog::Text1KeyUp() {
    capture_->KeyUp();
    if (!capture_->Finished()) {
        SetWindowTextW(text1_, L"");
    }
}

}  // namespace tessarin::win32
