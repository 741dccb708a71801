#include "platform/win32/Win32SettingsStore.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

constexpr REGSAM kSectionAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;
// Most values are short: one request reads them into this much room.
constexpr DWORD kShortValueChars = 512;

std::string TextOf(const wchar_t* data, DWORD bytes) {
    std::size_t length = bytes / sizeof(wchar_t);
    // A stored terminator is not part of the text; an embedded NUL is.
    if (length > 0 && data[length - 1] == L'\0') {
        --length;
    }
    return Narrow(std::wstring_view(data, length));
}

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

}  // namespace

std::wstring Win32SettingsStore::SectionPath(const std::string& section) const {
    return L"Software\\" + Widen(application_) + L"\\" + Widen(section);
}

Win32SettingsStore::Key Win32SettingsStore::SectionKey(const std::string& section,
                                                       bool create) const {
    if (const auto held = keys_.find(section); held != keys_.end()) {
        return held->second.get();
    }
    HKEY key = nullptr;
    const std::wstring path = SectionPath(section);
    const LONG status =
        create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, kSectionAccess,
                                 nullptr, &key, nullptr)
               : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, kSectionAccess, &key);
    if (status != ERROR_SUCCESS) {
        return nullptr;
    }
    keys_.emplace(section, UniqueKey(key));
    return key;
}

void Win32SettingsStore::Forget(const std::string& section) const {
    keys_.erase(section);
}

template <typename Request>
long Win32SettingsStore::OnSection(const std::string& section, bool create,
                                   Request&& request) const {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const HKEY key = SectionKey(section, create);
        if (key == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        const LONG status = request(key);
        if (status != ERROR_KEY_DELETED) {
            return status;
        }
        Forget(section);
    }
    return ERROR_KEY_DELETED;
}

std::string Win32SettingsStore::GetSetting(const std::string& section, const std::string& key,
                                           const std::string& defaultValue) const {
    const std::wstring name = Widen(key);
    std::string result = defaultValue;
    OnSection(section, false, [&](HKEY handle) -> LONG {
        wchar_t shortValue[kShortValueChars];
        DWORD type = 0;
        DWORD bytes = sizeof(shortValue);
        LONG status = RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(shortValue), &bytes);
        if (status == ERROR_SUCCESS && IsText(type)) {
            result = TextOf(shortValue, bytes);
        }
        // A longer value: its size is known now, and it can change before the next read, so
        // read until the buffer fits.
        for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA && IsText(type); ++attempt) {
            std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
            bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
            status = RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(buffer.data()), &bytes);
            if (status == ERROR_SUCCESS && IsText(type)) {
                result = TextOf(buffer.data(), bytes);
            }
        }
        return status;
    });
    return result;
}

void Win32SettingsStore::SaveSetting(const std::string& section, const std::string& key,
                                     const std::string& value) {
    const std::wstring name = Widen(key);
    const std::wstring text = Widen(value);
    OnSection(section, true, [&](HKEY handle) {
        return RegSetValueExW(handle, name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    });
}

void Win32SettingsStore::DeleteSetting(const std::string& section, const std::string& key) {
    const std::wstring name = Widen(key);
    OnSection(section, false, [&](HKEY handle) { return RegDeleteValueW(handle, name.c_str()); });
}

void Win32SettingsStore::DeleteSection(const std::string& section) {
    Forget(section);
    RegDeleteTreeW(HKEY_CURRENT_USER, SectionPath(section).c_str());
}

}  // namespace tessarin::win32
