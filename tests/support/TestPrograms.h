#pragma once

// Starting the small test programs that are built beside every test executable, and the waits
// and files the Windows tests share.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
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
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

// The first line of a small text file; empty when the file is not there (yet).
inline std::string ReadFirstLine(const std::wstring& path) {
    std::ifstream file{std::filesystem::path(path)};
    std::string line;
    std::getline(file, line);
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
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// Starts a program with this command line; a zero hProcess when it could not start.
inline PROCESS_INFORMATION StartProcess(std::wstring commandLine, DWORD flags = 0) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
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
    const PROCESS_INFORMATION process = StartProcess(commandLine);
    const auto ended = [&] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    };
    DWORD exitCode = 1;
    if (process.hProcess != nullptr && WaitFor(ended, 20)) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0;
}

}  // namespace tessarin::testsupport
