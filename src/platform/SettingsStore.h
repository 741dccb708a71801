#pragma once

#include <string>

namespace tessarin {

// The per-user store of string values, addressed by section and key under the program's own
// application name. An absent key reads as the caller's default; deleting an absent key is no
// error.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::string GetSetting(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual void SaveSetting(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual void DeleteSetting(const std::string& section, const std::string& key) = 0;
    // Removes a whole section with every key in it; an absent section is no error.
    virtual void DeleteSection(const std::string& section) = 0;
};

}  // namespace tessarin
