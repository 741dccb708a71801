// Tessarin.exe under stress from outside: many copies started at once, and the program killed
// while it saves its list. Whatever happens, the next start shows every stored action, and the
// store holds exactly what that start shows.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Launcher.h"
#include "ui/win32/HotKeyDialog.h"

namespace {

using namespace tessarin::testsupport;
namespace ids = tessarin::win32::ids;

// Long enough that a save takes a while, short enough for a quick run.
constexpr std::size_t kActions = 30;

class Robustness : public TessarinTest {
  protected:
    // A list in the four columns the window shows; `tag` tells two lists apart in every row.
    // The first rows carry hotkeys, so that saving goes with registering them all again.
    static Table MakeRows(const std::wstring& tag) {
        Table rows;
        for (std::size_t n = 1; n <= kActions; ++n) {
            const std::wstring number = std::to_wstring(n);
            rows.push_back({n % 2 == 0 ? L"Paste Text" : L"Go to URL",
                            n <= 10 ? L"CTRL + ALT + SHIFT + " + std::to_wstring(n % 10) : L"",
                            tag + L" entry " + number + L" " + std::wstring(200, L'x'),
                            n % 2 == 0 ? L"30" : L"6"});
        }
        return rows;
    }

    // The "Actions" section that holds exactly these rows.
    static std::map<std::wstring, std::wstring> AsStored(const Table& rows) {
        std::map<std::wstring, std::wstring> values;
        for (std::size_t n = 0; n < rows.size(); ++n) {
            for (std::size_t field = 0; field < 4; ++field) {
                const wchar_t* names[] = {L"ActionType", L"Hotkey", L"Data", L"ActionIndex"};
                values[names[field] + std::to_wstring(n + 1)] = rows[n][field];
            }
        }
        return values;
    }

    static void StoreRows(const Table& rows) {
        for (const auto& [name, value] : AsStored(rows)) {
            Store(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\Actions", name, value);
        }
    }
};

TEST_F(Robustness, OfTwentyCopiesStartedAtOnceOneRunsAndNoneWritesTheStore) {
    const Table stored = MakeRows(L"stored");
    StoreRows(stored);
    // Every copy is held before its first instruction, then all are let go at once, so that they
    // reach the single-instance check together.
    std::vector<HANDLE> copies;
    for (int i = 0; i < 20; ++i) {
        copies.push_back(Launch(L"", CREATE_SUSPENDED));
        ASSERT_NE(copies.back(), nullptr);
    }
    for (const PROCESS_INFORMATION& process : processes_) {
        ASSERT_NE(ResumeThread(process.hThread), static_cast<DWORD>(-1));
    }
    const auto running = [&] {
        return std::count_if(copies.begin(), copies.end(), [](HANDLE copy) {
            return WaitForSingleObject(copy, 0) == WAIT_TIMEOUT;
        });
    };
    ASSERT_TRUE(WaitFor([&] { return running() <= 1; }, 30)) << running() << " copies run on";
    Sleep(500);
    ASSERT_EQ(running(), 1);
    for (HANDLE copy : copies) {
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(copy, &exitCode);
        if (exitCode == STILL_ACTIVE) {
            mainProcess_ = copy;
        } else {
            EXPECT_EQ(exitCode, 0u) << "a copy failed instead of ending quietly";
        }
    }
    Attach();
    DWORD owner = 0;
    GetWindowThreadProcessId(window_, &owner);
    EXPECT_EQ(owner, GetProcessId(mainProcess_));
    EXPECT_TRUE(WaitFor([&] { return Rows() == stored; }, 5));
    EXPECT_EQ(StoredSection(L"Actions"), AsStored(stored));
    EXPECT_TRUE(StoredSection(L"Settings").empty());
    Unload();
}

// The store is given one list ("old") behind the back of a program that holds another ("new"),
// so a save cut short anywhere would show as a mix. Each kill point is a moment after a save
// began (at unload, or when "Delete Hotkey" is clicked): a delay in ms, or -1 for once the store
// holds the new list.
TEST_F(Robustness, AKillDuringASaveLeavesTheOldListOrTheNew) {
    const Table started = MakeRows(L"new");
    const Table oldRows = MakeRows(L"old");
    Table withoutHotkey = started;
    withoutHotkey[0][1] = L"";

    // One undisturbed unload first: how long it takes, and the settings it writes. The
    // single-instance mutex is held until the list is saved, so that a copy started meanwhile
    // cannot load the list about to be replaced.
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
    const auto full = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - unloadStart)
                                           .count());
    CloseHandle(mutex);
    CloseHandle(saving);
    RegCloseKey(store);
    ASSERT_EQ(StoredSection(L"Actions"), AsStored(started));
    const auto settings = StoredSection(L"Settings");

    // Kill points, the same for both kinds of save: ms after it began, or -1 for once the store
    // holds the new list.
    const int delays[] = {0, 2, 10, 20, 50, full / 2, -1};
    for (const bool unload : {true, false}) {
        const Table& newRows = unload ? started : withoutHotkey;
        int newSeen = 0;
        for (const int delay : delays) {
            const std::string when = (unload ? "unload" : "hotkey change") +
                                     std::string(", killed at ") + std::to_string(delay);
            RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
            StoreRows(started);
            Start();
            HWND deleteButton = nullptr;
            if (!unload) {
                ASSERT_TRUE(SelectListRow(list_, 0));
                Command(ids::kEditHotkey);
                const HWND dialog = Shown(L"Register Hotkey");
                ASSERT_NE(dialog, nullptr);
                deleteButton = GetDlgItem(dialog, tessarin::win32::HotKeyDialog::kCommand1Id);
            }
            StoreRows(oldRows);
            if (unload) {
                Command(ids::mnuUnload);
            } else {
                PostMessageW(deleteButton, BM_CLICK, 0, 0);
            }
            if (delay < 0) {
                EXPECT_TRUE(
                    WaitFor([&] { return StoredSection(L"Actions") == AsStored(newRows); }, 5))
                    << when;
            }
            Sleep(static_cast<DWORD>(std::max(delay, 0)));
            Kill();
            // Each setting is either not yet written or written whole.
            for (const auto& [name, value] : StoredSection(L"Settings")) {
                EXPECT_EQ(value, settings.count(name) != 0 ? settings.at(name) : kAbsent) << when;
            }

            // The next start finishes or drops a save cut short before it shows anything.
            Start();
            const Table shown = Rows();
            EXPECT_TRUE(shown == oldRows || shown == newRows) << when << ": " << shown.size();
            EXPECT_EQ(StoredSection(L"Actions"), AsStored(shown)) << when;
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
