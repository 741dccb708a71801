#include "app/App.h"

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <chrono>
#include <vector>

#include "hotkeys/AltGr.h"
#include "hotkeys/HotkeyCapture.h"
#include "model/ActionStore.h"
#include "platform/win32/HotkeyHook.h"
#include "platform/win32/Win32ProfileFile.h"
#include "platform/win32/WideString.h"
#include "ui/ActionEditorLogic.h"
#include "ui/win32/AboutDialog.h"
#include "ui/win32/ActionForm.h"
#include "ui/win32/FileDialog.h"
#include "ui/win32/HotKeyDialog.h"

namespace tessarin::win32 {
namespace {

constexpr const wchar_t* kCaption = kProgramTitleWide;

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

std::string ProgramFolder() {
    const std::wstring path = ModulePath();
    return Narrow(path.substr(0, path.find_last_of(L'\\')));
}

std::string ProgramFileName() {
    const std::wstring path = ModulePath();
    return Narrow(path.substr(path.find_last_of(L'\\') + 1));
}

// The folders only administrators can change: a program file in them is safe to start for
// every user. A folder the system cannot name is left out.
std::vector<std::string> ProtectedFolders() {
    std::vector<std::string> folders;
    for (const KNOWNFOLDERID& id :
         {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_Windows}) {
        PWSTR path = nullptr;
        const HRESULT found = SHGetKnownFolderPath(id, 0, nullptr, &path);
        const UniqueTaskMemory<wchar_t> owned(path);
        if (SUCCEEDED(found)) {
            folders.push_back(Narrow(path));
        }
    }
    return folders;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// An empty list is not written: the import would take its file for no export at all.
bool ExportList(const ActionList& list, const std::wstring& path) {
    return !list.Empty() && ReplaceProfileFile(path, [&](ProfileFile& file) {
        return WriteActionsFile(file, list);
    });
}

// The rows of an actions file; a file that is not there reads as no export.
ActionsFileContent ReadActionsFileAt(const std::wstring& path) {
    if (!IsFile(path)) {
        ActionsFileContent none;
        none.Problem = ActionsFileProblem::NotAnExport;
        return none;
    }
    return ReadActionsFile(Win32ProfileFile(path));
}

std::wstring FullPath(const std::wstring& file) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetFullPathNameW(file.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            return std::wstring(path.data(), length);
        }
        path.resize(length);
    }
}

// The command carried out on the stored list while this copy holds the instance mutex, so that
// no copy can start meanwhile and later save its own older list over it.
bool RunOnStoredList(FileCommand command, const std::wstring& path) {
    Win32SettingsStore store;
    ActionList list;
    LoadRegActions(store, list);
    if (command == FileCommand::Export) {
        return ExportList(list, path);
    }
    const ActionsFileContent content = ReadActionsFileAt(path);
    if (content.Problem != ActionsFileProblem::None ||
        AppendImportedRows(list, content.Rows, Win32CodePage()).Added == 0) {
        return false;
    }
    SaveRegActions(store, list);
    // A save the registry refused leaves the old list, which must not be reported as done.
    ActionList saved;
    LoadRegActions(store, saved);
    return saved.Count() == list.Count();
}

constexpr wchar_t kActionsFileFilter[] = L"Tessarin actions (*.ini)\0*.ini\0";

}  // namespace

int App::RunFileCommand(FileCommand command, const std::wstring& file) {
    const std::wstring path = FullPath(file);
    if (path.empty()) {
        return 1;
    }
    const COPYDATASTRUCT data{command == FileCommand::Export ? kCopyDataExport : kCopyDataImport,
                              static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)),
                              const_cast<wchar_t*>(path.c_str())};
    // A copy that is still starting is asked again; one that has just ended leaves the work to
    // this one.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    do {
        UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
        if (mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
            const bool done = RunOnStoredList(command, path);
            ReleaseMutex(mutex.get());
            return done ? 0 : 1;
        }
        mutex.reset();
        if (const HWND window = FindWindowW(kMainWindowClass, nullptr)) {
            DWORD_PTR result = kFileCommandFailed;
            if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                    SMTO_NORMAL, 60000, &result) == 0) {
                return 1;
            }
            if (static_cast<LRESULT>(result) != kFileCommandNotReady) {
                return static_cast<LRESULT>(result) == kFileCommandDone ? 0 : 1;
            }
        }
        Sleep(100);
    } while (std::chrono::steady_clock::now() < deadline);
    return 1;
}

int App::Run(HINSTANCE instance, const std::wstring& commandLine, int showCommand) {
    // A second copy ends at once and touches nothing: no store, no Run entry, no hotkeys.
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // Once, for the program's life: the shell hands some ShellExecuteEx requests and the folder
    // picker to COM objects, which want an apartment-threaded caller.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    int exitCode = 1;
    {
        App app(instance, commandLine, std::move(mutex));
        if (app.Start(showCommand)) {
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

App::App(HINSTANCE instance, std::wstring commandLine, UniqueHandle instanceMutex)
    : instance_(instance),
      commandLine_(std::move(commandLine)),
      instanceMutex_(std::move(instanceMutex)) {}

App::~App() = default;

bool App::Start(int showCommand) {
    state_.bMonitorOn = true;
    window_ = std::make_unique<MainWindow>(*this);
    if (!window_->Create(instance_)) {
        return false;
    }
    const HWND window = Window();
    hotkeyPort_ = std::make_unique<Win32HotkeyPort>(window);
    systemPort_ = std::make_unique<Win32SystemPort>(window);
    desktopPort_ = std::make_unique<Win32DesktopPort>(window);
    systemActions_ = std::make_unique<SystemActions>(*systemPort_, state_);
    windowActions_ = std::make_unique<WindowActions>(*desktopPort_, rawRegistry_,
                                                     reinterpret_cast<WindowHandle>(window));
    executor_ = std::make_unique<Executor>(shellPort_, *this, *this, *systemActions_,
                                           *windowActions_, state_);
    hotkeys_ = std::make_unique<Hotkeys>(ListView1, *hotkeyPort_, *executor_, codePage_, state_);
    tray_ = std::make_unique<TrayIcon>(window, window_->OwnIcon(), *this);
    searchDialog_ = std::make_unique<SearchDialog>(codePage_);
    emailDialog_ = std::make_unique<EmailDialog>(store_);

    HookHotkeys(window, *hotkeys_);
    // After the hotkey hook, so that the icon's messages reach the tray first.
    tray_->InstallTrayHook();
    LoadRegActions(store_, ListView1);
    hotkeys_->RegisterAllHotKeys();
    window_->ShowRows();
    SetWindowTextW(window, kCaption);

    const StartupSettings settings = ReadStartupSettings(store_);
    options_.Launch = {settings.OpenMaximized, settings.OpenNormal, settings.OpenMinimized,
                       settings.DoNotReuse};
    options_.Startup = settings.Startup;
    window_->Place(settings);
    tray_->LoadStoredIcon(settings.Icon);
    window_->ShowPicture(tray_->Picture());
    if (StartsInNotificationArea(Narrow(commandLine_))) {
        // The window has not been shown: it comes back from the icon in the stored state.
        tray_->SetupTrayIcon(settings.HasState() ? settings.State : 0);
    } else if (settings.HasState()) {
        window_->Show(settings.State == 2   ? SW_SHOWMAXIMIZED
                      : settings.State == 1 ? SW_SHOWMINIMIZED
                                            : SW_SHOWNORMAL);
    } else {
        window_->Show(showCommand);
    }
    UpdateStartupEntry();
    started_ = true;
    return true;
}

void App::TearDown() {
    if (tornDown_ || hotkeys_ == nullptr) {
        return;
    }
    tornDown_ = true;
    // Read before the icon goes: while the window waits there, its state is the remembered one.
    const bool inNotificationArea = tray_->InNotificationArea();
    tray_->RemoveTrayHook();
    tray_->DeleteIcon();
    hotkeys_->UnregisterAllHotKeys();
    UnhookHotkeys(Window());
    UpdateStartupEntry();

    const MainWindow::Geometry geometry = window_->CurrentGeometry();
    ExitSettings exit;
    exit.SaveSettings = options_.SaveSettings;
    exit.IconPath = tray_->IconPath();
    exit.OpenMaximized = options_.Launch.Maximized;
    exit.OpenNormal = options_.Launch.Normal;
    exit.OpenMinimized = options_.Launch.Minimized;
    exit.Startup = options_.Startup;
    exit.DoNotReuse = options_.Launch.DoNotReuse;
    exit.Width = geometry.Width;
    exit.Height = geometry.Height;
    exit.State = inNotificationArea ? tray_->RememberedState() : geometry.State;
    SaveSettingsAtExit(store_, exit, ListView1);

    // Last: a copy started while this one unloads must wait for the saved list, or it would
    // load the old one and overwrite the new one with its own save later.
    if (instanceMutex_ != nullptr) {
        ReleaseMutex(instanceMutex_.get());
        instanceMutex_.reset();
    }
}

void App::AddOrEditAction(bool add) {
    if (add && ListView1.Count() >= kMaxStoredActions) {
        MessageBoxW(Window(), Widen(kListFullMessage).c_str(), Widen(kListFullTitle).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::optional<std::size_t> selected = add ? std::nullopt : window_->SelectedRow();
    PrepareActionEditor(state_, selected ? &ListView1.At(*selected) : nullptr);
    ActionForm form(driveProbe_);
    form.ShowModal(Window(), state_);
    // Edit with no row selected still shows the editor, but there is no row for its answer.
    if (!add && !selected) {
        return;
    }
    // Neither path saves or registers: the next hotkey assignment, deletion or unload does.
    if (const std::optional<std::size_t> changed =
            ApplyActionEditorResult(ListView1, selected, state_)) {
        window_->ShowRows(changed);
    }
}

void App::EditHotkey() {
    const std::optional<std::size_t> selected = window_->SelectedRow();
    HotKeyDialog dialog(codePage_);
    CmdEditHotkey(
        state_, ListView1, selected, [&] { return dialog.ShowModal(Window()); }, *hotkeys_, store_,
        codePage_);
    window_->ShowRows(selected);
    window_->FocusList();
}

void App::DeleteAction() {
    const std::optional<std::size_t> position = window_->SelectedRow();
    if (!position) {
        return;
    }
    const std::wstring question = Widen(DeleteQuestion(ListView1.At(*position).ActionType));
    if (MessageBoxW(Window(), question.c_str(), Widen(kDeleteTitle).c_str(),
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
        window_->ShowRows(tessarin::DeleteAction(ListView1, *position, *hotkeys_, store_));
    }
    window_->FocusList();
}

void App::ChooseIcon() {
    tray_->ChooseIcon();
    window_->ShowPicture(tray_->Picture());
}

void App::GoToNotificationArea() {
    tray_->SetupTrayIcon();
}

void App::ChooseOpenMode(OpenModeChoice choice) {
    const OpenMode mode = tessarin::ChooseOpenMode(choice);
    options_.Launch.Maximized = mode.Maximized;
    options_.Launch.Normal = mode.Normal;
    options_.Launch.Minimized = mode.Minimized;
}

void App::ToggleOption(Toggle option) {
    bool& value = option == Toggle::DoNotReuse ? options_.Launch.DoNotReuse
                  : option == Toggle::Startup  ? options_.Startup
                                               : options_.SaveSettings;
    value = !value;
}

void App::ShowAbout() {
    AboutDialog::Show(Window());
}

void App::DisplayHelp() {
    const std::string path = ProgramFolder() + "\\Help\\index.htm";
    if (!executor_->LaunchInBrowser(path)) {
        ShellRequest request;
        request.File = path;
        request.ShowMode = shell::kShowMaximized;
        shellPort_.Launch(request);
    }
}

void App::ExportActions() {
    const std::wstring title = Widen(kActionsFileTitle);
    if (ListView1.Empty()) {
        MessageBoxW(Window(), Widen(kNothingToExportMessage).c_str(), title.c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::optional<std::wstring> path =
        AskForFile(Window(), {.Filter = kActionsFileFilter,
                              .Extension = L"ini",
                              .Name = L"Tessarin actions.ini",
                              .Title = L"Export Actions",
                              .Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT,
                              .Save = true});
    if (!path) {
        return;
    }
    const std::string file = Narrow(*path);
    if (ExportList(ListView1, *path)) {
        MessageBoxW(Window(), Widen(ExportDoneMessage(ListView1.Count(), file)).c_str(),
                    title.c_str(), MB_OK | MB_ICONINFORMATION);
    } else {
        MessageBoxW(Window(), Widen(ExportFailedMessage(file)).c_str(), title.c_str(),
                    MB_OK | MB_ICONWARNING);
    }
}

void App::ImportActions() {
    const std::optional<std::wstring> path =
        AskForFile(Window(), {.Filter = kActionsFileFilter,
                              .Extension = L"ini",
                              .Title = L"Import Actions",
                              .Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST});
    if (!path) {
        return;
    }
    const std::wstring title = Widen(kActionsFileTitle);
    const std::string file = Narrow(*path);
    const auto tell = [&](const std::string& text, UINT icon) {
        MessageBoxW(Window(), Widen(text).c_str(), title.c_str(), MB_OK | icon);
    };
    if (!IsFile(*path)) {
        tell(ImportUnreadableMessage(file), MB_ICONWARNING);
        return;
    }
    const ActionsFileContent content = ReadActionsFileAt(*path);
    if (content.Problem != ActionsFileProblem::None) {
        tell(ImportRefusedMessage(content, file), MB_ICONWARNING);
        return;
    }
    if (MessageBoxW(Window(), Widen(ImportQuestion(content.Rows.size(), file)).c_str(),
                    title.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    tell(ImportDoneMessage(AddImportedRows(content.Rows), file), MB_ICONINFORMATION);
}

ImportCounts App::AddImportedRows(const std::vector<ActionRecord>& rows) {
    const std::size_t before = ListView1.Count();
    const ImportCounts counts = AppendImportedRows(ListView1, rows, codePage_);
    if (counts.Added > 0) {
        ApplyCapturedHotkey(ListView1, std::nullopt, "", *hotkeys_, store_, codePage_);
        window_->ShowRows(before + 1);
    }
    return counts;
}

LRESULT App::OnCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != kCopyDataExport && data.dwData != kCopyDataImport) {
        return kFileCommandFailed;
    }
    if (!started_) {
        return kFileCommandNotReady;
    }
    // Any program may send this: the path must be a whole, terminated text of sane length.
    const std::size_t chars = data.cbData / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(data.lpData);
    if (tornDown_ || text == nullptr || data.cbData % sizeof(wchar_t) != 0 || chars < 2 ||
        chars > 32768 || text[chars - 1] != L'\0') {
        return kFileCommandFailed;
    }
    const std::wstring path(text, chars - 1);
    if (path.find(L'\0') != std::wstring::npos) {
        return kFileCommandFailed;
    }
    if (data.dwData == kCopyDataExport) {
        return ExportList(ListView1, path) ? kFileCommandDone : kFileCommandFailed;
    }
    const ActionsFileContent content = ReadActionsFileAt(path);
    return content.Problem == ActionsFileProblem::None && AddImportedRows(content.Rows).Added > 0
               ? kFileCommandDone
               : kFileCommandFailed;
}

void App::Unload() {
    // Posted: the caller may be the tray's popup, still inside the window's procedure.
    PostMessageW(Window(), WM_CLOSE, 0, 0);
}

void App::ShowSearchPrompt() {
    state_.sSearchQuery = searchDialog_->ShowModal(Window(), state_.sSearchEngine);
}

void App::ShowEmailPrompt() {
    state_.sEmailReceiver = emailDialog_->ShowModal(Window());
}

void App::RunPopupAction(const std::string& caption, const std::string& data) {
    executor_->ExecuteAction(caption, data);
}

void App::ToggleHotkeys() {
    hotkeys_->ToggleHotkeys();
    window_->ShowRows();
}

const std::string& App::AltGrMark(std::size_t position) const {
    static const std::string kNone;
    return position >= 1 && position <= altGrMarks_.size() ? altGrMarks_[position - 1] : kNone;
}

void App::RecheckAltGrMarks() {
    altGrMarks_.clear();
    for (const ActionRecord& row : ListView1) {
        altGrMarks_.push_back(AltGrTip(row, keyboardLayout_, codePage_));
    }
}

void App::UpdateStartupEntry() {
    const std::string folder = ProgramFolder();
    const std::string file = ProgramFileName();
    UpdateRunEntry(rawRegistry_, options_.Startup, RunEntryData(folder, file),
                   IsProtectedProgramPath(folder + "\\" + file, ProtectedFolders()));
}

}  // namespace tessarin::win32
