#pragma once

// Tessarin.exe started, driven and ended from outside, as a user or Windows would, with the
// user's own store and Run entries set aside while the tests run.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RemoteControls.h"
#include "TestPrograms.h"
#include "TestRegistry.h"
#include "ui/win32/MainWindowIds.h"

namespace tessarin::testsupport {

inline constexpr wchar_t kMainWindowClass[] = L"TessarinMainWindow";

class TessarinTest : public ::testing::Test {
  protected:
    using Table = std::vector<std::vector<std::wstring>>;

    static void SetUpTestSuite() { aside_.SetAside(); }
    static void TearDownTestSuite() { aside_.PutBack(); }
    void SetUp() override { UserStoreAside::Clear(); }
    void TearDown() override {
        EndProcesses(processes_);
        DropLeftoverAtoms();
        UserStoreAside::Clear();
        DeleteFileW(script_.c_str());
        DeleteFileW(marker_.c_str());
    }

    HANDLE Launch(const std::wstring& arguments = L"", DWORD flags = 0) {
        std::wstring commandLine = L"\"" + ProgramFolder() + L"Tessarin.exe\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                            nullptr, &startup, &process)) {
            return nullptr;
        }
        processes_.push_back(process);
        return process.hProcess;
    }

    // Finds the running copy's main window and its list; the caption comes once the list is in.
    void Attach() {
        ASSERT_TRUE(WaitFor([&] {
            return (window_ = FindWindowW(kMainWindowClass, L"Tessarin v1.36")) != nullptr;
        })) << "no main window";
        list_ = FindWindowExW(window_, nullptr, WC_LISTVIEWW, nullptr);
        ASSERT_NE(list_, nullptr);
    }

    // Starts a copy and waits for its window, shown with the whole stored list unless it starts
    // in the notification area.
    void Start(const std::wstring& arguments = L"") {
        mainProcess_ = Launch(arguments);
        ASSERT_NE(mainProcess_, nullptr);
        Attach();
        if (arguments.empty()) {
            ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
        }
    }

    void Command(unsigned id) { PostMessageW(window_, WM_COMMAND, id, 0); }

    // "Unload Tessarin", and the program gone.
    void Unload() {
        Command(win32::ids::mnuUnload);
        ASSERT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0);
    }

    void Kill() {
        TerminateProcess(mainProcess_, 1);
        ASSERT_EQ(WaitForSingleObject(mainProcess_, 5000), WAIT_OBJECT_0);
        DropLeftoverAtoms();
    }

    // Tessarin.exe run with these arguments to its end; its exit code.
    DWORD RunToEnd(const std::wstring& arguments) {
        HANDLE process = Launch(arguments);
        DWORD exitCode = STILL_ACTIVE;
        if (process != nullptr && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process, &exitCode);
        }
        return exitCode;
    }

    Table Rows() const { return ReadListView(list_, 4); }

    // A dialog or message box of this title, once shown; `except` is one to pass over.
    static HWND Shown(const wchar_t* title, HWND except = nullptr) {
        HWND found = nullptr;
        WaitFor([&] {
            found = FindWindowExW(nullptr, nullptr, L"#32770", title);
            found = found == except ? FindWindowExW(nullptr, found, L"#32770", title) : found;
            return found != nullptr && IsWindowVisible(found);
        });
        return found;
    }

    static std::wstring Setting(const std::wstring& section, const std::wstring& name) {
        return Stored(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\" + section, name);
    }

    static void StoreAction(int n, const std::wstring& type, const std::wstring& hotkey,
                            const std::wstring& data, const std::wstring& index = L"2") {
        const std::wstring actions = std::wstring(kStoreKey) + L"\\Actions";
        const std::wstring number = std::to_wstring(n);
        Store(HKEY_CURRENT_USER, actions, L"ActionType" + number, type);
        Store(HKEY_CURRENT_USER, actions, L"Hotkey" + number, hotkey);
        Store(HKEY_CURRENT_USER, actions, L"Data" + number, data);
        Store(HKEY_CURRENT_USER, actions, L"ActionIndex" + number, index);
    }

    // A batch file that writes its first two arguments to a marker file; returns its quoted
    // path, ready to be an action's command.
    std::wstring MarkerScript() {
        script_ = TempFolder() + L"tessarin e2e mark.cmd";
        marker_ = TempFolder() + L"tessarin e2e marker.txt";
        DeleteFileW(marker_.c_str());
        EXPECT_TRUE(WriteWholeFile(script_, "@echo %~1 %2> \"%~dp0tessarin e2e marker.txt\"\r\n"));
        return L"\"" + script_ + L"\"";
    }
    std::string Marker() const { return ReadFirstLine(marker_); }

    // A killed copy leaves its hotkey atoms in the global table, where they would pass for a
    // leak of the next copy that ends properly.
    static void DropLeftoverAtoms() {
        for (int n = 1; n <= 200; ++n) {
            const std::wstring name = L"TessarinAtom" + std::to_wstring(n);
            for (int i = 0; i < 1000 && GlobalFindAtomW(name.c_str()) != 0; ++i) {
                GlobalDeleteAtom(GlobalFindAtomW(name.c_str()));
            }
        }
    }

    static inline UserStoreAside aside_{L"Software\\Tessarin (saved by the end-to-end tests)"};
    std::wstring script_;
    std::wstring marker_;
    std::vector<PROCESS_INFORMATION> processes_;
    HANDLE mainProcess_ = nullptr;  // the copy whose window the test drives
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

}  // namespace tessarin::testsupport
