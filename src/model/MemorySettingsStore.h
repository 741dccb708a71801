#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/SettingsStore.h"

namespace tessarin {

// A settings store held in memory, for tests and for tools that work on a copy of the store.
class MemorySettingsStore : public SettingsStore {
  public:
    using Values = std::map<std::pair<std::string, std::string>, std::string>;

    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        const auto found = values_.find({section, key});
        return found == values_.end() ? defaultValue : found->second;
    }
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        values_[{section, key}] = value;
    }
    void DeleteSetting(const std::string& section, const std::string& key) override {
        values_.erase({section, key});
    }

    const Values& AllValues() const { return values_; }

  private:
    Values values_;
};

}  // namespace tessarin
