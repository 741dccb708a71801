#pragma once

#include <windows.h>

#include "ui/win32/DialogWindow.h"

namespace tessarin::win32 {

// "About Tessarin": the program's name and version and an OK button, modal to its owner.
class AboutDialog final : private DialogWindow {
  public:
    static void Show(HWND owner);

  private:
    AboutDialog();
    void Created() override;
    void Command(int id, int notification) override;
};

}  // namespace tessarin::win32
