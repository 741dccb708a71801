// The paste, the window actions, the message pumps and the shell's launch against the real
// system: effects are read back from another thread's windows, the clipboard and the files a
// launched program writes.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TestPrograms.h"
#include "actions/WindowActions.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32DesktopPort.h"
#include "platform/win32/Win32RawRegistry.h"
#include "platform/win32/Win32ShellPort.h"
#include "platform/win32/Win32SystemPort.h"

namespace tessarin {
namespace {

bool PumpUntil(const std::function<bool()>& done) {
    return testsupport::WaitFor(
        [&] {
            win32::Win32DesktopPort(nullptr).Wait(20);
            return done();
        },
        10);
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

std::wstring ClipboardText() {
    const std::string bytes = ClipboardBytes(CF_UNICODETEXT) + std::string(2, '\0');
    return reinterpret_cast<const wchar_t*>(bytes.data());
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
        HWND window = CreateWindowExW(0, L"STATIC", L"paste target", WS_OVERLAPPEDWINDOW, 50, 50,
                                      400, 300, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
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
    void TearDown() override { DestroyWindow(owner_); }

    HWND owner_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    win32::Win32DesktopPort desktop_{owner_};
    win32::Win32RawRegistry registry_;
    WindowActions actions_{desktop_, registry_, reinterpret_cast<WindowHandle>(owner_)};
};

TEST_F(WindowActionsWin32, PasteReachesTheFocusedEditOfAnotherThreadAndRestoresTheClipboard) {
    ASSERT_TRUE(desktop_.ReplaceClipboard(std::string("vorher \xE2\x9C\x93")));  // "vorher ✓"
    TargetThread target;
    ASSERT_TRUE(target.InFront()) << "the target window never came to the foreground";
    EXPECT_TRUE(
        actions_.PasteText("Gr\xC3\xBC\xC3\x9F"
                           "e \xCE\xA9 "));  // "Grüße Ω "
    EXPECT_EQ(target.Text(), L"Gr\u00FC\u00DFe \u03A9 ");
    EXPECT_EQ(ClipboardText(), L"vorher \u2713");

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
    ASSERT_TRUE(desktop_.RestoreClipboard(
        {{item(CF_DIB, dib), item(html, "<b>x</b>"), item(CF_ENHMETAFILE, emf)}}));
    EXPECT_TRUE(actions_.PasteText("abc "));
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
    ASSERT_TRUE(desktop_.ReplaceClipboard(std::string("kept")));
    TargetThread target;
    ASSERT_TRUE(target.InFront());
    actions_.MaximizeRestoreWindow();
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(target.Frame()) != FALSE; }))
        << "a window that answers is sized";

    ASSERT_TRUE(target.Hang(false));
    EXPECT_LT(timed([&] {
                  actions_.MaximizeRestoreWindow();
                  actions_.MinimizeWindow();
              }),
              kPromptly);
    EXPECT_LT(timed([&] { actions_.PasteText("late "); }), kPromptly);
    EXPECT_EQ(ClipboardText(), L"kept");
    target.Release();

    // Its clipboard cannot be saved, so nothing is pasted and the clipboard stays its own.
    ASSERT_TRUE(target.Hang(true));
    EXPECT_LT(timed([&] { EXPECT_FALSE(actions_.PasteText("late ")); }), kPromptly);
    EXPECT_EQ(GetClipboardOwner(), target.Frame());
}

// Every pump of the program stops at a quit and leaves it for the main loop, which would
// otherwise never end and leave a process without windows.
TEST_F(WindowActionsWin32, PumpsStopAtAQuitAndLeaveItForTheMainLoop) {
    win32::Win32SystemPort system(nullptr);
    const std::pair<const char*, std::function<bool()>> pumps[] = {
        {"a wait", [&] { return desktop_.Wait(5000); }},
        {"a wait for messages",
         [&] {
             system.WaitForMessages(5000);
             return system.ProcessPendingMessages();
         }},
    };
    for (const auto& [name, pump] : pumps) {
        PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        PostQuitMessage(7);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(pump()) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << name;
        MSG message{};
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << name;
        EXPECT_EQ(message.wParam, 7u) << name;
    }
}

// A batch file is no program of its own: the shell hands it to the command interpreter, with its
// parameters as they were given.
TEST(ShellLaunch, RunsABatchFileWithItsParameters) {
    win32::Win32ShellPort shell;
    const std::wstring folder = testsupport::TempFolder() + L"tessarin launch \u00E9\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW((folder + L"marker.txt").c_str());  // left by a run whose clean-up lost the race
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + L"mark.cmd",
                                            "@echo %~1 %~2> \"%~dp0marker.txt\"\r\n"));
    ShellRequest request;
    request.File = win32::Narrow(folder + L"mark.cmd");
    request.Parameters = "\"first arg\" second";
    ASSERT_TRUE(shell.Launch(request));
    std::string marker;
    EXPECT_TRUE(testsupport::WaitFor(
        [&] { return !(marker = testsupport::ReadFirstLine(folder + L"marker.txt")).empty(); }));
    EXPECT_EQ(marker, "first arg second");
    std::error_code stillInUse;  // the script's console may not have let go of its folder yet
    std::filesystem::remove_all(folder, stillInUse);
}

}  // namespace
}  // namespace tessarin
