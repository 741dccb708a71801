#include "platform/win32/Win32DesktopPort.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <utility>

#include "platform/win32/MessagePump.h"
#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

WindowHandle FromHwnd(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

// The numbers the core hands through the port are the system's own.
static_assert(std::cmp_equal(desk::kVkShift, VK_SHIFT));
static_assert(std::cmp_equal(desk::kVkControl, VK_CONTROL));
static_assert(std::cmp_equal(desk::kVkLeftAlt, VK_LMENU));
static_assert(std::cmp_equal(desk::kVkLeftWin, VK_LWIN));
static_assert(desk::kVkL == 'L' && desk::kVkM == 'M' && desk::kVkV == 'V');
static_assert(std::cmp_equal(desk::kWmClose, WM_CLOSE));
static_assert(std::cmp_equal(desk::kWmPaste, WM_PASTE));
static_assert(std::cmp_equal(desk::kSwShowNormal, SW_SHOWNORMAL));
static_assert(std::cmp_equal(desk::kSwShowMaximized, SW_SHOWMAXIMIZED));
static_assert(std::cmp_equal(desk::kSwMinimize, SW_MINIMIZE));
static_assert(std::cmp_equal(desk::kSwpShowWindow, SWP_SHOWWINDOW));
static_assert(std::cmp_equal(desk::kSwpHideWindow, SWP_HIDEWINDOW));
static_assert(std::cmp_equal(desk::kSwpAsyncWindowPos, SWP_ASYNCWINDOWPOS));
static_assert(std::cmp_equal(desk::kGwlStyle, GWL_STYLE));
static_assert(std::cmp_equal(desk::kGwlExStyle, GWL_EXSTYLE));
static_assert(std::cmp_equal(desk::kWsVisible, WS_VISIBLE));
static_assert(std::cmp_equal(desk::kWsExAppWindow, WS_EX_APPWINDOW));
static_assert(std::cmp_equal(desk::kGwHwndNext, GW_HWNDNEXT));
static_assert(std::cmp_equal(desk::kProcessTerminateAndSynchronize,
                             PROCESS_TERMINATE | SYNCHRONIZE));

// Another program (a clipboard viewer, a manager) may hold the clipboard for a moment.
constexpr int kClipboardAttempts = 10;
constexpr DWORD kClipboardRetryMs = 20;

// How long a window of another thread gets to answer a message before it counts as hung. Long
// enough for a busy program to paste a large text, short enough that a hotkey feels merely slow.
constexpr UINT kAnswerLimitMs = 1500;

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               kAnswerLimitMs, &result) != 0;
}

// A snapshot leaves out the formats whose data is not a block of memory of their own; after a
// paste the clipboard no longer offers them:
// - CF_BITMAP, CF_DSPBITMAP and CF_PALETTE are GDI objects. The system makes CF_DIB and CF_DIBV5
//   from a bitmap and a bitmap from them, and those two are saved, so a picture comes back
//   (without a palette of its own).
// - CF_METAFILEPICT and CF_DSPMETAFILEPICT hold a metafile handle that dies with the clipboard's
//   contents. The system makes CF_ENHMETAFILE from them and them from it, and an enhanced
//   metafile is saved as its bits.
// - CF_OWNERDISPLAY has no data: its owner draws it, and after the paste it is no longer the
//   owner.
// - The private range carries values only their owner understands, the GDI range GDI objects.
bool IsSaved(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_DSPBITMAP:
        case CF_PALETTE:
        case CF_METAFILEPICT:
        case CF_DSPMETAFILEPICT:
        case CF_OWNERDISPLAY:
            return false;
        default:
            return format < CF_PRIVATEFIRST || format > CF_GDIOBJLAST;
    }
}

bool IsEnhancedMetafile(UINT format) {
    return format == CF_ENHMETAFILE || format == CF_DSPENHMETAFILE;
}

// Copies one format out of the open clipboard. False when the data is there but cannot be
// copied. A format its owner promised and then did not render is passed over: nobody can have it.
bool SaveFormat(UINT format, ClipboardSnapshot& saved) {
    HANDLE data = GetClipboardData(format);
    if (data == nullptr) {
        return true;
    }
    ClipboardSnapshot::Item item{format, {}};
    if (IsEnhancedMetafile(format)) {
        const auto metafile = static_cast<HENHMETAFILE>(data);
        const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
        item.Bytes.resize(size);
        if (size == 0 || GetEnhMetaFileBits(metafile, size, item.Bytes.data()) != size) {
            return false;
        }
    } else if (const SIZE_T size = GlobalSize(data); size != 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(data));
        if (bytes == nullptr) {
            return false;
        }
        item.Bytes.assign(bytes, bytes + size);
        GlobalUnlock(data);
    }
    saved.Items.push_back(std::move(item));
    return true;
}

// Puts a copy of the bytes on the open clipboard. False when it did not go on.
bool PutFormat(UINT format, const std::uint8_t* bytes, std::size_t size) {
    if (IsEnhancedMetafile(format)) {
        HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(size), bytes);
        if (metafile == nullptr) {
            return false;
        }
        if (SetClipboardData(format, metafile) == nullptr) {
            DeleteEnhMetaFile(metafile);
            return false;
        }
        return true;
    }
    // The clipboard refuses a block of no bytes.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<std::size_t>(size, 1));
    if (block == nullptr) {
        return false;
    }
    bool put = false;
    if (void* target = GlobalLock(block)) {
        if (size != 0) {
            std::memcpy(target, bytes, size);
        }
        GlobalUnlock(block);
        put = SetClipboardData(format, block) != nullptr;
    }
    if (!put) {
        GlobalFree(block);  // the clipboard owns the block only once it took it
    }
    return put;
}

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

std::optional<ClipboardSnapshot> Win32DesktopPort::ReadClipboard() {
    // Saving asks the owner for each format it has only promised, a call without a time limit;
    // the clipboard of an owner that does not answer counts as unreadable.
    if (HWND owner = GetClipboardOwner(); owner != nullptr && !Answers(owner)) {
        return std::nullopt;
    }
    if (!OpenClipboard()) {
        return std::nullopt;
    }
    ClipboardSnapshot saved;
    bool complete = true;
    for (UINT format = 0; complete;) {
        SetLastError(ERROR_SUCCESS);
        format = EnumClipboardFormats(format);
        if (format == 0) {
            complete = GetLastError() == ERROR_SUCCESS;
            break;
        }
        complete = !IsSaved(format) || SaveFormat(format, saved);
    }
    CloseClipboard();
    if (!complete) {
        return std::nullopt;
    }
    return saved;
}

bool Win32DesktopPort::RestoreClipboard(const ClipboardSnapshot& saved) {
    if (!OpenClipboard()) {
        return false;
    }
    bool restored = EmptyClipboard() != FALSE;
    for (auto item = saved.Items.begin(); restored && item != saved.Items.end(); ++item) {
        restored = PutFormat(item->Format, item->Bytes.data(), item->Bytes.size());
    }
    CloseClipboard();
    return restored;
}

bool Win32DesktopPort::ReplaceClipboard(const std::optional<std::string>& text) {
    if (!OpenClipboard()) {
        return false;
    }
    bool replaced = EmptyClipboard() != FALSE;
    if (replaced && text) {
        const std::wstring wide = Widen(*text);
        replaced = PutFormat(CF_UNICODETEXT, reinterpret_cast<const std::uint8_t*>(wide.c_str()),
                             (wide.size() + 1) * sizeof(wchar_t));
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

bool Win32DesktopPort::SendWindowMessage(WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    // SMTO_NORMAL: while waiting, messages other threads send here are still handled, so a
    // window that asks this thread something before it answers does not deadlock with it.
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(ToHwnd(window), message, wParam, lParam,
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerLimitMs, &result) != 0;
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
    // ShowWindow would wait for a window of another thread until that thread has done it.
    ShowWindowAsync(ToHwnd(window), command);
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

bool Win32DesktopPort::PumpMessages() {
    return PumpPendingMessages();
}

bool Win32DesktopPort::Wait(std::uint32_t milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        // Pumping first: a quit already pending ends the wait at once.
        if (!PumpMessages()) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()) + 1,
                                  QS_ALLINPUT);
    }
}

}  // namespace tessarin::win32
