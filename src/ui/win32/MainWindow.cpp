#include "ui/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

#include "app/App.h"
#include "platform/win32/WideString.h"
#include "ui/MainWindowLogic.h"
#include "ui/win32/DialogWindow.h"
#include "ui/win32/MainWindowIds.h"

namespace tessarin::win32 {
namespace {

using namespace ids;

constexpr int kColumnWidthsTwips[] = {2650, 2200, 16240, 0};
constexpr const wchar_t* kColumnTitles[] = {L"Action", L"Hotkey", L"Data", L""};

void AppendItem(HMENU menu, UINT id, const wchar_t* text, bool checked = false) {
    AppendMenuW(menu, static_cast<UINT>(MF_STRING | (checked ? MF_CHECKED : 0)), id, text);
}

HMENU BuildMenuBar() {
    HMENU file = CreatePopupMenu();
    AppendItem(file, mnuBrowseForIcon, L"Browse For Another Systray Icon");
    AppendItem(file, mnuToggleDisable_File, L"Disable All Hotkeys");
    AppendItem(file, mnuMinimizeToTray, L"Minimize To Tray");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendItem(file, mnuExportActions, L"Export Actions...");
    AppendItem(file, mnuImportActions, L"Import Actions...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendItem(file, mnuUnload, L"Unload Tessarin");

    HMENU openMode = CreatePopupMenu();
    AppendItem(openMode, mnuMaximized, L"Maximized");
    AppendItem(openMode, mnuNormal, L"Default", true);
    AppendItem(openMode, mnuMinimized, L"Minimized");

    HMENU options = CreatePopupMenu();
    AppendItem(options, mnuDoNotReuse, L"Do Not Reuse Folder Windows", true);
    AppendItem(options, mnuStartup, L"Run Tessarin Everytime Windows Starts", true);
    AppendMenuW(options, MF_POPUP, reinterpret_cast<UINT_PTR>(openMode), L"Open Files/Folder As");
    AppendItem(options, mnuSaveSettings, L"Save Settings On Exit", true);

    HMENU help = CreatePopupMenu();
    AppendItem(help, mnuHelpAbout, L"About");
    AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
    AppendItem(help, mnuHelpDisplay, L"Display Help");

    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(options), L"Options");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");
    return bar;
}

// The row's text for one column of the list, as the list view asks for it.
std::string ColumnText(const ActionRecord& row, int column) {
    switch (column) {
        case 0:
            return row.ActionType;
        case 1:
            return row.Hotkey;
        case 2:
            return row.Data;
        default:
            return std::to_string(row.ActionIndex);
    }
}

// A dark amber: a caution rather than a fault, clearly apart from the refused rows' grey, and
// above 6:1 against the list's white.
constexpr COLORREF kAltGrMarkColour = RGB(160, 64, 0);

bool Refused(const ActionRecord& row) {
    return row.Registration.Held && !row.Registration.Accepted;
}

}  // namespace

MainWindow::~MainWindow() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool MainWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    ownIcon_ = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &MainWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = ownIcon_;
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExW(&windowClass);

    menu_ = BuildMenuBar();
    if (CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu_,
                        instance, this) == nullptr) {
        DestroyMenu(menu_);
        return false;
    }
    dpi_ = GetDpiForWindow(window_);
    CreateControls();
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A failing handler skips its step; the window keeps running.
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void MainWindow::MakeFonts() {
    listFont_ = CreateArialFont(dpi_, true);
    buttonFont_ = CreateArialFont(dpi_);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
    for (HWND button : {addButton_, editButton_, hotkeyButton_, deleteButton_}) {
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), TRUE);
    }
}

void MainWindow::CreateControls() {
    // Owner data: the list asks for each cell as it paints it, so the App's rows are the only
    // copy and a start with many actions inserts nothing.
    list_ =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                            LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                        0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kList)),
                        instance_, nullptr);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = const_cast<wchar_t*>(kColumnTitles[column]);
        info.cx = Px(kColumnWidthsTwips[column]);
        info.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&info));
    }
    const struct {
        HWND* control;
        UINT id;
        const wchar_t* text;
    } buttons[] = {
        {&addButton_, kAddAction, L"Add Action"},
        {&editButton_, kEditAction, L"Edit Action"},
        {&hotkeyButton_, kEditHotkey, L"Edit Hotkey"},
        {&deleteButton_, kDeleteAction, L"Delete Action"},
    };
    for (const auto& button : buttons) {
        *button.control = CreateWindowExW(
            0, WC_BUTTONW, button.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0,
            0, window_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(button.id)), instance_,
            nullptr);
    }
    pictureIcon_ = CreateWindowExW(0, WC_STATICW, L"",
                                   WS_CHILD | WS_VISIBLE | SS_ICON | SS_NOTIFY | SS_CENTERIMAGE, 0,
                                   0, 0, 0, window_, nullptr, instance_, nullptr);
    MakeFonts();
}

void MainWindow::Place(const StartupSettings& settings) {
    // The design size first, centred on the work area; a stored size replaces it.
    RECT frame{0, 0, Px(kDesignClientWidth), Px(kDesignClientHeight)};
    AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0, dpi_);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    if (settings.HasSize()) {
        width = Px(settings.Width);
        height = Px(settings.Height);
    }
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window_, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
                 work.top + std::max(0L, (work.bottom - work.top - height) / 2), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
}

void MainWindow::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

void MainWindow::LayOut() {
    if (list_ == nullptr) {
        return;
    }
    RECT rect{};
    GetWindowRect(window_, &rect);
    const MainLayout layout =
        LayOutMainWindow(Twips(rect.right - rect.left), Twips(rect.bottom - rect.top));
    MoveWindow(list_, Px(layout.ListLeft), Px(layout.ListTop), Px(layout.ListWidth),
               Px(layout.ListHeight), TRUE);
    const struct {
        HWND control;
        int left;
        int width;
    } buttons[] = {
        {addButton_, layout.AddLeft, 1095},
        {editButton_, layout.EditLeft, 1335},
        {hotkeyButton_, layout.HotkeyLeft, 1095},
        {deleteButton_, layout.DeleteLeft, 1335},
    };
    for (const auto& button : buttons) {
        MoveWindow(button.control, Px(button.left), Px(layout.ButtonTop), Px(button.width), Px(375),
                   TRUE);
    }  // The picture keeps its designed place at the start of the buttons' row.
    MoveWindow(pictureIcon_, Px(120), Px(layout.ButtonTop - 60), Px(495), Px(495), TRUE);
}

void MainWindow::ShowRows(std::optional<std::size_t> select) {
    // Every change of the rows (load, edit, delete, import) comes through here.
    app_.RecheckAltGrMarks();
    // LVSICF_NOSCROLL keeps the user's scroll position when only a row's text changed.
    SendMessageW(list_, LVM_SETITEMCOUNT, app_.Actions().Count(), LVSICF_NOSCROLL);
    if (select) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, *select - 1, reinterpret_cast<LPARAM>(&state));
        SendMessageW(list_, LVM_ENSUREVISIBLE, *select - 1, FALSE);
    }
    InvalidateRect(list_, nullptr, TRUE);
}

std::optional<std::size_t> MainWindow::SelectedRow() const {
    const LRESULT index =
        SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (index < 0 || static_cast<std::size_t>(index) >= app_.Actions().Count()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(index) + 1;
}

void MainWindow::FocusList() {
    SetFocus(list_);
}

void MainWindow::ShowPicture(HICON picture) {
    SendMessageW(pictureIcon_, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
    // An icon static sizes itself to its picture; give it back its place.
    LayOut();
}

MainWindow::Geometry MainWindow::CurrentGeometry() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return {Twips(rect.right - rect.left), Twips(rect.bottom - rect.top),
            IsZoomed(window_) ? 2 : (IsIconic(window_) ? 1 : 0)};
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == pictureIcon_ && pictureIcon_ != nullptr) {
                if (HIWORD(wParam) == STN_CLICKED) {
                    app_.ChooseIcon();
                }
                return 0;
            }
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_INITMENUPOPUP:
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == kList) {
                return OnListNotify(*header);
            }
            break;
        }
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                app_.GoToNotificationArea();
            } else {
                LayOut();
            }
            return 0;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            MakeFonts();
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SHOWWINDOW:
        case WM_INPUTLANGCHANGE:
            // The user may have switched keyboards while the window was away, or just now.
            if (message == WM_INPUTLANGCHANGE || wParam != FALSE) {
                app_.RecheckAltGrMarks();
                InvalidateRect(list_, nullptr, FALSE);
            }
            break;
        case WM_SYSCOMMAND:
            // The close box, Alt+F4 and the system menu's Close: to the notification area.
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                app_.GoToNotificationArea();
                return 0;
            }
            break;
        case WM_CLOSE:
            // Every other close request ("Unload Tessarin", another program, the task manager,
            // a restart manager) ends the program.
            app_.TearDown();
            DestroyWindow(window_);
            return 0;
        case WM_COPYDATA:
            // "Tessarin.exe /export" or "/import" started while this copy runs.
            return app_.OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The end of the logon is an unload like "Unload Tessarin", saves included, and the
            // program then ends rather than stay behind without its hotkeys.
            if (wParam != FALSE) {
                app_.TearDown();
                DestroyWindow(window_);
            }
            return 0;
        case WM_DESTROY:
            app_.TearDown();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = window_;
            window_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT MainWindow::OnListNotify(const NMHDR& header) {
    const ActionList& rows = app_.Actions();
    switch (header.code) {
        case NM_DBLCLK:
            app_.AddOrEditAction(false);
            return 0;
        case LVN_GETDISPINFOW: {
            auto& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            const std::size_t position = static_cast<std::size_t>(item.iItem) + 1;
            if ((item.mask & LVIF_TEXT) != 0 && item.cchTextMax > 0 && position <= rows.Count()) {
                const std::wstring text = Widen(ColumnText(rows.At(position), item.iSubItem));
                wcsncpy_s(item.pszText, static_cast<std::size_t>(item.cchTextMax), text.c_str(),
                          _TRUNCATE);
            }
            return 0;
        }
        case LVN_GETINFOTIPW: {
            auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
            const std::size_t position = static_cast<std::size_t>(tip.iItem) + 1;
            if (position <= rows.Count() && Refused(rows.At(position))) {
                const std::wstring text =
                    Widen(rows.At(position).Hotkey) +
                    L" is already in use by another program or an earlier row, so it does not "
                    L"run this action. Choose another hotkey.";
                wcsncpy_s(tip.pszText, static_cast<std::size_t>(tip.cchTextMax), text.c_str(),
                          _TRUNCATE);
            } else if (const std::wstring text = Widen(app_.AltGrMark(position)); !text.empty()) {
                wcsncpy_s(tip.pszText, static_cast<std::size_t>(tip.cchTextMax), text.c_str(),
                          _TRUNCATE);
            }
            return 0;
        }
        case NM_CUSTOMDRAW: {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
            switch (draw.nmcd.dwDrawStage) {
                case CDDS_PREPAINT:
                    return CDRF_NOTIFYITEMDRAW;
                case CDDS_ITEMPREPAINT:
                    return CDRF_NOTIFYSUBITEMDRAW;
                case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
                    // A hotkey the system refused looks registered but never runs: greyed. It
                    // takes no character away either, so grey wins over the AltGr mark.
                    const std::size_t position = static_cast<std::size_t>(draw.nmcd.dwItemSpec) + 1;
                    const bool hotkey = draw.iSubItem == 1 && position <= rows.Count();
                    if (hotkey && Refused(rows.At(position))) {
                        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
                    } else if (hotkey && !app_.AltGrMark(position).empty()) {
                        draw.clrText = kAltGrMarkColour;
                    } else {
                        draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
                    }
                    return CDRF_DODEFAULT;
                }
                default:
                    return CDRF_DODEFAULT;
            }
        }
        default:
            return 0;
    }
}

void MainWindow::OnInitMenuPopup(HMENU menu) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID;
    if (GetMenuItemInfoW(menu, mnuToggleDisable_File, FALSE, &info)) {
        const std::wstring caption = Widen(app_.ToggleCaption());
        ModifyMenuW(menu, mnuToggleDisable_File, MF_BYCOMMAND | MF_STRING, mnuToggleDisable_File,
                    caption.c_str());
    }
    // The check marks show the App's options as they are now.
    const MenuOptions& options = app_.Options();
    const struct {
        UINT id;
        bool checked;
    } checks[] = {
        {mnuDoNotReuse, options.Launch.DoNotReuse}, {mnuStartup, options.Startup},
        {mnuMaximized, options.Launch.Maximized},   {mnuNormal, options.Launch.Normal},
        {mnuMinimized, options.Launch.Minimized},   {mnuSaveSettings, options.SaveSettings},
    };
    for (const auto& check : checks) {
        CheckMenuItem(
            menu, check.id,
            static_cast<UINT>(MF_BYCOMMAND | (check.checked ? MF_CHECKED : MF_UNCHECKED)));
    }
}

void MainWindow::OnCommand(WORD id) {
    switch (id) {
        case kAddAction:
            app_.AddOrEditAction(true);
            break;
        case kEditAction:
            app_.AddOrEditAction(false);
            break;
        case kEditHotkey:
            app_.EditHotkey();
            break;
        case kDeleteAction:
            app_.DeleteAction();
            break;
        case mnuToggleDisable_File:
            app_.ToggleHotkeys();
            break;
        case mnuBrowseForIcon:
            app_.ChooseIcon();
            break;
        case mnuMinimizeToTray:
            app_.GoToNotificationArea();
            break;
        case mnuUnload:
            app_.Unload();
            break;
        case mnuExportActions:
            app_.ExportActions();
            break;
        case mnuImportActions:
            app_.ImportActions();
            break;
        case mnuDoNotReuse:
            app_.ToggleOption(App::Toggle::DoNotReuse);
            break;
        case mnuStartup:
            app_.ToggleOption(App::Toggle::Startup);
            break;
        case mnuSaveSettings:
            app_.ToggleOption(App::Toggle::SaveSettings);
            break;
        case mnuMaximized:
            app_.ChooseOpenMode(OpenModeChoice::Maximized);
            break;
        case mnuNormal:
            app_.ChooseOpenMode(OpenModeChoice::Normal);
            break;
        case mnuMinimized:
            app_.ChooseOpenMode(OpenModeChoice::Minimized);
            break;
        case mnuHelpAbout:
            app_.ShowAbout();
            break;
        case mnuHelpDisplay:
            app_.DisplayHelp();
            break;
        default:
            break;
    }
}

int MainWindow::Px(int twips) const {
    return MulDiv(twips, static_cast<int>(dpi_), 1440);
}

int MainWindow::Twips(int pixels) const {
    return MulDiv(pixels, 1440, static_cast<int>(dpi_));
}

}  // namespace tessarin::win32
