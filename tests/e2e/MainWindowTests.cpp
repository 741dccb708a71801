// Tessarin.exe itself, started and driven from outside as a user (or Windows) would drive it:
// through its window, its buttons, its menu commands and the keyboard. Effects are checked in
// the store, the Run key, the list the window shows and files the actions write.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "RemoteControls.h"
#include "TestPrograms.h"
#include "TestRegistry.h"
#include "ui/win32/MainWindowIds.h"

namespace {

using tessarin::testsupport::WaitFor;
using tessarin::testsupport::WriteWholeFile;

using tessarin::testsupport::EndProcesses;
using tessarin::testsupport::ProgramFolder;
using tessarin::testsupport::ReadFirstLine;
using tessarin::testsupport::ReadListView;
using tessarin::testsupport::SelectListRow;
using tessarin::testsupport::SendKeys;
using tessarin::testsupport::TempFolder;
namespace ids = tessarin::win32::ids;

using tessarin::testsupport::kRunKey;
using tessarin::testsupport::kStoreKey;
using tessarin::testsupport::Stored;
using tessarin::testsupport::UserStoreAside;

// Where a user's own store waits while the tests run on a real Windows machine.
constexpr wchar_t kBackupKey[] = L"Software\\Tessarin (saved by the end-to-end tests)";

void Store(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
    tessarin::testsupport::Store(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\" + section, name,
                                 value);
}

std::wstring Setting(const std::wstring& section, const std::wstring& name) {
    return Stored(HKEY_CURRENT_USER, std::wstring(kStoreKey) + L"\\" + section, name);
}

// Every value of the store and the two Run entries, to show that something left them alone.
std::map<std::wstring, std::wstring> Snapshot() {
    std::map<std::wstring, std::wstring> values;
    for (const wchar_t* section : {L"Actions", L"Settings"}) {
        HKEY key = nullptr;
        const std::wstring path = std::wstring(kStoreKey) + L"\\" + section;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            continue;
        }
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD nameSize = 256;
            wchar_t data[2048] = {};
            DWORD dataSize = sizeof(data);
            if (RegEnumValueW(key, index, name, &nameSize, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) {
                break;
            }
            values[path + L"\\" + name] = data;
        }
        RegCloseKey(key);
    }
    values[L"HKLM Run"] = Stored(HKEY_LOCAL_MACHINE, kRunKey, L"Tessarin");
    values[L"HKCU Run"] = Stored(HKEY_CURRENT_USER, kRunKey, L"Tessarin");
    return values;
}

class Tessarin : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { aside_.SetAside(); }
    static void TearDownTestSuite() { aside_.PutBack(); }
    void SetUp() override { UserStoreAside::Clear(); }

    void TearDown() override {
        EndProcesses(processes_);
        UserStoreAside::Clear();
        if (!script_.empty()) {
            DeleteFileW(script_.c_str());
            DeleteFileW(marker_.c_str());
        }
    }

    // Starts Tessarin.exe and returns its process; the main window is found once it exists.
    HANDLE Launch(const std::wstring& arguments = L"") {
        std::wstring commandLine = L"\"" + ProgramFolder() + L"Tessarin.exe\"";
        if (!arguments.empty()) {
            commandLine += L" " + arguments;
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            return nullptr;
        }
        processes_.push_back(process);
        return process.hProcess;
    }

    void Start(const std::wstring& arguments = L"") {
        mainProcess_ = Launch(arguments);
        ASSERT_NE(mainProcess_, nullptr);
        ASSERT_TRUE(WaitFor([&] {
            window_ = FindWindowW(L"TessarinMainWindow", L"Tessarin v1.36");
            return window_ != nullptr;
        })) << "no main window";
        list_ = FindWindowExW(window_, nullptr, WC_LISTVIEWW, nullptr);
        ASSERT_NE(list_, nullptr);
    }

    void Command(unsigned id) { PostMessageW(window_, WM_COMMAND, id, 0); }

    // "Unload Tessarin", and the program gone.
    void Unload() {
        Command(ids::mnuUnload);
        ASSERT_EQ(WaitForSingleObject(mainProcess_, 15000), WAIT_OBJECT_0);
    }

    std::vector<std::vector<std::wstring>> Rows() { return ReadListView(list_, 4); }

    // Tessarin.exe run with these arguments to its end; its exit code.
    DWORD RunToEnd(const std::wstring& arguments) {
        HANDLE process = Launch(arguments);
        DWORD exitCode = STILL_ACTIVE;
        if (process != nullptr && WaitForSingleObject(process, 30000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process, &exitCode);
        }
        return exitCode;
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

    void StoreAction(int n, const std::wstring& type, const std::wstring& hotkey,
                     const std::wstring& data) {
        const std::wstring number = std::to_wstring(n);
        Store(L"Actions", L"ActionType" + number, type);
        Store(L"Actions", L"Hotkey" + number, hotkey);
        Store(L"Actions", L"Data" + number, data);
        Store(L"Actions", L"ActionIndex" + number, L"2");
    }

    static inline UserStoreAside aside_{kBackupKey};
    std::wstring script_;
    std::wstring marker_;
    std::vector<PROCESS_INFORMATION> processes_;
    HANDLE mainProcess_ = nullptr;  // the copy whose window the test drives
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(Tessarin, FirstStartShowsAnEmptyListAndUnloadSavesTheDefaults) {
    Start();
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    EXPECT_TRUE(Rows().empty());
    // Run from the build folder, which any user could change: never the machine-wide entry.
    const std::wstring runData = L"\"" + ProgramFolder() + L"Tessarin.exe\" /m";
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, L"Tessarin"), runData);
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, L"Tessarin"), L"<absent>");

    Unload();
    EXPECT_EQ(Setting(L"Settings", L"Icon"), L"#DEFAULT#");
    EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), L"True");
    EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"False");
    EXPECT_EQ(Setting(L"Settings", L"Startup"), L"True");
    EXPECT_EQ(Setting(L"Settings", L"NewFolder"), L"True");
    EXPECT_EQ(Setting(L"Settings", L"MainWindowState"), L"0");
    EXPECT_NE(Setting(L"Settings", L"MainWindowWidth"), L"<absent>");
}

TEST_F(Tessarin, ASecondCopyEndsAtOnceAndChangesNothing) {
    StoreAction(1, L"Mute", L"CTRL + ALT + M", L" ");
    Start();
    ASSERT_EQ(Rows().size(), 1u);
    const auto before = Snapshot();

    HANDLE second = Launch();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(WaitForSingleObject(second, 15000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(second, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(WaitForSingleObject(mainProcess_, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the first copy ended";
    // Ended properly: a killed copy would leave its global atoms behind for the later tests.
    Unload();
}

// The Wine desktop shows its taskbar only while it holds a button or a notification icon; a
// hidden Tessarin has no button, so a visible taskbar means the icon is there.
bool TrayIconShown() {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar != nullptr && IsWindowVisible(taskbar);
}

constexpr UINT kTrayCallback = WM_APP + 1;

TEST_F(Tessarin, StartsHiddenWithSlashMAndTheIconBringsItBackInTheStoredState) {
    Store(L"Settings", L"MainWindowState", L"2");
    for (const bool shown : {false, true}) {
        Start(L"/m");
        EXPECT_TRUE(WaitFor([&] { return TrayIconShown(); })) << "no notification icon";
        EXPECT_FALSE(IsWindowVisible(window_));
        if (shown) {
            PostMessageW(window_, kTrayCallback, 1, WM_LBUTTONUP);
            EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
            EXPECT_TRUE(IsZoomed(window_));
        }
        // Unloaded from the notification area or from the window, the state is kept.
        Unload();
        EXPECT_EQ(Setting(L"Settings", L"MainWindowState"), L"2") << shown;
    }
}

TEST_F(Tessarin, CloseBoxHidesIntoTheNotificationArea) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    // The close box, Alt+F4 and the system menu's Close all arrive as this.
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) == FALSE; }));
    EXPECT_TRUE(WaitFor([&] { return TrayIconShown(); })) << "no notification icon";
    EXPECT_EQ(WaitForSingleObject(mainProcess_, 300), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the close box ended the program";

    // A right click on the window itself is no click on the icon.
    PostMessageW(window_, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    PostMessageW(window_, kTrayCallback, 1, WM_LBUTTONUP);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window_) != FALSE; }));
    Unload();
    EXPECT_TRUE(WaitFor([&] { return !TrayIconShown(); })) << "the icon outlived the program";
}

TEST_F(Tessarin, StoredHotkeyRunsAProgramWithItsParameters) {
    const std::wstring data = MarkerScript() + L" \"from the hotkey\" done";
    StoreAction(1, L"Open File/Folder", L"CTRL + ALT + M", data);
    Start();
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0],
              (std::vector<std::wstring>{L"Open File/Folder", L"CTRL + ALT + M", data, L"2"}));

    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'M'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "from the hotkey done"; })) << Marker();
    Unload();
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom1"), 0) << "the hotkey's atom outlived the program";
}

TEST_F(Tessarin, EditHotkeyCapturesTypedKeysAndTheNewHotkeyRuns) {
    StoreAction(1, L"Open File/Folder", L"", MarkerScript() + L" captured ok");
    Start();
    ASSERT_TRUE(SelectListRow(list_, 0));
    Command(ids::kEditHotkey);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        dialog = FindWindowW(nullptr, L"Register Hotkey");
        return dialog != nullptr && IsWindowVisible(dialog);
    }));
    Sleep(300);
    ASSERT_TRUE(SendKeys({VK_CONTROL, 'K'}));
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, L"Register Hotkey") == nullptr; }))
        << "the dialog did not take the combination";
    EXPECT_EQ(Rows()[0][1], L"CTRL + K");
    EXPECT_EQ(Setting(L"Actions", L"Hotkey1"), L"CTRL + K");

    ASSERT_TRUE(SendKeys({VK_CONTROL, 'K'}));
    EXPECT_TRUE(WaitFor([&] { return Marker() == "captured ok"; })) << Marker();
    Unload();
}

// The editor's catalogue tree, walked by its structure: roots in order, then their children.
HTREEITEM TreeItem(HWND tree, int rootIndex, int childIndex) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int i = 0; i < rootIndex && item != nullptr; ++i) {
        item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    for (int i = 0; i < childIndex && item != nullptr; ++i) {
        item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return item;
}

TEST_F(Tessarin, ActionsMadeInTheEditorAreKeptAndComeBack) {
    Start();
    const struct {
        int root, child, field;
        const wchar_t* text;
    } added[] = {
        {0, 1, 102, L"example.test/page"},         // Open > URL, command field
        {5, 0, 103, L"Hello\r\n\"quoted\" text"},  // System > Paste Text, paste box
    };
    for (const auto& action : added) {
        Command(ids::kAddAction);
        HWND editor = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            editor = FindWindowW(L"#32770", L"Tessarin v1.36");
            return editor != nullptr && IsWindowVisible(editor);
        })) << "no editor";
        const HWND tree = GetDlgItem(editor, 100);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(TreeItem(tree, action.root, action.child)));
        SendMessageW(GetDlgItem(editor, action.field), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(action.text));
        PostMessageW(GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); })) << "the editor stayed open";
    }
    const std::vector<std::wstring> url{L"Go to URL", L"", L"http://example.test/page ", L"6"};
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[0], url);
    EXPECT_EQ(Rows()[1][0], L"Paste Text");
    EXPECT_EQ(Rows()[1][2], L"Hello\r\n\"quoted\" text ");

    ASSERT_TRUE(SelectListRow(list_, 1));
    Command(ids::kEditHotkey);
    ASSERT_TRUE(WaitFor([&] {
        const HWND dialog = FindWindowW(nullptr, L"Register Hotkey");
        return dialog != nullptr && IsWindowVisible(dialog);
    }));
    Sleep(300);
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'P'}));
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, L"Register Hotkey") == nullptr; }));
    const auto before = Rows();
    EXPECT_EQ(before[1][1], L"ALT + CTRL + P");
    Unload();
    EXPECT_EQ(Setting(L"Actions", L"Data2"), L"Hello\r\n\"quoted\" text ");
    EXPECT_EQ(Setting(L"Actions", L"Hotkey2"), L"ALT + CTRL + P");

    Start();
    EXPECT_EQ(Rows(), before);
    Unload();
}

// Web pages and mail links open in a stand-in that records its command line while the object
// lives; the programs registered for them before come back afterwards.
class RecordedLaunches {
  public:
    RecordedLaunches() {
        DeleteFileW(Path().c_str());
        const std::wstring command =
            L"\"" + ProgramFolder() + L"tessarin_record_launch.exe\" \"%1\"";
        for (Handler& handler : handlers_) {
            handler.before = Stored(HKEY_CLASSES_ROOT, handler.key, L"");
            SetDefault(handler.key, command);
        }
    }
    ~RecordedLaunches() {
        for (const Handler& handler : handlers_) {
            if (handler.before == L"<absent>") {
                RegDeleteKeyValueW(HKEY_CLASSES_ROOT, handler.key, nullptr);
            } else {
                SetDefault(handler.key, handler.before);
            }
        }
        DeleteFileW(Path().c_str());
    }
    static std::wstring Path() { return TempFolder() + L"tessarin e2e launch.txt"; }
    static std::string Line() { return ReadFirstLine(Path()); }

  private:
    struct Handler {
        const wchar_t* key;
        std::wstring before;
    };
    static void SetDefault(const wchar_t* path, const std::wstring& value) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    Handler handlers_[2] = {{L"htmlfile\\shell\\open\\command", {}},
                            {L"mailto\\shell\\open\\command", {}}};
};

// A visible top-level window with this title that is neither the main window nor `except`.
HWND FindPrompt(const wchar_t* title, HWND except = nullptr) {
    HWND found = nullptr;
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title); window != nullptr;
         window = FindWindowExW(nullptr, window, nullptr, title)) {
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        if (std::wstring(className) != L"TessarinMainWindow" && IsWindowVisible(window) &&
            window != except) {
            found = window;
        }
    }
    return found;
}

TEST_F(Tessarin, SearchFromThePopupAsksAndOpensTheResults) {
    RecordedLaunches launches;
    StoreAction(1, L"Search Google", L"", L" ");
    Start(L"/m");
    ASSERT_TRUE(WaitFor([&] { return TrayIconShown(); }));
    // The icon's right button opens the popup; its first entry is the search.
    PostMessageW(window_, kTrayCallback, 1, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(L"#32768", nullptr) != nullptr; }))
        << "no popup menu";
    Sleep(300);
    ASSERT_TRUE(SendKeys({VK_DOWN}));
    ASSERT_TRUE(SendKeys({VK_RETURN}));
    HWND prompt = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (prompt = FindPrompt(L"Enter Google Search Query")); }))
        << "no search prompt";
    SendMessageW(GetDlgItem(prompt, 100), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"a b"));
    PostMessageW(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] {
        return RecordedLaunches::Line().find("/search?ie=UTF-16&oe=UTF-16&q=a%20b&lr=") !=
               std::string::npos;
    })) << RecordedLaunches::Line();
    Unload();
}

TEST_F(Tessarin, EmailPromptRemembersTheReceiverAcrossRuns) {
    RecordedLaunches launches;
    StoreAction(1, L"Send Email Dialog", L"CTRL + ALT + E", L" ");
    for (const bool second : {false, true}) {
        Start();
        // The first time the editor is open when the hotkey comes: the prompt is modal to it.
        HWND editor = nullptr;
        if (!second) {
            Command(ids::kAddAction);
            ASSERT_TRUE(WaitFor([&] {
                editor = FindWindowW(L"#32770", L"Tessarin v1.36");
                return editor != nullptr && IsWindowVisible(editor);
            })) << "no editor";
        }
        ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'E'}));
        HWND prompt = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (prompt = FindPrompt(L"Tessarin v1.36", editor)); }))
            << "no e-mail prompt";
        EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(window_); }))
            << "the main window takes input under the prompt";
        if (editor != nullptr) {
            EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(editor); }))
                << "the editor takes input under the prompt";
        }
        const HWND combo = GetDlgItem(prompt, 101);
        wchar_t shown[256] = {};
        SendMessageW(combo, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(shown));
        if (second) {
            EXPECT_EQ(std::wstring(shown), L"someone@example.test");
        } else {
            SendMessageW(combo, WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(L"  someone@example.test  "));
        }
        PostMessageW(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] {
            return RecordedLaunches::Line().find("mailto:someone@example.test") !=
                   std::string::npos;
        })) << RecordedLaunches::Line();
        DeleteFileW(RecordedLaunches::Path().c_str());
        if (editor != nullptr) {
            EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(editor) != FALSE; }));
            PostMessageW(GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); }));
        }
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(window_) != FALSE; }));
        Unload();
    }
    EXPECT_EQ(Setting(L"Settings", L"Email1"), L"someone@example.test");
}

TEST_F(Tessarin, DeleteAsksFirstThenRemovesTheRowAndSaves) {
    StoreAction(1, L"Mute", L"CTRL + ALT + 1", L" ");
    StoreAction(2, L"Logoff", L"", L" ");
    StoreAction(3, L"Show Desktop", L"", L" ");
    Start();
    ASSERT_EQ(Rows().size(), 3u);

    for (const int answer : {IDNO, IDYES}) {
        ASSERT_TRUE(SelectListRow(list_, 0));
        Command(ids::kDeleteAction);
        HWND question = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            question = FindWindowW(L"#32770", L"Delete Confirmation.");
            return question != nullptr;
        }));
        const HWND text = FindWindowExW(question, nullptr, L"Static", nullptr);
        wchar_t shown[256] = {};
        SendMessageW(FindWindowExW(question, text, L"Static", nullptr) != nullptr
                         ? FindWindowExW(question, text, L"Static", nullptr)
                         : text,
                     WM_GETTEXT, 256, reinterpret_cast<LPARAM>(shown));
        EXPECT_EQ(std::wstring(shown), L"Are you sure you want to delete Mute ?");
        PostMessageW(GetDlgItem(question, answer), BM_CLICK, 0, 0);
        ASSERT_TRUE(
            WaitFor([&] { return FindWindowW(L"#32770", L"Delete Confirmation.") == nullptr; }));
        Sleep(200);
        EXPECT_EQ(Rows().size(), answer == IDYES ? 2u : 3u);
    }
    EXPECT_EQ(Rows()[0][0], L"Logoff");
    EXPECT_EQ(Setting(L"Actions", L"ActionType1"), L"Logoff");
    EXPECT_EQ(Setting(L"Actions", L"ActionType3"), L"<absent>");
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom1"), 0) << "the deleted row kept its hotkey";
}

// Only 200 rows come back from the store, so a full list takes no further row.
TEST_F(Tessarin, AddRefusesARowTheStoreCouldNotKeep) {
    for (int n = 1; n <= 200; ++n) {
        StoreAction(n, L"Mute", L"", L" ");
    }
    Start();
    ASSERT_EQ(Rows().size(), 200u);

    Command(ids::kAddAction);
    HWND message = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        message = FindWindowW(L"#32770", L"Tessarin");
        return message != nullptr;
    })) << "no word about the full list";
    EXPECT_EQ(FindWindowW(L"#32770", L"Tessarin v1.36"), nullptr) << "the editor opened";
    PostMessageW(GetDlgItem(message, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(L"#32770", L"Tessarin") == nullptr; }));
    EXPECT_EQ(Rows().size(), 200u);

    // One row fewer, and Add opens the editor again.
    ASSERT_TRUE(SelectListRow(list_, 0));
    Command(ids::kDeleteAction);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        question = FindWindowW(L"#32770", L"Delete Confirmation.");
        return question != nullptr;
    }));
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 199u; }));
    Command(ids::kAddAction);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        editor = FindWindowW(L"#32770", L"Tessarin v1.36");
        return editor != nullptr && IsWindowVisible(editor);
    })) << "no editor below the limit";
    PostMessageW(GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); }));
    Unload();
}

TEST_F(Tessarin, UnloadSavesTheListAndARestartShowsIt) {
    StoreAction(1, L"Mute", L"CTRL + ALT + 1", L" ");
    StoreAction(2, L"Logoff", L"", L" ");
    Start();
    const auto before = Rows();
    ASSERT_EQ(before.size(), 2u);
    // The store loses its copy; only the running program still has the list.
    RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    Unload();
    EXPECT_EQ(Setting(L"Actions", L"Hotkey1"), L"CTRL + ALT + 1");
    Start();
    EXPECT_EQ(Rows(), before);
    Unload();
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

TEST_F(Tessarin, OptionsAreSavedAtUnloadOnlyWhenAsked) {
    Start();
    Command(ids::mnuMaximized);
    Command(ids::mnuStartup);
    Unload();
    EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True");
    EXPECT_EQ(Setting(L"Settings", L"WindowsNormal"), L"False");
    EXPECT_EQ(Setting(L"Settings", L"Startup"), L"False");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, L"Tessarin"), L"<absent>");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, L"Tessarin"), L"<absent>");

    // The options come back at the next start, and without "Save Settings On Exit" nothing of
    // this run is written.
    Start();
    Command(ids::mnuNormal);
    Command(ids::mnuSaveSettings);
    Unload();
    EXPECT_EQ(Setting(L"Settings", L"WindowsMaximized"), L"True");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, L"Tessarin"), L"<absent>");
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
