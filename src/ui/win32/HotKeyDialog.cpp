#include "ui/win32/HotKeyDialog.h"

#include <commctrl.h>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

constexpr UINT_PTR kText1SubclassId = 0x484B44;

constexpr Twips kLabel1 = {360, 240, 2775, 495};
constexpr Twips kText1 = {360, 840, 2775, 285};
constexpr Twips kCommand1 = {3600, 240, 1215, 375};
// The controls with the label's left margin kept on the right and below.
constexpr int kClientWidth = kCommand1.Left + kCommand1.Width + kLabel1.Left;
constexpr int kClientHeight = kText1.Top + kText1.Height + kLabel1.Left;

// Only the field shows in the message font; the dialog was designed with Arial.
constexpr DialogControl kControls[] = {
    Label(HotKeyDialog::kLabel1Id, "Press The Hotkey Combination You Wish To Assign", kLabel1,
          SS_LEFT, ControlFont::Arial),
    Field(HotKeyDialog::kText1Id, ES_AUTOHSCROLL, kText1),
    PushButton(HotKeyDialog::kCommand1Id, "Delete Hotkey", kCommand1, ControlFont::Arial),
    PushButton(IDCANCEL, "Cancel", {3600, 720, 1215, 375}, ControlFont::Arial),
};

}  // namespace

HotKeyDialog::HotKeyDialog(const CodePage& codePage)
    : DialogWindow(kControls, kClientWidth, kClientHeight), codePage_(codePage) {}

std::string HotKeyDialog::ShowModal(HWND owner) {
    if (Showing()) {
        return {};
    }
    capture_.emplace(codePage_);
    RunModal(owner, "Register Hotkey", ModalTo::Owner);
    return capture_->Answer();
}

void HotKeyDialog::Created() {
    const HWND text1 = Control(kText1Id);
    SetWindowSubclass(text1, &HotKeyDialog::Text1Proc, kText1SubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    SetFocus(text1);
}

void HotKeyDialog::Command(int id, int notification) {
    if (notification == BN_CLICKED && id == kCommand1Id) {
        capture_->DeleteHotkey();
    } else if (id == kCancelButtonId) {
        capture_->Cancel();
    }
    EndWhenFinished();
}

void HotKeyDialog::EndWhenFinished() {
    if (capture_->Finished()) {
        End();
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
        SetWindowTextW(Control(kText1Id), Widen(capture_->Text()).c_str());
    }
    EndWhenFinished();
}

void HotKeyDialog::Text1KeyUp() {
    capture_->KeyUp();
    if (!capture_->Finished()) {
        SetWindowTextW(Control(kText1Id), L"");
    }
}

}  // namespace tessarin::win32
