#include "platform/win32/Win32RawRegistry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {

namespace {

// The numbers the core hands through the port are the system's own. The roots are pointers to
// the system, so PredefinedKey maps them instead.
static_assert(std::cmp_equal(reg::kNone, REG_NONE));
static_assert(std::cmp_equal(reg::kSz, REG_SZ));
static_assert(std::cmp_equal(reg::kExpandSz, REG_EXPAND_SZ));
static_assert(std::cmp_equal(reg::kBinary, REG_BINARY));
static_assert(std::cmp_equal(reg::kDword, REG_DWORD));
static_assert(std::cmp_equal(reg::kDwordBigEndian, REG_DWORD_BIG_ENDIAN));
static_assert(std::cmp_equal(reg::kLink, REG_LINK));
static_assert(std::cmp_equal(reg::kMultiSz, REG_MULTI_SZ));
static_assert(std::cmp_equal(reg::kQueryValue, KEY_QUERY_VALUE));
static_assert(std::cmp_equal(reg::kSetValue, KEY_SET_VALUE));
static_assert(std::cmp_equal(reg::kCreateSubKey, KEY_CREATE_SUB_KEY));
static_assert(std::cmp_equal(reg::kEnumerateSubKeys, KEY_ENUMERATE_SUB_KEYS));
static_assert(std::cmp_equal(reg::kNotify, KEY_NOTIFY));
static_assert(std::cmp_equal(reg::kCreateLink, KEY_CREATE_LINK));
static_assert(std::cmp_equal(reg::kReadWrite, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                                  KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY |
                                                  KEY_CREATE_LINK));
static_assert(std::cmp_equal(reg::kSuccess, ERROR_SUCCESS));
static_assert(std::cmp_equal(reg::kFileNotFound, ERROR_FILE_NOT_FOUND));
static_assert(std::cmp_equal(reg::kAccessDenied, ERROR_ACCESS_DENIED));
static_assert(std::cmp_equal(reg::kInvalidHandle, ERROR_INVALID_HANDLE));
static_assert(std::cmp_equal(reg::kNotEnoughMemory, ERROR_NOT_ENOUGH_MEMORY));
static_assert(std::cmp_equal(reg::kInvalidData, ERROR_INVALID_DATA));
static_assert(std::cmp_equal(reg::kMoreData, ERROR_MORE_DATA));
static_assert(std::cmp_equal(reg::kNoMoreItems, ERROR_NO_MORE_ITEMS));

HKEY PredefinedKey(std::int32_t root) {
    switch (root) {
        case reg::kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case reg::kCurrentUser:
            return HKEY_CURRENT_USER;
        case reg::kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case reg::kUsers:
            return HKEY_USERS;
        default:
            return nullptr;
    }
}

HKEY Handle(RegistryKey key) {
    return reinterpret_cast<HKEY>(key);
}

std::int32_t Status(LONG status) {
    return static_cast<std::int32_t>(status);
}

// The system stores text as UTF-16 characters; a stray odd byte is half a character and has no
// meaning as text.
std::string TextOf(const std::vector<BYTE>& bytes, DWORD size) {
    std::wstring wide(std::min<std::size_t>(size, bytes.size()) / sizeof(wchar_t), L'\0');
    if (!wide.empty()) {
        std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    }
    return Narrow(wide);
}

// The name at an index, read by either listing call: both take the key, the index, the buffer
// and its length, and leave the rest unasked.
template <typename Listing>
std::int32_t NameAt(Listing listing, RegistryKey key, std::uint32_t index,
                    std::uint32_t bufferLength, std::string& name) {
    std::wstring buffer(bufferLength == 0 ? 1 : bufferLength, L'\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG status =
        listing(Handle(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        name = Narrow(std::wstring_view(buffer.data(), length));
    }
    return Status(status);
}

}  // namespace

std::int32_t Win32RawRegistry::OpenKey(std::int32_t root, const std::string& subKey,
                                       std::uint32_t access, RegistryKey& key) {
    const HKEY parent = PredefinedKey(root);
    if (parent == nullptr) {
        return reg::kInvalidHandle;
    }
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(parent, Widen(subKey).c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS) {
        key = reinterpret_cast<RegistryKey>(opened);
    }
    return Status(status);
}

std::int32_t Win32RawRegistry::CreateKey(std::int32_t root, const std::string& subKey,
                                         std::uint32_t access, RegistryKey& key) {
    const HKEY parent = PredefinedKey(root);
    if (parent == nullptr) {
        return reg::kInvalidHandle;
    }
    HKEY created = nullptr;
    const LONG status =
        RegCreateKeyExW(parent, Widen(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS) {
        key = reinterpret_cast<RegistryKey>(created);
    }
    return Status(status);
}

void Win32RawRegistry::CloseKey(RegistryKey key) {
    RegCloseKey(Handle(key));
}

std::int32_t Win32RawRegistry::QueryValue(RegistryKey key, const std::string& name,
                                          std::uint32_t capacity, std::uint32_t& size,
                                          RegistryData& data) {
    // The size comes from the registry; a value too large for memory is a failed read, not an
    // exception.
    std::vector<BYTE> buffer;
    try {
        buffer.resize(capacity == 0 ? 1 : capacity);
    } catch (const std::bad_alloc&) {
        return reg::kNotEnoughMemory;
    }
    DWORD type = REG_NONE;
    DWORD bytes = capacity;
    const LONG status =
        RegQueryValueExW(Handle(key), Widen(name).c_str(), nullptr, &type, buffer.data(), &bytes);
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.Type = type;
        size = bytes;
    }
    if (status == ERROR_SUCCESS) {
        data.Text.clear();
        data.Bytes.clear();
        if (reg::IsTextType(type)) {
            data.Text = TextOf(buffer, bytes);
        } else {
            data.Bytes.assign(buffer.data(),
                              buffer.data() + std::min<std::size_t>(bytes, buffer.size()));
        }
    }
    return Status(status);
}

std::int32_t Win32RawRegistry::SetValue(RegistryKey key, const std::string& name,
                                        const RegistryData& data) {
    const std::wstring text = reg::IsTextType(data.Type) ? Widen(data.Text) : std::wstring();
    const BYTE empty = 0;
    const BYTE* bytes = &empty;
    std::size_t size = 0;
    if (reg::IsTextType(data.Type)) {
        bytes = reinterpret_cast<const BYTE*>(text.data());
        size = text.size() * sizeof(wchar_t);
    } else if (!data.Bytes.empty()) {
        bytes = data.Bytes.data();
        size = data.Bytes.size();
    }
    return Status(RegSetValueExW(Handle(key), Widen(name).c_str(), 0, data.Type, bytes,
                                 static_cast<DWORD>(size)));
}

std::int32_t Win32RawRegistry::DeleteValue(RegistryKey key, const std::string& name) {
    return Status(RegDeleteValueW(Handle(key), Widen(name).c_str()));
}

std::int32_t Win32RawRegistry::DeleteKey(std::int32_t root, const std::string& subKey) {
    const HKEY parent = PredefinedKey(root);
    if (parent == nullptr) {
        return reg::kInvalidHandle;
    }
    return Status(RegDeleteKeyW(parent, Widen(subKey).c_str()));
}

std::int32_t Win32RawRegistry::QueryInfoKey(RegistryKey key, std::uint32_t& longestValueName) {
    DWORD longest = 0;
    const LONG status = RegQueryInfoKeyW(Handle(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, &longest, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) {
        longestValueName = longest;
    }
    return Status(status);
}

std::int32_t Win32RawRegistry::EnumValue(RegistryKey key, std::uint32_t index,
                                         std::uint32_t bufferLength, std::string& name) {
    return NameAt(&RegEnumValueW, key, index, bufferLength, name);
}

std::int32_t Win32RawRegistry::EnumKey(RegistryKey key, std::uint32_t index,
                                       std::uint32_t bufferLength, std::string& name) {
    return NameAt(&RegEnumKeyExW, key, index, bufferLength, name);
}

std::string Win32RawRegistry::ExpandEnvironment(const std::string& text) {
    const std::wstring source = Widen(text);
    DWORD needed = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    // The environment can change between the two calls; a second try settles it.
    for (int attempt = 0; needed != 0 && attempt < 2; ++attempt) {
        std::wstring expanded(needed, L'\0');
        const DWORD written = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), needed);
        if (written == 0) {
            break;
        }
        if (written <= needed) {
            expanded.resize(std::min(expanded.find(L'\0'), expanded.size()));
            return Narrow(expanded);
        }
        needed = written;
    }
    return text;
}

}  // namespace tessarin::win32
