// Tessarin.exe itself, driven from outside as a user (or Windows) would drive it: one flow per
// feature, checked by its effects in the store, the Run key, the list the window shows and the
// files the actions write.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "Launcher.h"
#include "ui/win32/EmailDialog.h"

namespace {

using namespace tessarin::testsupport;
using Tessarin = TessarinTest;
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
    EXPECT_EQ(Setting(L"Settings", L"MainWindowState"), L"2");
}

// Running a stored hotkey's action is part of the import flow below.
TEST_F(Tessarin, EditHotkeyTakesTypedKeysAndTheNewHotkeyRunsTheAction) {
    StoreRows({{L"Open File/Folder", L"CTRL + ALT + M", MarkerScript() + L" \"hot\" key", L"2"}});
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
    Unload();
}

// Clicks the button of this id in a dialog or message box and waits until it is gone.
void Answer(HWND dialog, int button) {
    ASSERT_NE(dialog, nullptr);
    PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
}

// The store keeps 200 rows, so a full list takes no further row.
TEST_F(Tessarin, TheEditorAddsAndEditsRowsUpToTheLimitAndDeleteAsksFirst) {
    Table stored(199, {L"Mute", L"", L" ", L"2"});
    stored[0] = {L"Logoff", L"CTRL + ALT + 1", L" ", L"2"};
    StoreRows(stored);
    Start();
    const auto count = [&] { return SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0); };
    // The editor opens on "File/Folder", which needs nothing but the command (box 102).
    const auto useEditor = [&](unsigned command, const wchar_t* file) {
        Command(command);
        const HWND editor = Shown(L"Tessarin v1.36");
        ASSERT_NE(editor, nullptr) << "no editor";
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
    ASSERT_NE(editor, nullptr) << "no editor";
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'E'}));
    const HWND prompt = Shown(L"Tessarin v1.36", editor);
    ASSERT_NE(prompt, nullptr) << "no e-mail prompt";
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
    for (const int end : {0, 1, 2}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        StoreRows(stored);
        Start();
        // Run from the build folder, which any user could change: never the machine-wide entry.
        const std::wstring entry = L"\"" + ProgramFolder() + L"Tessarin.exe\" /m";
        EXPECT_TRUE(
            WaitFor([&] { return Stored(HKEY_CURRENT_USER, kRunKey, kRunValue) == entry; }));
        EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), kAbsent);
        // Sent, not posted, so that they are in before the end of the session.
        SendMessageW(window_, WM_COMMAND, ids::mnuMaximized, 0);
        SendMessageW(window_, WM_COMMAND, ids::mnuStartup, 0);
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        if (end == 0) {
            Command(ids::mnuUnload);
        } else if (end == 1) {
            EXPECT_NE(SendMessageW(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
            SendMessageW(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        } else {
            PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        ASSERT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0) << end;
        EXPECT_EQ(StoredRows(), stored) << end;
        EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True") << end;
        EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), L"False") << end;
        EXPECT_EQ(Setting(L"Settings", L"Startup"), L"False") << end;
        EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), kAbsent) << end;
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
    ASSERT_TRUE(Rows().empty());
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

}  // namespace
