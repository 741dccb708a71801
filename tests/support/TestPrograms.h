#pragma once

// What the Windows tests share: the small test programs built beside every test executable, the
// waits and files, and the registry: plain value helpers, and the user's own store and Run
// entries set aside while a test suite runs, so the tests are safe on a real machine.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessarin::testsupport {

inline std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of(L"\\/") + 1);
}

// The user's temporary folder, with its trailing backslash.
inline std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    return std::wstring(path, GetTempPathW(MAX_PATH + 1, path));
}

// Writes a whole file, replacing what was there; true when every byte went out.
inline bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    return !(std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes).fail();
}

// The first line of a small text file; empty when the file is not there (yet).
inline std::string ReadFirstLine(const std::wstring& path) {
    std::string line;
    std::getline(std::ifstream(std::filesystem::path(path)), line);
    return line.substr(0, line.find('\r'));
}

// Ends every process a test started that still runs (a test that failed half-way leaves one
// behind) and closes their handles.
inline void EndProcesses(std::vector<PROCESS_INFORMATION>& processes) {
    for (PROCESS_INFORMATION& process : processes) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    processes.clear();
}

// Polls a condition until it holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, int seconds = 15) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    // The condition is asked once per round only: it may consume what it looks at (an event).
    for (bool deadlinePassed = false;; Sleep(20)) {
        if (condition()) {
            return true;
        }
        if (deadlinePassed) {
            return false;
        }
        deadlinePassed = std::chrono::steady_clock::now() >= deadline;
    }
}

// Starts a program with this command line, in `folder` if one is given; a zero hProcess when it
// could not start.
inline PROCESS_INFORMATION StartProcess(std::wstring commandLine, DWORD flags = 0,
                                        const wchar_t* folder = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                   &startup, &process);
    return process;
}

// Types a key combination from a process of its own, as a user at the keyboard would, and keeps
// this thread's messages flowing meanwhile. True when every key went out.
inline bool SendKeys(const std::vector<UINT>& keys) {
    std::wstring commandLine = L"\"" + ProgramFolder() + L"tessarin_sendkeys.exe\"";
    for (UINT key : keys) {
        commandLine += L" " + std::to_wstring(key);
    }
    std::vector<PROCESS_INFORMATION> process{StartProcess(commandLine)};
    DWORD exitCode = STILL_ACTIVE;
    WaitFor(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
            return GetExitCodeProcess(process[0].hProcess, &exitCode) && exitCode != STILL_ACTIVE;
        },
        20);
    EndProcesses(process);
    return exitCode == 0;
}

inline constexpr wchar_t kStoreKey[] = L"Software\\Tessarin";
inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Tessarin";
// What Stored() reads for a value that is not there.
inline constexpr wchar_t kAbsent[] = L"<absent>";

inline bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    const bool exists = RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
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

// Makes the key as needed.
inline void Store(HKEY root, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
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
        Clear();
        if (KeyExists(HKEY_CURRENT_USER, backupKey_) && CopyTree(backupKey_, kStoreKey)) {
            RegDeleteTreeW(HKEY_CURRENT_USER, backupKey_);
        }
        for (const auto& [root, value] : run_) {
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
    // HKCU\to, not there before, made a copy of HKCU\from.
    static bool CopyTree(const wchar_t* from, const wchar_t* to) {
        HKEY target = nullptr;
        const bool copied = RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS,
                                            nullptr, &target, nullptr) == ERROR_SUCCESS &&
                            RegCopyTreeW(HKEY_CURRENT_USER, from, target) == ERROR_SUCCESS;
        RegCloseKey(target);
        return copied;
    }

    const wchar_t* backupKey_;
    std::pair<HKEY, std::wstring> run_[2] = {{HKEY_LOCAL_MACHINE, kAbsent},
                                             {HKEY_CURRENT_USER, kAbsent}};
};

}  // namespace tessarin::testsupport
