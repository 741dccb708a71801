#pragma once

#include <cstddef>
#include <string>

#include "platform/SettingsStore.h"

namespace tessarin::fakes {

// Stands between the program and a store and, from the k-th change on (counted from 0), either
// stops the program dead (a crash, a power cut, a kill) or lets every change fail silently (a
// store that went read-only); or lets the k-th change alone fail silently (a write refused once).
// Reads always reach the store.
class FaultyStore : public SettingsStore {
  public:
    enum class Fault { Stop, FailSilently, FailOnce };
    struct Stopped {};

    FaultyStore(SettingsStore& inner, std::size_t faultAt, Fault fault)
        : inner_(inner), faultAt_(faultAt), fault_(fault) {}

    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        return inner_.GetSetting(section, key, defaultValue);
    }
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (Allowed()) {
            inner_.SaveSetting(section, key, value);
        }
    }
    void DeleteSetting(const std::string& section, const std::string& key) override {
        if (Allowed()) {
            inner_.DeleteSetting(section, key);
        }
    }
    void DeleteSection(const std::string& section) override {
        if (Allowed()) {
            inner_.DeleteSection(section);
        }
    }

    std::size_t Changes() const { return changes_; }

  private:
    bool Allowed() {
        const std::size_t change = changes_++;
        if (change >= faultAt_ && fault_ == Fault::Stop) {
            throw Stopped{};
        }
        return fault_ == Fault::FailOnce ? change != faultAt_ : change < faultAt_;
    }

    SettingsStore& inner_;
    std::size_t faultAt_;
    Fault fault_;
    std::size_t changes_ = 0;
};

}  // namespace tessarin::fakes
