#include "ui/win32/EmailDialog.h"

#include <string>
#include <utility>

#include "actions/Executor.h"
#include "platform/win32/WideString.h"
#include "ui/PromptLogic.h"

namespace tessarin::win32 {
namespace {

constexpr int kMargin = 120;
constexpr int kFieldWidth = 4560;
constexpr int kClientWidth = kMargin + kFieldWidth + kMargin;
constexpr int kButtonWidth = 1155;
constexpr int kButtonHeight = 375;
constexpr int kButtonsTop = 900;
constexpr int kOKLeft = kClientWidth - 2 * (kButtonWidth + kMargin);
constexpr int kCancelLeft = kClientWidth - (kButtonWidth + kMargin);
// A drop-down combo box's height includes its open list: room for about ten receivers.
constexpr Twips kCombo = {kMargin, 420, kFieldWidth, 2700};
constexpr DWORD kComboStyle = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;

constexpr DialogControl kControls[] = {
    Label(EmailDialog::kLabel1Id, "Type the receiver or select from the list",
          {kMargin, kMargin, kFieldWidth, 255}),
    {EmailDialog::kComboEmailId, L"COMBOBOX", "", kComboStyle, kCombo},
    PushButton(EmailDialog::kCommand1Id, "Remove Email",
               {kMargin, kButtonsTop, 1455, kButtonHeight}),
    PushButton(IDOK, "OK", {kOKLeft, kButtonsTop, kButtonWidth, kButtonHeight}),
    PushButton(IDCANCEL, "Cancel", {kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight}),
};

}  // namespace

EmailDialog::EmailDialog(SettingsStore& store)
    : DialogWindow(kControls, kClientWidth, kButtonsTop + kButtonHeight + kMargin), store_(store) {}

std::string EmailDialog::ShowModal(HWND owner) {
    return RunModal(owner, kProgramTitle, ModalTo::Program) ? std::exchange(answer_, {})
                                                            : std::string();
}

void EmailDialog::Shown() {
    const HWND combo = Control(kComboEmailId);
    SetFocus(combo);
    LoadEmailList();
    const auto length = static_cast<DWORD>(GetWindowTextLengthW(combo));
    SendMessageW(combo, CB_SETEDITSEL, 0, static_cast<LPARAM>(length << 16));
}

void EmailDialog::LoadEmailList() {
    const HWND combo = Control(kComboEmailId);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SetWindowTextW(combo, L"");
    const EmailList list = tessarin::LoadEmailList(store_);
    for (const std::string& receiver : list.Receivers) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(receiver).c_str()));
    }
    // The list stays unselected, so the edit field keeps the last receiver rather than the one
    // a selection would put there.
    SetWindowTextW(combo, Widen(list.LastEmail).c_str());
}

void EmailDialog::Command(int id, int notification) {
    if (id == kOKButtonId) {
        answer_ = AcceptEmailReceiver(WindowText(Control(kComboEmailId)), store_);
        End();
    } else if (id == kCancelButtonId) {
        End();
    } else if (id == kCommand1Id && notification == BN_CLICKED) {
        RemoveEmail();
    }
}

void EmailDialog::RemoveEmail() {
    const HWND combo = Control(kComboEmailId);
    const bool removed =
        tessarin::RemoveEmail(WindowText(combo), store_, [this](const std::string& question) {
            return MessageBoxW(Window(), Widen(question).c_str(), Widen(kRemoveEmailTitle).c_str(),
                               MB_YESNO | MB_ICONQUESTION) == IDYES;
        });
    if (removed) {
        LoadEmailList();
    }
}

}  // namespace tessarin::win32
