// Starts Tessarin.exe with actions in its store, types a stored combination and reads what the
// program says it ran, then closes it and checks that it gave its hotkeys back.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "TestPrograms.h"

namespace {

using tessarin::testsupport::ProgramFolder;
using tessarin::testsupport::SendKeys;

constexpr wchar_t kStoreKey[] = L"Software\\Tessarin";
constexpr wchar_t kActionsKey[] = L"Software\\Tessarin\\Actions";
// Where a user's own store waits while the tests run on a real Windows machine.
constexpr wchar_t kBackupKey[] = L"Software\\Tessarin (saved by the end-to-end tests)";

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Copies one tree of HKEY_CURRENT_USER over another, which is removed first.
bool CopyTree(const wchar_t* from, const wchar_t* to) {
    RegDeleteTreeW(HKEY_CURRENT_USER, to);
    HKEY source = nullptr;
    HKEY target = nullptr;
    bool copied = false;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) == ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                        nullptr) == ERROR_SUCCESS) {
        copied = RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
    }
    if (target != nullptr) {
        RegCloseKey(target);
    }
    if (source != nullptr) {
        RegCloseKey(source);
    }
    return copied;
}

void StoreValue(const std::wstring& name, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kActionsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

bool WaitFor(const std::function<bool()>& condition, int seconds = 15) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        Sleep(50);
    }
    return condition();
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT crosses processes; GetWindowText would not ask the other process's control.
    std::vector<wchar_t> buffer(65536);
    const LRESULT length =
        SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data(), static_cast<std::size_t>(length));
}

class Host : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // A store left behind by an interrupted run is the user's, not ours to overwrite.
        if (KeyExists(kStoreKey) && !KeyExists(kBackupKey)) {
            ASSERT_TRUE(CopyTree(kStoreKey, kBackupKey));
        }
    }

    static void TearDownTestSuite() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
        if (KeyExists(kBackupKey) && CopyTree(kBackupKey, kStoreKey)) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
        }
    }

    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey); }

    void TearDown() override {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 1);
            }
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kStoreKey);
    }

    void Start() {
        std::wstring commandLine = L"\"" + ProgramFolder() + L"Tessarin.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_));
        WaitForInputIdle(process_.hProcess, 10000);
        ASSERT_TRUE(WaitFor([&] {
            window_ = FindWindowW(L"TessarinMainWindow", L"Tessarin v1.36");
            return window_ != nullptr;
        })) << "no main window";
        log_ = FindWindowExW(window_, nullptr, L"Edit", nullptr);
        ASSERT_NE(log_, nullptr);
    }

    bool LogContains(const std::wstring& text) {
        return WaitFor([&] { return WindowText(log_).find(text) != std::wstring::npos; });
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    HWND log_ = nullptr;
};

TEST_F(Host, StoredHotkeyRunsItsActionAndClosingReleasesIt) {
    StoreValue(L"ActionType1", L"Paste Text");
    StoreValue(L"Hotkey1", L"CTRL + ALT + K");
    StoreValue(L"Data1", L"http://e2e.test/\u00e9 ");
    StoreValue(L"ActionIndex1", L"6");
    StoreValue(L"ActionType2", L"Mute");
    StoreValue(L"Hotkey2", L"");
    StoreValue(L"Data2", L" ");
    Start();

    ASSERT_TRUE(LogContains(L"Stored actions: 2")) << WindowText(log_).c_str();
    EXPECT_NE(GlobalFindAtomW(L"TessarinAtom1"), 0);
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom2"), 0);

    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'K'}));
    EXPECT_TRUE(LogContains(L"Run: Paste Text | http://e2e.test/\u00e9 \r\n"))
        << WindowText(log_).c_str();

    PostMessageW(window_, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, 15000), WAIT_OBJECT_0);
    EXPECT_EQ(GlobalFindAtomW(L"TessarinAtom1"), 0) << "the hotkey's atom outlived the program";
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    return std::wstring(path, length);
}

std::string ReadFirstLine(const std::wstring& path) {
    std::string line;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return line;
    }
    char buffer[256] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    line.assign(buffer, read);
    return line.substr(0, line.find_first_of("\r\n"));
}

TEST_F(Host, StoredHotkeyRunsAProgramWithItsParameters) {
    const std::wstring script = TempFolder() + L"tessarin e2e mark.cmd";
    const std::wstring marker = TempFolder() + L"tessarin e2e marker.txt";
    DeleteFileW(marker.c_str());
    {
        HANDLE file =
            CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const char body[] = "@echo %~1 %2> \"%~dp0tessarin e2e marker.txt\"\r\n";
        DWORD written = 0;
        WriteFile(file, body, sizeof(body) - 1, &written, nullptr);
        CloseHandle(file);
    }
    StoreValue(L"ActionType1", L"Open File/Folder");
    StoreValue(L"Hotkey1", L"CTRL + ALT + M");
    StoreValue(L"Data1", L"\"" + script + L"\" \"from the hotkey\" done");
    Start();
    ASSERT_TRUE(LogContains(L"Stored actions: 1"));

    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'M'}));
    EXPECT_TRUE(WaitFor([&] { return ReadFirstLine(marker) == "from the hotkey done"; }))
        << "marker: " << ReadFirstLine(marker);

    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 15000), WAIT_OBJECT_0);
    DeleteFileW(marker.c_str());
    DeleteFileW(script.c_str());
}

TEST_F(Host, EmptyStoreStartsWithNoActions) {
    Start();
    EXPECT_TRUE(LogContains(L"Stored actions: 0"));
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 15000), WAIT_OBJECT_0);
}

}  // namespace
