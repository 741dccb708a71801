#pragma once

// A registry key with everything below it, read into memory value by value (type and bytes as
// stored), for tests that look at the exact encoding of what was written.

#include <windows.h>

#include <algorithm>
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

// Everything below root\path; empty when the key does not exist.
inline RegistryTree ReadRegistryTree(HKEY root, const std::wstring& path, std::wstring below = {}) {
    RegistryTree tree;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return tree;
    }
    tree[below + L"\\"] = {};
    DWORD maxSubkey = 0;
    DWORD maxName = 0;
    DWORD maxData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr,
                     &maxName, &maxData, nullptr, nullptr);
    std::vector<wchar_t> name(std::max(maxName, maxSubkey) + 2);
    std::vector<BYTE> data(maxData + 2);
    RegistryValue value;
    for (DWORD i = 0, size = static_cast<DWORD>(name.size()), dataSize = maxData + 2;
         RegEnumValueW(key, i, name.data(), &size, nullptr, &value.Type, data.data(), &dataSize) ==
         ERROR_SUCCESS;
         ++i, size = static_cast<DWORD>(name.size()), dataSize = maxData + 2) {
        value.Data.assign(data.begin(), data.begin() + dataSize);
        tree[below + L"\\" + std::wstring(name.data(), size)] = value;
    }
    for (DWORD i = 0, size = static_cast<DWORD>(name.size());
         RegEnumKeyExW(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         ++i, size = static_cast<DWORD>(name.size())) {
        const std::wstring child(name.data(), size);
        tree.merge(ReadRegistryTree(root, path + L"\\" + child, below + L"\\" + child));
    }
    RegCloseKey(key);
    return tree;
}

}  // namespace tessarin::testsupport
