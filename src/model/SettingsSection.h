#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/ActionRecord.h"
#include "platform/SettingsStore.h"

namespace tessarin {

inline constexpr const char* kSettingsSection = "Settings";
// Width, height and state read as this when nothing (or nothing usable) is stored.
inline constexpr std::int32_t kNotStored = -500;
// The stored icon path that means the program's own icon.
inline constexpr const char* kDefaultIcon = "#DEFAULT#";

// The options, geometry and icon as the main window restores them at start. The check marks are
// those of the Options menu items: open mode (Maximized / Default / Minimized), "Run Tessarin
// Everytime Windows Starts" and "Do Not Reuse Folder Windows".
struct StartupSettings {
    bool OpenMaximized = false;
    bool OpenNormal = true;
    bool OpenMinimized = false;
    bool Startup = true;
    bool DoNotReuse = true;
    std::int32_t Width = kNotStored;   // twips
    std::int32_t Height = kNotStored;  // twips
    std::int32_t State = kNotStored;   // 0 normal, 1 minimized, 2 maximized
    std::string Icon = kDefaultIcon;   // as stored: a path, or the default marker

    // Both dimensions must be stored for either to apply.
    // A window cannot open with no width or height: a stored size below one twip is damage,
    // and the design size serves instead.
    bool HasSize() const { return Width > 0 && Height > 0; }
    bool HasState() const { return State != kNotStored; }
};

StartupSettings ReadStartupSettings(const SettingsStore& store);

// What the main window hands over at exit.
struct ExitSettings {
    bool SaveSettings = true;  // "Save Settings On Exit"; nothing is written without it
    std::string IconPath = kDefaultIcon;
    bool OpenMaximized = false;
    bool OpenNormal = true;
    bool OpenMinimized = false;
    bool Startup = true;
    bool DoNotReuse = true;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t State = 0;
};

// Writes the "Settings" section in its fixed order and then the action list. A maximized or
// minimized window keeps the last normal size that was stored.
void SaveSettingsAtExit(SettingsStore& store, const ExitSettings& settings,
                        const ActionList& listView1);

// The icon path to remember for a stored "Icon" value: the value when it names a file that
// loads as an icon, the default marker otherwise.
std::string RememberedIconPath(const std::string& stored,
                               const std::function<bool(const std::string&)>& loadsAsIcon);

// A stored flag: "True" or "False" in any letter case, or a number (zero is false). None for
// anything else.
std::optional<bool> ParseStoredFlag(std::string_view text);

}  // namespace tessarin
