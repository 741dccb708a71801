#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "model/SettingsSection.h"
#include "platform/win32/Handles.h"

namespace tessarin::win32 {

class App;

inline constexpr wchar_t kMainWindowClass[] = L"TessarinMainWindow";

// The program's one top-level window: the action list, its four buttons, the picture of the
// notification-area icon and the menu bar. It shows what the App holds and hands every command
// to it; the list is virtual, so the App's action list is the only copy of the rows.
class MainWindow {
  public:
    explicit MainWindow(App& app) : app_(app) {}
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden, with its controls; false when the system refused.
    bool Create(HINSTANCE instance);
    HWND Handle() const { return window_; }
    // The icon the window was made with: the notification area's default picture.
    HICON OwnIcon() const { return ownIcon_; }

    // The design size centred on the work area, or the stored size; then shown as asked.
    void Place(const StartupSettings& settings);
    void Show(int showCommand);
    // The list shows the App's rows again, their AltGr marks asked anew, with the given 1-based
    // row selected.
    void ShowRows(std::optional<std::size_t> select = std::nullopt);
    // The 1-based position of the selected row.
    std::optional<std::size_t> SelectedRow() const;
    void FocusList();
    void ShowPicture(HICON picture);

    // The outer size in twips and the state (0 normal, 1 minimised, 2 maximised) to store.
    struct Geometry {
        int Width = 0;
        int Height = 0;
        int State = 0;
    };
    Geometry CurrentGeometry() const;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void MakeFonts();
    void LayOut();
    void OnCommand(WORD id);
    void OnInitMenuPopup(HMENU menu);
    LRESULT OnListNotify(const NMHDR& header);
    int Px(int twips) const;
    int Twips(int pixels) const;

    App& app_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND addButton_ = nullptr;
    HWND editButton_ = nullptr;
    HWND hotkeyButton_ = nullptr;
    HWND deleteButton_ = nullptr;
    HWND pictureIcon_ = nullptr;
    HICON ownIcon_ = nullptr;  // shared with the window class: never destroyed
    HMENU menu_ = nullptr;     // the window's menu bar, destroyed with the window
    UniqueFont listFont_;
    UniqueFont buttonFont_;
    UINT dpi_ = 96;
};

}  // namespace tessarin::win32
