#pragma once

#include <windows.h>

#include <string>

#include "platform/CodePage.h"
#include "ui/win32/DialogWindow.h"

namespace tessarin::win32 {

// "Enter <engine> Search Query": asks for the query of a "Search Google" or "Search Yahoo"
// action. Modal to every window of the program.
class SearchDialog final : private DialogWindow {
  public:
    static constexpr int kTextSearchId = 100;
    static constexpr int kOKButtonId = IDOK;
    static constexpr int kCancelButtonId = IDCANCEL;

    explicit SearchDialog(const CodePage& codePage);

    // Returns when the window has closed: the query encoded for the URL, or empty when the
    // prompt was cancelled or closed, or only blanks were typed. A prompt already showing is
    // brought to the front and this call answers empty: the user has not typed a query for it.
    std::string ShowModal(HWND owner, const std::string& engine);

  private:
    void Shown() override;
    void Command(int id, int notification) override;

    const CodePage& codePage_;
    std::string answer_;
};

}  // namespace tessarin::win32
