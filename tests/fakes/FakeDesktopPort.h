#pragma once

#include <algorithm>
#include <map>
#include <set>

#include "platform/DesktopPort.h"

namespace tessarin::fakes {

// A desktop as the window actions leave it: top-level windows in z-order (topmost first) with
// their show states, a clipboard holding one text or nothing, the key events, what each window
// was sent, and the processes ended with their exit codes. A terminated process keeps its
// windows, as it does for a moment on the real system. A browser frame in the foreground takes a
// typed Ctrl+V only when it gets time: during the next wait.
class FakeDesktopPort : public DesktopPort {
  public:
    struct Window {
        WindowHandle Handle = 0;
        std::string Class;
        std::uint32_t ProcessId = 0, ThreadId = 0, Style = desk::kWsVisible, ExStyle = 0,
                      ShowState = 1;
    };

    // Key events as +code (down) and -code (up).
    bool KeyEvent(std::uint8_t key, bool up) override {
        keys.push_back(up ? -key : key);
        return up || key != refusedPress;
    }
    std::optional<ClipboardSnapshot> ReadClipboard() override {
        using Items = std::vector<ClipboardSnapshot::Item>;
        const Items items =
            clipboard ? Items{{0, {clipboard->begin(), clipboard->end()}}} : Items{};
        return clipboardUnreadable ? std::nullopt : std::optional(ClipboardSnapshot{items});
    }
    bool RestoreClipboard(const ClipboardSnapshot& saved) override {
        const auto* text = saved.Items.empty() ? nullptr : &saved.Items[0].Bytes;
        return Write(text ? std::optional(std::string(text->begin(), text->end())) : std::nullopt);
    }
    bool ReplaceClipboard(const std::optional<std::string>& text) override { return Write(text); }
    WindowHandle GetForegroundWindow() override { return foreground; }
    std::string GetWindowClass(WindowHandle w) override { return At(w).Class; }
    std::uint32_t GetCurrentThreadId() override { return 1; }
    std::uint32_t GetWindowThreadId(WindowHandle w) override { return At(w).ThreadId; }
    std::uint32_t GetWindowProcessId(WindowHandle w) override { return At(w).ProcessId; }
    // Like the system, refuses to attach a thread to itself or to no thread.
    bool AttachThreadInput(std::uint32_t thread, std::uint32_t to, bool attach) override {
        const bool done = to != 0 && to != thread && (attach || attachedTo == to);
        attachedTo = done ? (attach ? to : 0) : attachedTo;
        return done;
    }
    // The focus of this thread's input: its own, or that of the thread it is attached to.
    WindowHandle GetFocus() override { return focus[attachedTo != 0 ? attachedTo : 1]; }
    // WM_PASTE takes the clipboard's text and WM_CLOSE closes, both with zero parameters.
    bool SendWindowMessage(WindowHandle w, std::uint32_t m, std::uintptr_t wp,
                           std::intptr_t lp) override {
        const bool paste = m == desk::kWmPaste && wp == 0 && lp == 0;
        return received.emplace_back(w, paste ? "paste " + clipboard.value_or("") : "?"), true;
    }
    bool PostWindowMessage(WindowHandle w, std::uint32_t m, std::uintptr_t wp,
                           std::intptr_t lp) override {
        received.emplace_back(w, m == desk::kWmClose && wp == 0 && lp == 0 ? "close" : "?");
        return Find(w) != nullptr;
    }
    bool GetShowState(WindowHandle w, std::uint32_t& s) override {
        return Find(w) && (s = Find(w)->ShowState, true);
    }
    void ShowWindow(WindowHandle w, std::int32_t command) override {
        if (Find(w)) {
            Find(w)->ShowState = command == desk::kSwMinimize ? 2u : std::uint32_t(command);
        }
    }
    WindowHandle FindWindowByClass(const std::string& name, const std::string& title) override {
        return name == "Shell_traywnd" && title.empty() ? taskbar : 0;
    }
    bool IsWindowVisible(WindowHandle w) override { return w && w == taskbar && taskbarVisible; }
    // The taskbar's program may hang: only an asynchronous request gets through.
    bool SetWindowPos(WindowHandle w, WindowHandle, std::int32_t, std::int32_t, std::int32_t,
                      std::int32_t, std::uint32_t flags) override {
        const bool done = w != 0 && w == taskbar && (flags & desk::kSwpAsyncWindowPos) != 0;
        taskbarVisible = done ? (flags & desk::kSwpShowWindow) != 0 : taskbarVisible;
        return done;
    }
    std::uint32_t GetWindowStyle(WindowHandle w, std::int32_t index) override {
        return index == desk::kGwlExStyle ? At(w).ExStyle : At(w).Style;
    }
    WindowHandle GetWindow(WindowHandle w, std::uint32_t command) override {
        const Window* at = Find(w);
        return command == desk::kGwHwndNext && at && at != &windows.back() ? at[1].Handle : 0;
    }
    ProcessHandle OpenProcess(std::uint32_t access, bool, std::uint32_t process) override {
        const bool opens = access == desk::kProcessTerminateAndSynchronize;
        return opens ? (openProcesses.insert(process), process) : 0;
    }
    bool TerminateProcess(ProcessHandle process, std::uint32_t exitCode) override {
        const bool open = openProcesses.count(process) != 0;
        return open && (terminated.emplace_back(std::uint32_t(process), exitCode), true);
    }
    void CloseHandle(ProcessHandle process) override { openProcesses.erase(process); }
    bool PumpMessages() override { return ++pumps < quitAtPump || quitAtPump == 0; }
    bool Wait(std::uint32_t) override {
        const bool running = PumpMessages();
        if (running && !keys.empty() && At(foreground).Class == "IEFrame") {
            received.emplace_back(foreground, "paste " + clipboard.value_or(""));
        }
        return running;
    }

    std::vector<Window> windows;  // topmost first
    WindowHandle foreground = 0, taskbar = 0x800;
    std::map<std::uint32_t, WindowHandle> focus;  // the focus control of each thread
    bool taskbarVisible = true, clipboardUnreadable = false;
    std::optional<std::string> clipboard;
    // failingWrite: 1-based, it leaves the clipboard; quitAtPump: 1-based number of the
    // PumpMessages or Wait call that meets WM_QUIT.
    int refusedPress = 0, failingWrite = 0, quitAtPump = 0, pumps = 0, writes = 0;
    std::uint32_t attachedTo = 0;
    std::set<ProcessHandle> openProcesses;
    std::vector<int> keys;
    std::vector<std::pair<WindowHandle, std::string>> received;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> terminated;  // process, exit code

  private:
    Window* Find(WindowHandle handle) {
        const auto is = [handle](const Window& window) { return window.Handle == handle; };
        const auto found = std::find_if(windows.begin(), windows.end(), is);
        return handle == 0 || found == windows.end() ? nullptr : &*found;
    }
    Window At(WindowHandle handle) { return Find(handle) ? *Find(handle) : Window{0, "", 0, 0, 0}; }
    bool Write(const std::optional<std::string>& content) {
        const bool fails = ++writes == failingWrite;
        clipboard = fails ? clipboard : content;
        return !fails;
    }
};

}  // namespace tessarin::fakes
