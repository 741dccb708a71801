#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessarin {

// A window as the system names it. Only the port knows what the number stands for; 0 is none.
using WindowHandle = std::uintptr_t;
// An open process, 0 when the process could not be opened.
using ProcessHandle = std::uintptr_t;

// The system's own numbers for the calls below.
namespace desk {

inline constexpr std::uint8_t kVkShift = 0x10;
inline constexpr std::uint8_t kVkControl = 0x11;
inline constexpr std::uint8_t kVkLeftAlt = 0xA4;
inline constexpr std::uint8_t kVkLeftWin = 0x5B;
inline constexpr std::uint8_t kVkL = 0x4C;
inline constexpr std::uint8_t kVkM = 0x4D;
inline constexpr std::uint8_t kVkV = 0x56;

inline constexpr std::uint32_t kWmClose = 0x10;
inline constexpr std::uint32_t kWmPaste = 0x302;

inline constexpr std::int32_t kSwShowNormal = 1;
inline constexpr std::int32_t kSwShowMaximized = 3;
inline constexpr std::int32_t kSwMinimize = 6;

inline constexpr std::uint32_t kSwpShowWindow = 0x40;
inline constexpr std::uint32_t kSwpHideWindow = 0x80;
inline constexpr std::uint32_t kSwpAsyncWindowPos = 0x4000;

inline constexpr std::int32_t kGwlStyle = -16;
inline constexpr std::int32_t kGwlExStyle = -20;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsExAppWindow = 0x40000;

inline constexpr std::uint32_t kGwHwndNext = 2;

inline constexpr std::uint32_t kProcessTerminateAndSynchronize = 0x100001;

}  // namespace desk

// Everything the clipboard held at one moment, as the port saved it. Only the port that made it
// knows what the items mean; the core keeps it and hands it back.
struct ClipboardSnapshot {
    struct Item {
        std::uint32_t Format = 0;
        std::vector<std::uint8_t> Bytes;
    };
    std::vector<Item> Items;
};

// Windows, keyboard input, the clipboard and processes, one system call per member except where
// a member says otherwise. Texts are UTF-8. The members avoid the names that <windows.h>
// turns into macros.
class DesktopPort {
  public:
    virtual ~DesktopPort() = default;

    // One synthesized key event; false when the system did not take it into its input stream.
    virtual bool KeyEvent(std::uint8_t keyCode, bool release) = 0;

    // Saves every format the clipboard holds (an empty snapshot for an empty clipboard). Nullopt
    // when the clipboard could not be opened, its owner does not answer, or data it holds could
    // not be copied: then nothing of it would come back.
    virtual std::optional<ClipboardSnapshot> ReadClipboard() = 0;
    // Empties the clipboard and puts every saved format back. False when any step failed; the
    // clipboard may then hold part of them, nothing, or still what it held before.
    virtual bool RestoreClipboard(const ClipboardSnapshot& saved) = 0;
    // Empties the clipboard and, given a text, puts it on as the only format. False when any
    // step failed; the clipboard may then be empty.
    virtual bool ReplaceClipboard(const std::optional<std::string>& text) = 0;

    virtual WindowHandle GetForegroundWindow() = 0;
    // The window class name, empty when the window does not exist.
    virtual std::string GetWindowClass(WindowHandle window) = 0;
    virtual std::uint32_t GetCurrentThreadId() = 0;
    // The thread that created the window, 0 when there is no such window.
    virtual std::uint32_t GetWindowThreadId(WindowHandle window) = 0;
    virtual std::uint32_t GetWindowProcessId(WindowHandle window) = 0;
    virtual bool AttachThreadInput(std::uint32_t thread, std::uint32_t toThread, bool attach) = 0;
    virtual WindowHandle GetFocus() = 0;
    // Sends the message and waits for the window to handle it, though never long: false when it
    // did not within a second or two (its thread hangs or is busy) or the window is gone.
    virtual bool SendWindowMessage(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual bool PostWindowMessage(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) = 0;

    // The show state of the window's placement (1 normal, 2 minimized, 3 maximized); false when
    // the placement cannot be read.
    virtual bool GetShowState(WindowHandle window, std::uint32_t& showState) = 0;
    // Asks the window's thread to show the window so, without waiting for it to do it.
    virtual void ShowWindow(WindowHandle window, std::int32_t command) = 0;
    virtual WindowHandle FindWindowByClass(const std::string& className,
                                           const std::string& windowName) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                              std::int32_t y, std::int32_t width, std::int32_t height,
                              std::uint32_t flags) = 0;
    // The style bits at a GWL_ index.
    virtual std::uint32_t GetWindowStyle(WindowHandle window, std::int32_t index) = 0;
    virtual WindowHandle GetWindow(WindowHandle window, std::uint32_t command) = 0;

    virtual ProcessHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                                      std::uint32_t processId) = 0;
    virtual bool TerminateProcess(ProcessHandle process, std::uint32_t exitCode) = 0;
    virtual void CloseHandle(ProcessHandle process) = 0;

    // Dispatches the messages waiting for this thread, then returns. False when the program is
    // ending: the request to end is left for the main loop, and the caller should stop as well.
    virtual bool PumpMessages() = 0;
    // Lets the given time pass, dispatching this thread's messages meanwhile. False, at once,
    // when the program is ending, as for PumpMessages.
    virtual bool Wait(std::uint32_t milliseconds) = 0;
};

}  // namespace tessarin
