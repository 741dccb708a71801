#pragma once

#include <cstdint>
#include <string>

#include "platform/DesktopPort.h"
#include "platform/RawRegistry.h"

namespace tessarin {

// The actions on whatever the user is looking at: the foreground window, the keyboard, the
// clipboard, explorer's hidden-files option and the browser processes. None keeps state between
// calls; all run on the user-interface thread and are done when they return.
class WindowActions {
  public:
    // `mainWindow` is the program's own main window, which maximize and minimize leave alone.
    WindowActions(DesktopPort& desktop, RawRegistry& registry, WindowHandle mainWindow)
        : desktop_(desktop), registry_(registry), mainWindow_(mainWindow) {}

    // Pastes the data string, as it is, into the focus control of the foreground window through
    // the clipboard, and gives the clipboard everything it held back afterwards. False when
    // nothing was pasted because the clipboard could not be read or written; the user's clipboard
    // is then left as it was.
    bool PasteText(const std::string& data);

    // Win+L and Win+M, with the user's modifier keys released first so that the system sees
    // exactly these combinations.
    void SwitchUser();
    void ShowDesktop();

    void MaximizeRestoreWindow();
    void MinimizeWindow();
    void CloseWindow();
    void ShowHideTaskbar();

    void HideHidden();
    void ShowHidden();
    void ToggleHidden();

    // Terminates every process owning an Internet Explorer or Netscape/Mozilla frame window at or
    // below the foreground window in z-order. Stops early when the program is ending.
    void KillIEandNetscape();

  private:
    void WriteHidden(std::int32_t value, bool toggle);

    DesktopPort& desktop_;
    RawRegistry& registry_;
    WindowHandle mainWindow_;
};

}  // namespace tessarin
