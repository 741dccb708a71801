#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/RawRegistry.h"

namespace tessarin::fakes {

// An in-memory registry: keys under any root, key paths and value names matched without
// regard to case, and the rights each key was opened with enforced. A root can be made read-only,
// as HKEY_LOCAL_MACHINE is without administrator rights.
class FakeRawRegistry : public RawRegistry {
  public:
    using Values = std::map<std::string, RegistryData>;  // by lower-case name
    using Place = std::pair<std::int32_t, std::string>;  // root and lower-case path

    void Put(std::int32_t root, const std::string& path, const std::string& name,
             RegistryData data) {
        keys[{root, Lower(path)}][Lower(name)] = std::move(data);
    }
    const RegistryData* Find(std::int32_t root, const std::string& path,
                             const std::string& name) const {
        const auto key = keys.find({root, Lower(path)});
        return key == keys.end() || !key->second.count(Lower(name)) ? nullptr
                                                                    : &key->second.at(Lower(name));
    }
    std::size_t OpenKeyCount() const { return open_.size(); }

    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                         RegistryKey& key) override {
        return keys.count({root, Lower(subKey)}) ? CreateKey(root, subKey, access, key)
                                                 : reg::kFileNotFound;
    }
    std::int32_t CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                           RegistryKey& key) override {
        const std::uint32_t readRights = reg::kQueryValue | reg::kEnumerateSubKeys | reg::kNotify;
        if (readOnlyRoots.count(root) && (access & ~readRights)) {
            return reg::kAccessDenied;
        }
        keys[{root, Lower(subKey)}];
        key = nextHandle_++;
        open_[key] = {{root, Lower(subKey)}, access};
        return reg::kSuccess;
    }
    void CloseKey(RegistryKey key) override { open_.erase(key); }

    std::int32_t QueryValue(RegistryKey key, const std::string& name, std::uint32_t capacity,
                            std::uint32_t& size, RegistryData& data) override {
        const std::int32_t status = Use(key, reg::kQueryValue);
        if (status != reg::kSuccess || !Opened(key).count(Lower(name))) {
            return status != reg::kSuccess ? status : reg::kFileNotFound;
        }
        const RegistryData& stored = Opened(key).at(Lower(name));
        size = static_cast<std::uint32_t>(reg::IsTextType(stored.Type) ? 2 * stored.Text.size()
                                                                       : stored.Bytes.size());
        data.Type = stored.Type;
        if (size > capacity) {
            return reg::kMoreData;
        }
        data = stored;
        return reg::kSuccess;
    }
    std::int32_t SetValue(RegistryKey key, const std::string& name,
                          const RegistryData& data) override {
        const std::int32_t status = Use(key, reg::kSetValue);
        if (status == reg::kSuccess) {
            Opened(key)[Lower(name)] = data;
        }
        return status;
    }
    std::int32_t DeleteValue(RegistryKey key, const std::string& name) override {
        const std::int32_t status = Use(key, reg::kSetValue);
        return status != reg::kSuccess          ? status
               : Opened(key).erase(Lower(name)) ? reg::kSuccess
                                                : reg::kFileNotFound;
    }
    // Nothing in the program deletes keys or lists values or subkeys.
    std::int32_t QueryInfoKey(RegistryKey, std::uint32_t&) override { return reg::kAccessDenied; }
    std::int32_t EnumValue(RegistryKey, std::uint32_t, std::uint32_t, std::string&) override {
        return reg::kNoMoreItems;
    }
    std::int32_t DeleteKey(std::int32_t, const std::string&) override { return reg::kAccessDenied; }
    std::int32_t EnumKey(RegistryKey, std::uint32_t, std::uint32_t, std::string&) override {
        return reg::kNoMoreItems;
    }
    // Marks the text as gone through the system's expansion.
    std::string ExpandEnvironment(const std::string& text) override { return "expanded " + text; }

    std::map<Place, Values> keys;
    // Roots where only reading and listing are allowed.
    std::set<std::int32_t> readOnlyRoots;

  private:
    static std::string Lower(std::string text) {
        for (char& c : text) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return text;
    }
    // Whether the key is open with the right.
    std::int32_t Use(RegistryKey key, std::uint32_t right) const {
        const auto open = open_.find(key);
        return open == open_.end()                  ? reg::kInvalidHandle
               : (open->second.second & right) == 0 ? reg::kAccessDenied
                                                    : reg::kSuccess;
    }
    Values& Opened(RegistryKey key) { return keys.at(open_.at(key).first); }

    std::map<RegistryKey, std::pair<Place, std::uint32_t>> open_;
    RegistryKey nextHandle_ = 0x100;
};

}  // namespace tessarin::fakes
