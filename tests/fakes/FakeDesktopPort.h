#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/DesktopPort.h"

namespace tessarin::fakes {

// A desktop of top-level windows in z-order (topmost first), a clipboard holding one text that
// stands for all its formats, or nothing, and processes that can be terminated. Every call is
// recorded as one line of text in order, so tests compare whole sequences. A terminated process
// keeps its windows, as it does for a moment on the real system.
class FakeDesktopPort : public DesktopPort {
  public:
    struct Window {
        WindowHandle Handle = 0;
        std::string Class;
        std::uint32_t Style = desk::kWsVisible;
        std::uint32_t ExStyle = 0;
        std::uint32_t ProcessId = 0;
        std::uint32_t ThreadId = 0;
        std::uint32_t ShowState = 1;
        WindowHandle Focus = 0;  // the focus control of its thread
    };

    static constexpr std::uint32_t kOwnThread = 1;

    bool KeyEvent(std::uint8_t keyCode, bool release) override {
        Log("Key", Hex(keyCode), release ? "up" : "down");
        return release || refusedPresses.count(keyCode) == 0;
    }
    std::optional<ClipboardSnapshot> ReadClipboard() override {
        Log("ReadClipboard");
        if (clipboardUnreadable) {
            return std::nullopt;
        }
        ClipboardSnapshot saved;
        if (clipboard) {
            saved.Items.push_back({0, {clipboard->begin(), clipboard->end()}});
        }
        return saved;
    }
    bool RestoreClipboard(const ClipboardSnapshot& saved) override {
        std::optional<std::string> content;
        for (const auto& item : saved.Items) {
            content = std::string(item.Bytes.begin(), item.Bytes.end());
        }
        Log("RestoreClipboard", Quoted(content));
        return Write(content);
    }
    bool ReplaceClipboard(const std::optional<std::string>& text) override {
        Log("ReplaceClipboard", Quoted(text));
        return Write(text);
    }
    WindowHandle GetForegroundWindow() override { return Log("GetForegroundWindow"), foreground; }
    std::string GetWindowClass(WindowHandle window) override {
        return Log("GetWindowClass", Hex(window)), Find(window).Class;
    }
    std::uint32_t GetCurrentThreadId() override { return Log("GetCurrentThreadId"), kOwnThread; }
    std::uint32_t GetWindowThreadId(WindowHandle window) override {
        return Log("GetWindowThreadId", Hex(window)), Find(window).ThreadId;
    }
    std::uint32_t GetWindowProcessId(WindowHandle window) override {
        return Log("GetWindowProcessId", Hex(window)), Find(window).ProcessId;
    }
    // Like the system, refuses to attach a thread to itself or to no thread.
    bool AttachThreadInput(std::uint32_t thread, std::uint32_t toThread, bool attach) override {
        Log("AttachThreadInput", thread, toThread, attach ? "true" : "false");
        if (toThread == 0 || toThread == thread || (!attach && attachedTo_ != toThread)) {
            return false;
        }
        attachedTo_ = attach ? toThread : 0;
        return true;
    }
    // The focus of this thread's input: its own, or that of the thread it is attached to.
    WindowHandle GetFocus() override {
        Log("GetFocus");
        for (const Window& window : windows) {
            if (attachedTo_ != 0 && window.ThreadId == attachedTo_) {
                return window.Focus;
            }
        }
        return attachedTo_ == 0 ? ownFocus : 0;
    }
    bool SendWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
        Log("SendMessage", Hex(window), Hex(message), Hex(wParam),
            Hex(static_cast<std::uintptr_t>(lParam)));
        if (message == desk::kWmPaste) {
            pasted.push_back(clipboard.value_or("<nothing>"));
        }
        return true;
    }
    bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
        Log("PostMessage", Hex(window), Hex(message), Hex(wParam),
            Hex(static_cast<std::uintptr_t>(lParam)));
        return Find(window).Handle != 0;
    }
    bool GetShowState(WindowHandle window, std::uint32_t& showState) override {
        Log("GetShowState", Hex(window));
        if (Find(window).Handle == 0) {
            return false;
        }
        showState = Find(window).ShowState;
        return true;
    }
    void ShowWindow(WindowHandle window, std::int32_t command) override {
        Log("ShowWindow", Hex(window), command);
    }
    WindowHandle FindWindowByClass(const std::string& className,
                                   const std::string& windowName) override {
        Log("FindWindow", "\"" + className + "\"", "\"" + windowName + "\"");
        return className == "Shell_traywnd" && windowName.empty() ? taskbar : 0;
    }
    bool IsWindowVisible(WindowHandle window) override {
        return Log("IsWindowVisible", Hex(window)), window == taskbar && taskbarVisible;
    }
    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                      std::int32_t width, std::int32_t height, std::uint32_t flags) override {
        Log("SetWindowPos", Hex(window), Hex(insertAfter), x, y, width, height, Hex(flags));
        if (window == taskbar) {
            taskbarVisible = (flags & desk::kSwpShowWindow) != 0;
        }
        return true;
    }
    std::uint32_t GetWindowStyle(WindowHandle window, std::int32_t index) override {
        Log("GetWindowStyle", Hex(window), index);
        return index == desk::kGwlExStyle ? Find(window).ExStyle : Find(window).Style;
    }
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override {
        Log("GetWindow", Hex(window), command);
        for (std::size_t i = 0; command == desk::kGwHwndNext && i + 1 < windows.size(); ++i) {
            if (windows[i].Handle == window) {
                return windows[i + 1].Handle;
            }
        }
        return 0;
    }
    ProcessHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                              std::uint32_t processId) override {
        Log("OpenProcess", Hex(access), inheritHandle ? "true" : "false", processId);
        if (unopenable.count(processId) != 0) {
            return 0;
        }
        openProcesses[0x9000 + processId] = processId;
        return 0x9000 + processId;
    }
    bool TerminateProcess(ProcessHandle process, std::uint32_t exitCode) override {
        Log("TerminateProcess", Hex(process), exitCode);
        const bool open = openProcesses.count(process) != 0;
        if (open) {
            terminated.push_back(openProcesses[process]);
        }
        return open;
    }
    void CloseHandle(ProcessHandle process) override {
        Log("CloseHandle", Hex(process));
        openProcesses.erase(process);
    }
    bool PumpMessages() override { return Log("PumpMessages"), NotQuitting(); }
    bool Wait(std::uint32_t milliseconds) override {
        return Log("Wait", milliseconds), NotQuitting();
    }

    // Test set-up and inspection.
    static std::string Hex(std::uintptr_t value) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text;
        do {
            text.insert(text.begin(), kDigits[value % 16]);
            value /= 16;
        } while (value != 0);
        return "0x" + text;
    }

    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
                     [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
        return found;
    }

    // The keys whose last accepted event was a press.
    std::set<std::string> KeysHeld() const {
        std::set<std::string> held;
        for (const std::string& call : CallsStartingWith("Key ")) {
            const std::string key = call.substr(4, call.find(' ', 4) - 4);
            const auto code = static_cast<std::uint8_t>(std::stoul(key, nullptr, 16));
            if (call.ends_with(" up")) {
                held.erase(key);
            } else if (refusedPresses.count(code) == 0) {
                held.insert(key);
            }
        }
        return held;
    }

    std::vector<Window> windows;  // topmost first
    WindowHandle foreground = 0;
    WindowHandle ownFocus = 0;
    WindowHandle taskbar = 0;
    bool taskbarVisible = true;
    std::optional<std::string> clipboard;
    bool clipboardUnreadable = false;
    std::set<int> failingWrites;  // 1-based numbers of the Replace/RestoreClipboard calls that fail
    std::set<std::uint8_t> refusedPresses;
    std::set<std::uint32_t> unopenable;
    int quitAtPump = 0;  // 1-based number of the PumpMessages or Wait call that meets WM_QUIT
    std::map<ProcessHandle, std::uint32_t> openProcesses;
    std::vector<std::uint32_t> terminated;
    std::vector<std::string> pasted;  // the clipboard's text at each WM_PASTE
    std::vector<std::string> calls;

  private:
    static std::string Text(const std::string& text) { return text; }
    static std::string Text(const char* text) { return text; }
    template <typename Number>
    static std::string Text(Number number) {
        return std::to_string(number);
    }
    template <typename... Args>
    void Log(const std::string& what, const Args&... args) {
        std::string line = what;
        ((line += " " + Text(args)), ...);
        calls.push_back(std::move(line));
    }

    // The window with that handle, or an empty one with handle 0 when there is none.
    const Window& Find(WindowHandle handle) const {
        static const Window kNone{0, "", 0};
        for (const Window& window : windows) {
            if (window.Handle == handle && handle != 0) {
                return window;
            }
        }
        return kNone;
    }

    static std::string Quoted(const std::optional<std::string>& text) {
        return text ? "\"" + *text + "\"" : "none";
    }
    // A failing write has emptied the clipboard, then failed to put the data on.
    bool Write(const std::optional<std::string>& content) {
        const bool fails = failingWrites.count(++writeCount_) != 0;
        clipboard = fails ? std::nullopt : content;
        return !fails;
    }
    // The quit stays pending, so every pump after it meets it again.
    bool NotQuitting() { return quitAtPump == 0 || ++pumpCount_ < quitAtPump; }

    std::uint32_t attachedTo_ = 0;
    int writeCount_ = 0;
    int pumpCount_ = 0;
};

}  // namespace tessarin::fakes
