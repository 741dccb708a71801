// The packages as a user meets them: the installer run silently and from the keyboard up to its
// finish page, the installed Tessarin started from Program Files, the uninstaller run while it is
// running, and the portable archive unpacked into a folder with spaces in its name.
//
//   tessarin_install_tests --installer=PATH --portable=FOLDER
//
// PATH is the installer (Tessarin-<version>-win64.exe); FOLDER is where the archive was
// unpacked. Relative paths are taken from the working folder. Whatever the tests install they
// remove again, and the user's own actions and Run entries are put back afterwards.

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "TestPrograms.h"
#include "TestRegistry.h"
#include "ui/win32/MainWindowIds.h"

namespace {

using tessarin::testsupport::EndProcesses;
using tessarin::testsupport::KeyExists;
using tessarin::testsupport::kRunKey;
using tessarin::testsupport::kRunValue;
using tessarin::testsupport::kStoreKey;
using tessarin::testsupport::ReadFirstLine;
using tessarin::testsupport::SendKeys;
using tessarin::testsupport::Store;
using tessarin::testsupport::Stored;
using tessarin::testsupport::TempFolder;
using tessarin::testsupport::UserStoreAside;
using tessarin::testsupport::WaitFor;
using tessarin::testsupport::WriteWholeFile;
namespace ids = tessarin::win32::ids;

std::wstring gInstaller;
std::wstring gPortableFolder;

constexpr wchar_t kVersion[] = TESSARIN_VERSION;
constexpr wchar_t kPortableTopFolder[] = TESSARIN_PACKAGE_FILE_NAME;
constexpr wchar_t kActionsKey[] = L"Software\\Tessarin\\Actions";
constexpr wchar_t kSettingsKey[] = L"Software\\Tessarin\\Settings";
// Where a user's own store waits while the tests run on a real Windows machine.
constexpr wchar_t kBackupKey[] = L"Software\\Tessarin (saved by the install tests)";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarin";
constexpr wchar_t kMainWindowClass[] = L"TessarinMainWindow";

// The files the installer puts into its folder, relative to it.
const std::vector<std::wstring> kInstalledFiles = {L"Tessarin.exe", L"Help\\index.htm",
                                                   L"Uninstall.exe"};

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// For failure messages.
std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
}

std::wstring FullPath(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    return length == 0 ? path : std::wstring(full, length);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SHGetKnownFolderPath(id, 0, nullptr, &path) == S_OK) {
        folder = path;
    }
    CoTaskMemFree(path);
    return folder;
}

std::wstring InstallFolder() {
    return KnownFolder(FOLDERID_ProgramFiles) + L"\\Tessarin";
}

std::wstring Shortcut() {
    return KnownFolder(FOLDERID_CommonPrograms) + L"\\Tessarin.lnk";
}

// The target of a shell link, empty when it cannot be read.
std::wstring LinkTarget(const std::wstring& link) {
    std::wstring target;
    const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(
                shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0))) {
                target = path;
            }
            file->Release();
        }
        shellLink->Release();
    }
    if (SUCCEEDED(initialized)) {
        CoUninitialize();
    }
    return target;
}

// Every process whose parent is `parentId`.
struct ChildProcess {
    DWORD id;
    std::wstring name;
};

std::vector<ChildProcess> ChildProcesses(DWORD parentId) {
    std::vector<ChildProcess> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return children;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId) {
            children.push_back({entry.th32ProcessID, entry.szExeFile});
        }
    }
    CloseHandle(snapshot);
    return children;
}

// The processes the last WaitToEnd gave up on, for failure messages.
std::string gStillRunning;

// Starts a program in the temp folder; a null process handle when it cannot be started.
PROCESS_INFORMATION StartProgram(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       TempFolder().c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        process.hThread = nullptr;
    }
    return process;
}

// Whether a process runs from the folder an uninstaller copies itself to, %TEMP%\~nsu*.tmp\.
bool IsUninstallerCopy(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) {
        return false;
    }
    std::wstring image(path, size);
    CharLowerBuffW(image.data(), static_cast<DWORD>(image.size()));
    return image.find(L"\\~nsu") != std::wstring::npos;
}

// Waits for a started program to end, and for the programs it started that belong to its work:
// the temporary copy an uninstaller runs from (so that it can delete itself), and Wine's
// shortcut processor, which a new shortcut starts in the program folder and which would keep
// that folder from being removed. Wine's own services, which any program may happen to start,
// live on. Returns the program's exit code, or -1 when it did not start or did not finish in
// time.
int WaitToEnd(PROCESS_INFORMATION& process, DWORD timeoutMs = 30000) {
    gStillRunning.clear();
    if (process.hProcess == nullptr) {
        return -1;
    }
    int result = -1;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        result = static_cast<int>(exitCode);
        // The process object is still open, so its id names no other process meanwhile.
        for (const ChildProcess& child : ChildProcesses(process.dwProcessId)) {
            HANDLE handle =
                OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, child.id);
            if (handle != nullptr) {
                const bool partOfTheWork =
                    IsUninstallerCopy(handle) ||
                    lstrcmpiW(child.name.c_str(), L"winemenubuilder.exe") == 0;
                if (partOfTheWork && WaitForSingleObject(handle, timeoutMs) != WAIT_OBJECT_0) {
                    result = -1;
                    gStillRunning += Narrow(child.name) + " ";
                }
                CloseHandle(handle);
            }
        }
    }
    CloseHandle(process.hProcess);
    process.hProcess = nullptr;
    return result;
}

int RunToEnd(const std::wstring& program, const std::wstring& arguments) {
    PROCESS_INFORMATION process = StartProgram(program, arguments);
    return WaitToEnd(process);
}

// The installer's or uninstaller's visible top-level dialog (its main window or a message box of
// its), titled "Tessarin Setup" or "Tessarin Uninstall", for which `match` holds.
HWND WizardWindow(const wchar_t* titled, bool (*match)(HWND)) {
    struct Search {
        const wchar_t* titled;
        bool (*match)(HWND);
        HWND found;
    } search{titled, match, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            wchar_t className[64] = {};
            wchar_t title[128] = {};
            GetClassNameW(window, className, 64);
            GetWindowTextW(window, title, 128);
            if (IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
                std::wstring(title).rfind(s->titled, 0) == 0 && s->match(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible top-level windows as "class 'title'", for failure messages.
std::string VisibleWindows() {
    std::string list;
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            if (IsWindowVisible(window)) {
                char className[64] = {};
                char title[128] = {};
                GetClassNameA(window, className, 64);
                GetWindowTextA(window, title, 128);
                *reinterpret_cast<std::string*>(parameter) +=
                    std::string(className) + " '" + title + "'; ";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&list));
    return list;
}

bool IsQuestion(HWND window) {
    return GetDlgItem(window, IDNO) != nullptr;
}
bool IsMainWindow(HWND window) {
    return GetDlgItem(window, IDNO) == nullptr && GetDlgItem(window, IDOK) != nullptr;
}

// The uninstaller's Next button (Uninstall, then Close), when it is enabled and reads `text`.
bool NextButtonReads(HWND main, const std::wstring& text) {
    HWND button = GetDlgItem(main, IDOK);
    wchar_t caption[64] = {};
    GetWindowTextW(button, caption, 64);
    return IsWindowEnabled(button) && std::wstring(caption).find(text) != std::wstring::npos;
}

void ClickNextButton(HWND main) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, IDOK)));
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The installer's temporary folders (~ns*.tmp) in the temp folder.
std::vector<std::wstring> InstallerTempFolders() {
    std::vector<std::wstring> folders;
    for (const std::wstring& name :
         FolderEntries(TempFolder().substr(0, TempFolder().size() - 1))) {
        if (name.rfind(L"~ns", 0) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, L".tmp") == 0) {
            folders.push_back(name);
        }
    }
    return folders;
}

void RemoveTree(const std::wstring& path) {
    for (const std::wstring& name : FolderEntries(path)) {
        const std::wstring child = path + L"\\" + name;
        if (GetFileAttributesW(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(child);
        } else {
            DeleteFileW(child.c_str());
        }
    }
    RemoveDirectoryW(path.c_str());
}

class Packages : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        aside_.SetAside();
        tempFoldersBefore_ = InstallerTempFolders();
    }

    static void TearDownTestSuite() {
        aside_.PutBack();
        // An uninstaller ended before it finished leaves its temporary copy's folder behind.
        const std::vector<std::wstring> before = tempFoldersBefore_;
        for (const std::wstring& name : InstallerTempFolders()) {
            if (std::find(before.begin(), before.end(), name) == before.end()) {
                RemoveTree(TempFolder() + name);
            }
        }
    }

    void SetUp() override { UserStoreAside::Clear(); }

    void TearDown() override {
        EndProcesses(processes_);
        // An installer or uninstaller a failed test left with its window open, and what it
        // started (the uninstaller's temporary copy).
        if (wizard_.hProcess != nullptr) {
            for (const ChildProcess& child : ChildProcesses(wizard_.dwProcessId)) {
                HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child.id);
                if (handle != nullptr) {
                    TerminateProcess(handle, 1);
                    WaitForSingleObject(handle, 5000);
                    CloseHandle(handle);
                }
            }
            TerminateProcess(wizard_.hProcess, 1);
            CloseHandle(wizard_.hProcess);
        }
        if (installed_) {
            RemoveInstallation();
        }
        if (!script_.empty()) {
            DeleteFileW(script_.c_str());
            DeleteFileW(marker_.c_str());
        }
    }

    // After a failure: the uninstaller if it is still there, then whatever it left.
    static void RemoveInstallation() {
        const std::wstring folder = InstallFolder();
        if (Exists(folder + L"\\Uninstall.exe")) {
            RunToEnd(folder + L"\\Uninstall.exe", L"/S");
        }
        for (const std::wstring& file : kInstalledFiles) {
            DeleteFileW((folder + L"\\" + file).c_str());
        }
        RemoveDirectoryW((folder + L"\\Help").c_str());
        RemoveDirectoryW(folder.c_str());
        DeleteFileW(Shortcut().c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    void SkipWithoutInstaller() {
        if (gInstaller.empty() || !Exists(gInstaller)) {
            GTEST_SKIP() << "no installer at \"" << Narrow(gInstaller)
                         << "\": run scripts/package first";
        }
        if (KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) ||
            Exists(InstallFolder() + L"\\Tessarin.exe")) {
            GTEST_SKIP() << "Tessarin is installed on this machine; the test would replace it";
        }
    }

    void Install() {
        installed_ = true;
        ASSERT_EQ(RunToEnd(gInstaller, L"/S"), 0)
            << "the silent installer failed; still running: " << gStillRunning;
    }

    void Uninstall() {
        const std::wstring uninstaller = InstallFolder() + L"\\Uninstall.exe";
        ASSERT_TRUE(Exists(uninstaller));
        ASSERT_EQ(RunToEnd(uninstaller, L"/S"), 0)
            << "the silent uninstaller failed; still running: " << gStillRunning;
    }

    // Walks the installer started in wizard_ from the keyboard: Enter on the folder page installs,
    // the finish page follows by itself with the focus on its box, which Space clears, and Enter
    // presses Finish.
    void WalkToFinish(bool clearBox) {
        HWND main = nullptr;
        // Keys go to the foreground window, which a new window may not have taken yet.
        ASSERT_TRUE(WaitFor([&] {
            main = WizardWindow(L"Tessarin Setup", IsMainWindow);
            if (main != nullptr && GetForegroundWindow() != main) {
                SetForegroundWindow(main);
            }
            return main != nullptr && GetForegroundWindow() == main;
        })) << "no installer window among "
            << VisibleWindows();
        ASSERT_TRUE(SendKeys({VK_RETURN}));
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            GUITHREADINFO gui{};
            gui.cbSize = sizeof(gui);
            wchar_t text[64] = {};
            box = GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gui) ? gui.hwndFocus
                                                                                  : nullptr;
            GetWindowTextW(box, text, 64);
            return std::wstring(text) == L"Start Tessarin now";
        })) << "no finish page with its box";
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "not ticked by default";
        if (clearBox) {
            ASSERT_TRUE(SendKeys({VK_SPACE}));
            ASSERT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == 0; }));
        }
        ASSERT_TRUE(SendKeys({VK_RETURN}));
    }

    // A batch file that writes its first argument to a marker file; returns an action's data
    // that runs it.
    std::wstring MarkerAction(const std::wstring& text) {
        script_ = TempFolder() + L"tessarin install mark.cmd";
        marker_ = TempFolder() + L"tessarin install marker.txt";
        DeleteFileW(marker_.c_str());
        EXPECT_TRUE(WriteWholeFile(script_, "@echo %~1> \"%~dp0tessarin install marker.txt\"\r\n"));
        return L"\"" + script_ + L"\" \"" + text + L"\"";
    }

    std::string Marker() const { return ReadFirstLine(marker_); }

    // One stored action: Ctrl+Alt+M runs the marker script.
    void StoreHotkeyAction(const std::wstring& text) {
        const std::wstring data = MarkerAction(text);
        Store(HKEY_CURRENT_USER, kActionsKey, L"ActionType1", L"Open File/Folder");
        Store(HKEY_CURRENT_USER, kActionsKey, L"Hotkey1", L"CTRL + ALT + M");
        Store(HKEY_CURRENT_USER, kActionsKey, L"Data1", data);
        Store(HKEY_CURRENT_USER, kActionsKey, L"ActionIndex1", L"2");
    }

    // Starts a Tessarin.exe from a folder that is not its own and waits for its window.
    void StartTessarin(const std::wstring& program) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, TempFolder().c_str(), &startup, &process))
            << "cannot start " << Narrow(program);
        processes_.push_back(process);
        tessarin_ = process.hProcess;
        // The caption comes once the stored hotkeys are registered.
        const std::wstring caption = std::wstring(L"Tessarin v") + kVersion;
        ASSERT_TRUE(WaitFor([&] {
            window_ = FindWindowW(kMainWindowClass, caption.c_str());
            return window_ != nullptr;
        })) << "no main window";
        ASSERT_EQ(WaitForSingleObject(tessarin_, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }

    // Ended as "Unload Tessarin" ends it: by itself, after saving its settings (which the
    // caller removed before).
    void ExpectUnloaded() {
        EXPECT_EQ(WaitForSingleObject(tessarin_, 0), WAIT_OBJECT_0) << "Tessarin still runs";
        DWORD exitCode = 1;
        GetExitCodeProcess(tessarin_, &exitCode);
        EXPECT_EQ(exitCode, 0u) << "Tessarin did not leave by itself";
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKey))
            << "Tessarin ended without saving its settings";
    }

    void PressHotkey(const std::string& text) {
        ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'M'}));
        EXPECT_TRUE(WaitFor([&] { return Marker() == text; })) << "marker: " << Marker();
    }

    static inline UserStoreAside aside_{kBackupKey};
    static inline std::vector<std::wstring> tempFoldersBefore_;

    bool installed_ = false;
    std::wstring script_;
    std::wstring marker_;
    std::vector<PROCESS_INFORMATION> processes_;
    PROCESS_INFORMATION wizard_{};  // an installer or uninstaller run with its window
    HANDLE tessarin_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(Packages, InstallerInstallsAndTheUninstallerEndsTessarinAndRemovesEverything) {
    SkipWithoutInstaller();
    if (IsSkipped()) {
        return;
    }
    const std::wstring folder = InstallFolder();
    const std::wstring program = folder + L"\\Tessarin.exe";

    ASSERT_NO_FATAL_FAILURE(Install());
    for (const std::wstring& file : kInstalledFiles) {
        EXPECT_TRUE(Exists(folder + L"\\" + file)) << "not installed: " << Narrow(file);
    }
    EXPECT_EQ(LinkTarget(Shortcut()), program) << "the Start-menu shortcut";
    const std::vector<std::pair<std::wstring, std::wstring>> entry = {
        {L"DisplayName", L"Tessarin"},
        {L"DisplayVersion", kVersion},
        {L"Publisher", L"Tessarin"},
        {L"DisplayIcon", program},
        {L"InstallLocation", folder},
        {L"UninstallString", L"\"" + folder + L"\\Uninstall.exe\""},
        {L"QuietUninstallString", L"\"" + folder + L"\\Uninstall.exe\" /S"},
    };
    for (const auto& [name, value] : entry) {
        EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kUninstallKey, name), value) << Narrow(name);
    }

    StoreHotkeyAction(L"installed");
    ASSERT_NO_FATAL_FAILURE(StartTessarin(program));
    PressHotkey("installed");
    // Started with the default options, it keeps a Run entry for itself.
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), L"\"" + program + L"\" /m");
    const std::wstring storedData = Stored(HKEY_CURRENT_USER, kActionsKey, L"Data1");
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);

    ASSERT_NO_FATAL_FAILURE(Uninstall());
    ExpectUnloaded();
    for (const std::wstring& file : kInstalledFiles) {
        EXPECT_FALSE(Exists(folder + L"\\" + file)) << "left behind: " << Narrow(file);
    }
    EXPECT_FALSE(Exists(folder)) << "the program folder is left";
    EXPECT_FALSE(Exists(Shortcut())) << "the Start-menu shortcut is left";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the uninstall entry is left";
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), L"<absent>");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), L"<absent>");
    // The user's actions stay for a later installation.
    const std::vector<std::pair<std::wstring, std::wstring>> actions = {
        {L"ActionType1", L"Open File/Folder"},
        {L"Hotkey1", L"CTRL + ALT + M"},
        {L"Data1", storedData},
        {L"ActionIndex1", L"2"},
    };
    for (const auto& [name, value] : actions) {
        EXPECT_EQ(Stored(HKEY_CURRENT_USER, kActionsKey, name), value) << Narrow(name);
    }
    if (!HasFailure()) {
        installed_ = false;
    }
}

TEST_F(Packages, ReinstallEndsARunningTessarinAndUninstallRemovesBothRunEntries) {
    SkipWithoutInstaller();
    if (IsSkipped()) {
        return;
    }
    const std::wstring program = InstallFolder() + L"\\Tessarin.exe";
    ASSERT_NO_FATAL_FAILURE(Install());
    ASSERT_NO_FATAL_FAILURE(StartTessarin(program));
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    // Installing again replaces the program, so the running one is unloaded first.
    ASSERT_NO_FATAL_FAILURE(Install());
    ExpectUnloaded();
    for (const std::wstring& file : kInstalledFiles) {
        EXPECT_TRUE(Exists(InstallFolder() + L"\\" + file)) << "not installed: " << Narrow(file);
    }

    // As a Tessarin run by a user without rights to the machine-wide key leaves it, and as one
    // from an earlier installation elsewhere may have left the machine-wide one.
    const std::wstring data = L"\"" + program + L"\" /m";
    Store(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, data);
    Store(HKEY_CURRENT_USER, kRunKey, kRunValue, data);
    Store(HKEY_CURRENT_USER, kActionsKey, L"ActionType1", L"Mute");

    ASSERT_NO_FATAL_FAILURE(Uninstall());
    const std::vector<std::pair<HKEY, const char*>> runEntries = {{HKEY_LOCAL_MACHINE, "HKLM"},
                                                                  {HKEY_CURRENT_USER, "HKCU"}};
    for (const auto& [root, name] : runEntries) {
        EXPECT_EQ(Stored(root, kRunKey, kRunValue), L"<absent>") << name << " Run entry";
    }
    EXPECT_FALSE(Exists(InstallFolder()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kActionsKey, L"ActionType1"), L"Mute");
    if (!HasFailure()) {
        installed_ = false;
    }
}

TEST_F(Packages, UninstallerAsksBeforeDeletingTheActionsAndKeepsThemByDefault) {
    SkipWithoutInstaller();
    if (IsSkipped()) {
        return;
    }
    struct Case {
        const char* answer;
        bool pressDefault;
        bool actionsKept;
    };
    const Case cases[] = {{"the default answer", true, true}, {"Yes", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ASSERT_NO_FATAL_FAILURE(Install());
        Store(HKEY_CURRENT_USER, kActionsKey, L"ActionType1", L"Mute");

        wizard_ = StartProgram(InstallFolder() + L"\\Uninstall.exe", L"");
        ASSERT_NE(wizard_.hProcess, nullptr);
        HWND main = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            main = WizardWindow(L"Tessarin Uninstall", IsMainWindow);
            return main != nullptr;
        })) << "no uninstaller window among "
            << VisibleWindows();
        // "Uninstall" on the confirmation page; clicked again should a click come before the
        // page is ready for it.
        int ticks = 0;
        HWND question = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            question = WizardWindow(L"Tessarin Uninstall", IsQuestion);
            if (question == nullptr && ticks++ % 25 == 0 && NextButtonReads(main, L"Uninstall")) {
                ClickNextButton(main);
            }
            return question != nullptr;
        })) << "no question about the actions among "
            << VisibleWindows();
        // The default answer is the focused button, the one Enter presses.
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(question, nullptr), &gui));
        const HWND no = GetDlgItem(question, IDNO);
        EXPECT_EQ(gui.hwndFocus, no) << "the default answer is not No";
        EXPECT_EQ(GetWindowLongW(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        if (c.pressDefault) {
            PostMessageW(gui.hwndFocus, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageW(gui.hwndFocus, WM_KEYUP, VK_RETURN, 0xC0000001);
        } else {
            PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
        }
        // "Close" once the files are gone.
        ticks = 0;
        ASSERT_TRUE(WaitFor([&] {
            if (ticks++ % 25 == 0 && NextButtonReads(main, L"Close")) {
                ClickNextButton(main);
            }
            return IsWindow(main) == FALSE;
        })) << "the uninstaller did not finish";
        EXPECT_EQ(WaitToEnd(wizard_), 0) << "still running: " << gStillRunning;

        EXPECT_FALSE(Exists(InstallFolder()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kStoreKey), c.actionsKept);
    }
    if (!HasFailure()) {
        installed_ = false;
    }
}

TEST_F(Packages, FinishPageStartsTessarinThroughTheShellOnlyWhenTheBoxIsTicked) {
    SkipWithoutInstaller();
    if (IsSkipped()) {
        return;
    }
    struct Case {
        const char* run;
        const wchar_t* arguments;
        bool clearBox;
        bool starts;
    };
    const Case cases[] = {{"box left ticked", L"", false, true},
                          {"box cleared", L"", true, false},
                          {"silently, with no pages", L"/S", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run);
        installed_ = true;
        wizard_ = StartProgram(gInstaller, c.arguments);
        ASSERT_NE(wizard_.hProcess, nullptr);
        if (c.arguments[0] == L'\0') {
            ASSERT_NO_FATAL_FAILURE(WalkToFinish(c.clearBox));
        }

        // A Tessarin starts within moments of Finish, or never: the shell starts it before the
        // installer's call to it returns.
        const bool started = WaitFor(
            [&] { return FindWindowW(kMainWindowClass, nullptr) != nullptr; }, c.starts ? 15 : 3);
        EXPECT_EQ(started, c.starts);
        // The installer's own children inherit its administrator rights.
        for (const ChildProcess& child : ChildProcesses(wizard_.dwProcessId)) {
            EXPECT_NE(lstrcmpiW(child.name.c_str(), L"Tessarin.exe"), 0)
                << "Tessarin started by the installer itself";
        }
        EXPECT_EQ(WaitToEnd(wizard_), 0) << "still running: " << gStillRunning;
        if (started) {
            const HWND window = FindWindowW(kMainWindowClass, nullptr);
            DWORD id = 0;
            GetWindowThreadProcessId(window, &id);
            PROCESS_INFORMATION tessarin{};
            tessarin.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
            processes_.push_back(tessarin);
            PostMessageW(window, WM_COMMAND, ids::mnuUnload, 0);
            EXPECT_EQ(WaitForSingleObject(tessarin.hProcess, 15000), WAIT_OBJECT_0);
        }
    }
    // TearDown uninstalls.
}

TEST_F(Packages, PortableArchiveRunsFromAFolderWithSpaces) {
    const std::wstring top = gPortableFolder + L"\\" + kPortableTopFolder;
    if (gPortableFolder.empty() || !Exists(top)) {
        GTEST_SKIP() << "no unpacked archive in \"" << Narrow(gPortableFolder)
                     << "\": run scripts/package first";
    }
    ASSERT_NE(gPortableFolder.find(L' '), std::wstring::npos);
    // One folder at the top, holding the program and its help.
    EXPECT_EQ(FolderEntries(gPortableFolder), std::vector<std::wstring>{kPortableTopFolder});
    const std::vector<std::wstring> files = {L"Tessarin.exe", L"Help\\index.htm"};
    for (const std::wstring& file : files) {
        EXPECT_TRUE(Exists(top + L"\\" + file)) << "not in the archive: " << Narrow(file);
    }

    StoreHotkeyAction(L"portable");
    ASSERT_NO_FATAL_FAILURE(StartTessarin(top + L"\\Tessarin.exe"));
    PressHotkey("portable");
    // A folder any user can change: the entry is the user's own, never the machine-wide one.
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), L"\"" + top + L"\\Tessarin.exe\" /m");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), L"<absent>");
    PostMessageW(window_, WM_COMMAND, ids::mnuUnload, 0);
    EXPECT_EQ(WaitForSingleObject(tessarin_, 15000), WAIT_OBJECT_0);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        for (const auto& [prefix, target] :
             {std::pair<std::string, std::wstring*>{"--installer=", &gInstaller},
              std::pair<std::string, std::wstring*>{"--portable=", &gPortableFolder}}) {
            if (argument.rfind(prefix, 0) == 0) {
                *target = FullPath(Widen(argument.substr(prefix.size())));
            }
        }
    }
    return RUN_ALL_TESTS();
}
