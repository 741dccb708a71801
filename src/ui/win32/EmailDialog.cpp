#include "ui/win32/EmailDialog.h"

#include <string>

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
constexpr int kComboHeight = 2700;

}  // namespace

EmailDialog::EmailDialog(AppState& state, SettingsStore& store)
    : PromptWindow(
          {
              {kLabel1Id,
               L"STATIC",
               L"Type the receiver or select from the list",
               SS_LEFT,
               0,
               {kMargin, kMargin, kFieldWidth, 255}},
              {kComboEmailId,
               L"COMBOBOX",
               L"",
               WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
               0,
               {kMargin, 420, kFieldWidth, kComboHeight}},
              {kCommand1Id,
               L"BUTTON",
               L"Remove Email",
               WS_TABSTOP | BS_PUSHBUTTON,
               0,
               {kMargin, kButtonsTop, 1455, kButtonHeight}},
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
      store_(store) {}

void EmailDialog::ShowModal(HWND owner) {
    if (!RunModal(owner)) {
        // Otherwise a nested e-mail action would write to the previous receiver, whom the user
        // did not choose this time.
        state_.sEmailReceiver.clear();
    }
}

void EmailDialog::Load() {
    SetWindowTextW(Window(), Widen(kProgramTitle).c_str());
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
        state_.sEmailReceiver = AcceptEmailReceiver(TextOf(Control(kComboEmailId)), store_);
        Unload();
    } else if (id == kCancelButtonId) {
        state_.sEmailReceiver.clear();
        Unload();
    } else if (id == kCommand1Id && notification == BN_CLICKED) {
        RemoveEmail();
    }
}

void EmailDialog::RemoveEmail() {
    const HWND combo = Control(kComboEmailId);
    const bool removed =
        tessarin::RemoveEmail(TextOf(combo), store_, [this](const std::string& question) {
            return MessageBoxW(Window(), Widen(question).c_str(), Widen(kRemoveEmailTitle).c_str(),
                               MB_YESNO | MB_ICONQUESTION) == IDYES;
        });
    if (removed) {
        LoadEmailList();
    }
}

void EmailDialog::Dismissed() {
    state_.sEmailReceiver.clear();
}

}  // namespace tessarin::win32
