// Tessarin.exe itself, driven from outside as a user (or Windows) would drive it: one flow per
// feature, checked by its effects in the store, the Run key, the list the window shows and the
// files the actions write.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Launcher.h"
#include "ui/win32/EmailDialog.h"

namespace {

using namespace tessarin::testsupport;
using Tessarin = TessarinTest;
namespace ids = tessarin::win32::ids;

constexpr int kEditorCommandId = 102;  // the editor's command box

TEST_F(Tessarin, FirstStartShowsAnEmptyListAndUnloadSavesTheDefaults) {
    Start();
    EXPECT_TRUE(Rows().empty());
    // Run from the build folder, which any user could change: never the machine-wide entry.
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue),
              L"\"" + ProgramFolder() + L"Tessarin.exe\" /m");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), kAbsent);
    Unload();
    for (const auto& [name, value] : {std::pair{L"Icon", L"#DEFAULT#"},
                                      {L"WindowsNormal", L"True"},
                                      {L"WindowsMaximized", L"False"},
                                      {L"Startup", L"True"},
                                      {L"MainWindowState", L"0"}}) {
        EXPECT_EQ(Setting(L"Settings", name), value) << name;
    }
    EXPECT_NE(Setting(L"Settings", L"MainWindowWidth"), kAbsent);
}

// The Wine desktop shows its taskbar only while it holds a button or a notification icon; a
// hidden Tessarin has no button, so a visible taskbar means the icon is there.
bool TrayIconShown() {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar != nullptr && IsWindowVisible(taskbar);
}

constexpr UINT kTrayCallback = WM_APP + 1;

TEST_F(Tessarin, SlashMStartsInTheTrayAndTheIconBringsTheWindowBackInItsStoredState) {
    Store(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\Settings", L"MainWindowState", L"2");
    Start(L"/m");
    EXPECT_TRUE(WaitFor(TrayIconShown)) << "no notification icon";
    EXPECT_FALSE(IsWindowVisible(window_));
    PostMessageW(window_, kTrayCallback, 1, WM_LBUTTONUP);
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

TEST_F(Tessarin, AStoredHotkeyRunsItsProgramAndEditHotkeyTakesTypedKeys) {
    const std::wstring data = MarkerScript() + L" \"from the hotkey\" done";
    StoreAction(1, L"Open File/Folder", L"CTRL + ALT + M", data);
    Start();
    EXPECT_EQ(Rows(), (Table{{L"Open File/Folder", L"CTRL + ALT + M", data, L"2"}}));
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'M'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "from the hotkey done"; })) << Marker();

    ASSERT_TRUE(SelectListRow(list_, 0));
    Command(ids::kEditHotkey);
    ASSERT_NE(Shown(L"Register Hotkey"), nullptr);
    Sleep(300);
    ASSERT_TRUE(SendKeys({VK_CONTROL, 'K'}));
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, L"Register Hotkey") == nullptr; }))
        << "the dialog did not take the combination";
    EXPECT_EQ(Rows()[0][1], L"CTRL + K");
    EXPECT_EQ(Setting(L"Actions", L"Hotkey1"), L"CTRL + K");
    DeleteFileW(marker_.c_str());
    ASSERT_TRUE(SendKeys({VK_CONTROL, 'K'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "from the hotkey done"; })) << Marker();
    Unload();
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom1"), 0) << "the hotkey's atom outlived the program";
}

// The store keeps 200 rows, so a full list takes no further row.
TEST_F(Tessarin, TheEditorAddsAndEditsRowsUpToTheLimitAndDeleteAsksFirst) {
    StoreAction(1, L"Logoff", L"CTRL + ALT + 1", L" ");
    for (int n = 2; n <= 199; ++n) {
        StoreAction(n, L"Mute", L"", L" ");
    }
    Start();
    const auto count = [&] { return SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0); };
    // The editor opens on "File/Folder", which needs nothing but the command.
    const auto useEditor = [&](unsigned command, const wchar_t* file) {
        Command(command);
        const HWND editor = Shown(L"Tessarin v1.36");
        ASSERT_NE(editor, nullptr) << "no editor";
        SendMessageW(GetDlgItem(editor, kEditorCommandId), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(file));
        PostMessageW(GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); })) << "the editor stayed open";
    };
    useEditor(ids::kAddAction, L"added.txt");
    ASSERT_EQ(count(), 200);

    Command(ids::kAddAction);
    const HWND refusal = Shown(L"Tessarin");
    ASSERT_NE(refusal, nullptr) << "no word about the full list";
    EXPECT_EQ(FindWindowW(L"#32770", L"Tessarin v1.36"), nullptr) << "the editor opened";
    PostMessageW(GetDlgItem(refusal, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(refusal); }));

    ASSERT_TRUE(SelectListRow(list_, 199));
    useEditor(ids::kEditAction, L"edited.txt");
    const std::vector<std::wstring> edited{L"Open File/Folder", L"", L"\"edited.txt\" ", L"2"};

    for (const int answer : {IDNO, IDYES}) {
        ASSERT_TRUE(SelectListRow(list_, 0));
        Command(ids::kDeleteAction);
        const HWND question = Shown(L"Delete Confirmation.");
        ASSERT_NE(question, nullptr);
        PostMessageW(GetDlgItem(question, answer), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }));
        ASSERT_TRUE(WaitFor([&] { return count() == (answer == IDYES ? 199 : 200); }));
    }
    const Table rows = Rows();
    EXPECT_EQ(rows[0][0], L"Mute");
    EXPECT_EQ(rows[198], edited);
    EXPECT_EQ(Setting(L"Actions", L"ActionType1"), L"Mute");
    EXPECT_EQ(Setting(L"Actions", L"Data199"), edited[2]);
    EXPECT_EQ(Setting(L"Actions", L"ActionType200"), kAbsent);
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom1"), 0) << "the deleted row kept its hotkey";
    Unload();
}

// Mail links open in a stand-in that records its command line while this object lives; the
// program registered for them before comes back afterwards.
class RecordedMail {
  public:
    RecordedMail() : before_(Stored(HKEY_CLASSES_ROOT, kKey, L"")) {
        DeleteFileW(Path().c_str());
        Store(HKEY_CLASSES_ROOT, kKey, L"",
              L"\"" + ProgramFolder() + L"tessarin_record_launch.exe\" \"%1\"");
    }
    ~RecordedMail() {
        RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr);
        if (before_ != kAbsent) {
            Store(HKEY_CLASSES_ROOT, kKey, L"", before_);
        }
        DeleteFileW(Path().c_str());
    }
    static std::wstring Path() { return TempFolder() + L"tessarin e2e launch.txt"; }

  private:
    static constexpr wchar_t kKey[] = L"mailto\\shell\\open\\command";
    std::wstring before_;
};

TEST_F(Tessarin, EmailPromptIsModalAndRemembersTheReceiverAcrossRuns) {
    RecordedMail mail;
    StoreAction(1, L"Send Email Dialog", L"CTRL + ALT + E", L" ");
    for (const bool second : {false, true}) {
        Start();
        // The first time the editor is open when the hotkey comes: the prompt is modal to it.
        HWND editor = nullptr;
        if (!second) {
            Command(ids::kAddAction);
            ASSERT_NE(editor = Shown(L"Tessarin v1.36"), nullptr) << "no editor";
        }
        ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'E'}));
        const HWND prompt = Shown(L"Tessarin v1.36", editor);
        ASSERT_NE(prompt, nullptr) << "no e-mail prompt";
        for (const HWND below : {window_, editor}) {
            EXPECT_TRUE(below == nullptr || WaitFor([&] { return !IsWindowEnabled(below); }))
                << "a window under the prompt takes input";
        }
        const HWND combo = GetDlgItem(prompt, tessarin::win32::EmailDialog::kComboEmailId);
        wchar_t shown[256] = {};
        SendMessageW(combo, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(shown));
        EXPECT_EQ(std::wstring(shown), second ? L"someone@example.test" : L"");
        SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"  someone@example.test  "));
        PostMessageW(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] {
            return ReadFirstLine(RecordedMail::Path()).find("mailto:someone@example.test") !=
                   std::string::npos;
        })) << ReadFirstLine(RecordedMail::Path());
        DeleteFileW(RecordedMail::Path().c_str());
        if (editor != nullptr) {
            EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(editor) != FALSE; }));
            PostMessageW(GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
        }
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(window_) != FALSE; }));
        Unload();
    }
    EXPECT_EQ(Setting(L"Settings", L"Email1"), L"someone@example.test");
}

TEST_F(Tessarin, UnloadKeepsTheListAndTheOptionsForTheNextStart) {
    StoreAction(1, L"Mute", L"CTRL + ALT + 1", L" ");
    StoreAction(2, L"Logoff", L"", L" ");
    Start();
    const Table before = Rows();
    ASSERT_EQ(before.size(), 2u);
    Command(ids::mnuMaximized);
    Command(ids::mnuStartup);
    // The store loses its copy; only the running program still has the list.
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    Unload();
    EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True");
    EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), L"False");
    EXPECT_EQ(Setting(L"Settings", L"Startup"), L"False");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), kAbsent);

    // Everything comes back, and without "Save Settings On Exit" nothing of this run is written.
    Start();
    EXPECT_EQ(Rows(), before);
    Command(ids::mnuNormal);
    Command(ids::mnuSaveSettings);
    Unload();
    EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), kAbsent);
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), kAbsent);
}

TEST_F(Tessarin, ExportAndImportOnTheCommandLineGoToTheRunningCopyOrToTheStore) {
    // Slashes and a name that starts with "m": the line holds "/m", which must not count here.
    std::wstring file = TempFolder() + L"mine.ini";
    std::replace(file.begin(), file.end(), L'\\', L'/');
    const std::wstring badFile = TempFolder() + L"tessarin e2e bad.ini";
    DeleteFileW(file.c_str());
    ASSERT_TRUE(WriteWholeFile(badFile, "[Actions]\r\nActionType1=Mute\r\nActionType2=Format\r\n"));
    const std::wstring paste = L"line one\r\n  \"two\"\t";
    StoreAction(1, L"Open File/Folder", L"CTRL + ALT + M", MarkerScript() + L" imported ok");
    StoreAction(2, L"Paste Text", L"", paste);
    Start();
    const auto before = Rows();
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(RunToEnd(L"/export \"" + file + L"\""), 0u);
    Unload();
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);

    Start();
    ASSERT_TRUE(Rows().empty());
    EXPECT_EQ(RunToEnd(L"/import \"" + file + L"\""), 0u);
    EXPECT_TRUE(WaitFor([&] { return Rows() == before; }));
    EXPECT_EQ(Setting(L"Actions", L"Data2"), paste) << "the import was not saved";
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'M'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "imported ok"; })) << Marker();
    EXPECT_NE(RunToEnd(L"/import \"" + badFile + L"\""), 0u);
    EXPECT_EQ(Rows(), before);
    Unload();

    // No copy running: the stored list takes the rows.
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    EXPECT_EQ(RunToEnd(L"/import \"" + file + L"\""), 0u);
    EXPECT_EQ(Setting(L"Actions", L"Data2"), paste);
    EXPECT_EQ(Setting(L"Actions", L"Hotkey1"), L"CTRL + ALT + M");
    DeleteFileW(file.c_str());
    DeleteFileW(badFile.c_str());
}

// An action still waiting (a paste into a browser frame gives the browser half a second to read
// the clipboard) must not keep a hidden copy alive when "Unload Tessarin" comes meanwhile.
TEST_F(Tessarin, UnloadWhileAnActionWaitsEndsTheProgram) {
    StoreAction(1, L"Paste Text", L"CTRL + ALT + P", L"pasted ");
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

// The end of the logon, a restart manager or the task manager (WM_CLOSE from another program):
// the program saves and ends, as with "Unload Tessarin".
TEST_F(Tessarin, EndOfTheLogonAndOtherProgramsClosingItSaveAndEnd) {
    for (const bool endSession : {true, false}) {
        StoreAction(1, L"Mute", L"", L" ");
        Start();
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        if (endSession) {
            EXPECT_NE(SendMessageW(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
            SendMessageW(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        } else {
            PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0) << endSession;
        EXPECT_EQ(Setting(L"Actions", L"ActionType1"), L"Mute") << endSession;
        EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), L"True") << endSession;
    }
}

}  // namespace
