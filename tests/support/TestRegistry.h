#pragma once

// The registry as the Windows tests use it: plain value helpers, and the user's own store and
// Run entries set aside while a test suite runs, so the tests are safe on a real machine.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tessarin::testsupport {

inline constexpr wchar_t kStoreKey[] = L"Software\\Tessarin";
inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Tessarin";
// What Stored() reads for a value that is not there.
inline constexpr wchar_t kAbsent[] = L"<absent>";

inline bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// A REG_SZ value as text; kAbsent when there is none.
inline std::wstring Stored(HKEY root, const std::wstring& path, const std::wstring& name) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
        return kAbsent;
    }
    return buffer;
}

inline void Store(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// HKCU\Software\Tessarin and both Run entries, set aside under a suite's own key for the suite's
// run and put back after it. A backup left behind by an interrupted run is the user's store, so
// it is never overwritten.
class UserStoreAside {
  public:
    explicit UserStoreAside(const wchar_t* backupKey) : backupKey_(backupKey) {}

    void SetAside() {
        if (KeyExists(HKEY_CURRENT_USER, kStoreKey) && !KeyExists(HKEY_CURRENT_USER, backupKey_)) {
            ASSERT_TRUE(CopyTree(kStoreKey, backupKey_));
        }
        for (auto& [root, value] : run_) {
            value = Stored(root, kRunKey, kRunValue);
        }
    }

    void PutBack() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        if (KeyExists(HKEY_CURRENT_USER, backupKey_) && CopyTree(backupKey_, kStoreKey)) {
            RegDeleteTreeW(HKEY_CURRENT_USER, backupKey_);
        }
        for (const auto& [root, value] : run_) {
            RegDeleteKeyValueW(root, kRunKey, kRunValue);
            if (value != kAbsent) {
                Store(root, kRunKey, kRunValue, value);
            }
        }
    }

    // No store and no Run entry: where each test starts.
    static void Clear() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
    }

  private:
    // Replaces HKCU\to with a copy of HKCU\from.
    static bool CopyTree(const wchar_t* from, const wchar_t* to) {
        RegDeleteTreeW(HKEY_CURRENT_USER, to);
        HKEY source = nullptr;
        HKEY target = nullptr;
        const bool copied =
            RegOpenKeyExW(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) == ERROR_SUCCESS &&
            RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                            nullptr) == ERROR_SUCCESS &&
            RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
        RegCloseKey(target);
        RegCloseKey(source);
        return copied;
    }

    const wchar_t* backupKey_;
    std::pair<HKEY, std::wstring> run_[2] = {{HKEY_LOCAL_MACHINE, kAbsent},
                                             {HKEY_CURRENT_USER, kAbsent}};
};

}  // namespace tessarin::testsupport
