#pragma once

#include <string_view>

// The action captions: the type key stored for every row ("ActionTypen") and shown in the list.
// They are part of the store contract, so once released a caption never changes, and every
// comparison with one is exact and case-sensitive.
namespace tessarin::captions {

inline constexpr std::string_view kOpenFileFolder = "Open File/Folder";
inline constexpr std::string_view kOpenAddRemovePrograms = "Open Add/Remove Programs";
inline constexpr std::string_view kOpenDesktopProperties = "Open Desktop Properties";
inline constexpr std::string_view kOpenSystemProperties = "Open System Properties";
inline constexpr std::string_view kGoToUrl = "Go to URL";
inline constexpr std::string_view kSendEmail = "Send Email";
inline constexpr std::string_view kSendEmailDialog = "Send Email Dialog";
inline constexpr std::string_view kSearchGoogle = "Search Google";
inline constexpr std::string_view kSearchYahoo = "Search Yahoo";
inline constexpr std::string_view kControlPanel = "Control Panel";
inline constexpr std::string_view kMyComputer = "My Computer";
inline constexpr std::string_view kNetwork = "Network";
inline constexpr std::string_view kPrinters = "Printers";
inline constexpr std::string_view kRecycleBin = "Recycle Bin";
inline constexpr std::string_view kCustomNamespace = "Custom Namespace";
// Never made by the editor; the executor still runs it as it runs the namespaces above.
inline constexpr std::string_view kOpenNamespace = "Open Namespace";
inline constexpr std::string_view kShutdownComputer = "Shutdown Computer";
inline constexpr std::string_view kRestartComputer = "Restart Computer";
inline constexpr std::string_view kLogoff = "Logoff";
inline constexpr std::string_view kSwitchUser = "Switch User";
inline constexpr std::string_view kEjectCdrom = "Eject Cdrom";
inline constexpr std::string_view kCloseCdrom = "Close Cdrom";
inline constexpr std::string_view kRaiseVolume = "Raise Volume";
inline constexpr std::string_view kLowerVolume = "Lower Volume";
inline constexpr std::string_view kMute = "Mute";
inline constexpr std::string_view kPasteText = "Paste Text";
inline constexpr std::string_view kHideHidden = "Hide Hidden";
inline constexpr std::string_view kShowHidden = "Show Hidden";
inline constexpr std::string_view kToggleHidden = "Toggle Hidden";
inline constexpr std::string_view kKillBrowsers = "Kill IE And Netscape";
inline constexpr std::string_view kMaximizeRestoreWindow = "Maximize/Restore Window";
inline constexpr std::string_view kMinimizeWindow = "Minimize Window";
inline constexpr std::string_view kCloseWindow = "Close Window";
inline constexpr std::string_view kShowDesktop = "Show Desktop";
inline constexpr std::string_view kShowHideTaskbar = "Show/Hide the taskbar";
inline constexpr std::string_view kStartScreensaver = "Start The Default Screensaver";
inline constexpr std::string_view kToggleMonitor = "Toggle Monitor On/Off";

// Every caption above: the action types a stored or imported row may have. A new caption is
// added here too.
inline constexpr std::string_view kAll[] = {
    kOpenFileFolder,
    kOpenAddRemovePrograms,
    kOpenDesktopProperties,
    kOpenSystemProperties,
    kGoToUrl,
    kSendEmail,
    kSendEmailDialog,
    kSearchGoogle,
    kSearchYahoo,
    kControlPanel,
    kMyComputer,
    kNetwork,
    kPrinters,
    kRecycleBin,
    kCustomNamespace,
    kOpenNamespace,
    kShutdownComputer,
    kRestartComputer,
    kLogoff,
    kSwitchUser,
    kEjectCdrom,
    kCloseCdrom,
    kRaiseVolume,
    kLowerVolume,
    kMute,
    kPasteText,
    kHideHidden,
    kShowHidden,
    kToggleHidden,
    kKillBrowsers,
    kMaximizeRestoreWindow,
    kMinimizeWindow,
    kCloseWindow,
    kShowDesktop,
    kShowHideTaskbar,
    kStartScreensaver,
    kToggleMonitor,
};

}  // namespace tessarin::captions
