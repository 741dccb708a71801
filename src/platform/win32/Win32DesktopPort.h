#pragma once

#include <windows.h>

#include "platform/DesktopPort.h"

namespace tessarin::win32 {

// The desktop through the W functions. Clipboard text travels as CF_UNICODETEXT, so a paste keeps
// every character whatever the code page. No call waits more than a moment for a window of another
// thread: a program that hangs must not take the hotkeys down with it.
class Win32DesktopPort : public DesktopPort {
  public:
    // The clipboard is opened for this window: the system gives the clipboard to the window
    // that empties it, and refuses data from no window at all.
    explicit Win32DesktopPort(HWND clipboardOwner) : clipboardOwner_(clipboardOwner) {}

    bool KeyEvent(std::uint8_t keyCode, bool release) override;
    std::optional<ClipboardSnapshot> ReadClipboard() override;
    bool RestoreClipboard(const ClipboardSnapshot& saved) override;
    bool ReplaceClipboard(const std::optional<std::string>& text) override;
    WindowHandle GetForegroundWindow() override;
    std::string GetWindowClass(WindowHandle window) override;
    std::uint32_t GetCurrentThreadId() override;
    std::uint32_t GetWindowThreadId(WindowHandle window) override;
    std::uint32_t GetWindowProcessId(WindowHandle window) override;
    bool AttachThreadInput(std::uint32_t thread, std::uint32_t toThread, bool attach) override;
    WindowHandle GetFocus() override;
    bool SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;
    bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;
    bool GetShowState(WindowHandle window, std::uint32_t& showState) override;
    void ShowWindow(WindowHandle window, std::int32_t command) override;
    WindowHandle FindWindowByClass(const std::string& className,
                                   const std::string& windowName) override;
    bool IsWindowVisible(WindowHandle window) override;
    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                      std::int32_t width, std::int32_t height, std::uint32_t flags) override;
    std::uint32_t GetWindowStyle(WindowHandle window, std::int32_t index) override;
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override;
    ProcessHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                              std::uint32_t processId) override;
    bool TerminateProcess(ProcessHandle process, std::uint32_t exitCode) override;
    void CloseHandle(ProcessHandle process) override;
    bool PumpMessages() override;
    bool Wait(std::uint32_t milliseconds) override;

  private:
    bool OpenClipboard();

    HWND clipboardOwner_;
};

}  // namespace tessarin::win32
