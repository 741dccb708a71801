#include "actions/WindowActions.h"

#include <optional>
#include <set>
#include <span>
#include <vector>

#include "registry/Registry.h"

namespace tessarin {
namespace {

constexpr const char* kInternetExplorerFrame = "IEFrame";
constexpr const char* kMozillaFrame = "MozillaWindowClass";
constexpr const char* kTaskbarClass = "Shell_traywnd";
constexpr const char* kExplorerAdvanced =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr const char* kHiddenValue = "Hidden";

// The browser queues the injected Ctrl+V and reads the clipboard only when it gets to it; this
// is how long it gets before the clipboard is given back.
constexpr std::uint32_t kBrowserPasteSettleMs = 500;

// The walk repeats because terminating a process destroys windows under the walk's feet, which
// ends a walk early.
constexpr int kBrowserWalkPasses = 21;

struct KeyStep {
    std::uint8_t KeyCode;
    bool Release;
};

constexpr KeyStep kReleaseModifiers[] = {
    {desk::kVkControl, true}, {desk::kVkShift, true}, {desk::kVkLeftAlt, true}};

constexpr KeyStep kSwitchUserKeys[] = {
    {desk::kVkLeftWin, false}, {desk::kVkL, false}, {desk::kVkLeftWin, true}, {desk::kVkL, true}};
constexpr KeyStep kShowDesktopKeys[] = {
    {desk::kVkLeftWin, false}, {desk::kVkM, false}, {desk::kVkLeftWin, true}, {desk::kVkM, true}};
constexpr KeyStep kPasteKeys[] = {
    {desk::kVkControl, false}, {desk::kVkV, false}, {desk::kVkV, true}, {desk::kVkControl, true}};

// Releases, when it goes, every key it pressed and has not released yet: a sequence that stops
// half-way must not leave the user's keyboard with Win or Ctrl held down.
class HeldKeys {
  public:
    explicit HeldKeys(DesktopPort& desktop) : desktop_(desktop) {}
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;
    ~HeldKeys() {
        for (auto key = held_.rbegin(); key != held_.rend(); ++key) {
            desktop_.KeyEvent(*key, true);
        }
    }

    // False when the system did not take the press; then the key is not held.
    bool Press(std::uint8_t keyCode) {
        if (!desktop_.KeyEvent(keyCode, false)) {
            return false;
        }
        held_.push_back(keyCode);
        return true;
    }

    void Release(std::uint8_t keyCode) {
        desktop_.KeyEvent(keyCode, true);
        for (auto key = held_.begin(); key != held_.end(); ++key) {
            if (*key == keyCode) {
                held_.erase(key);
                break;
            }
        }
    }

    // Plays the steps until a press fails.
    bool Play(std::span<const KeyStep> steps) {
        for (const KeyStep& step : steps) {
            if (step.Release) {
                Release(step.KeyCode);
            } else if (!Press(step.KeyCode)) {
                return false;
            }
        }
        return true;
    }

  private:
    DesktopPort& desktop_;
    std::vector<std::uint8_t> held_;
};

void PlayChord(DesktopPort& desktop, std::span<const KeyStep> chord) {
    HeldKeys keys(desktop);
    keys.Play(kReleaseModifiers);
    keys.Play(chord);
}

// Puts the user's clipboard back. When that fails the clipboard might still offer the pasted text
// as the user's own, or a part of what the user had, so it is emptied instead.
void GiveClipboardBack(DesktopPort& desktop, const ClipboardSnapshot& original) {
    if (!desktop.RestoreClipboard(original)) {
        desktop.ReplaceClipboard(std::nullopt);
    }
}

}  // namespace

bool WindowActions::PasteText(const std::string& data) {
    // Without the user's clipboard in hand, overwriting it would lose it for good.
    const std::optional<ClipboardSnapshot> original = desktop_.ReadClipboard();
    if (!original) {
        return false;
    }
    if (!desktop_.ReplaceClipboard(data)) {
        GiveClipboardBack(desktop_, *original);
        return false;
    }

    const WindowHandle foreground = desktop_.GetForegroundWindow();
    if (desktop_.GetWindowClass(foreground) == kInternetExplorerFrame) {
        // The browser's frame does not take WM_PASTE; it gets the keystrokes a user would type.
        PlayChord(desktop_, kPasteKeys);
        // Cut short when the program is ending; the clipboard is given back all the same.
        desktop_.Wait(kBrowserPasteSettleMs);
    } else {
        // GetFocus answers only for the calling thread's input, so borrow the foreground
        // window's for the moment of asking.
        const std::uint32_t ownThread = desktop_.GetCurrentThreadId();
        const std::uint32_t foregroundThread = desktop_.GetWindowThreadId(foreground);
        const bool attached = desktop_.AttachThreadInput(ownThread, foregroundThread, true);
        const WindowHandle focus = desktop_.GetFocus();
        if (attached) {
            desktop_.AttachThreadInput(ownThread, foregroundThread, false);
        }
        if (focus != 0) {
            // A window that does not answer in time gets its clipboard back all the same.
            desktop_.SendWindowMessage(focus, desk::kWmPaste, 0, 0);
        }
    }

    GiveClipboardBack(desktop_, *original);
    return true;
}

void WindowActions::SwitchUser() {
    PlayChord(desktop_, kSwitchUserKeys);
}

void WindowActions::ShowDesktop() {
    PlayChord(desktop_, kShowDesktopKeys);
}

void WindowActions::MaximizeRestoreWindow() {
    const WindowHandle window = desktop_.GetForegroundWindow();
    if (window == 0 || window == mainWindow_) {
        return;
    }
    std::uint32_t showState = 0;
    if (!desktop_.GetShowState(window, showState)) {
        return;
    }
    desktop_.ShowWindow(window, showState == static_cast<std::uint32_t>(desk::kSwShowMaximized)
                                    ? desk::kSwShowNormal
                                    : desk::kSwShowMaximized);
}

void WindowActions::MinimizeWindow() {
    const WindowHandle window = desktop_.GetForegroundWindow();
    if (window == 0 || window == mainWindow_) {
        return;
    }
    desktop_.ShowWindow(window, desk::kSwMinimize);
}

void WindowActions::CloseWindow() {
    // The main window is not spared: closing it does what its own close box does.
    const WindowHandle window = desktop_.GetForegroundWindow();
    if (window != 0) {
        desktop_.PostWindowMessage(window, desk::kWmClose, 0, 0);
    }
}

void WindowActions::ShowHideTaskbar() {
    // The taskbar is the tray window with an empty title, not just any window of its class.
    const WindowHandle taskbar = desktop_.FindWindowByClass(kTaskbarClass, "");
    if (taskbar == 0) {
        return;
    }
    const std::uint32_t flags =
        desktop_.IsWindowVisible(taskbar) ? desk::kSwpHideWindow : desk::kSwpShowWindow;
    // Asynchronous: the taskbar's program may not answer, and this thread must not wait for it.
    desktop_.SetWindowPos(taskbar, 0, 0, 0, 0, 0, flags | desk::kSwpAsyncWindowPos);
}

void WindowActions::HideHidden() {
    WriteHidden(0, false);
}

void WindowActions::ShowHidden() {
    WriteHidden(1, false);
}

void WindowActions::ToggleHidden() {
    WriteHidden(0, true);
}

void WindowActions::WriteHidden(std::int32_t value, bool toggle) {
    cRegistry registry(registry_);
    registry.ClassKey(reg::kCurrentUser);
    registry.SectionKey(kExplorerAdvanced);
    registry.ValueKey(kHiddenValue);
    if (toggle) {
        // An absent value reads as empty and so counts as "not shown".
        value = VariantLong(registry.Value()) == 1 ? 0 : 1;
    }
    // Reading sets the type to what was stored; explorer wants a DWORD whatever was there.
    registry.ValueType(static_cast<std::int32_t>(reg::kDword));
    registry.Value(value);
}

void WindowActions::KillIEandNetscape() {
    // A browser with several frames would otherwise be terminated once per frame and pass.
    std::set<std::uint32_t> processesSeen;
    for (int pass = 0; pass < kBrowserWalkPasses; ++pass) {
        WindowHandle window = desktop_.GetForegroundWindow();
        while (window != 0) {
            const std::uint32_t exStyle = desktop_.GetWindowStyle(window, desk::kGwlExStyle);
            const std::uint32_t style = desktop_.GetWindowStyle(window, desk::kGwlStyle);
            if ((style & desk::kWsVisible) != 0 || (exStyle & desk::kWsExAppWindow) != 0) {
                const std::string windowClass = desktop_.GetWindowClass(window);
                if (windowClass == kInternetExplorerFrame || windowClass == kMozillaFrame) {
                    const std::uint32_t processId = desktop_.GetWindowProcessId(window);
                    if (processId != 0 && processesSeen.insert(processId).second) {
                        const ProcessHandle process = desktop_.OpenProcess(
                            desk::kProcessTerminateAndSynchronize, false, processId);
                        if (process != 0) {
                            desktop_.TerminateProcess(process, 1);
                            desktop_.CloseHandle(process);
                        }
                    }
                }
            }
            window = desktop_.GetWindow(window, desk::kGwHwndNext);
            // A hotkey pressed during the walk runs now, not after all the passes; an unload
            // ends the walk.
            if (!desktop_.PumpMessages()) {
                return;
            }
        }
    }
}

}  // namespace tessarin
