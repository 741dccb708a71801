#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/RawRegistry.h"

namespace tessarin::fakes {

// An in-memory registry: the four predefined roots, keys matched without regard to case,
// values kept in the order they were first written, access rights checked per open key. Every
// call is recorded with its access mask; any operation can be told to fail, and a root can be
// made read-only, as HKEY_LOCAL_MACHINE is for a user without administrator rights.
class FakeRawRegistry : public RawRegistry {
  public:
    struct Value {
        std::string Name;
        RegistryData Data;

        friend bool operator==(const Value&, const Value&) = default;
    };
    struct Key {
        std::vector<Value> Values;

        friend bool operator==(const Key&, const Key&) = default;
    };
    struct Call {
        std::string What;  // the member's name: "OpenKey", "SetValue", ...
        std::int32_t Root = 0;
        std::string Path;  // of the key named or used, in lower case
        std::string Name;  // of the value
        std::uint32_t Access = 0;

        friend bool operator==(const Call&, const Call&) = default;
    };
    using Tree = std::map<std::pair<std::int32_t, std::string>, Key>;

    FakeRawRegistry() {
        for (std::int32_t root :
             {reg::kClassesRoot, reg::kCurrentUser, reg::kLocalMachine, reg::kUsers}) {
            keys[{root, ""}] = Key{};
        }
    }

    // Test set-up and inspection.
    void Put(std::int32_t root, const std::string& path, const std::string& name,
             RegistryData data) {
        Store(MakeKeys(root, path), name, std::move(data));
    }
    const RegistryData* Find(std::int32_t root, const std::string& path, const std::string& name) {
        auto key = keys.find({root, Lower(path)});
        const Value* value = key == keys.end() ? nullptr : FindValue(key->second, name);
        return value == nullptr ? nullptr : &value->Data;
    }
    bool HasKey(std::int32_t root, const std::string& path) const {
        return keys.count({root, Lower(path)}) != 0;
    }
    std::size_t OpenKeyCount() const { return open_.size(); }
    std::vector<Call> CallsTo(const std::string& what) const {
        std::vector<Call> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [&](const Call& call) { return call.What == what; });
        return found;
    }

    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                         RegistryKey& key) override {
        calls.push_back({"OpenKey", root, Lower(subKey), {}, access});
        if (std::int32_t status = Refusal("OpenKey", root, access); status != reg::kSuccess) {
            return status;
        }
        if (!HasKey(root, subKey)) {
            return reg::kFileNotFound;
        }
        return Hand(root, subKey, access, key);
    }

    std::int32_t CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                           RegistryKey& key) override {
        calls.push_back({"CreateKey", root, Lower(subKey), {}, access});
        if (std::int32_t status = Refusal("CreateKey", root, access); status != reg::kSuccess) {
            return status;
        }
        MakeKeys(root, subKey);
        return Hand(root, subKey, access, key);
    }

    void CloseKey(RegistryKey key) override {
        calls.push_back({"CloseKey", 0, {}, {}, 0});
        if (open_.erase(key) == 0) {
            ++badCloses;
        }
    }

    std::int32_t QueryValue(RegistryKey key, const std::string& name, std::uint32_t capacity,
                            std::uint32_t& size, RegistryData& data) override {
        Key* target = nullptr;
        if (std::int32_t status = Use("QueryValue", key, name, reg::kQueryValue, target);
            status != reg::kSuccess) {
            return status;
        }
        const Value* value = FindValue(*target, name);
        if (value == nullptr) {
            return reg::kFileNotFound;
        }
        data.Type = value->Data.Type;
        size = StoredSize(value->Data);
        if (size > capacity) {
            return reg::kMoreData;
        }
        data = value->Data;
        return reg::kSuccess;
    }

    std::int32_t SetValue(RegistryKey key, const std::string& name,
                          const RegistryData& data) override {
        Key* target = nullptr;
        if (std::int32_t status = Use("SetValue", key, name, reg::kSetValue, target);
            status != reg::kSuccess) {
            return status;
        }
        Store(*target, name, data);
        return reg::kSuccess;
    }

    std::int32_t DeleteValue(RegistryKey key, const std::string& name) override {
        Key* target = nullptr;
        if (std::int32_t status = Use("DeleteValue", key, name, reg::kSetValue, target);
            status != reg::kSuccess) {
            return status;
        }
        for (auto it = target->Values.begin(); it != target->Values.end(); ++it) {
            if (Lower(it->Name) == Lower(name)) {
                target->Values.erase(it);
                return reg::kSuccess;
            }
        }
        return reg::kFileNotFound;
    }

    // No test deletes keys through the fake: the real registry's rules are tested instead.
    std::int32_t DeleteKey(std::int32_t root, const std::string& subKey) override {
        calls.push_back({"DeleteKey", root, Lower(subKey), {}, 0});
        return reg::kAccessDenied;
    }

    // Listing is tested against the real registry; here it can only fail or find nothing.
    std::int32_t QueryInfoKey(RegistryKey key, std::uint32_t& longestValueName) override {
        longestValueName = 0;
        return Listing("QueryInfoKey", key, reg::kQueryValue);
    }
    std::int32_t EnumValue(RegistryKey key, std::uint32_t, std::uint32_t, std::string&) override {
        return Listing("EnumValue", key, reg::kQueryValue);
    }
    std::int32_t EnumKey(RegistryKey key, std::uint32_t, std::uint32_t, std::string&) override {
        return Listing("EnumKey", key, reg::kEnumerateSubKeys);
    }

    // Replaces %NAME% for the names in `environment`, leaving unknown ones as they are.
    std::string ExpandEnvironment(const std::string& text) override {
        std::string result = text;
        for (const auto& [name, value] : environment) {
            for (auto at = result.find('%' + name + '%'); at != std::string::npos;
                 at = result.find('%' + name + '%', at + value.size())) {
                result.replace(at, name.size() + 2, value);
            }
        }
        return result;
    }

    Tree keys;
    std::vector<Call> calls;
    // Operation name to the status it answers instead of doing its work.
    std::map<std::string, std::int32_t> failing;
    // Roots where only reading and listing are allowed.
    std::set<std::int32_t> readOnlyRoots;
    std::map<std::string, std::string> environment;
    int badCloses = 0;

  private:
    static std::string Lower(std::string text) {
        for (char& c : text) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return text;
    }

    static std::uint32_t Utf16Length(const std::string& text) {
        std::uint32_t units = 0;
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte & 0xC0) != 0x80) {
                units += byte >= 0xF0 ? 2u : 1u;
            }
        }
        return units;
    }

    static std::uint32_t StoredSize(const RegistryData& data) {
        return reg::IsTextType(data.Type) ? 2 * Utf16Length(data.Text)
                                          : static_cast<std::uint32_t>(data.Bytes.size());
    }

    static void Store(Key& key, const std::string& name, RegistryData data) {
        if (Value* value = FindValue(key, name)) {
            value->Data = std::move(data);
        } else {
            key.Values.push_back({name, std::move(data)});
        }
    }

    static Value* FindValue(Key& key, const std::string& name) {
        for (Value& value : key.Values) {
            if (Lower(value.Name) == Lower(name)) {
                return &value;
            }
        }
        return nullptr;
    }

    std::int32_t Refusal(const std::string& what, std::int32_t root, std::uint32_t access) const {
        if (auto failure = failing.find(what); failure != failing.end()) {
            return failure->second;
        }
        if (!keys.count({root, ""})) {
            return reg::kInvalidHandle;
        }
        const std::uint32_t readRights = reg::kQueryValue | reg::kEnumerateSubKeys | reg::kNotify;
        if (readOnlyRoots.count(root) != 0 && (access & ~readRights) != 0) {
            return reg::kAccessDenied;
        }
        return reg::kSuccess;
    }

    Key& MakeKeys(std::int32_t root, const std::string& path) {
        std::size_t end = 0;
        while (end != std::string::npos) {
            end = path.find('\\', end + 1);
            keys[{root, Lower(path.substr(0, end))}];
        }
        return keys[{root, Lower(path)}];
    }

    std::int32_t Hand(std::int32_t root, const std::string& path, std::uint32_t access,
                      RegistryKey& key) {
        key = nextHandle_++;
        open_[key] = {root, Lower(path)};
        access_[key] = access;
        return reg::kSuccess;
    }

    // Records the call and finds the open key, checking that it was opened with the right.
    std::int32_t Use(const std::string& what, RegistryKey key, const std::string& name,
                     std::uint32_t right, Key*& target) {
        auto handle = open_.find(key);
        calls.push_back({what, handle == open_.end() ? 0 : handle->second.first,
                         handle == open_.end() ? std::string() : handle->second.second, name, 0});
        if (auto failure = failing.find(what); failure != failing.end()) {
            return failure->second;
        }
        if (handle == open_.end()) {
            return reg::kInvalidHandle;
        }
        if ((access_[key] & right) == 0) {
            return reg::kAccessDenied;
        }
        auto found = keys.find(handle->second);
        if (found == keys.end()) {
            return reg::kFileNotFound;  // deleted while open
        }
        target = &found->second;
        return reg::kSuccess;
    }

    std::int32_t Listing(const std::string& what, RegistryKey key, std::uint32_t right) {
        Key* target = nullptr;
        const std::int32_t status = Use(what, key, {}, right, target);
        return status == reg::kSuccess && what != "QueryInfoKey" ? reg::kNoMoreItems : status;
    }

    std::map<RegistryKey, std::pair<std::int32_t, std::string>> open_;
    std::map<RegistryKey, std::uint32_t> access_;
    RegistryKey nextHandle_ = 0x100;
};

}  // namespace tessarin::fakes
