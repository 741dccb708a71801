// Tessarin's host window: it loads the stored actions, registers their hotkeys, performs every
// action a hotkey dispatches and writes it into its log pane. The full main window, the
// notification icon and the prompts replace the log pane as they arrive.

#include <windows.h>

#include <string>

#include "actions/Executor.h"
#include "hotkeys/Hotkeys.h"
#include "model/ActionStore.h"
#include "model/SettingsSection.h"
#include "platform/win32/HotkeyHook.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32DesktopPort.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32RawRegistry.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/Win32ShellPort.h"
#include "platform/win32/Win32SystemPort.h"
#include "platform/win32/WideString.h"

namespace tessarin {
namespace {

constexpr wchar_t kWindowClass[] = L"TessarinMainWindow";
constexpr wchar_t kCaption[] = L"Tessarin v1.36";
constexpr int kLogId = 100;

// Writes every dispatched action to the log pane before it runs, so the user and the end-to-end
// tests can see which row a hotkey reached.
class LogExecutor : public ActionExecutor {
  public:
    void Attach(HWND log, ActionExecutor& executor) {
        log_ = log;
        executor_ = &executor;
    }

    void Append(const std::string& line) {
        if (log_ == nullptr) {
            return;
        }
        const std::wstring text = win32::Widen(line) + L"\r\n";
        const int end = GetWindowTextLengthW(log_);
        SendMessageW(log_, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageW(log_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void ExecuteAction(const std::string& caption, const std::string& data) override {
        Append("Run: " + caption + " | " + data);
        if (executor_ != nullptr) {
            executor_->ExecuteAction(caption, data);
        }
    }

  private:
    HWND log_ = nullptr;
    ActionExecutor* executor_ = nullptr;
};

// The open-mode options as stored; the Options menu that changes them comes with the main window.
class StoredLaunchOptions : public LaunchOptionsSource {
  public:
    explicit StoredLaunchOptions(const StartupSettings& settings)
        : options_{settings.OpenMaximized, settings.OpenNormal, settings.OpenMinimized,
                   settings.DoNotReuse} {}
    LaunchOptions CurrentLaunchOptions() const override { return options_; }

  private:
    LaunchOptions options_;
};

// Until the prompts exist a search or e-mail prompt answers as a cancelled one does, and says so.
class PendingPrompts : public Prompts {
  public:
    explicit PendingPrompts(LogExecutor& log) : log_(log) {}
    void ShowSearchPrompt() override { log_.Append("  (no search prompt yet: nothing searched)"); }
    void ShowEmailPrompt() override { log_.Append("  (no e-mail prompt yet: nothing sent)"); }

  private:
    LogExecutor& log_;
};

struct Host {
    AppState state;
    ActionList list;
    LogExecutor executor;
    win32::Win32CodePage codePage;
    win32::Win32SettingsStore store;
    Hotkeys* hotkeys = nullptr;
    HWND window = nullptr;
    HWND log = nullptr;
    HFONT font = nullptr;
};

std::string DescribeRow(const ActionRecord& row) {
    std::string line = row.ActionType + " | " + (row.Hotkey.empty() ? "(no hotkey)" : row.Hotkey) +
                       " | " + row.Data;
    if (!row.Registration.Held) {
        line += "  [not registered]";
    } else if (!row.Registration.Accepted) {
        line += "  [combination in use elsewhere]";
    }
    return line;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_SIZE:
            if (host != nullptr && host->log != nullptr) {
                MoveWindow(host->log, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            }
            return 0;
        case WM_SETFOCUS:
            if (host != nullptr && host->log != nullptr) {
                SetFocus(host->log);
            }
            return 0;
        case WM_DESTROY:
            // Release while the window still exists: hotkeys belong to it.
            if (host != nullptr && host->hotkeys != nullptr) {
                host->hotkeys->UnregisterAllHotKeys();
                win32::UnhookHotkeys(window);
                host->hotkeys = nullptr;
            }
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HFONT CreateMessageFont(HWND window) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const UINT dpi = GetDpiForWindow(window);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

int Run(HINSTANCE instance, int showCommand) {
    Host host;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        return 1;
    }

    host.window = CreateWindowExW(0, kWindowClass, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, &host);
    if (host.window == nullptr) {
        return 1;
    }
    const UINT dpi = GetDpiForWindow(host.window);
    SetWindowPos(host.window, nullptr, 0, 0, MulDiv(560, static_cast<int>(dpi), 96),
                 MulDiv(360, static_cast<int>(dpi), 96), SWP_NOMOVE | SWP_NOZORDER);

    host.log = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0,
        0, host.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLogId)), instance, nullptr);
    host.font = CreateMessageFont(host.window);
    if (host.font != nullptr) {
        SendMessageW(host.log, WM_SETFONT, reinterpret_cast<WPARAM>(host.font), FALSE);
    }
    const StoredLaunchOptions launchOptions(ReadStartupSettings(host.store));
    PendingPrompts prompts(host.executor);
    win32::Win32ShellPort shellPort;
    win32::Win32SystemPort systemPort(host.window);
    win32::Win32DesktopPort desktopPort(host.window);
    win32::Win32RawRegistry rawRegistry;
    SystemActions systemActions(systemPort, host.state);
    WindowActions windowActions(desktopPort, rawRegistry,
                                reinterpret_cast<WindowHandle>(host.window));
    Executor executor(shellPort, launchOptions, prompts, systemActions, windowActions, host.state);
    host.executor.Attach(host.log, executor);

    win32::Win32HotkeyPort port(host.window);
    Hotkeys hotkeys(host.list, port, host.executor, host.codePage, host.state);

    host.hotkeys = &hotkeys;
    win32::HookHotkeys(host.window, hotkeys);
    LoadRegActions(host.store, host.list);
    hotkeys.RegisterAllHotKeys();

    host.executor.Append("Tessarin is running. Stored actions: " +
                         std::to_string(host.list.Count()));
    for (const ActionRecord& row : host.list) {
        host.executor.Append("  " + DescribeRow(row));
    }

    RECT client{};
    GetClientRect(host.window, &client);
    MoveWindow(host.log, 0, 0, client.right, client.bottom, FALSE);
    ShowWindow(host.window, showCommand);
    UpdateWindow(host.window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    if (host.font != nullptr) {
        DeleteObject(host.font);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace
}  // namespace tessarin

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return tessarin::Run(instance, showCommand);
}
