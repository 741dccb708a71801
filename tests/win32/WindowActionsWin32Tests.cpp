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

// The bytes of one format on the clipboard; empty when it is not there.
std::string ClipboardBytes(UINT format) {
    std::string bytes;
    if (!OpenClipboard(nullptr)) {
        return bytes;
    }
    HANDLE data = GetClipboardData(format);
    if (const auto* chars = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
        bytes.assign(chars, GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

// A top-level window with a focused edit control on a thread of its own, as a paste target in
// another program would be. Hang() makes that thread stop answering for a while, as a program
// busy with something long does.
class TargetThread {
  public:
    static constexpr DWORD kHangMs = 8000;

    TargetThread() : thread_([this] { Run(); }) {}
    ~TargetThread() {
        SetEvent(release_);
        while (!PostThreadMessageW(id_, WM_QUIT, 0, 0)) {
            Sleep(10);  // its queue is not there yet
        }
        thread_.join();
        CloseHandle(hung_);
        CloseHandle(release_);
    }
    TargetThread(const TargetThread&) = delete;
    TargetThread& operator=(const TargetThread&) = delete;

    bool InFront() const {
        return PumpUntil([&] { return frame_ != nullptr && GetForegroundWindow() == frame_; });
    }
    // Until Release() or kHangMs. Owning the clipboard, it first puts on it a text that it only
    // promises, so that reading it waits for this thread.
    bool Hang(bool owningClipboard) {
        PostThreadMessageW(id_, WM_APP, owningClipboard ? 1 : 0, 0);
        // Pumping: taking the clipboard, the thread tells this one, its owner, first.
        return PumpUntil([&] { return WaitForSingleObject(hung_, 0) == WAIT_OBJECT_0; });
    }
    void Release() { SetEvent(release_); }
    HWND Frame() const { return frame_; }
    std::wstring Text() const {
        wchar_t text[64] = {};
        SendMessageW(edit_, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        return text;
    }

  private:
    void Run() {
        HWND window = CreateTopLevel(kWindowClass);
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300,
                                200, window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetFocus(edit_);
        id_ = GetCurrentThreadId();
        frame_ = window;  // published last: the test waits for it
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_APP) {
                if (message.wParam != 0 && OpenClipboard(window)) {
                    EmptyClipboard();
                    SetClipboardData(CF_UNICODETEXT, nullptr);
                    CloseClipboard();
                }
                SetEvent(hung_);
                WaitForSingleObject(release_, kHangMs);
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(window);
    }

    HANDLE hung_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE release_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWND edit_ = nullptr;
    std::atomic<DWORD> id_{0};
    std::atomic<HWND> frame_{nullptr};
    std::thread thread_;  // last: it starts once the rest is there
};

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

TEST_F(WindowActionsWin32, PasteReachesTheFocusedEditOfAnotherThreadAndRestoresTheClipboard) {
    ASSERT_TRUE(desktop_->ReplaceClipboard(std::string("vorher \xE2\x9C\x93")));  // "vorher ✓"
    TargetThread target;
    ASSERT_TRUE(target.InFront()) << "the target window never came to the foreground";
    WindowActions actions(*desktop_, registry_, Handle(owner_));
    EXPECT_TRUE(
        actions.PasteText("Gr\xC3\xBC\xC3\x9F"
                          "e \xCE\xA9 "));  // "Grüße Ω "
    EXPECT_EQ(target.Text(), L"Gr\u00FC\u00DFe \u03A9 ");
    EXPECT_EQ(ClipboardText(), std::wstring(L"vorher \u2713"));

    // Whatever else the clipboard held comes back too: a picture, HTML, a drawing; and no text.
    BITMAPINFOHEADER header{sizeof(header), 1, 1, 1, 32, BI_RGB, 4, 0, 0, 0, 0};
    const std::string dib = std::string(reinterpret_cast<const char*>(&header), sizeof(header)) +
                            std::string("\x11\x22\x33\x00", 4);
    const UINT html = RegisterClipboardFormatW(L"HTML Format");
    HDC drawing = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(drawing, 0, 0, 20, 10);
    HENHMETAFILE metafile = CloseEnhMetaFile(drawing);
    std::string emf(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
    GetEnhMetaFileBits(metafile, static_cast<UINT>(emf.size()),
                       reinterpret_cast<BYTE*>(emf.data()));
    DeleteEnhMetaFile(metafile);
    const auto item = [](UINT format, const std::string& bytes) {
        return ClipboardSnapshot::Item{format, {bytes.begin(), bytes.end()}};
    };
    ASSERT_TRUE(desktop_->RestoreClipboard(
        {{item(CF_DIB, dib), item(html, "<b>x</b>"), item(CF_ENHMETAFILE, emf)}}));
    EXPECT_TRUE(actions.PasteText("abc "));
    EXPECT_EQ(target.Text(), L"Gr\u00FC\u00DFe \u03A9 abc ");
    EXPECT_EQ(ClipboardBytes(CF_DIB), dib);
    EXPECT_EQ(ClipboardBytes(html), "<b>x</b>");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(WindowActionsWin32, NoActionWaitsForAProgramThatStoppedAnswering) {
    // Well above the limit a window gets to answer, well below the time the target hangs.
    constexpr auto kPromptly = std::chrono::seconds(4);
    const auto timed = [](const std::function<void()>& run) {
        const auto start = std::chrono::steady_clock::now();
        run();
        return std::chrono::steady_clock::now() - start;
    };
    ASSERT_TRUE(desktop_->ReplaceClipboard(std::string("kept")));
    TargetThread target;
    ASSERT_TRUE(target.InFront());
    WindowActions actions(*desktop_, registry_, Handle(owner_));

    ASSERT_TRUE(target.Hang(false));
    EXPECT_LT(timed([&] {
                  actions.MaximizeRestoreWindow();
                  actions.MinimizeWindow();
              }),
              kPromptly);
    EXPECT_LT(timed([&] { actions.PasteText("late "); }), kPromptly);
    EXPECT_EQ(ClipboardText(), std::wstring(L"kept"));
    target.Release();

    // Its clipboard cannot be saved, so nothing is pasted and the clipboard stays its own.
    ASSERT_TRUE(target.Hang(true));
    EXPECT_LT(timed([&] { EXPECT_FALSE(actions.PasteText("late ")); }), kPromptly);
    EXPECT_EQ(GetClipboardOwner(), target.Frame());
}

TEST_F(WindowActionsWin32, ForegroundWindowIsMaximizedRestoredMinimizedAndClosed) {
    HWND window = CreateTopLevel(kWindowClass);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));

    // The window's thread does the sizing when it gets to it.
    WindowActions actions(*desktop_, registry_, Handle(owner_));
    actions.MaximizeRestoreWindow();
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(window) != FALSE; }));
    actions.MaximizeRestoreWindow();
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(window) == FALSE; }));
    actions.MinimizeWindow();
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(window) != FALSE; }));

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

TEST_F(WindowActionsWin32, PumpsLeaveAQuitForTheMainLoop) {
    for (const bool wait : {false, true}) {
        PostQuitMessage(7);
        EXPECT_FALSE(wait ? desktop_->Wait(3000) : desktop_->PumpMessages());
        MSG message{};
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(message.wParam, 7u);
    }
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
