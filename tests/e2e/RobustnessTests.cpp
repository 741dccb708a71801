// Tessarin.exe under stress from outside: many copies started at once, and the program killed
// while it saves its list (at unload, and when a hotkey is assigned). Whatever happens, the next
// start shows every stored action, and the store holds exactly what that start shows.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "RegistryTree.h"
#include "RemoteControls.h"
#include "TestPrograms.h"
#include "TestRegistry.h"
#include "ui/win32/HotKeyDialog.h"
#include "ui/win32/MainWindowIds.h"

namespace {

using tessarin::testsupport::EndProcesses;
using tessarin::testsupport::KeyExists;
using tessarin::testsupport::kRunKey;
using tessarin::testsupport::kStoreKey;
using tessarin::testsupport::ProgramFolder;
using tessarin::testsupport::ReadListView;
using tessarin::testsupport::ReadRegistryTree;
using tessarin::testsupport::RegistryTree;
using tessarin::testsupport::RegistryTreeDifference;
using tessarin::testsupport::SelectListRow;
using tessarin::testsupport::UserStoreAside;
using tessarin::testsupport::WaitFor;
namespace ids = tessarin::win32::ids;

using Rows = std::vector<std::vector<std::wstring>>;

constexpr wchar_t kActionsKey[] = L"Software\\Tessarin\\Actions";
constexpr wchar_t kJournalKey[] = L"Software\\Tessarin\\Actions Journal";
// Where a user's own store waits while the tests run on a real Windows machine.
constexpr wchar_t kBackupKey[] = L"Software\\Tessarin (saved by the robustness tests)";
constexpr wchar_t kMainWindowClass[] = L"TessarinMainWindow";
// Long enough that a save takes a while, short enough for a quick run.
constexpr int kActions = 30;

// A list of actions in the four columns the window shows; `tag` tells two lists apart in every
// row. The first rows carry hotkeys, so that saving goes with registering them all again.
Rows MakeRows(const std::wstring& tag) {
    Rows rows;
    for (int n = 1; n <= kActions; ++n) {
        const std::wstring hotkey =
            n <= 10 ? L"CTRL + ALT + SHIFT + " + std::to_wstring(n % 10) : L"";
        rows.push_back({n % 2 == 0 ? L"Paste Text" : L"Go to URL", hotkey,
                        tag + L" entry " + std::to_wstring(n) + L" " + std::wstring(200, L'x'),
                        std::to_wstring(n % 2 == 0 ? 30 : 6)});
    }
    return rows;
}

void StoreRows(const Rows& rows) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kActionsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t* fields[] = {L"ActionType", L"Hotkey", L"Data", L"ActionIndex"};
    for (std::size_t n = 1; n <= rows.size(); ++n) {
        for (std::size_t field = 0; field < 4; ++field) {
            const std::wstring name = fields[field] + std::to_wstring(n);
            const std::wstring& value = rows[n - 1][field];
            RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
    }
    RegCloseKey(key);
}

// The "Actions" section as a list, read as the program reads it: positions from 1 up to the
// first without an ActionType. Positions 1 to 200 beyond that must be empty, or the section is
// no list the program wrote; that shows as an extra row "<left over>".
Rows StoredRows() {
    Rows rows;
    const RegistryTree tree = ReadRegistryTree(HKEY_CURRENT_USER, kActionsKey);
    const auto text = [&](const std::wstring& name) -> std::wstring {
        const auto found = tree.find(L"\\" + name);
        if (found == tree.end() || found->second.Type != REG_SZ) {
            return L"<absent>";
        }
        std::wstring value(reinterpret_cast<const wchar_t*>(found->second.Data.data()),
                           found->second.Data.size() / sizeof(wchar_t));
        if (!value.empty() && value.back() == L'\0') {
            value.pop_back();
        }
        return value;
    };
    bool ended = false;
    for (int n = 1; n <= 200; ++n) {
        const std::wstring number = std::to_wstring(n);
        std::vector<std::wstring> row = {text(L"ActionType" + number), text(L"Hotkey" + number),
                                         text(L"Data" + number), text(L"ActionIndex" + number)};
        const bool absent = std::all_of(row.begin(), row.end(),
                                        [](const std::wstring& v) { return v == L"<absent>"; });
        if (row[0] == L"<absent>") {
            ended = true;
        }
        if (ended && !absent) {
            rows.push_back({L"<left over>", number, L"", L""});
        } else if (!ended) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::wstring Describe(const Rows& rows) {
    std::wstring text = std::to_wstring(rows.size()) + L" rows";
    for (std::size_t i = 0; i < rows.size() && i < 3; ++i) {
        text += L"; " + rows[i][0] + L" | " + rows[i][1] + L" | " + rows[i][2].substr(0, 20);
    }
    return text;
}

std::vector<HWND> MainWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == kMainWindowClass) {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A killed copy leaves its hotkey atoms in the global table; they would be taken for a leak of
// the next copy that ends properly.
void DropLeftoverAtoms() {
    for (int n = 1; n <= kActions; ++n) {
        const std::wstring name = L"TessarinAtom" + std::to_wstring(n);
        for (int i = 0; i < 1000; ++i) {
            const ATOM atom = GlobalFindAtomW(name.c_str());
            if (atom == 0) {
                break;
            }
            GlobalDeleteAtom(atom);
        }
    }
}

class Robustness : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { aside_.SetAside(); }
    static void TearDownTestSuite() { aside_.PutBack(); }
    void SetUp() override { UserStoreAside::Clear(); }

    void TearDown() override {
        EndProcesses(processes_);
        DropLeftoverAtoms();
        UserStoreAside::Clear();
    }

    // Starts Tessarin.exe; with CREATE_SUSPENDED it waits for ResumeThread on Resumable().
    HANDLE Launch(DWORD flags = 0) {
        std::wstring commandLine = L"\"" + ProgramFolder() + L"Tessarin.exe\"";
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

    // Starts one copy and waits until its window shows the whole stored list.
    void Start(std::size_t expectedRows) {
        process_ = Launch();
        ASSERT_NE(process_, nullptr);
        ASSERT_TRUE(WaitFor([&] {
            window_ = FindWindowW(kMainWindowClass, nullptr);
            return window_ != nullptr && IsWindowVisible(window_);
        })) << "no main window";
        list_ = FindWindowExW(window_, nullptr, WC_LISTVIEWW, nullptr);
        ASSERT_NE(list_, nullptr);
        ASSERT_TRUE(WaitFor([&] { return ListRows().size() >= expectedRows; }, 5))
            << ListRows().size() << " rows";
    }

    void Command(unsigned id) { PostMessageW(window_, WM_COMMAND, id, 0); }

    // "Unload Tessarin" and the program gone; returns how long that took.
    std::chrono::milliseconds Unload() {
        const auto start = std::chrono::steady_clock::now();
        Command(ids::mnuUnload);
        EXPECT_EQ(WaitForSingleObject(process_, 15000), WAIT_OBJECT_0);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }

    void Kill() {
        TerminateProcess(process_, 1);
        ASSERT_EQ(WaitForSingleObject(process_, 5000), WAIT_OBJECT_0);
        DropLeftoverAtoms();
    }

    Rows ListRows() { return ReadListView(list_, 4); }

    // After a kill: the next start shows the whole old list or the whole new one, and the store,
    // read directly once that start has loaded it, holds exactly what it shows. Returns true for
    // the new list.
    bool ExpectOldOrNewAfterRestart(const Rows& oldRows, const Rows& newRows,
                                    const std::string& when) {
        Start(0);
        if (HasFatalFailure()) {
            return false;
        }
        // The load finishes or drops a save that was cut short before it shows anything.
        const Rows shown = ListRows();
        EXPECT_TRUE(shown == oldRows || shown == newRows)
            << when << ": the next start shows " << Describe(shown);
        EXPECT_TRUE(StoredRows() == shown)
            << when << ": the store holds " << Describe(StoredRows());
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kJournalKey))
            << when << ": the journal outlived the load";
        Kill();
        return shown == newRows;
    }

    static inline UserStoreAside aside_{kBackupKey};
    std::vector<PROCESS_INFORMATION> processes_;
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(Robustness, TwentySimultaneousStartsLeaveOneRunningAndTheStoreAsItWas) {
    const Rows stored = MakeRows(L"stored");
    StoreRows(stored);
    // What one ordinary start and unload leaves: the list as it was, and the settings it writes.
    Start(stored.size());
    Unload();
    const RegistryTree reference = ReadRegistryTree(HKEY_CURRENT_USER, kStoreKey);
    // The Run entries the ordinary run left, as every start and unload writes them.
    const RegistryTree runEntries = ReadRegistryTree(HKEY_LOCAL_MACHINE, kRunKey);
    const RegistryTree userRunEntries = ReadRegistryTree(HKEY_CURRENT_USER, kRunKey);
    ASSERT_EQ(StoredRows(), stored);

    constexpr int kCopies = 20;
    // Every copy is made first and held before its first instruction, then all are let go at
    // once, so that they reach the single-instance check together.
    std::vector<HANDLE> copies;
    std::vector<HANDLE> threads;
    for (int i = 0; i < kCopies; ++i) {
        copies.push_back(Launch(CREATE_SUSPENDED));
        ASSERT_NE(copies.back(), nullptr);
        threads.push_back(processes_.back().hThread);
    }
    const auto launched = std::chrono::steady_clock::now();
    for (HANDLE thread : threads) {
        ASSERT_NE(ResumeThread(thread), static_cast<DWORD>(-1));
    }
    const auto running = [&] {
        return std::count_if(copies.begin(), copies.end(), [](HANDLE copy) {
            return WaitForSingleObject(copy, 0) == WAIT_TIMEOUT;
        });
    };
    const auto spread = std::chrono::steady_clock::now() - launched;
    ASSERT_TRUE(WaitFor([&] { return running() <= 1; }, 30)) << running() << " copies run on";
    std::printf("[          ] %d copies let go within %lld ms; all but one ended within %lld ms\n",
                kCopies,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(spread).count()),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - launched)
                                           .count()));
    // The survivor keeps running, with one main window showing the list.
    Sleep(500);
    ASSERT_EQ(running(), 1);
    for (HANDLE copy : copies) {
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(copy, &exitCode);
        if (exitCode != STILL_ACTIVE) {
            EXPECT_EQ(exitCode, 0u) << "a copy failed instead of ending quietly";
        } else {
            process_ = copy;
        }
    }
    ASSERT_TRUE(WaitFor([&] { return MainWindows().size() == 1; })) << MainWindows().size();
    window_ = MainWindows().front();
    DWORD owner = 0;
    GetWindowThreadProcessId(window_, &owner);
    EXPECT_EQ(owner, GetProcessId(process_));
    list_ = FindWindowExW(window_, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ListRows() == stored; }, 5)) << Describe(ListRows());

    // Nothing was written by any copy so far, and the survivor's unload writes what an ordinary
    // one does.
    EXPECT_EQ(RegistryTreeDifference(reference, ReadRegistryTree(HKEY_CURRENT_USER, kStoreKey)),
              L"")
        << "while running";
    Unload();
    EXPECT_EQ(RegistryTreeDifference(reference, ReadRegistryTree(HKEY_CURRENT_USER, kStoreKey)),
              L"")
        << "after the unload";
    EXPECT_TRUE(ReadRegistryTree(HKEY_LOCAL_MACHINE, kRunKey) == runEntries);
    EXPECT_TRUE(ReadRegistryTree(HKEY_CURRENT_USER, kRunKey) == userRunEntries);
    EXPECT_TRUE(MainWindows().empty());
}

// The list in the store is changed behind the running program's back, so the store holds one
// list ("old") and the program another ("new"): a save cut short anywhere would show as a mix.
TEST_F(Robustness, KillDuringUnloadLeavesTheOldListOrTheNew) {
    const Rows newRows = MakeRows(L"new");
    const Rows oldRows = MakeRows(L"old");

    // One undisturbed unload first: how long the whole tear-down takes, and the settings it
    // writes.
    StoreRows(newRows);
    Start(newRows.size());
    StoreRows(oldRows);
    // The single-instance mutex is held until the list is saved: a copy started meanwhile must
    // not load the list that is about to be replaced.
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
    ASSERT_EQ(WaitForSingleObject(process_, 15000), WAIT_OBJECT_0);
    const auto unload = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - unloadStart);
    for (const HANDLE handle : {mutex, saving}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    RegCloseKey(store);
    ASSERT_EQ(StoredRows(), newRows);
    const RegistryTree settings =
        ReadRegistryTree(HKEY_CURRENT_USER, L"Software\\Tessarin\\Settings");
    ASSERT_FALSE(settings.empty());

    int newSeen = 0;
    std::string outcomes;  // per kill: delay, then o(ld) or n(ew), j when a journal was left
    const int full = static_cast<int>(unload.count());
    std::vector<int> delays = {0, 1, 2, 5, 10, 20, 50, full / 4, full / 2, full * 3 / 4};
    for (const int delay : delays) {
        const std::string when = "killed " + std::to_string(delay) + " ms into the unload";
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        StoreRows(newRows);
        Start(newRows.size());
        StoreRows(oldRows);
        Command(ids::mnuUnload);
        Sleep(static_cast<DWORD>(delay));
        Kill();

        const bool journal = KeyExists(HKEY_CURRENT_USER, kJournalKey);
        // Each setting is either not yet written or written whole.
        const RegistryTree now =
            ReadRegistryTree(HKEY_CURRENT_USER, L"Software\\Tessarin\\Settings");
        for (const auto& [name, value] : now) {
            const auto written = settings.find(name);
            EXPECT_TRUE(written != settings.end() && written->second == value)
                << when << ": setting " << name;
        }
        const bool isNew = ExpectOldOrNewAfterRestart(oldRows, newRows, when);
        if (HasFatalFailure()) {
            return;
        }
        newSeen += isNew ? 1 : 0;
        outcomes += " " + std::to_string(delay) + (isNew ? "n" : "o") + (journal ? "j" : "") +
                    (now.size() > 1 ? "s" : "");
    }
    std::printf(
        "[          ] unload of %d actions: %d ms; kills (ms, o(ld)/n(ew), j(ournal left), "
        "s(ettings written)):%s\n",
        kActions, full, outcomes.c_str());
    // The kills reached the save, not only what follows it: at least one came before the new
    // list was in place.
    EXPECT_LT(newSeen, static_cast<int>(delays.size()));
}

// "Delete Hotkey" in the Edit Hotkey dialog saves the whole list and registers every hotkey
// again; a kill anywhere in that leaves the old list or the new one.
TEST_F(Robustness, KillDuringAHotkeyChangeLeavesTheOldListOrTheNew) {
    const Rows started = MakeRows(L"new");
    Rows newRows = started;
    newRows[0][1] = L"";  // the first row's hotkey removed
    const Rows oldRows = MakeRows(L"old");

    int newSeen = 0;
    std::string outcomes;  // per kill: delay, then o(ld) or n(ew), j when a journal was left
    // -1: once the store holds the new list, while every hotkey is registered again.
    const std::vector<int> delays = {0, 2, 5, 10, 20, 35, 50, -1};
    for (const int delay : delays) {
        const std::string when =
            delay < 0 ? "killed after the save"
                      : "killed " + std::to_string(delay) + " ms into the hotkey change";
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        StoreRows(started);
        Start(started.size());
        ASSERT_TRUE(SelectListRow(list_, 0));
        Command(ids::kEditHotkey);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            dialog = FindWindowW(nullptr, L"Register Hotkey");
            return dialog != nullptr && IsWindowVisible(dialog);
        })) << "no Register Hotkey dialog";
        const HWND deleteButton = GetDlgItem(dialog, tessarin::win32::HotKeyDialog::kCommand1Id);
        ASSERT_NE(deleteButton, nullptr);
        StoreRows(oldRows);
        PostMessageW(deleteButton, BM_CLICK, 0, 0);
        if (delay < 0) {
            EXPECT_TRUE(WaitFor([&] { return StoredRows() == newRows; }, 5)) << "never saved";
        } else {
            Sleep(static_cast<DWORD>(delay));
        }
        Kill();

        const bool journal = KeyExists(HKEY_CURRENT_USER, kJournalKey);
        const bool isNew = ExpectOldOrNewAfterRestart(oldRows, newRows, when);
        if (HasFatalFailure()) {
            return;
        }
        newSeen += isNew ? 1 : 0;
        outcomes += " " + (delay < 0 ? std::string("after") : std::to_string(delay)) +
                    (isNew ? "n" : "o") + (journal ? "j" : "");
    }
    std::printf("[          ] kills during a hotkey change (ms, o(ld)/n(ew), j(ournal left)):%s\n",
                outcomes.c_str());
    // The last kill came after the save and kept the change; at least one came before it.
    EXPECT_GT(newSeen, 0);
    EXPECT_LT(newSeen, static_cast<int>(delays.size()));
}

}  // namespace
