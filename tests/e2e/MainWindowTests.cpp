// Tessarin.exe itself, driven from outside as a user (or Windows) would drive it: one flow per
// feature, checked by its effects in the store, the Run key, the list the window shows and the
// files the actions write. Under stress too: many copies started at once, and the program killed
// while it saves its list; whatever happens, the next start shows every stored action, and the
// store holds exactly what that start shows.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Launcher.h"
#include "ui/win32/EmailDialog.h"
#include "ui/win32/HotKeyDialog.h"

namespace {

using namespace tessarin::testsupport;
namespace ids = tessarin::win32::ids;

// The Wine desktop shows its taskbar only while it holds a button or a notification icon; a
// hidden Tessarin has no button, so a visible taskbar means the icon is there.
bool TrayIconShown() {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar != nullptr && IsWindowVisible(taskbar);
}

TEST_F(Tessarin, SlashMStartsInTheTrayAndTheIconBringsTheWindowBackInItsStoredState) {
    Store(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\Settings", L"MainWindowState", L"2");
    Start(L"/m");
    EXPECT_TRUE(WaitFor(TrayIconShown)) << "no notification icon";
    EXPECT_FALSE(IsWindowVisible(window_));
    PostMessageW(window_, WM_APP + 1, 1, WM_LBUTTONUP);  // a click on the icon
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    EXPECT_TRUE(IsZoomed(window_));
    // The close box, Alt+F4 and the system menu's Close all arrive as this.
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) == FALSE; }));
    EXPECT_EQ(WaitForSingleObject(mainProcess_, 300), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the close box ended the program";
    Unload();
    EXPECT_TRUE(WaitFor([] { return !TrayIconShown(); })) << "the icon outlived the program";
}

// Clicks the button of this id in a dialog or message box and waits until it is gone.
void Answer(HWND dialog, int button) {
    ASSERT_NE(dialog, nullptr);
    PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
}

// A new hotkey typed at Edit Hotkey runs the action; running a stored hotkey's action is part of
// the import flow below. The store keeps 200 rows, so a full list takes no further row.
TEST_F(Tessarin, EditHotkeyAndTheEditorChangeRowsUpToTheLimitAndDeleteAsksFirst) {
    Table stored(199, {L"Mute", L"", L" ", L"2"});
    stored[0] = {L"Open File/Folder", L"CTRL + ALT + M", MarkerScript() + L" \"hot\" key", L"2"};
    StoreRows(stored);
    Start();
    Select(0);
    Command(ids::kEditHotkey);
    ASSERT_NE(Shown(L"Register Hotkey"), nullptr);
    Sleep(300);
    ASSERT_TRUE(SendKeys({VK_CONTROL, 'K'}));
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, L"Register Hotkey") == nullptr; }))
        << "the dialog did not take the combination";
    EXPECT_EQ(Rows()[0][1], L"CTRL + K");
    EXPECT_EQ(Setting(L"Actions", L"Hotkey1"), L"CTRL + K");
    ASSERT_TRUE(SendKeys({VK_CONTROL, 'K'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "hot key"; })) << Marker();
    const auto count = [&] { return SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0); };
    // The editor opens on "File/Folder", which needs nothing but the command (box 102).
    const auto useEditor = [&](unsigned command, const wchar_t* file) {
        Command(command);
        const HWND editor = Shown(L"Tessarin v1.36");
        SendMessageW(GetDlgItem(editor, 102), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file));
        Answer(editor, IDOK);
    };
    useEditor(ids::kAddAction, L"added.txt");
    ASSERT_EQ(count(), 200);
    Command(ids::kAddAction);
    Answer(Shown(L"Tessarin"), IDOK);  // the word about the full list
    Select(199);
    useEditor(ids::kEditAction, L"edited.txt");
    for (const int answer : {IDNO, IDYES}) {
        Select(0);
        Command(ids::kDeleteAction);
        Answer(Shown(L"Delete Confirmation."), answer);
        ASSERT_TRUE(WaitFor([&] { return count() == (answer == IDYES ? 199 : 200); }));
    }
    stored.erase(stored.begin());
    stored.push_back({L"Open File/Folder", L"", L"\"edited.txt\" ", L"2"});
    EXPECT_EQ(Rows(), stored);
    EXPECT_EQ(StoredRows(), stored);
    Unload();
}

TEST_F(Tessarin, EmailPromptIsModalAndLaunchesTheMailProgram) {
    // Mail links open in the marker script; the program registered for them before comes back.
    const std::wstring mailto = L"mailto\\shell\\open\\command";
    const std::shared_ptr<void> restore(
        nullptr, [&, before = Stored(HKEY_CLASSES_ROOT, mailto, L"")](void*) {
            RegDeleteKeyValueW(HKEY_CLASSES_ROOT, mailto.c_str(), nullptr);
            if (before != kAbsent) {
                Store(HKEY_CLASSES_ROOT, mailto, L"", before);
            }
        });
    Store(HKEY_CLASSES_ROOT, mailto, L"", MarkerScript() + L" \"%1\"");
    StoreRows({{L"Send Email Dialog", L"CTRL + ALT + E", L" ", L"2"}});
    Start();
    // The editor is open when the hotkey comes: the prompt is modal to it and to the window.
    Command(ids::kAddAction);
    const HWND editor = Shown(L"Tessarin v1.36");
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'E'}));
    const HWND prompt = Shown(L"Tessarin v1.36", editor);
    for (const HWND below : {window_, editor}) {
        EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(below); })) << "it takes input";
    }
    SendDlgItemMessageW(prompt, tessarin::win32::EmailDialog::kComboEmailId, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(L"  someone@example.test  "));
    Answer(prompt, IDOK);
    EXPECT_TRUE(WaitFor([&] { return Marker().rfind("mailto:someone@example.test", 0) == 0; }))
        << Marker();
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(editor) != FALSE; }));
    Answer(editor, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(window_) != FALSE; }));
    Unload();
    EXPECT_EQ(Setting(L"Settings", L"Email1"), L"someone@example.test");
}

TEST_F(Tessarin, EveryWayToEndSavesTheListAndTheOptionsForTheNextStart) {
    const Table stored{{L"Mute", L"CTRL + ALT + 1", L" ", L"2"}, {L"Logoff", L"", L" ", L"2"}};
    // "Unload", the end of the logon (asked first) and another program's WM_CLOSE.
    const UINT ends[][3] = {{WM_COMMAND, ids::mnuUnload, 0},
                            {WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF},
                            {WM_CLOSE, 0, 0}};
    for (const auto& end : ends) {
        // Unloaded from the notification area before the window was ever shown, it keeps the
        // state the window would have come back in.
        const bool fromTray = end[0] == WM_COMMAND;
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        StoreRows(stored);
        Store(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\Settings", L"MainWindowState", L"2");
        Start(fromTray ? L"/m" : L"");
        // Run from the build folder, which any user could change: never the machine-wide entry.
        const std::wstring entry = L"\"" + ProgramFolder() + L"Tessarin.exe\" /m";
        EXPECT_TRUE(
            WaitFor([&] { return Stored(HKEY_CURRENT_USER, kRunKey, kRunValue) == entry; }));
        EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), kAbsent);
        // Sent, not posted, so that they are in before the end of the session.
        SendMessageW(window_, WM_COMMAND, ids::mnuMaximized, 0);
        SendMessageW(window_, WM_COMMAND, ids::mnuStartup, 0);
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        if (end[0] == WM_ENDSESSION) {
            EXPECT_NE(SendMessageW(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
        }
        SendMessageW(window_, end[0], end[1], end[2]);
        ASSERT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0) << end[0];
        EXPECT_EQ(StoredRows(), stored) << end[0];
        EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True") << end[0];
        EXPECT_EQ(Setting(L"Settings", L"Startup"), L"False") << end[0];
        EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), kAbsent) << end[0];
        EXPECT_EQ(Setting(L"Settings", L"MainWindowState"), L"2") << end[0];
    }

    // Everything comes back, and without "Save Settings On Exit" nothing of this run is written.
    Start();
    EXPECT_EQ(Rows(), stored);
    Command(ids::mnuNormal);
    Command(ids::mnuSaveSettings);
    Unload();
    EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), kAbsent);
}

TEST_F(Tessarin, ExportAndImportOnTheCommandLineGoToTheRunningCopyOrToTheStore) {
    // Tessarin.exe run with these arguments to its end; its exit code.
    const auto run = [&](const std::wstring& arguments) {
        DWORD exitCode = STILL_ACTIVE;
        WaitForSingleObject(Launch(arguments), 30000);
        GetExitCodeProcess(processes_.back().hProcess, &exitCode);
        return exitCode;
    };
    // Slashes and a name that starts with "m": the line holds "/m", which must not count here.
    std::wstring file = TempFolder() + L"mine.ini";
    std::replace(file.begin(), file.end(), L'\\', L'/');
    const std::wstring badFile = TempFolder() + L"tessarin e2e bad.ini";
    DeleteFileW(file.c_str());
    ASSERT_TRUE(WriteWholeFile(badFile, "[Actions]\r\nActionType1=Mute\r\nActionType2=Format\r\n"));
    const Table stored{
        {L"Open File/Folder", L"CTRL + ALT + M", MarkerScript() + L" imported ok", L"2"},
        {L"Paste Text", L"", L"line one\r\n  \"two\"\t", L"2"}};
    StoreRows(stored);
    Start();
    EXPECT_EQ(run(L"/export \"" + file + L"\""), 0u);
    Unload();
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);

    Start();
    EXPECT_EQ(run(L"/import \"" + file + L"\""), 0u);
    EXPECT_TRUE(WaitFor([&] { return Rows() == stored; }));
    EXPECT_EQ(StoredRows(), stored) << "the import was not saved";
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'M'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "imported ok"; })) << Marker();
    EXPECT_NE(run(L"/import \"" + badFile + L"\""), 0u);
    EXPECT_EQ(Rows(), stored);
    Unload();

    // No copy running: the stored list takes the rows.
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    EXPECT_EQ(run(L"/import \"" + file + L"\""), 0u);
    EXPECT_EQ(StoredRows(), stored);
    DeleteFileW(file.c_str());
    DeleteFileW(badFile.c_str());
}

// An action still waiting (a paste into a browser frame gives the browser half a second to read
// the clipboard) must not keep a hidden copy alive when "Unload Tessarin" comes meanwhile.
TEST_F(Tessarin, UnloadWhileAnActionWaitsEndsTheProgram) {
    StoreRows({{L"Paste Text", L"CTRL + ALT + P", L"pasted ", L"2"}});
    Start();
    // The paste types Ctrl+V into the frame and then waits: the frame asks for the unload the
    // moment the V arrives, from its own procedure, so whichever of this thread's message loops
    // dispatches the key (SendKeys pumps while it waits), the unload comes during the wait.
    static HWND tessarin = nullptr;
    static bool typed = false;
    tessarin = window_;
    typed = false;
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_KEYDOWN && wParam == 'V' && !typed) {
            typed = true;
            PostMessageW(tessarin, WM_COMMAND, ids::mnuUnload, 0);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    };
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = L"IEFrame";
    RegisterClassW(&frameClass);
    const HWND frame =
        CreateWindowExW(0, L"IEFrame", L"browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                        200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(frame, nullptr);
    // The paste types into the browser only when the frame is in front when the hotkey comes.
    ASSERT_TRUE(WaitFor([&] {
        SetForegroundWindow(frame);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        return GetForegroundWindow() == frame;
    })) << "the frame did not come to the front";
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'P'}));
    const bool pasted = WaitFor([] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        return typed;
    });
    DestroyWindow(frame);
    UnregisterClassW(L"IEFrame", GetModuleHandleW(nullptr));
    ASSERT_TRUE(pasted) << "no paste reached the frame";
    EXPECT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0) << "the program stayed";
}

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

// Twenty copies race for the single instance; then the store is given one list ("old") behind
// the back of the program that holds another ("new"), so a save cut short anywhere would show as
// a mix.
TEST_F(Tessarin, OfTwentyCopiesOneRunsAndAKillDuringASaveLeavesTheOldListOrTheNew) {
    const Table started = MakeRows(L"new");
    const Table oldRows = MakeRows(L"old");
    Table withoutHotkey = started;
    withoutHotkey[0][1] = L"";
    StoreRows(started);
    // Every copy is held before its first instruction, then all are let go at once, so that they
    // reach the single-instance check together.
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(Launch(L"", CREATE_SUSPENDED), nullptr);
    }
    for (const PROCESS_INFORMATION& process : processes_) {
        ASSERT_NE(ResumeThread(process.hThread), static_cast<DWORD>(-1));
    }
    const auto alive = [](const PROCESS_INFORMATION& copy) {
        return WaitForSingleObject(copy.hProcess, 0) == WAIT_TIMEOUT;
    };
    const auto running = [&] { return std::count_if(processes_.begin(), processes_.end(), alive); };
    ASSERT_TRUE(WaitFor([&] { return running() <= 1; }, 30)) << running() << " copies run on";
    Sleep(500);
    ASSERT_EQ(running(), 1);
    for (const PROCESS_INFORMATION& copy : processes_) {
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(copy.hProcess, &exitCode);
        EXPECT_TRUE(alive(copy) || exitCode == 0) << "a copy failed, not ended quietly";
    }
    mainProcess_ = std::find_if(processes_.begin(), processes_.end(), alive)->hProcess;
    Attach();
    EXPECT_TRUE(WaitFor([&] { return Rows() == started; }, 5));
    EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), kAbsent) << "a copy wrote the store";

    // The single-instance mutex is held until the list is saved, so that a copy started meanwhile
    // cannot load the list about to be replaced.
    HKEY store = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_NOTIFY, &store), ERROR_SUCCESS);
    const HANDLE saving = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(store, TRUE, REG_NOTIFY_CHANGE_LAST_SET, saving, TRUE),
              ERROR_SUCCESS);
    Command(ids::mnuUnload);
    ASSERT_EQ(WaitForSingleObject(saving, 15000), WAIT_OBJECT_0) << "nothing was saved";
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"NIRASSET000000000");
    EXPECT_NE(mutex, nullptr) << "the mutex was let go before the save";
    ASSERT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0);
    CloseHandle(mutex);
    CloseHandle(saving);
    RegCloseKey(store);

    // Kill points after a save began (at unload, or when "Delete Hotkey" is clicked): ms after
    // it began, or -1 for once the store holds the new list.
    const int delays[] = {0, 2, 10, 20, 50, 150, -1};
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
                button = GetDlgItem(Shown(L"Register Hotkey"),
                                    tessarin::win32::HotKeyDialog::kCommand1Id);
            }
            StoreRows(oldRows);
            unload ? Command(ids::mnuUnload) : void(PostMessageW(button, BM_CLICK, 0, 0));
            EXPECT_TRUE(delay >= 0 || WaitFor([&] { return StoredRows() == newRows; }, 5)) << when;
            Sleep(static_cast<DWORD>(std::max(delay, 0)));
            Kill();

            // The next start finishes or drops a save cut short before it shows anything.
            Start();
            const Table shown = Rows();
            EXPECT_TRUE(shown == oldRows || shown == newRows) << when << ": " << shown.size();
            EXPECT_EQ(StoredRows(), shown) << when;
            Kill();
            newSeen += shown == newRows ? 1 : 0;
        }
        // Some kill came before the new list was in place, and the last kept it.
        EXPECT_GT(newSeen, 0) << unload;
        EXPECT_LT(newSeen, static_cast<int>(std::size(delays))) << unload;
    }
}

}  // namespace
