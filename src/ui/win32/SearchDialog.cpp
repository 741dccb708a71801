#include "ui/win32/SearchDialog.h"

#include <utility>

#include "ui/PromptLogic.h"

namespace tessarin::win32 {
namespace {

constexpr int kMargin = 120;
constexpr int kButtonWidth = 1155;
constexpr int kButtonHeight = 375;
constexpr int kFieldWidth = 4560;
constexpr int kClientWidth = kMargin + kFieldWidth + kMargin;
constexpr int kButtonsTop = 600;
constexpr int kOKLeft = kClientWidth - 2 * (kButtonWidth + kMargin);
constexpr int kCancelLeft = kClientWidth - (kButtonWidth + kMargin);

constexpr DialogControl kControls[] = {
    Field(SearchDialog::kTextSearchId, ES_AUTOHSCROLL, {kMargin, kMargin, kFieldWidth, 315}),
    PushButton(IDOK, "OK", {kOKLeft, kButtonsTop, kButtonWidth, kButtonHeight}),
    PushButton(IDCANCEL, "Cancel", {kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight}),
};

}  // namespace

SearchDialog::SearchDialog(const CodePage& codePage)
    : DialogWindow(kControls, kClientWidth, kButtonsTop + kButtonHeight + kMargin),
      codePage_(codePage) {}

std::string SearchDialog::ShowModal(HWND owner, const std::string& engine) {
    return RunModal(owner, "Enter " + engine + " Search Query", ModalTo::Program)
               ? std::exchange(answer_, {})
               : std::string();
}

void SearchDialog::Shown() {
    SetFocus(Control(kTextSearchId));
}

void SearchDialog::Command(int id, int) {
    if (id == kOKButtonId) {
        answer_ = AcceptedSearchQuery(WindowText(Control(kTextSearchId)), codePage_);
        End();
    } else if (id == kCancelButtonId) {
        End();
    }
}

}  // namespace tessarin::win32
