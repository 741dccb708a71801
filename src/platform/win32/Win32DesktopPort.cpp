#include "platform/win32/Win32DesktopPort.h"

#include <chrono>
#include <cstring>
#include <cwchar>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

WindowHandle FromHwnd(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

// Another program (a clipboard viewer, a manager) may hold the clipboard for a moment.
constexpr int kClipboardAttempts = 10;
constexpr DWORD kClipboardRetryMs = 20;

}  // namespace

bool Win32DesktopPort::OpenClipboard() {
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        if (::OpenClipboard(clipboardOwner_)) {
            return true;
        }
        Sleep(kClipboardRetryMs);
    }
    return false;
}

bool Win32DesktopPort::KeyEvent(std::uint8_t keyCode, bool release) {
    // SendInput rather than keybd_event: the same event, but it says whether it went in.
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = keyCode;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof(input)) == 1;
}

bool Win32DesktopPort::ReadClipboardText(std::optional<std::string>& text) {
    if (!OpenClipboard()) {
        return false;
    }
    bool read = true;
    text.reset();
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        read = false;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                // The data need not be terminated within its block; never read past it.
                const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
                text = Narrow(std::wstring_view(chars, wcsnlen(chars, capacity)));
                GlobalUnlock(data);
                read = true;
            }
        }
    }
    CloseClipboard();
    return read;
}

bool Win32DesktopPort::ReplaceClipboard(const std::optional<std::string>& text) {
    if (!OpenClipboard()) {
        return false;
    }
    bool replaced = EmptyClipboard() != FALSE;
    if (replaced && text) {
        const std::wstring wide = Widen(*text);
        const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
        replaced = false;
        if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            if (void* target = GlobalLock(block)) {
                std::memcpy(target, wide.c_str(), bytes);
                GlobalUnlock(block);
                replaced = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
            }
            if (!replaced) {
                GlobalFree(block);  // the clipboard owns the block only once it took it
            }
        }
    }
    CloseClipboard();
    return replaced;
}

WindowHandle Win32DesktopPort::GetForegroundWindow() {
    return FromHwnd(::GetForegroundWindow());
}

std::string Win32DesktopPort::GetWindowClass(WindowHandle window) {
    wchar_t name[256];
    const int length = GetClassNameW(ToHwnd(window), name, 256);
    return length > 0 ? Narrow(std::wstring_view(name, static_cast<std::size_t>(length)))
                      : std::string();
}

std::uint32_t Win32DesktopPort::GetCurrentThreadId() {
    return ::GetCurrentThreadId();
}

std::uint32_t Win32DesktopPort::GetWindowThreadId(WindowHandle window) {
    return GetWindowThreadProcessId(ToHwnd(window), nullptr);
}

std::uint32_t Win32DesktopPort::GetWindowProcessId(WindowHandle window) {
    DWORD processId = 0;
    return GetWindowThreadProcessId(ToHwnd(window), &processId) != 0 ? processId : 0;
}

bool Win32DesktopPort::AttachThreadInput(std::uint32_t thread, std::uint32_t toThread,
                                         bool attach) {
    return ::AttachThreadInput(thread, toThread, attach ? TRUE : FALSE) != FALSE;
}

WindowHandle Win32DesktopPort::GetFocus() {
    return FromHwnd(::GetFocus());
}

std::intptr_t Win32DesktopPort::SendWindowMessage(WindowHandle window, std::uint32_t message,
                                                  std::uintptr_t wParam, std::intptr_t lParam) {
    return SendMessageW(ToHwnd(window), message, wParam, lParam);
}

bool Win32DesktopPort::PostWindowMessage(WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    return PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
}

bool Win32DesktopPort::GetShowState(WindowHandle window, std::uint32_t& showState) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(ToHwnd(window), &placement)) {
        return false;
    }
    showState = placement.showCmd;
    return true;
}

void Win32DesktopPort::ShowWindow(WindowHandle window, std::int32_t command) {
    ::ShowWindow(ToHwnd(window), command);
}

WindowHandle Win32DesktopPort::FindWindowByClass(const std::string& className,
                                                 const std::string& windowName) {
    return FromHwnd(FindWindowW(Widen(className).c_str(), Widen(windowName).c_str()));
}

bool Win32DesktopPort::IsWindowVisible(WindowHandle window) {
    return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32DesktopPort::SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                                    std::int32_t y, std::int32_t width, std::int32_t height,
                                    std::uint32_t flags) {
    return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, width, height, flags) != FALSE;
}

std::uint32_t Win32DesktopPort::GetWindowStyle(WindowHandle window, std::int32_t index) {
    return static_cast<std::uint32_t>(GetWindowLongW(ToHwnd(window), index));
}

WindowHandle Win32DesktopPort::GetWindow(WindowHandle window, std::uint32_t command) {
    return FromHwnd(::GetWindow(ToHwnd(window), command));
}

ProcessHandle Win32DesktopPort::OpenProcess(std::uint32_t access, bool inheritHandle,
                                            std::uint32_t processId) {
    return reinterpret_cast<ProcessHandle>(
        ::OpenProcess(access, inheritHandle ? TRUE : FALSE, processId));
}

bool Win32DesktopPort::TerminateProcess(ProcessHandle process, std::uint32_t exitCode) {
    return ::TerminateProcess(reinterpret_cast<HANDLE>(process), exitCode) != FALSE;
}

void Win32DesktopPort::CloseHandle(ProcessHandle process) {
    ::CloseHandle(reinterpret_cast<HANDLE>(process));
}

void Win32DesktopPort::PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32DesktopPort::Wait(std::uint32_t milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (auto now = std::chrono::steady_clock::now(); now < deadline;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()) + 1,
                                  QS_ALLINPUT);
        PumpMessages();
    }
}

}  // namespace tessarin::win32
