// The window, clipboard, registry and process actions against the real system: effects are read
// back from the windows, the clipboard, the registry and the processes themselves.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestPrograms.h"
#include "actions/WindowActions.h"
#include "platform/win32/Win32DesktopPort.h"
#include "platform/win32/Win32RawRegistry.h"

namespace tessarin {
namespace {

using testsupport::ProgramFolder;

constexpr wchar_t kWindowClass[] = L"TessarinWindowActionsTest";
constexpr wchar_t kFrameClassVariable[] = L"TESSARIN_TEST_FRAME_CLASS";

WindowHandle Handle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

void PumpFor(std::chrono::milliseconds time) {
    win32::Win32DesktopPort(nullptr).Wait(static_cast<std::uint32_t>(time.count()));
}

bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        PumpFor(std::chrono::milliseconds(20));
    }
    return true;
}

void RegisterTestClass() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
}

HWND CreateTopLevel(const wchar_t* className) {
    HWND window = CreateWindowExW(0, className, L"window actions test", WS_OVERLAPPEDWINDOW, 50, 50,
                                  400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
    }
    return window;
}

std::optional<std::wstring> ClipboardText() {
    if (!OpenClipboard(nullptr)) {
        return std::nullopt;
    }
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

class WindowActionsWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterTestClass();
        owner_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        desktop_.emplace(owner_);
    }
    void TearDown() override { DestroyWindow(owner_); }

    HWND owner_ = nullptr;
    std::optional<win32::Win32DesktopPort> desktop_;
    win32::Win32RawRegistry registry_;
};

// An edit control in a window of another thread, as a paste target in another program would be.
TEST_F(WindowActionsWin32, PasteReachesTheFocusedEditOfAnotherThreadAndRestoresTheClipboard) {
    ASSERT_TRUE(desktop_->ReplaceClipboard(std::string("vorher \xE2\x9C\x93")));  // "vorher ✓"
    std::atomic<HWND> frame{nullptr};
    HWND edit = nullptr;
    DWORD targetThread = 0;
    std::thread target([&] {
        HWND window = CreateTopLevel(kWindowClass);
        HWND control =
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 200,
                            window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetFocus(control);
        edit = control;
        targetThread = GetCurrentThreadId();
        frame = window;  // published last: the test waits for it
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(window);
    });
    const bool inFront =
        PumpUntil([&] { return frame != nullptr && GetForegroundWindow() == frame; });
    if (inFront) {
        WindowActions actions(*desktop_, registry_, Handle(owner_));
        EXPECT_TRUE(
            actions.PasteText("Gr\xC3\xBC\xC3\x9F"
                              "e \xCE\xA9 "));  // "Grüße Ω "
        wchar_t text[64] = {};
        SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(text), L"Gr\u00FC\u00DFe \u03A9 ");
        EXPECT_EQ(ClipboardText(), std::wstring(L"vorher \u2713"));
        // A clipboard that held no text is left empty.
        ASSERT_TRUE(desktop_->ReplaceClipboard(std::nullopt));
        EXPECT_TRUE(actions.PasteText("abc "));
        SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(text), L"Gr\u00FC\u00DFe \u03A9 abc ");
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    }
    PostThreadMessageW(targetThread, WM_QUIT, 0, 0);
    target.join();
    ASSERT_TRUE(inFront) << "the target window never came to the foreground";
}

TEST_F(WindowActionsWin32, ForegroundWindowIsMaximizedRestoredMinimizedAndClosed) {
    HWND window = CreateTopLevel(kWindowClass);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));

    WindowActions actions(*desktop_, registry_, Handle(owner_));
    actions.MaximizeRestoreWindow();
    EXPECT_TRUE(IsZoomed(window));
    actions.MaximizeRestoreWindow();
    EXPECT_FALSE(IsZoomed(window));
    actions.MinimizeWindow();
    EXPECT_TRUE(IsIconic(window));

    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
    actions.CloseWindow();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
}

TEST_F(WindowActionsWin32, TaskbarTwiceFlipsItsVisibilityAndBack) {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", L"");
    ASSERT_NE(taskbar, nullptr) << "no taskbar in the Wine desktop";
    // The desktop shows and hides its taskbar by itself as windows come and go; let it finish
    // with the windows of the earlier tests first.
    PumpFor(std::chrono::milliseconds(300));
    const bool visibleBefore = IsWindowVisible(taskbar) != FALSE;
    WindowActions actions(*desktop_, registry_, Handle(owner_));

    actions.ShowHideTaskbar();
    EXPECT_TRUE(PumpUntil([&] { return (IsWindowVisible(taskbar) != FALSE) != visibleBefore; }));
    actions.ShowHideTaskbar();
    EXPECT_TRUE(PumpUntil([&] { return (IsWindowVisible(taskbar) != FALSE) == visibleBefore; }));
}

// Keeps the user's own explorer setting and puts it back, whatever the test did.
class HiddenValueBackup {
  public:
    static constexpr wchar_t kKey[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

    HiddenValueBackup() {
        DWORD size = sizeof(data_);
        existed_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"Hidden", RRF_RT_ANY, &type_, data_,
                                &size) == ERROR_SUCCESS;
        size_ = size;
    }
    ~HiddenValueBackup() {
        if (existed_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Hidden", type_, data_, size_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Hidden");
        }
    }
    HiddenValueBackup(const HiddenValueBackup&) = delete;
    HiddenValueBackup& operator=(const HiddenValueBackup&) = delete;

    static std::optional<DWORD> Stored() {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Hidden", RRF_RT_REG_DWORD, nullptr, &value,
                         &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return value;
    }

  private:
    bool existed_ = false;
    DWORD type_ = 0;
    BYTE data_[512] = {};
    DWORD size_ = 0;
};

TEST_F(WindowActionsWin32, HiddenFilesValueIsWrittenAndToggledInTheRegistry) {
    HiddenValueBackup backup;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, HiddenValueBackup::kKey, L"Hidden");
    WindowActions actions(*desktop_, registry_, Handle(owner_));

    actions.ToggleHidden();
    EXPECT_EQ(HiddenValueBackup::Stored(), 1u);
    actions.ToggleHidden();
    EXPECT_EQ(HiddenValueBackup::Stored(), 0u);
    actions.ShowHidden();
    EXPECT_EQ(HiddenValueBackup::Stored(), 1u);
    actions.HideHidden();
    EXPECT_EQ(HiddenValueBackup::Stored(), 0u);
    const DWORD two = 2;
    RegSetKeyValueW(HKEY_CURRENT_USER, HiddenValueBackup::kKey, L"Hidden", REG_DWORD, &two,
                    sizeof(two));
    actions.ToggleHidden();
    EXPECT_EQ(HiddenValueBackup::Stored(), 1u);
}

// Started as a child of this test program: shows a top-level window of the class named in the
// environment and waits to be terminated.
TEST(BrowserFrameHelper, DISABLED_ShowFrameUntilTerminated) {
    wchar_t className[128] = {};
    ASSERT_GT(GetEnvironmentVariableW(kFrameClassVariable, className, 128), 0u);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    ASSERT_NE(CreateTopLevel(className), nullptr);
    PumpFor(std::chrono::seconds(60));
}

class FrameProcess {
  public:
    explicit FrameProcess(const std::wstring& className) {
        SetEnvironmentVariableW(kFrameClassVariable, className.c_str());
        std::wstring commandLine =
            L"\"" + ProgramFolder() +
            L"tessarin_win32_tests.exe\" --gtest_also_run_disabled_tests "
            L"--gtest_filter=BrowserFrameHelper.DISABLED_ShowFrameUntilTerminated";
        // Its test report is of no interest here.
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inheritable, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
        CloseHandle(nul);
        SetEnvironmentVariableW(kFrameClassVariable, nullptr);
    }
    ~FrameProcess() {
        if (process_ != nullptr) {
            TerminateProcess(process_, 0);
            CloseHandle(process_);
        }
    }
    FrameProcess(const FrameProcess&) = delete;
    FrameProcess& operator=(const FrameProcess&) = delete;

    HANDLE Process() const { return process_; }

  private:
    HANDLE process_ = nullptr;
};

TEST_F(WindowActionsWin32, BrowserWalkEndsTheFrameProcessAndSparesTheOther) {
    FrameProcess browser(L"MozillaWindowClass");
    FrameProcess other(L"TessarinOtherFrame");
    ASSERT_NE(browser.Process(), nullptr);
    ASSERT_NE(other.Process(), nullptr);
    ASSERT_TRUE(PumpUntil([] {
        return FindWindowW(L"MozillaWindowClass", nullptr) != nullptr &&
               FindWindowW(L"TessarinOtherFrame", nullptr) != nullptr;
    }));
    // The walk starts at the foreground window and goes down, so put one above both frames.
    HWND front = CreateTopLevel(kWindowClass);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == front; }));

    WindowActions(*desktop_, registry_, Handle(owner_)).KillIEandNetscape();

    ASSERT_TRUE(testsupport::PumpUntilSignalled(browser.Process(), std::chrono::seconds(10)));
    DWORD exitCode = 0;
    GetExitCodeProcess(browser.Process(), &exitCode);
    EXPECT_EQ(exitCode, 1u);
    EXPECT_EQ(WaitForSingleObject(other.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    DestroyWindow(front);
}

}  // namespace
}  // namespace tessarin
