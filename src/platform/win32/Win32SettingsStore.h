#pragma once

#include <map>
#include <string>

#include "platform/SettingsStore.h"
#include "platform/win32/Handles.h"

namespace tessarin::win32 {

// HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ value per key, named as the key.
// Other tools read this layout, so it does not change.
//
// A section's key stays open once used: a load or save touches hundreds of values, and opening
// and closing the key around each would double the registry requests. Another program may
// delete the key meanwhile; the next request on it then opens it afresh.
class Win32SettingsStore : public SettingsStore {
  public:
    explicit Win32SettingsStore(std::string application = "Tessarin")
        : application_(std::move(application)) {}
    Win32SettingsStore(const Win32SettingsStore&) = delete;
    Win32SettingsStore& operator=(const Win32SettingsStore&) = delete;

    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void DeleteSetting(const std::string& section, const std::string& key) override;
    void DeleteSection(const std::string& section) override;

  private:
    using Key = HKEY;

    std::wstring SectionPath(const std::string& section) const;
    // The section's open key; with create, the key is made when it does not exist.
    Key SectionKey(const std::string& section, bool create) const;
    void Forget(const std::string& section) const;
    // Runs a request on the section's key, once more on a fresh key when the one held was
    // deleted by someone else. Returns the request's status.
    template <typename Request>
    long OnSection(const std::string& section, bool create, Request&& request) const;

    std::string application_;
    mutable std::map<std::string, UniqueKey> keys_;
};

}  // namespace tessarin::win32
