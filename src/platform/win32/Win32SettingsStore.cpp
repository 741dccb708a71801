#include "platform/win32/Win32SettingsStore.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {

std::wstring Win32SettingsStore::SectionPath(const std::string& section) const {
    return L"Software\\" + Widen(application_) + L"\\" + Widen(section);
}

std::string Win32SettingsStore::GetSetting(const std::string& section, const std::string& key,
                                           const std::string& defaultValue) const {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_QUERY_VALUE,
                      &handle) != ERROR_SUCCESS) {
        return defaultValue;
    }
    const std::wstring name = Widen(key);
    std::string result = defaultValue;
    DWORD type = 0;
    DWORD bytes = 0;
    // The value can change between the two calls; retry until the buffer fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &bytes) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            break;
        }
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LONG status = RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA) {
            bytes = size;
            continue;
        }
        if (status == ERROR_SUCCESS) {
            std::size_t length = size / sizeof(wchar_t);
            // A stored terminator is not part of the text; an embedded NUL is.
            if (length > 0 && buffer[length - 1] == L'\0') {
                --length;
            }
            result = Narrow(std::wstring_view(buffer.data(), length));
        }
        break;
    }
    RegCloseKey(handle);
    return result;
}

void Win32SettingsStore::SaveSetting(const std::string& section, const std::string& key,
                                     const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring text = Widen(value);
    RegSetValueExW(handle, Widen(key).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

void Win32SettingsStore::DeleteSetting(const std::string& section, const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_SET_VALUE, &handle) !=
        ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueW(handle, Widen(key).c_str());
    RegCloseKey(handle);
}

void Win32SettingsStore::DeleteSection(const std::string& section) {
    RegDeleteTreeW(HKEY_CURRENT_USER, SectionPath(section).c_str());
}

}  // namespace tessarin::win32
