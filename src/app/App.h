#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/Executor.h"
#include "hotkeys/Hotkeys.h"
#include "model/ActionRecord.h"
#include "model/ActionsFile.h"
#include "model/AppState.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32DesktopPort.h"
#include "platform/win32/Win32DriveProbe.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32KeyboardLayout.h"
#include "platform/win32/Win32RawRegistry.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/Win32ShellPort.h"
#include "platform/win32/Win32SystemPort.h"
#include "ui/MainWindowLogic.h"
#include "ui/win32/EmailDialog.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/SearchDialog.h"
#include "ui/win32/TrayIcon.h"

namespace tessarin::win32 {

inline constexpr wchar_t kInstanceMutexName[] = L"NIRASSET000000000";

// "Tessarin.exe /export FILE" and "/import FILE". With a copy running, the command goes to its
// window as WM_COPYDATA of this kind (the full path, UTF-16, as the data), and SendMessage
// answers with one of the results below; a window that does not know the message answers 0.
enum class FileCommand { Export, Import };
inline constexpr ULONG_PTR kCopyDataExport = 0x54455850;
inline constexpr ULONG_PTR kCopyDataImport = 0x54494D50;
inline constexpr LRESULT kFileCommandFailed = 0;
inline constexpr LRESULT kFileCommandDone = 1;
inline constexpr LRESULT kFileCommandNotReady = 2;  // still starting: ask again

// The options of the Options menu. The menu only shows them; the executor reads the launch part
// for every action, the tear-down the rest.
struct MenuOptions {
    LaunchOptions Launch;
    bool Startup = true;
    bool SaveSettings = true;
};

// The program: it owns the ports, the app state, the action list, the executor, the hotkeys, the
// notification-area icon and the prompts, and the main window that shows them. The window hands
// every command here; the core is reached only from here.
class App final : public LaunchOptionsSource, public Prompts, public TrayHost {
  public:
    // Runs the program to its end and returns the exit code. A second instance returns at once.
    static int Run(HINSTANCE instance, const std::wstring& commandLine, int showCommand);
    // Carries out /export or /import without a window: in the running copy when there is one,
    // otherwise on the stored list. Returns the exit code: 0 done, 1 nothing changed.
    static int RunFileCommand(FileCommand command, const std::wstring& file);

    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App() override;

    // What the main window shows.
    const ActionList& Actions() const { return ListView1; }
    const MenuOptions& Options() const { return options_; }
    std::string ToggleCaption() const { return hotkeys_->ToggleCaption(); }
    // The tip of a row whose hotkey takes an AltGr character away; empty for the other rows.
    const std::string& AltGrMark(std::size_t position) const;
    // Asks the keyboard layout again: after the rows changed, or the layout may have.
    void RecheckAltGrMarks();

    // The main window's commands, each from a button, a menu item or the list.
    void AddOrEditAction(bool add);
    void EditHotkey();
    void DeleteAction();
    void ChooseIcon();
    void GoToNotificationArea();
    void ChooseOpenMode(OpenModeChoice choice);
    enum class Toggle { DoNotReuse, Startup, SaveSettings };
    void ToggleOption(Toggle option);
    void ShowAbout();
    void DisplayHelp();
    // File > Export Actions... and Import Actions...
    void ExportActions();
    void ImportActions();
    // /export or /import handed over by another copy.
    LRESULT OnCopyData(const COPYDATASTRUCT& data);
    // "Unload Tessarin": the window closes, and closing it ends the program.
    void Unload();
    // The window is closing for good: undo the start-up and save what the options say.
    void TearDown();

    LaunchOptions CurrentLaunchOptions() const override { return options_.Launch; }
    void ShowSearchPrompt() override;
    void ShowEmailPrompt() override;

    const ActionList& PopupActions() const override { return ListView1; }
    bool HotkeysEnabled() const override { return state_.HotkeysEnabled; }
    void RunPopupAction(const std::string& caption, const std::string& data) override;
    void ToggleHotkeys() override;
    void UnloadFromTray() override { Unload(); }

  private:
    App(HINSTANCE instance, std::wstring commandLine, UniqueHandle instanceMutex);
    bool Start(int showCommand);
    void UpdateStartupEntry();
    // Appends rows from a file; when any came, the list is saved and every hotkey registered
    // anew, as after Edit Hotkey.
    ImportCounts AddImportedRows(const std::vector<ActionRecord>& rows);
    HWND Window() const { return window_->Handle(); }

    HINSTANCE instance_;
    std::wstring commandLine_;
    UniqueHandle instanceMutex_;
    bool started_ = false;
    bool tornDown_ = false;

    AppState state_;
    ActionList ListView1;
    MenuOptions options_;
    Win32SettingsStore store_;
    Win32CodePage codePage_;
    Win32ShellPort shellPort_;
    Win32RawRegistry rawRegistry_;
    Win32DriveProbe driveProbe_;
    Win32KeyboardLayout keyboardLayout_;
    std::vector<std::string> altGrMarks_;  // one per row, in list order
    // The window first: every port below that talks to the system on its behalf needs it.
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Win32HotkeyPort> hotkeyPort_;
    std::unique_ptr<Win32SystemPort> systemPort_;
    std::unique_ptr<Win32DesktopPort> desktopPort_;
    std::unique_ptr<SystemActions> systemActions_;
    std::unique_ptr<WindowActions> windowActions_;
    std::unique_ptr<Executor> executor_;
    std::unique_ptr<Hotkeys> hotkeys_;
    std::unique_ptr<TrayIcon> tray_;
    // One of each prompt for the program's life: a second showing finds the first still open.
    std::unique_ptr<SearchDialog> searchDialog_;
    std::unique_ptr<EmailDialog> emailDialog_;
};

}  // namespace tessarin::win32
