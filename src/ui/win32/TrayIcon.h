#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/ActionRecord.h"
#include "platform/win32/Handles.h"
#include "ui/PopupMenuModel.h"
#include "ui/win32/PopupMenu.h"

namespace tessarin::win32 {

// The icon reports its mouse messages with this message. A private number, so that no ordinary
// message to the window (a right click on it, say) can be taken for a click on the icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
// The icon's number among the window's notification-area icons; it has only the one.
inline constexpr UINT kTrayIconId = 1;
inline constexpr const char* kInvalidIconMessage = "An Invalid Icon File Was Loaded.";

// What the notification-area icon needs from the window that owns it.
class TrayHost {
  public:
    virtual ~TrayHost() = default;
    // The action list the popup's shortcut entries are made from.
    virtual const ActionList& PopupActions() const = 0;
    virtual bool HotkeysEnabled() const = 0;
    // A shortcut entry was chosen: run the action as its hotkey would.
    virtual void RunPopupAction(const std::string& caption, const std::string& data) = 0;
    // "Disable All Hotkeys" / "Enable All Hotkeys".
    virtual void ToggleHotkeys() = 0;
    // "Unload Tessarin": end the program. The window may be destroyed before this returns.
    virtual void UnloadFromTray() = 0;
};

// The icon in the notification area, its popup menu and the choice of its picture. It chains a
// window procedure onto the owner window; install it after the hotkey hook, so that it sees the
// icon's messages first.
class TrayIcon {
  public:
    // ownIcon is the window's own icon: the default picture. It stays the caller's.
    TrayIcon(HWND window, HICON ownIcon, TrayHost& host);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    bool InstallTrayHook();
    void RemoveTrayHook();
    bool TrayHookInstalled() const { return hookInstalled_; }

    // Goes to the notification area: installs the hook if needed, adds the icon, remembers the
    // window's state and hides the window. A window that was never shown (a start with "/m") has
    // no state of its own yet: `state` is then the stored one (0 normal, 1 minimised, 2
    // maximised) to come back in. True when the shell took the icon; when it did not, the icon
    // still comes as soon as a taskbar announces itself.
    bool SetupTrayIcon(std::optional<int> state = std::nullopt);
    // Shows the window again in the state it had and deletes the icon.
    void RestoreWindow();
    // Deletes the icon, if it is there; for the tear-down.
    void DeleteIcon();
    bool InNotificationArea() const { return inNotificationArea_; }
    // The state the window comes back in (0 normal, 1 minimised, 2 maximised); what the
    // tear-down stores while the window waits in the notification area.
    int RememberedState() const { return rememberedState_; }

    // The popup as it would show now, rebuilt from the host's list.
    UniqueMenu CreatePopup();
    // Carries out a command chosen in the popup.
    void RunPopupCommand(UINT id);

    // The start-up picture from the stored "Icon" value; silent when it cannot be loaded.
    void LoadStoredIcon(const std::string& stored);
    // The icon chooser: an .ico file from a file dialog opened in the program's folder.
    void ChooseIcon();
    // Takes the file as the new picture; a file that is not an icon says so and brings back
    // the window's own icon. True when the file was taken.
    bool UseChosenIcon(const std::string& path);
    // The picture the icon shows; a loaded one is freed when the next one replaces it.
    HICON Picture() const { return loadedIcon_ != nullptr ? loadedIcon_.get() : ownIcon_; }
    // The value to store under "Icon": the chosen file, or the default marker.
    const std::string& IconPath() const { return iconPath_; }

  private:
    static LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR subclassId, DWORD_PTR refData) noexcept;
    bool AddIcon();
    void ShowPopup();
    void ReplacePicture(UniqueIcon icon, const std::string& path);

    HWND window_;
    HICON ownIcon_;
    TrayHost& host_;
    UINT taskbarCreated_;
    bool hookInstalled_ = false;
    bool inNotificationArea_ = false;
    bool popupOpen_ = false;
    int rememberedState_ = 0;
    UniqueIcon loadedIcon_;
    std::string iconPath_;
    PopupItems popupItems_;
    std::vector<std::size_t> entryRows_;  // the popup-table row of each entry of the last popup
    std::unique_ptr<PopupBitmaps> bitmaps_;
};

// An icon file loaded at the size of the notification area's icons, or null when the file is
// missing or holds no icon.
UniqueIcon LoadIconFile(const std::string& path);

}  // namespace tessarin::win32
