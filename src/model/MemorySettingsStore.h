#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/SettingsStore.h"

namespace tessarin {

// A settings store held in memory, for tests and for tools that work on a copy of the store.
class MemorySettingsStore : public SettingsStore {
  public:
    using Section = std::map<std::string, std::string, std::less<>>;
    using Sections = std::map<std::string, Section, std::less<>>;

    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        const auto found = sections_.find(section);
        if (found == sections_.end()) {
            return defaultValue;
        }
        const auto value = found->second.find(key);
        return value == found->second.end() ? defaultValue : value->second;
    }
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        sections_[section][key] = value;
    }
    void DeleteSetting(const std::string& section, const std::string& key) override {
        const auto found = sections_.find(section);
        if (found != sections_.end()) {
            found->second.erase(key);
        }
    }
    void DeleteSection(const std::string& section) override { sections_.erase(section); }

    // Every section with its keys; a section whose last key was deleted stays, empty, as a
    // registry key would.
    const Sections& AllSections() const { return sections_; }

  private:
    Sections sections_;
};

}  // namespace tessarin
