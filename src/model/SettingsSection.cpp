#include "model/SettingsSection.h"

#include <string>

#include "model/ActionStore.h"

namespace tessarin {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c =
            text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

// A damaged value counts as absent: the option keeps its default rather than some guess.
bool ReadFlag(const SettingsStore& store, const char* key, bool defaultValue) {
    const std::string text =
        store.GetSetting(kSettingsSection, key, defaultValue ? "True" : "False");
    return ParseStoredFlag(text).value_or(defaultValue);
}

std::int32_t ReadNumber(const SettingsStore& store, const char* key) {
    return ParseStoredInteger(store.GetSetting(kSettingsSection, key, std::to_string(kNotStored)))
        .value_or(kNotStored);
}

const char* FlagText(bool value) {
    return value ? "True" : "False";
}

}  // namespace

std::optional<bool> ParseStoredFlag(std::string_view text) {
    if (EqualsIgnoringAsciiCase(text, "true")) {
        return true;
    }
    if (EqualsIgnoringAsciiCase(text, "false")) {
        return false;
    }
    if (const std::optional<double> number = ParseStoredNumber(text)) {
        return *number != 0;
    }
    return std::nullopt;
}

StartupSettings ReadStartupSettings(const SettingsStore& store) {
    StartupSettings settings;
    const bool maximized = ReadFlag(store, "WindowsMaximized", false);
    const bool normal = ReadFlag(store, "WindowsNormal", false);
    const bool minimized = ReadFlag(store, "WindowsMinimized", false);
    if (maximized || normal || minimized) {
        settings.OpenMaximized = maximized;
        settings.OpenNormal = normal;
        settings.OpenMinimized = minimized;
    }
    settings.Startup = ReadFlag(store, "Startup", true);
    settings.DoNotReuse = ReadFlag(store, "NewFolder", true);
    settings.Width = ReadNumber(store, "MainWindowWidth");
    settings.Height = ReadNumber(store, "MainWindowHeight");
    settings.State = ReadNumber(store, "MainWindowState");
    if (settings.State < 0 || settings.State > 2) {
        // A window has three states; anything else cannot be applied.
        settings.State = kNotStored;
    }
    settings.Icon = store.GetSetting(kSettingsSection, "Icon", kDefaultIcon);
    return settings;
}

void SaveSettingsAtExit(SettingsStore& store, const ExitSettings& settings,
                        const ActionList& listView1) {
    if (!settings.SaveSettings) {
        return;
    }
    store.SaveSetting(kSettingsSection, "Icon", settings.IconPath);
    store.SaveSetting(kSettingsSection, "WindowsMaximized", FlagText(settings.OpenMaximized));
    store.SaveSetting(kSettingsSection, "WindowsNormal", FlagText(settings.OpenNormal));
    store.SaveSetting(kSettingsSection, "WindowsMinimized", FlagText(settings.OpenMinimized));
    store.SaveSetting(kSettingsSection, "Startup", FlagText(settings.Startup));
    store.SaveSetting(kSettingsSection, "NewFolder", FlagText(settings.DoNotReuse));
    if (settings.State == 0) {
        store.SaveSetting(kSettingsSection, "MainWindowWidth", std::to_string(settings.Width));
        store.SaveSetting(kSettingsSection, "MainWindowHeight", std::to_string(settings.Height));
    }
    store.SaveSetting(kSettingsSection, "MainWindowState", std::to_string(settings.State));
    SaveRegActions(store, listView1);
}

std::string RememberedIconPath(const std::string& stored,
                               const std::function<bool(const std::string&)>& loadsAsIcon) {
    if (stored == kDefaultIcon || !loadsAsIcon(stored)) {
        return kDefaultIcon;
    }
    return stored;
}

}  // namespace tessarin
