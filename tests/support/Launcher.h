#pragma once

// Tessarin.exe started, driven and ended from outside, as a user or Windows would, with the
// user's own store and Run entries set aside while the tests run.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPrograms.h"
#include "TestRegistry.h"
#include "ui/win32/MainWindowIds.h"

namespace tessarin::testsupport {

// A list-view message sent to another process's list: its item structure and the room for the
// text it writes are placed in that process, as the message carries pointers. Returns that text.
inline std::wstring SendToList(HWND list, UINT message, WPARAM row, LVITEMW item) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    const HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    constexpr int kChars = 4096;
    auto* remote = static_cast<char*>(VirtualAllocEx(
        process, nullptr, sizeof(item) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::wstring text;
    if (remote != nullptr) {
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(item));
        item.cchTextMax = kChars;
        WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
        text.resize(static_cast<std::size_t>(
            SendMessageW(list, message, row, reinterpret_cast<LPARAM>(remote))));
        ReadProcessMemory(process, item.pszText, text.data(), text.size() * sizeof(wchar_t),
                          nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

// Rows as the main window shows them, in its four columns.
using Table = std::vector<std::vector<std::wstring>>;

class TessarinTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { aside_.SetAside(); }
    static void TearDownTestSuite() { aside_.PutBack(); }
    void SetUp() override { UserStoreAside::Clear(); }
    void TearDown() override {
        EndProcesses(processes_);
        UserStoreAside::Clear();
        DeleteFileW(script_.c_str());
        DeleteFileW(marker_.c_str());
    }

    HANDLE Launch(const std::wstring& arguments = L"", DWORD flags = 0) {
        processes_.push_back(
            StartProcess(L"\"" + ProgramFolder() + L"Tessarin.exe\" " + arguments, flags));
        return processes_.back().hProcess;
    }

    // Finds the running copy's main window and its list; the caption comes once the list is in.
    void Attach() {
        ASSERT_TRUE(WaitFor([&] {
            return (window_ = FindWindowW(L"TessarinMainWindow", L"Tessarin v1.36")) != nullptr;
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
    }

    // Every row the window shows, in its four columns.
    Table Rows() const {
        Table rows(static_cast<std::size_t>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)));
        for (std::size_t row = 0; row < rows.size(); ++row) {
            for (int column = 0; column < 4; ++column) {
                LVITEMW item{};
                item.iSubItem = column;
                rows[row].push_back(SendToList(list_, LVM_GETITEMTEXTW, row, item));
            }
        }
        return rows;
    }

    // Selects one row (0-based), as a click would.
    void Select(int row) {
        LVITEMW item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendToList(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), item);
    }

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

    static constexpr const wchar_t* kFields[] = {L"ActionType", L"Hotkey", L"Data", L"ActionIndex"};

    // Stores rows as the "Actions" section holds them: type, hotkey, data, ActionIndex.
    static void StoreRows(const Table& rows) {
        for (std::size_t n = 0; n < rows.size(); ++n) {
            for (std::size_t field = 0; field < 4; ++field) {
                Store(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\Actions",
                      kFields[field] + std::to_wstring(n + 1), rows[n][field]);
            }
        }
    }

    // The stored rows, read up to the first number with no action type.
    static Table StoredRows() {
        Table rows;
        for (int n = 1; Setting(L"Actions", L"ActionType" + std::to_wstring(n)) != kAbsent; ++n) {
            rows.emplace_back();
            for (const wchar_t* field : kFields) {
                rows.back().push_back(Setting(L"Actions", field + std::to_wstring(n)));
            }
        }
        return rows;
    }

    // A batch file that writes its first two arguments to a marker file; returns its quoted
    // path, ready to be an action's command.
    std::wstring MarkerScript() {
        DeleteFileW(marker_.c_str());
        EXPECT_TRUE(WriteWholeFile(script_, "@echo %~1 %2> \"%~dp0tessarin e2e marker.txt\"\r\n"));
        return L"\"" + script_ + L"\"";
    }
    std::string Marker() const { return ReadFirstLine(marker_); }

    static inline UserStoreAside aside_{L"Software\\Tessarin (saved by the end-to-end tests)"};
    const std::wstring script_ = TempFolder() + L"tessarin e2e mark.cmd";
    const std::wstring marker_ = TempFolder() + L"tessarin e2e marker.txt";
    std::vector<PROCESS_INFORMATION> processes_;
    HANDLE mainProcess_ = nullptr;  // the copy whose window the test drives
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

}  // namespace tessarin::testsupport
