#pragma once

// Shared by the Win32 benchmark programs: a clock, medians and the 200-action store they use.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "model/ActionRecord.h"

namespace tessarin::bench {

inline double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

inline double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// 200 actions, each with its own combination: four modifier sets without the Windows key (which
// the system keeps many combinations of) over the letters, digits, F1 to F12 and the arrows.
inline ActionList TwoHundredActions() {
    static const char* const kModifiers[] = {"CTRL + ALT + SHIFT + ", "ALT + SHIFT + ",
                                             "CTRL + SHIFT + ", "CTRL + ALT + "};
    std::vector<std::string> keys;
    for (char key = 'A'; key <= 'Z'; ++key) {
        keys.emplace_back(1, key);
    }
    for (char key = '0'; key <= '9'; ++key) {
        keys.emplace_back(1, key);
    }
    for (int key = 1; key <= 12; ++key) {
        keys.push_back("F" + std::to_string(key));
    }
    for (const char* arrow : {"[LARROW]", "[UARROW]", "[RARROW]", "[DARROW]"}) {
        keys.emplace_back(arrow);
    }
    ActionList list;
    for (std::size_t n = 0; n < 200; ++n) {
        ActionRecord record;
        record.ActionType = "File/Folder";
        record.Hotkey = kModifiers[n / keys.size()] + keys[n % keys.size()];
        record.Data = "C:\\Windows\\notepad.exe";
        record.ActionIndex = 1;
        list.Add(std::move(record));
    }
    return list;
}

// Moves a key under HKEY_CURRENT_USER aside for the run and puts it back at the end. A copy left
// by a run that was cut short is put back first, so the user's own key is never overwritten.
class KeyAside {
  public:
    explicit KeyAside(std::wstring path)
        : path_(std::move(path)), aside_(path_ + L" (saved by the benchmarks)") {
        if (Exists(aside_)) {
            Restore();
        }
        if (Exists(path_) && Move(path_, aside_)) {
            std::fwprintf(stderr, L"HKCU\\%ls set aside for the run\n", path_.c_str());
        }
    }
    ~KeyAside() { Restore(); }
    KeyAside(const KeyAside&) = delete;
    KeyAside& operator=(const KeyAside&) = delete;

  private:
    static bool Exists(const std::wstring& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
    // Copies, then removes the source only when the copy is whole.
    static bool Move(const std::wstring& from, const std::wstring& to) {
        RegDeleteTreeW(HKEY_CURRENT_USER, to.c_str());
        HKEY source = nullptr;
        HKEY target = nullptr;
        bool copied = false;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &source) == ERROR_SUCCESS &&
            RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &target, nullptr) == ERROR_SUCCESS) {
            copied = RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
        }
        if (target != nullptr) {
            RegCloseKey(target);
        }
        if (source != nullptr) {
            RegCloseKey(source);
        }
        if (copied) {
            RegDeleteTreeW(HKEY_CURRENT_USER, from.c_str());
        }
        return copied;
    }
    void Restore() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        if (Exists(aside_) && Move(aside_, path_)) {
            std::fwprintf(stderr, L"HKCU\\%ls put back\n", path_.c_str());
        }
    }

    std::wstring path_;
    std::wstring aside_;
};

// One registry value put back as it was (or removed when there was none) at the end of the run.
class ValueAside {
  public:
    ValueAside(HKEY root, const wchar_t* path, const wchar_t* name)
        : root_(root), path_(path), name_(name) {
        wchar_t buffer[2048];
        DWORD size = sizeof(buffer);
        if (RegGetValueW(root_, path_, name_, RRF_RT_REG_SZ, nullptr, buffer, &size) ==
            ERROR_SUCCESS) {
            value_ = buffer;
            had_ = true;
        }
    }
    ~ValueAside() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, path_, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        if (had_) {
            RegSetValueExW(key, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value_.c_str()),
                           static_cast<DWORD>((value_.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key, name_);
        }
        RegCloseKey(key);
    }
    ValueAside(const ValueAside&) = delete;
    ValueAside& operator=(const ValueAside&) = delete;

  private:
    HKEY root_;
    const wchar_t* path_;
    const wchar_t* name_;
    std::wstring value_;
    bool had_ = false;
};

}  // namespace tessarin::bench
