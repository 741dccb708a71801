#pragma once

#include <string>

#include "platform/SettingsStore.h"

namespace tessarin::win32 {

// HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ value per key, named as the key.
// Other tools read this layout, so it does not change.
class Win32SettingsStore : public SettingsStore {
  public:
    explicit Win32SettingsStore(std::string application = "Tessarin")
        : application_(std::move(application)) {}

    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& section, const std::string& key) override;
    void DeleteSection(const std::string& section) override;

  private:
    std::wstring SectionPath(const std::string& section) const;

    std::string application_;
};

}  // namespace tessarin::win32
