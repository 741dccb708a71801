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

// A desktop of top-level windows in z-order (topmost first), a clipboard holding text or
// nothing, and processes that can be terminated. Every call is recorded as one line of text in
// order, so tests compare whole sequences. A terminated process keeps its windows, as it does
// for a moment on the real system.
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
        calls.push_back("Key " + Hex(keyCode) + (release ? " up" : " down"));
        return release || refusedPresses.count(keyCode) == 0;
    }

    bool ReadClipboardText(std::optional<std::string>& text) override {
        calls.push_back("ReadClipboard");
        if (clipboardUnreadable) {
            return false;
        }
        text = clipboard;
        return true;
    }

    bool ReplaceClipboard(const std::optional<std::string>& text) override {
        calls.push_back("ReplaceClipboard " + (text ? "\"" + *text + "\"" : std::string("none")));
        ++replaceCount_;
        if (failingReplaces.count(replaceCount_) != 0) {
            clipboard.reset();  // emptied, then setting the text failed
            return false;
        }
        clipboard = text;
        return true;
    }

    WindowHandle GetForegroundWindow() override {
        calls.push_back("GetForegroundWindow");
        return foreground;
    }

    std::string GetWindowClass(WindowHandle window) override {
        calls.push_back("GetWindowClass " + Hex(window));
        const Window* found = Find(window);
        return found == nullptr ? std::string() : found->Class;
    }

    std::uint32_t GetCurrentThreadId() override {
        calls.push_back("GetCurrentThreadId");
        return kOwnThread;
    }

    std::uint32_t GetWindowThreadId(WindowHandle window) override {
        calls.push_back("GetWindowThreadId " + Hex(window));
        const Window* found = Find(window);
        return found == nullptr ? 0 : found->ThreadId;
    }

    std::uint32_t GetWindowProcessId(WindowHandle window) override {
        calls.push_back("GetWindowProcessId " + Hex(window));
        const Window* found = Find(window);
        return found == nullptr ? 0 : found->ProcessId;
    }

    // Like the system, refuses to attach a thread to itself or to no thread.
    bool AttachThreadInput(std::uint32_t thread, std::uint32_t toThread, bool attach) override {
        calls.push_back("AttachThreadInput " + std::to_string(thread) + " " +
                        std::to_string(toThread) + (attach ? " true" : " false"));
        if (toThread == 0 || toThread == thread) {
            return false;
        }
        if (attach) {
            attachedTo_ = toThread;
        } else if (attachedTo_ != toThread) {
            return false;
        } else {
            attachedTo_ = 0;
        }
        return true;
    }

    // The focus of this thread's input: its own, or that of the thread it is attached to.
    WindowHandle GetFocus() override {
        calls.push_back("GetFocus");
        if (attachedTo_ == 0) {
            return ownFocus;
        }
        for (const Window& window : windows) {
            if (window.ThreadId == attachedTo_) {
                return window.Focus;
            }
        }
        return 0;
    }

    std::intptr_t SendWindowMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) override {
        calls.push_back("SendMessage " + Hex(window) + " " + Hex(message) + " " + Hex(wParam) +
                        " " + Hex(static_cast<std::uintptr_t>(lParam)));
        if (message == desk::kWmPaste) {
            pasted.push_back(clipboard.value_or("<nothing>"));
        }
        return 0;
    }

    bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
        calls.push_back("PostMessage " + Hex(window) + " " + Hex(message) + " " + Hex(wParam) +
                        " " + Hex(static_cast<std::uintptr_t>(lParam)));
        return Find(window) != nullptr;
    }

    bool GetShowState(WindowHandle window, std::uint32_t& showState) override {
        calls.push_back("GetShowState " + Hex(window));
        const Window* found = Find(window);
        if (found == nullptr) {
            return false;
        }
        showState = found->ShowState;
        return true;
    }

    void ShowWindow(WindowHandle window, std::int32_t command) override {
        calls.push_back("ShowWindow " + Hex(window) + " " + std::to_string(command));
    }

    WindowHandle FindWindowByClass(const std::string& className,
                                   const std::string& windowName) override {
        calls.push_back("FindWindow \"" + className + "\" \"" + windowName + "\"");
        return className == "Shell_traywnd" && windowName.empty() ? taskbar : 0;
    }

    bool IsWindowVisible(WindowHandle window) override {
        calls.push_back("IsWindowVisible " + Hex(window));
        return window == taskbar ? taskbarVisible : false;
    }

    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                      std::int32_t width, std::int32_t height, std::uint32_t flags) override {
        calls.push_back("SetWindowPos " + Hex(window) + " " + Hex(insertAfter) + " " +
                        std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) +
                        " " + std::to_string(height) + " " + Hex(flags));
        if (window == taskbar) {
            taskbarVisible = (flags & desk::kSwpShowWindow) != 0;
        }
        return true;
    }

    std::uint32_t GetWindowStyle(WindowHandle window, std::int32_t index) override {
        calls.push_back("GetWindowStyle " + Hex(window) + " " + std::to_string(index));
        const Window* found = Find(window);
        if (found == nullptr) {
            return 0;
        }
        return index == desk::kGwlExStyle ? found->ExStyle : found->Style;
    }

    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override {
        calls.push_back("GetWindow " + Hex(window) + " " + std::to_string(command));
        for (std::size_t i = 0; command == desk::kGwHwndNext && i < windows.size(); ++i) {
            if (windows[i].Handle == window) {
                return i + 1 < windows.size() ? windows[i + 1].Handle : 0;
            }
        }
        return 0;
    }

    ProcessHandle OpenProcess(std::uint32_t access, bool inheritHandle,
                              std::uint32_t processId) override {
        calls.push_back("OpenProcess " + Hex(access) + (inheritHandle ? " true " : " false ") +
                        std::to_string(processId));
        if (unopenable.count(processId) != 0) {
            return 0;
        }
        const ProcessHandle handle = 0x9000 + processId;
        openProcesses[handle] = processId;
        return handle;
    }

    bool TerminateProcess(ProcessHandle process, std::uint32_t exitCode) override {
        calls.push_back("TerminateProcess " + Hex(process) + " " + std::to_string(exitCode));
        auto open = openProcesses.find(process);
        if (open == openProcesses.end()) {
            return false;
        }
        terminated.push_back(open->second);
        return true;
    }

    void CloseHandle(ProcessHandle process) override {
        calls.push_back("CloseHandle " + Hex(process));
        openProcesses.erase(process);
    }

    void PumpMessages() override { calls.push_back("PumpMessages"); }

    void Wait(std::uint32_t milliseconds) override {
        calls.push_back("Wait " + std::to_string(milliseconds));
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
        for (const std::string& call : calls) {
            if (call.rfind("Key ", 0) != 0) {
                continue;
            }
            const std::string key = call.substr(4, call.find(' ', 4) - 4);
            const bool press = call.size() > 5 && call.compare(call.size() - 5, 5, " down") == 0;
            const auto code = static_cast<std::uint8_t>(std::stoul(key, nullptr, 16));
            if (press && refusedPresses.count(code) == 0) {
                held.insert(key);
            } else if (!press) {
                held.erase(key);
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
    std::set<int> failingReplaces;  // 1-based numbers of the ReplaceClipboard calls that fail
    std::set<std::uint8_t> refusedPresses;
    std::set<std::uint32_t> unopenable;
    std::map<ProcessHandle, std::uint32_t> openProcesses;
    std::vector<std::uint32_t> terminated;
    std::vector<std::string> pasted;  // the clipboard's text at each WM_PASTE
    std::vector<std::string> calls;

  private:
    const Window* Find(WindowHandle handle) const {
        for (const Window& window : windows) {
            if (window.Handle == handle && handle != 0) {
                return &window;
            }
        }
        return nullptr;
    }

    std::uint32_t attachedTo_ = 0;
    int replaceCount_ = 0;
};

}  // namespace tessarin::fakes
