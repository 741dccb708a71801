#include "platform/win32/Win32ProfileFile.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

// Beyond this a value is not read whole: no file this program writes comes near it.
constexpr DWORD kMaxChars = 1u << 26;

// Calls a profile reader with ever larger room until the answer fits. `reserve` is how many of
// the last places the reader keeps for terminators when it runs out of room.
template <typename Reader>
std::wstring ReadGrowing(DWORD reserve, Reader&& reader) {
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = reader(buffer.data(), size);
        if (length + reserve < size || size >= kMaxChars) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool WriteBytes(HANDLE file, const void* bytes, DWORD count) {
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, nullptr) != FALSE && written == count;
}

// A new, empty UTF-16 file beside the target, named after it; empty when none could be made.
std::wstring CreateTemporaryBeside(const std::wstring& target) {
    const std::wstring stem = target + L"." + std::to_wstring(GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path = stem + L"-" + std::to_wstring(attempt) + L".tmp";
        HANDLE created = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return {};
        }
        const UniqueHandle file(created);
        static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
        if (!WriteBytes(file.get(), kByteOrderMark, sizeof(kByteOrderMark))) {
            DeleteFileW(path.c_str());
            return {};
        }
        return path;
    }
    return {};
}

}  // namespace

std::vector<std::string> Win32ProfileFile::Keys(const std::string& section) const {
    const std::wstring wideSection = Widen(section);
    const std::wstring names = ReadGrowing(2, [&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(wideSection.c_str(), nullptr, L"", buffer, size,
                                        path_.c_str());
    });
    // The names come one after the other, each ending in a NUL.
    std::vector<std::string> keys;
    for (std::size_t start = 0; start < names.size();) {
        std::size_t end = names.find(L'\0', start);
        if (end == std::wstring::npos) {
            end = names.size();
        }
        if (end > start) {
            keys.push_back(Narrow(std::wstring_view(names).substr(start, end - start)));
        }
        start = end + 1;
    }
    return keys;
}

std::optional<std::string> Win32ProfileFile::Read(const std::string& section,
                                                  const std::string& key) const {
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    // An absent key reads as the default; a present one reads as itself whichever default is
    // given, so it is absent only when it reads as each of two different ones.
    const auto read = [&](const wchar_t* defaultValue) {
        return ReadGrowing(1, [&](wchar_t* buffer, DWORD size) {
            return GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), defaultValue,
                                            buffer, size, path_.c_str());
        });
    };
    std::wstring value = read(L"\x01");
    if (value == L"\x01" && read(L"\x02") == L"\x02") {
        return std::nullopt;
    }
    return Narrow(value);
}

bool Win32ProfileFile::Write(const std::string& section, const std::string& key,
                             const std::string& value) {
    // The system would write the break into the file, where it would start a line of its own.
    if (value.find_first_of("\r\n") != std::string::npos) {
        return false;
    }
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                      Widen(value).c_str(), path_.c_str()) != FALSE;
}

bool ReplaceProfileFile(const std::wstring& target, const std::function<bool(ProfileFile&)>& fill) {
    // Windows refuses to replace a read-only file, but not every system that runs this program
    // does: the user's mark is honoured here either way.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const std::wstring temporary = CreateTemporaryBeside(target);
    if (temporary.empty()) {
        return false;
    }
    Win32ProfileFile file(temporary);
    bool done = fill(file);
    // All three null: the system writes out and lets go of whatever it still holds of the file.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, temporary.c_str());
    done = done && MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!done) {
        DeleteFileW(temporary.c_str());
    }
    return done;
}

}  // namespace tessarin::win32
