#pragma once

#include <windows.h>

namespace tessarin::win32 {

// "About Tessarin": the program's name and version and an OK button, modal to its owner.
class AboutDialog {
  public:
    static void Show(HWND owner);
};

}  // namespace tessarin::win32
