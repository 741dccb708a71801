#pragma once

// A registry key with everything below it, read into memory value by value (type and bytes as
// stored), so that a test can show that something left it exactly as it was.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace tessarin::testsupport {

struct RegistryValue {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// Keyed by the path below the root key, a backslash and the value name ("" for the default
// value); every key also appears on its own, with a trailing backslash, so that empty keys count.
using RegistryTree = std::map<std::wstring, RegistryValue>;

namespace detail {

inline void ReadRegistryKey(HKEY key, const std::wstring& path, RegistryTree& tree) {
    tree[path + L"\\"] = {};
    DWORD maxName = 0;
    DWORD maxData = 0;
    DWORD maxSubkey = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr,
                     &maxName, &maxData, nullptr, nullptr);
    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, index, name.data(), &nameSize, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS) {
            break;
        }
        tree[path + L"\\" + std::wstring(name.data(), nameSize)] = {
            type, std::vector<BYTE>(data.begin(), data.begin() + dataSize)};
    }
    std::vector<wchar_t> subkey(maxSubkey + 2);
    for (DWORD index = 0;; ++index) {
        DWORD size = static_cast<DWORD>(subkey.size());
        if (RegEnumKeyExW(key, index, subkey.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::wstring child(subkey.data(), size);
        HKEY childKey = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &childKey) == ERROR_SUCCESS) {
            ReadRegistryKey(childKey, path + L"\\" + child, tree);
            RegCloseKey(childKey);
        }
    }
}

}  // namespace detail

// Everything below root\path; empty when the key does not exist.
inline RegistryTree ReadRegistryTree(HKEY root, const std::wstring& path) {
    RegistryTree tree;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        detail::ReadRegistryKey(key, L"", tree);
        RegCloseKey(key);
    }
    return tree;
}

// The entries of one tree that another lacks or holds differently, one per line, for messages.
inline std::wstring RegistryTreeDifference(const RegistryTree& expected,
                                           const RegistryTree& actual) {
    std::wstring text;
    for (const auto& [name, value] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            text += L"missing: " + name + L"\n";
        } else if (!(found->second == value)) {
            text += L"changed: " + name + L"\n";
        }
    }
    for (const auto& [name, value] : actual) {
        if (expected.find(name) == expected.end()) {
            text += L"added: " + name + L"\n";
        }
    }
    return text;
}

}  // namespace tessarin::testsupport
