#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "actions/Executor.h"
#include "hotkeys/Hotkeys.h"
#include "model/ActionRecord.h"
#include "model/AppState.h"
#include "model/SettingsSection.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32DesktopPort.h"
#include "platform/win32/Win32DriveProbe.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32RawRegistry.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/Win32ShellPort.h"
#include "platform/win32/Win32SystemPort.h"
#include "ui/win32/EmailDialog.h"
#include "ui/win32/SearchDialog.h"
#include "ui/win32/TrayIcon.h"

namespace tessarin::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"TessarinMainWindow";
inline constexpr wchar_t kInstanceMutexName[] = L"NIRASSET000000000";

// The program's one top-level window: the action list, its buttons and menus. Creating it starts
// the program (single instance, hotkeys, stored actions and options); its tear-down ends it.
class MainWindow : public LaunchOptionsSource, public Prompts, public TrayHost {
  public:
    // Runs the program to its end and returns the exit code. A second instance returns at once.
    static int Run(HINSTANCE instance, const std::wstring& commandLine, int showCommand);

    LaunchOptions CurrentLaunchOptions() const override;
    void ShowSearchPrompt() override;
    void ShowEmailPrompt() override;

    const ActionList& PopupActions() const override { return ListView1; }
    bool HotkeysEnabled() const override { return state_.HotkeysEnabled; }
    void RunPopupAction(const std::string& caption, const std::string& data) override;
    void ToggleHotkeys() override;
    void UnloadFromTray() override;

  private:
    MainWindow(HINSTANCE instance, std::wstring commandLine);
    ~MainWindow();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool Create(int showCommand);
    void FormLoad(int showCommand);
    void TearDown();
    void CreateControls();
    HMENU BuildMenuBar();
    void ApplyStartupSettings(const StartupSettings& settings, int showCommand);
    void LayOut();
    void RefreshList(std::optional<std::size_t> select = std::nullopt);
    std::optional<std::size_t> SelectedPosition() const;
    void OnCommand(WORD id);
    void OnInitMenuPopup(HMENU menu);
    void OnListCustomDraw(LPARAM lParam, LRESULT& result);
    void DeleteSelectedAction();
    void EditHotkeyOfSelection();
    void AddOrEditAction(bool add);
    void DisplayHelp();
    void GoToNotificationArea();
    void ShowPicture();
    void SetCheck(UINT id, bool checked);
    bool IsChecked(UINT id) const;
    int Px(int twips) const;
    int Twips(int pixels) const;
    void UpdateStartupEntry();
    std::string ProgramFolder() const;
    std::string ProgramFileName() const;

    HINSTANCE instance_;
    std::wstring commandLine_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND addButton_ = nullptr;
    HWND editButton_ = nullptr;
    HWND hotkeyButton_ = nullptr;
    HWND deleteButton_ = nullptr;
    HWND pictureIcon_ = nullptr;
    HICON ownIcon_ = nullptr;
    HMENU menu_ = nullptr;
    HFONT listFont_ = nullptr;
    HFONT buttonFont_ = nullptr;
    HANDLE instanceMutex_ = nullptr;
    bool exitFlag_ = false;
    bool tornDown_ = false;
    UINT dpi_ = 96;

    AppState state_;
    ActionList ListView1;
    Win32SettingsStore store_;
    Win32CodePage codePage_;
    Win32ShellPort shellPort_;
    Win32RawRegistry rawRegistry_;
    Win32DriveProbe driveProbe_;
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
