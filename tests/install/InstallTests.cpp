// The packages as a user meets them: the installer and the uninstaller run silently and through
// their pages, the installed Tessarin started from Program Files, and the portable archive
// unpacked into a folder with spaces in its name. Without the packages the tests skip. Whatever
// they install they remove again, and the user's own store and Run entries are put back.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "TestPrograms.h"

namespace {

using namespace tessarin::testsupport;

constexpr wchar_t kActionsKey[] = L"Software\\Tessarin\\Actions";
constexpr wchar_t kSettingsKey[] = L"Software\\Tessarin\\Settings";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarin";
constexpr wchar_t kMainClass[] = L"TessarinMainWindow";
constexpr wchar_t kCaption[] = L"Tessarin v" TESSARIN_VERSION;

// Both made by scripts/package; the test runs in the folder the paths are relative to.
const std::wstring gInstaller = TESSARIN_INSTALLER;
const std::wstring gPortable =
    std::filesystem::absolute(TESSARIN_PORTABLE_FOLDER L"\\" TESSARIN_PACKAGE_FILE_NAME).wstring();

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Text(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

// The dialog whose title starts with `title` and that has the button `id`: a wizard's
// window (IDOK, its Next button) or its question (IDNO).
HWND Dialog(const std::wstring& title, int id) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
        if (Text(window).rfind(title, 0) == 0 && GetDlgItem(window, id) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

std::wstring ShellFolder(int csidl, const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return std::wstring(path) + L"\\" + name;
}

const std::wstring gFolder = ShellFolder(CSIDL_PROGRAM_FILES, L"Tessarin");
const std::wstring gProgram = gFolder + L"\\Tessarin.exe";
const std::wstring gUninstaller = gFolder + L"\\Uninstall.exe";
const std::wstring gShortcut = ShellFolder(CSIDL_COMMON_PROGRAMS, L"Tessarin.lnk");
// Asked before the first test: what a failed test leaves installed must not skip the rest.
const bool gInstalledBefore = KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) || Exists(gProgram);

// Started in the temporary folder, which holds nothing the packages install or remove.
PROCESS_INFORMATION Launch(const std::wstring& program, const std::wstring& arguments,
                           DWORD flags) {
    return StartProcess(L"\"" + program + L"\" " + arguments, flags, TempFolder().c_str());
}

class Packages : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { aside_.SetAside(); }
    static void TearDownTestSuite() { aside_.PutBack(); }

    void SetUp() override {
        UserStoreAside::Clear();
        if (!Exists(gInstaller) || !Exists(gPortable)) {
            GTEST_SKIP() << "no packages beside the tests: run scripts/package first";
        } else if (gInstalledBefore) {
            GTEST_SKIP() << "Tessarin is installed on this machine; the tests would replace it";
        }
    }

    void TearDown() override {
        EndProcesses(processes_);
        // An installer or uninstaller a failed test left running, with what it started.
        TerminateJobObject(job_, 1);
        // Anything installed is the tests' own: they skip when Tessarin was installed before.
        if (Exists(gUninstaller)) {
            Run(gUninstaller, L"/S");
        }
        CloseHandle(job_);
    }

    // Starts an installer or uninstaller in a job of its own. The job holds what it starts as
    // well, the uninstaller's temporary copy and Wine's shortcut processor, so the test can wait
    // for all of it; a Tessarin started through the shell runs outside it.
    void Start(const std::wstring& program, const std::wstring& arguments) {
        CloseHandle(job_);
        job_ = CreateJobObjectW(nullptr, nullptr);
        const PROCESS_INFORMATION process = Launch(program, arguments, CREATE_SUSPENDED);
        AssignProcessToJobObject(job_, process.hProcess);
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    // Whether everything in the started program's job ended in time.
    bool Finished() {
        return WaitFor(
            [&] {
                JOBOBJECT_BASIC_ACCOUNTING_INFORMATION job{};
                QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &job,
                                          sizeof(job), nullptr);
                return job.TotalProcesses > 0 && job.ActiveProcesses == 0;
            },
            30);
    }

    bool Run(const std::wstring& program, const std::wstring& arguments) {
        Start(program, arguments);
        return Finished();
    }

    // Presses the started wizard's button (Install, Uninstall, Finish, Close) whenever it is
    // enabled, until the wizard closes. `ready` sees the wizard first, each time, and says
    // whether the button may be pressed now.
    bool Drive(const wchar_t* title, const std::function<bool(HWND)>& ready) {
        HWND main = nullptr;
        return WaitFor(
            [&] {
                main = main != nullptr ? main : Dialog(title, IDOK);
                if (main != nullptr && ready(main) && IsWindowEnabled(GetDlgItem(main, IDOK))) {
                    PostMessageW(main, WM_COMMAND, IDOK, 0);
                }
                return main != nullptr && !IsWindow(main);
            },
            60);
    }

    // Installs through the installer's pages, leaving the finish page's box ticked or clearing it.
    void InstallThroughPages(bool clearBox) {
        Start(gInstaller, L"");
        ASSERT_TRUE(Drive(L"Tessarin Setup", [&](HWND main) {
            const HWND page = FindWindowExW(main, nullptr, L"#32770", nullptr);
            const HWND box = FindWindowExW(page, nullptr, L"Button", L"Start Tessarin now");
            if (box != nullptr && clearBox) {
                SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
            }
            // Install, and Finish once its box is there: Next is enabled for a moment as the
            // installation ends, and a press then would reach the finish page before the box is
            // set.
            return box != nullptr ||
                   Text(GetDlgItem(main, IDOK)).find(L"Install") != std::wstring::npos;
        })) << "the installer's pages did not finish";
        // A Tessarin the installer started itself would run in its job, with its administrator
        // rights, and keep the job from emptying.
        EXPECT_TRUE(Finished());
    }

    // Whether a Tessarin shows its caption within `seconds`; the caption comes once the stored
    // hotkeys are registered.
    bool TessarinRuns(int seconds) {
        return WaitFor([&] { return (window_ = FindWindowW(kMainClass, kCaption)); }, seconds);
    }

    static inline UserStoreAside aside_{L"Software\\Tessarin (saved by the install tests)"};
    std::vector<PROCESS_INFORMATION> processes_;
    HANDLE job_ = nullptr;  // the last installer's or uninstaller's, and what it started
    HWND window_ = nullptr;
};

TEST_F(Packages, InstallStartReinstallAndUninstall) {
    Store(HKEY_CURRENT_USER, kActionsKey, L"ActionType1", L"Mute");
    Store(HKEY_CURRENT_USER, kActionsKey, L"Hotkey1", L"CTRL + ALT + M");
    ASSERT_NO_FATAL_FAILURE(InstallThroughPages(false));
    ASSERT_TRUE(TessarinRuns(15)) << "the finish page started no Tessarin";
    for (const wchar_t* file : {L"Tessarin.exe", L"Help\\index.htm", L"Uninstall.exe"}) {
        EXPECT_TRUE(Exists(gFolder + L"\\" + file)) << "not installed: " << file;
    }
    EXPECT_TRUE(Exists(gShortcut)) << "no Start-menu shortcut";
    const std::pair<const wchar_t*, std::wstring> entry[] = {
        {L"DisplayName", L"Tessarin"},
        {L"DisplayVersion", TESSARIN_VERSION},
        {L"InstallLocation", gFolder},
        {L"UninstallString", L"\"" + gUninstaller + L"\""},
        {L"QuietUninstallString", L"\"" + gUninstaller + L"\" /S"}};
    for (const auto& [name, value] : entry) {
        EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kUninstallKey, name), value) << name;
    }
    // The system refuses a combination another program holds.
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'M')) << "no hotkey held";

    // Installing again replaces the running program, so it is unloaded first, which saves its
    // settings. Installed silently, or with the finish page's box cleared, no Tessarin starts.
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(Run(gInstaller, L"/S"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)) << "not unloaded";
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), L"\"" + gProgram + L"\" /m");
    EXPECT_FALSE(TessarinRuns(3)) << "one runs after the silent installation";
    ASSERT_NO_FATAL_FAILURE(InstallThroughPages(true));
    EXPECT_FALSE(TessarinRuns(3)) << "started with the box cleared";

    // So is it before uninstalling. As it ends it writes its machine-wide Run entry again, for the
    // uninstaller to take away.
    processes_.push_back(Launch(gProgram, L"", 0));
    ASSERT_TRUE(TessarinRuns(15));
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(Run(gUninstaller, L"/S"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)) << "not unloaded";
    EXPECT_FALSE(Exists(gFolder)) << "the program folder is left";
    EXPECT_FALSE(Exists(gShortcut)) << "the Start-menu shortcut is left";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the uninstall entry is left";
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), kAbsent);
    // A silent uninstall asks nothing and keeps the actions.
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kActionsKey, L"Hotkey1"), L"CTRL + ALT + M");
}

TEST_F(Packages, UninstallerDeletesTheActionsOnlyWhenTheUserSaysYes) {
    for (const bool sayYes : {false, true}) {
        SCOPED_TRACE(sayYes ? "Yes" : "Enter, which presses the default");
        ASSERT_TRUE(Run(gInstaller, L"/S"));
        Store(HKEY_CURRENT_USER, kActionsKey, L"ActionType1", L"Mute");
        // As a Tessarin without rights to the machine-wide entry leaves it; it goes either way.
        Store(HKEY_CURRENT_USER, kRunKey, kRunValue, L"\"" + gProgram + L"\" /m");

        Start(gUninstaller, L"");
        ASSERT_TRUE(Drive(L"Tessarin Uninstall", [&](HWND) {
            if (const HWND question = Dialog(L"Tessarin Uninstall", IDNO)) {
                PostMessageW(question, sayYes ? WM_COMMAND : WM_KEYDOWN, sayYes ? IDYES : VK_RETURN,
                             0);
            }
            return true;
        })) << "the uninstaller did not finish";
        EXPECT_TRUE(Finished());
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kStoreKey), !sayYes);
        EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue), kAbsent);
    }
}

TEST_F(Packages, PortableCopyRunsFromAFolderWithSpacesAndStartsForThisUserOnly) {
    ASSERT_NE(gPortable.find(L' '), std::wstring::npos);
    processes_.push_back(Launch(gPortable + L"\\Tessarin.exe", L"", 0));
    ASSERT_TRUE(TessarinRuns(15));
    // As another program closes it: it saves and ends, with its Run entry written. A folder any
    // user can change: the entry is the user's own, never the machine-wide one.
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(processes_.back().hProcess, 15000), WAIT_OBJECT_0);
    EXPECT_EQ(Stored(HKEY_CURRENT_USER, kRunKey, kRunValue),
              L"\"" + gPortable + L"\\Tessarin.exe\" /m");
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), kAbsent);
}

}  // namespace
