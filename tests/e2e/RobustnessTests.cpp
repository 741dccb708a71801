// Tessarin.exe under stress from outside: many copies started at once, and the program killed
// while it saves its list. Whatever happens, the next start shows every stored action, and the
// store holds exactly what that start shows.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>
#include <vector>

#include "Launcher.h"
#include "ui/win32/HotKeyDialog.h"

namespace {

using namespace tessarin::testsupport;
using Robustness = TessarinTest;
namespace ids = tessarin::win32::ids;
using tessarin::win32::HotKeyDialog;

// Thirty rows, long enough that a save takes a while; `tag` tells two lists apart in every row.
// The first rows carry hotkeys, so that saving goes with registering them all again.
Table MakeRows(const std::wstring& tag) {
    Table rows;
    for (int n = 1; n <= 30; ++n) {
        rows.push_back({n % 2 == 0 ? L"Paste Text" : L"Go to URL",
                        n <= 10 ? L"CTRL + ALT + SHIFT + " + std::to_wstring(n % 10) : L"",
                        tag + L" entry " + std::to_wstring(n) + L" " + std::wstring(200, L'x'),
                        n % 2 == 0 ? L"30" : L"6"});
    }
    return rows;
}

TEST_F(Robustness, OfTwentyCopiesStartedAtOnceOneRunsAndNoneWritesTheStore) {
    const Table stored = MakeRows(L"stored");
    StoreRows(stored);
    // Every copy is held before its first instruction, then all are let go at once, so that they
    // reach the single-instance check together.
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(Launch(L"", CREATE_SUSPENDED), nullptr);
    }
    for (const PROCESS_INFORMATION& process : processes_) {
        ASSERT_NE(ResumeThread(process.hThread), static_cast<DWORD>(-1));
    }
    const auto running = [&] {
        return std::count_if(processes_.begin(), processes_.end(), [](const auto& copy) {
            return WaitForSingleObject(copy.hProcess, 0) == WAIT_TIMEOUT;
        });
    };
    ASSERT_TRUE(WaitFor([&] { return running() <= 1; }, 30)) << running() << " copies run on";
    Sleep(500);
    ASSERT_EQ(running(), 1);
    for (const PROCESS_INFORMATION& copy : processes_) {
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(copy.hProcess, &exitCode);
        mainProcess_ = exitCode == STILL_ACTIVE ? copy.hProcess : mainProcess_;
        EXPECT_TRUE(exitCode == STILL_ACTIVE || exitCode == 0)
            << "a copy failed, not ended quietly";
    }
    Attach();
    EXPECT_TRUE(WaitFor([&] { return Rows() == stored; }, 5));
    EXPECT_EQ(StoredRows(), stored);
    EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), kAbsent);
    Unload();
}

// The store is given one list ("old") behind the back of a program that holds another ("new"),
// so a save cut short anywhere would show as a mix.
TEST_F(Robustness, AKillDuringASaveLeavesTheOldListOrTheNew) {
    const Table started = MakeRows(L"new");
    const Table oldRows = MakeRows(L"old");
    Table withoutHotkey = started;
    withoutHotkey[0][1] = L"";

    // One undisturbed unload first, to know how long a save takes. The single-instance mutex is
    // held until the list is saved, so that a copy started meanwhile cannot load the list about
    // to be replaced.
    StoreRows(started);
    Start();
    StoreRows(oldRows);
    HKEY store = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_NOTIFY, &store), ERROR_SUCCESS);
    const HANDLE saving = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(
                  store, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, saving, TRUE),
              ERROR_SUCCESS);
    const auto unloadStart = std::chrono::steady_clock::now();
    Command(ids::mnuUnload);
    ASSERT_EQ(WaitForSingleObject(saving, 15000), WAIT_OBJECT_0) << "nothing was saved";
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"NIRASSET000000000");
    EXPECT_NE(mutex, nullptr) << "the mutex was let go before the save";
    ASSERT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0);
    const auto full = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - unloadStart);
    CloseHandle(mutex);
    CloseHandle(saving);
    RegCloseKey(store);
    ASSERT_EQ(StoredRows(), started);

    // Kill points after a save began (at unload, or when "Delete Hotkey" is clicked): ms after
    // it began, or -1 for once the store holds the new list.
    const int delays[] = {0, 2, 10, 20, 50, static_cast<int>(full.count()) / 2, -1};
    for (const bool unload : {true, false}) {
        const Table& newRows = unload ? started : withoutHotkey;
        int newSeen = 0;
        for (const int delay : delays) {
            const std::string when = (unload ? "unload, killed at " : "hotkey change, killed at ") +
                                     std::to_string(delay);
            RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
            StoreRows(started);
            Start();
            HWND button = nullptr;  // "Delete Hotkey"
            if (!unload) {
                Select(0);
                Command(ids::kEditHotkey);
                button = GetDlgItem(Shown(L"Register Hotkey"), HotKeyDialog::kCommand1Id);
                ASSERT_NE(button, nullptr);
            }
            StoreRows(oldRows);
            if (unload) {
                Command(ids::mnuUnload);
            } else {
                PostMessageW(button, BM_CLICK, 0, 0);
            }
            if (delay < 0) {
                EXPECT_TRUE(WaitFor([&] { return StoredRows() == newRows; }, 5)) << when;
            }
            Sleep(static_cast<DWORD>(std::max(delay, 0)));
            Kill();

            // The next start finishes or drops a save cut short before it shows anything.
            Start();
            const Table shown = Rows();
            EXPECT_TRUE(shown == oldRows || shown == newRows) << when << ": " << shown.size();
            EXPECT_EQ(StoredRows(), shown) << when;
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Tessarin\\Actions Journal"))
                << when;
            Kill();
            newSeen += shown == newRows ? 1 : 0;
        }
        // Some kill came before the new list was in place, and the last kept it.
        EXPECT_GT(newSeen, 0) << unload;
        EXPECT_LT(newSeen, static_cast<int>(std::size(delays))) << unload;
    }
}

}  // namespace
