#include "ui/win32/MainWindow.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "model/ActionStore.h"
#include "platform/win32/HotkeyHook.h"
#include "platform/win32/WideString.h"
#include "ui/MainWindowLogic.h"
#include "hotkeys/HotkeyCapture.h"
#include "ui/ActionEditorLogic.h"
#include "ui/win32/AboutDialog.h"
#include "ui/win32/ActionForm.h"
#include "ui/win32/HotKeyDialog.h"
#include "ui/win32/MainWindowIds.h"

namespace tessarin::win32 {
namespace {

using namespace ids;

constexpr wchar_t kCaption[] = L"Tessarin v1.36";
constexpr int kColumnWidthsTwips[] = {2650, 2200, 16240, 0};
constexpr const wchar_t* kColumnTitles[] = {L"Action", L"Hotkey", L"Data", L""};

// Arial at the classic 8 points, as the list and buttons were designed with.
HFONT CreateArial(UINT dpi, bool bold) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(font.lfFaceName, L"Arial");
    return CreateFontIndirectW(&font);
}

void AppendItem(HMENU menu, UINT id, const wchar_t* text, bool checked = false) {
    AppendMenuW(menu, static_cast<UINT>(MF_STRING | (checked ? MF_CHECKED : 0)), id, text);
}

}  // namespace

int MainWindow::Run(HINSTANCE instance, const std::wstring& commandLine, int showCommand) {
    // A second copy ends at once and touches nothing: no store, no Run entry, no hotkeys.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (mutex != nullptr) {
            CloseHandle(mutex);
        }
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // Once, for the program's life: the shell hands some ShellExecuteEx requests and the folder
    // picker to COM objects, which want an apartment-threaded caller.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    int exitCode = 1;
    {
        MainWindow mainWindow(instance, commandLine);
        mainWindow.instanceMutex_ = mutex;
        if (mainWindow.Create(showCommand)) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            exitCode = static_cast<int>(message.wParam);
        }
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return exitCode;
}

MainWindow::MainWindow(HINSTANCE instance, std::wstring commandLine)
    : instance_(instance), commandLine_(std::move(commandLine)) {}

MainWindow::~MainWindow() {
    for (HFONT font : {listFont_, buttonFont_}) {
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
}

bool MainWindow::Create(int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &MainWindow::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    ownIcon_ = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIcon = ownIcon_;
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExW(&windowClass);

    menu_ = BuildMenuBar();
    window_ = CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                              menu_, instance_, this);
    if (window_ == nullptr) {
        return false;
    }
    FormLoad(showCommand);
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

void MainWindow::FormLoad(int showCommand) {
    dpi_ = GetDpiForWindow(window_);
    state_.bMonitorOn = true;
    CreateControls();

    hotkeyPort_ = std::make_unique<Win32HotkeyPort>(window_);
    systemPort_ = std::make_unique<Win32SystemPort>(window_);
    desktopPort_ = std::make_unique<Win32DesktopPort>(window_);
    systemActions_ = std::make_unique<SystemActions>(*systemPort_, state_);
    windowActions_ = std::make_unique<WindowActions>(*desktopPort_, rawRegistry_,
                                                     reinterpret_cast<WindowHandle>(window_));
    executor_ = std::make_unique<Executor>(shellPort_, *this, *this, *systemActions_,
                                           *windowActions_, state_);
    hotkeys_ = std::make_unique<Hotkeys>(ListView1, *hotkeyPort_, *executor_, codePage_, state_);

    tray_ = std::make_unique<TrayIcon>(window_, ownIcon_, *this);
    searchDialog_ = std::make_unique<SearchDialog>(state_, codePage_);
    emailDialog_ = std::make_unique<EmailDialog>(state_, store_);

    HookHotkeys(window_, *hotkeys_);
    // After the hotkey hook, so that the icon's messages reach the tray first.
    tray_->InstallTrayHook();
    LoadRegActions(store_, ListView1);
    hotkeys_->RegisterAllHotKeys();
    RefreshList();
    SetWindowTextW(window_, kCaption);
    ApplyStartupSettings(ReadStartupSettings(store_), showCommand);
    UpdateStartupEntry();
}

void MainWindow::ApplyStartupSettings(const StartupSettings& settings, int showCommand) {
    SetCheck(mnuMaximized, settings.OpenMaximized);
    SetCheck(mnuNormal, settings.OpenNormal);
    SetCheck(mnuMinimized, settings.OpenMinimized);
    SetCheck(mnuStartup, settings.Startup);
    SetCheck(mnuDoNotReuse, settings.DoNotReuse);

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

    tray_->LoadStoredIcon(settings.Icon);
    ShowPicture();

    if (StartsInNotificationArea(Narrow(commandLine_))) {
        // The window has not been shown: it comes back from the icon in the stored state.
        tray_->SetupTrayIcon(settings.HasState() ? settings.State : 0);
        return;
    }
    int show = showCommand;
    if (settings.HasState()) {
        show = settings.State == 2 ? SW_SHOWMAXIMIZED
                                   : (settings.State == 1 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    }
    ShowWindow(window_, show);
    UpdateWindow(window_);
}

void MainWindow::TearDown() {
    if (tornDown_) {
        return;
    }
    tornDown_ = true;
    // Read before the icon goes: while the window waits there, its state is the remembered one.
    const bool inNotificationArea = tray_->InNotificationArea();
    tray_->RemoveTrayHook();
    tray_->DeleteIcon();
    hotkeys_->UnregisterAllHotKeys();
    UnhookHotkeys(window_);
    UpdateStartupEntry();

    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window_, &placement);
    RECT rect{};
    GetWindowRect(window_, &rect);
    ExitSettings exit;
    exit.SaveSettings = IsChecked(mnuSaveSettings);
    exit.IconPath = tray_->IconPath();
    exit.OpenMaximized = IsChecked(mnuMaximized);
    exit.OpenNormal = IsChecked(mnuNormal);
    exit.OpenMinimized = IsChecked(mnuMinimized);
    exit.Startup = IsChecked(mnuStartup);
    exit.DoNotReuse = IsChecked(mnuDoNotReuse);
    exit.Width = Twips(rect.right - rect.left);
    exit.Height = Twips(rect.bottom - rect.top);
    exit.State = inNotificationArea ? tray_->RememberedState()
                                    : (IsZoomed(window_) ? 2 : (IsIconic(window_) ? 1 : 0));
    SaveSettingsAtExit(store_, exit, ListView1);

    // Last: a copy started while this one unloads must wait for the saved list, or it would
    // load the old one and overwrite the new one with its own save later.
    if (instanceMutex_ != nullptr) {
        ReleaseMutex(instanceMutex_);
        CloseHandle(instanceMutex_);
        instanceMutex_ = nullptr;
    }
}

HMENU MainWindow::BuildMenuBar() {
    HMENU file = CreatePopupMenu();
    AppendItem(file, mnuBrowseForIcon, L"Browse For Another Systray Icon");
    AppendItem(file, mnuToggleDisable_File, L"Disable All Hotkeys");
    AppendItem(file, mnuMinimizeToTray, L"Minimize To Tray");
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

void MainWindow::CreateControls() {
    listFont_ = CreateArial(dpi_, true);
    buttonFont_ = CreateArial(dpi_, false);
    list_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0,
        0, 0, window_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kList)), instance_, nullptr);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
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
        SendMessageW(*button.control, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_), FALSE);
    }
    pictureIcon_ = CreateWindowExW(0, WC_STATICW, L"",
                                   WS_CHILD | WS_VISIBLE | SS_ICON | SS_NOTIFY | SS_CENTERIMAGE, 0,
                                   0, 0, 0, window_, nullptr, instance_, nullptr);
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

void MainWindow::RefreshList(std::optional<std::size_t> select) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (const ActionRecord& row : ListView1) {
        // std::to_wstring would bring in the C library's whole wide printf.
        const std::wstring texts[] = {Widen(row.ActionType), Widen(row.Hotkey), Widen(row.Data),
                                      Widen(std::to_string(row.ActionIndex))};
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(texts[0].c_str());
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < 4; ++column) {
            LVITEMW sub{};
            sub.iSubItem = column;
            sub.pszText = const_cast<wchar_t*>(texts[column].c_str());
            SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&sub));
        }
        ++index;
    }
    if (select) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, *select - 1, reinterpret_cast<LPARAM>(&state));
        SendMessageW(list_, LVM_ENSUREVISIBLE, *select - 1, FALSE);
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

std::optional<std::size_t> MainWindow::SelectedPosition() const {
    const LRESULT index =
        SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (index < 0 || static_cast<std::size_t>(index) >= ListView1.Count()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(index) + 1;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == pictureIcon_ && pictureIcon_ != nullptr) {
                if (HIWORD(wParam) == STN_CLICKED) {
                    tray_->ChooseIcon();
                    ShowPicture();
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
                if (header->code == NM_DBLCLK) {
                    AddOrEditAction(false);
                    return 0;
                }
                if (header->code == NM_CUSTOMDRAW) {
                    LRESULT result = CDRF_DODEFAULT;
                    OnListCustomDraw(lParam, result);
                    return result;
                }
                if (header->code == LVN_GETINFOTIPW) {
                    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
                    const std::size_t position = static_cast<std::size_t>(tip->iItem) + 1;
                    if (position <= ListView1.Count()) {
                        const ActionRecord& row = ListView1.At(position);
                        if (row.Registration.Held && !row.Registration.Accepted) {
                            const std::wstring text =
                                Widen(row.Hotkey) +
                                L" is already in use by another program or an earlier row, so "
                                L"it does not run this action. Choose another hotkey.";
                            wcsncpy_s(tip->pszText, static_cast<std::size_t>(tip->cchTextMax),
                                      text.c_str(), _TRUNCATE);
                        }
                    }
                    return 0;
                }
            }
            break;
        }
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                GoToNotificationArea();
            } else {
                LayOut();
            }
            return 0;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            for (HFONT font : {listFont_, buttonFont_}) {
                DeleteObject(font);
            }
            listFont_ = CreateArial(dpi_, true);
            buttonFont_ = CreateArial(dpi_, false);
            SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), TRUE);
            for (HWND button : {addButton_, editButton_, hotkeyButton_, deleteButton_}) {
                SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_), TRUE);
            }
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SYSCOMMAND:
            // The close box, Alt+F4 and the system menu's Close: to the notification area.
            if ((wParam & 0xFFF0) == SC_CLOSE && !exitFlag_) {
                GoToNotificationArea();
                return 0;
            }
            break;
        case WM_CLOSE:
            // Any other close request (another program, the task manager, a restart manager)
            // ends the program the way "Unload Tessarin" does.
            exitFlag_ = true;
            TearDown();
            DestroyWindow(window_);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The end of the logon is an unload like "Unload Tessarin", saves included, and the
            // program then ends rather than stay behind without its hotkeys.
            if (wParam != FALSE) {
                exitFlag_ = true;
                TearDown();
                DestroyWindow(window_);
            }
            return 0;
        case WM_DESTROY:
            TearDown();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnListCustomDraw(LPARAM lParam, LRESULT& result) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            result = CDRF_NOTIFYITEMDRAW;
            return;
        case CDDS_ITEMPREPAINT:
            result = CDRF_NOTIFYSUBITEMDRAW;
            return;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            // A hotkey the system refused looks registered but never runs: show it greyed.
            const std::size_t position = static_cast<std::size_t>(draw->nmcd.dwItemSpec) + 1;
            draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
            if (draw->iSubItem == 1 && position <= ListView1.Count()) {
                const ActionRecord& row = ListView1.At(position);
                if (row.Registration.Held && !row.Registration.Accepted) {
                    draw->clrText = GetSysColor(COLOR_GRAYTEXT);
                }
            }
            result = CDRF_DODEFAULT;
            return;
        }
        default:
            result = CDRF_DODEFAULT;
            return;
    }
}

void MainWindow::OnInitMenuPopup(HMENU menu) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID;
    if (GetMenuItemInfoW(menu, mnuToggleDisable_File, FALSE, &info)) {
        const std::wstring caption = Widen(hotkeys_->ToggleCaption());
        ModifyMenuW(menu, mnuToggleDisable_File, MF_BYCOMMAND | MF_STRING, mnuToggleDisable_File,
                    caption.c_str());
    }
}

void MainWindow::OnCommand(WORD id) {
    switch (id) {
        case kAddAction:
            AddOrEditAction(true);
            break;
        case kEditAction:
            AddOrEditAction(false);
            break;
        case kEditHotkey:
            EditHotkeyOfSelection();
            break;
        case kDeleteAction:
            DeleteSelectedAction();
            break;
        case mnuToggleDisable_File:
            ToggleHotkeys();
            break;
        case mnuBrowseForIcon:
            tray_->ChooseIcon();
            ShowPicture();
            break;
        case mnuMinimizeToTray:
            GoToNotificationArea();
            break;
        case mnuUnload:
            exitFlag_ = true;
            PostMessageW(window_, WM_CLOSE, 0, 0);
            break;
        case mnuDoNotReuse:
        case mnuStartup:
        case mnuSaveSettings:
            SetCheck(id, !IsChecked(id));
            break;
        case mnuMaximized:
        case mnuNormal:
        case mnuMinimized: {
            const OpenMode mode = ChooseOpenMode(id == mnuMaximized ? OpenModeChoice::Maximized
                                                 : id == mnuNormal  ? OpenModeChoice::Normal
                                                                    : OpenModeChoice::Minimized);
            SetCheck(mnuMaximized, mode.Maximized);
            SetCheck(mnuNormal, mode.Normal);
            SetCheck(mnuMinimized, mode.Minimized);
            break;
        }
        case mnuHelpAbout:
            AboutDialog::Show(window_);
            break;
        case mnuHelpDisplay:
            DisplayHelp();
            break;
        default:
            break;
    }
}

void MainWindow::DeleteSelectedAction() {
    const std::optional<std::size_t> position = SelectedPosition();
    if (!position) {
        return;
    }
    const std::wstring question = Widen(DeleteQuestion(ListView1.At(*position).ActionType));
    if (MessageBoxW(window_, question.c_str(), Widen(kDeleteTitle).c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
        RefreshList(DeleteAction(ListView1, *position, *hotkeys_, store_));
    }
    SetFocus(list_);
}

void MainWindow::AddOrEditAction(bool add) {
    if (add && ListView1.Count() >= kMaxStoredActions) {
        MessageBoxW(window_, Widen(kListFullMessage).c_str(), Widen(kListFullTitle).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::optional<std::size_t> selected = add ? std::nullopt : SelectedPosition();
    PrepareActionEditor(state_, selected ? &ListView1.At(*selected) : nullptr);
    ActionForm form(driveProbe_);
    form.ShowModal(window_, state_);
    // Edit with no row selected still shows the editor, but there is no row for its answer.
    if (!add && !selected) {
        return;
    }
    // Neither path saves or registers: the next hotkey assignment, deletion or unload does.
    if (const std::optional<std::size_t> changed =
            ApplyActionEditorResult(ListView1, selected, state_)) {
        RefreshList(changed);
    }
}

void MainWindow::EditHotkeyOfSelection() {
    const std::optional<std::size_t> selected = SelectedPosition();
    HotKeyDialog dialog(codePage_);
    CmdEditHotkey(
        state_, ListView1, selected, [&] { return dialog.ShowModal(window_); }, *hotkeys_, store_,
        codePage_);
    RefreshList(selected);
    SetFocus(list_);
}

void MainWindow::DisplayHelp() {
    const std::string path = ProgramFolder() + "\\Help\\index.htm";
    if (!executor_->LaunchInBrowser(path)) {
        ShellRequest request;
        request.File = path;
        request.ShowMode = shell::kShowMaximized;
        shellPort_.Launch(request);
    }
}

void MainWindow::GoToNotificationArea() {
    tray_->SetupTrayIcon();
}

void MainWindow::ShowPicture() {
    SendMessageW(pictureIcon_, STM_SETICON, reinterpret_cast<WPARAM>(tray_->Picture()), 0);
    // An icon static sizes itself to its picture; give it back its place.
    LayOut();
}

void MainWindow::RunPopupAction(const std::string& caption, const std::string& data) {
    executor_->ExecuteAction(caption, data);
}

void MainWindow::ToggleHotkeys() {
    hotkeys_->ToggleHotkeys();
    RefreshList(SelectedPosition());
}

void MainWindow::UnloadFromTray() {
    exitFlag_ = true;
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

LaunchOptions MainWindow::CurrentLaunchOptions() const {
    return {IsChecked(mnuMaximized), IsChecked(mnuNormal), IsChecked(mnuMinimized),
            IsChecked(mnuDoNotReuse)};
}

void MainWindow::ShowSearchPrompt() {
    searchDialog_->ShowModal(window_);
}

void MainWindow::ShowEmailPrompt() {
    emailDialog_->ShowModal(window_);
}

void MainWindow::SetCheck(UINT id, bool checked) {
    CheckMenuItem(menu_, id,
                  static_cast<UINT>(MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)));
}

bool MainWindow::IsChecked(UINT id) const {
    return (GetMenuState(menu_, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

int MainWindow::Px(int twips) const {
    return MulDiv(twips, static_cast<int>(dpi_), 1440);
}

int MainWindow::Twips(int pixels) const {
    return MulDiv(pixels, 1440, static_cast<int>(dpi_));
}

namespace {

// The folders only administrators can change: a program file in them is safe to start for
// every user. A folder the system cannot name is left out.
std::vector<std::string> ProtectedFolders() {
    std::vector<std::string> folders;
    for (const KNOWNFOLDERID& id :
         {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_Windows}) {
        PWSTR path = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) {
            folders.push_back(Narrow(path));
        }
        CoTaskMemFree(path);
    }
    return folders;
}

// The program's own path, however long.
std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) >=
           path.size()) {
        path.resize(path.size() * 2);
    }
    return std::wstring(path.data(), length);
}

}  // namespace

void MainWindow::UpdateStartupEntry() {
    const std::string folder = ProgramFolder();
    const std::string file = ProgramFileName();
    UpdateRunEntry(rawRegistry_, IsChecked(mnuStartup), RunEntryData(folder, file),
                   IsProtectedProgramPath(folder + "\\" + file, ProtectedFolders()));
}

std::string MainWindow::ProgramFolder() const {
    const std::wstring path = ModulePath();
    return Narrow(path.substr(0, path.find_last_of(L'\\')));
}

std::string MainWindow::ProgramFileName() const {
    const std::wstring path = ModulePath();
    return Narrow(path.substr(path.find_last_of(L'\\') + 1));
}

}  // namespace tessarin::win32
