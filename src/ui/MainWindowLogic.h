#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hotkeys/Hotkeys.h"
#include "model/ActionRecord.h"
#include "platform/RawRegistry.h"
#include "platform/SettingsStore.h"

namespace tessarin {

// The main window's controls, in twips, for an outer window size. The window itself may be
// smaller than the layout's minimum; the controls then keep their minimum places.
struct MainLayout {
    int ListLeft = 240;
    int ListTop = 240;
    int ListWidth = 0;
    int ListHeight = 0;
    int ButtonTop = 0;
    int AddLeft = 0;
    int EditLeft = 0;
    int HotkeyLeft = 0;
    int DeleteLeft = 0;
};
inline constexpr int kMinLayoutWidth = 5880;
inline constexpr int kMinLayoutHeight = 3060;
inline constexpr int kDesignClientWidth = 6660;
inline constexpr int kDesignClientHeight = 5145;

MainLayout LayOutMainWindow(int outerWidthTwips, int outerHeightTwips);

// "/m" anywhere in the command line starts the program in the notification area.
bool StartsInNotificationArea(std::string_view commandLine);

// The Run entry's data: the program's path in quotes, then " /m".
std::string RunEntryData(std::string_view programFolder, std::string_view programFileName);

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Tessarin";

// Whether the program file lies inside one of the given folders (Program Files, the Windows
// folder), which standard users cannot change. Only such a file may be started for every user at
// logon: anywhere else any user could replace it. Letter case and the slash do not matter; a path
// with "." or ".." steps is never taken for inside.
bool IsProtectedProgramPath(std::string_view programPath,
                            std::span<const std::string> protectedFolders);

// Writes or removes the Run entry. A program in a protected folder gets the machine-wide entry; a
// user without the right to write it, or a program anywhere else, gets the per-user entry
// instead. A cleared option removes both, so the option always means what it says.
void UpdateRunEntry(RawRegistry& registry, bool startWithWindows, const std::string& data,
                    bool machineWide);

// The store keeps the first 200 rows: a row added beyond them would work for this run and then
// be gone at the next start, so Add refuses it and says why.
inline constexpr const char* kListFullTitle = "Tessarin";
inline constexpr const char* kListFullMessage =
    "Tessarin keeps up to 200 actions, and the list is full. Delete an action before adding "
    "another.";

inline constexpr const char* kDeleteTitle = "Delete Confirmation.";
std::string DeleteQuestion(const std::string& caption);

// Removes the row at a 1-based position after releasing its hotkey, saves the list and returns
// the position to select afterwards (none when the list is empty).
std::optional<std::size_t> DeleteAction(ActionList& listView1, std::size_t position,
                                        Hotkeys& hotkeys, SettingsStore& store);

// The Options menu's open-mode group: exactly the chosen one ticked.
struct OpenMode {
    bool Maximized = false;
    bool Normal = true;
    bool Minimized = false;
};
enum class OpenModeChoice { Maximized, Normal, Minimized };
OpenMode ChooseOpenMode(OpenModeChoice choice);

}  // namespace tessarin
