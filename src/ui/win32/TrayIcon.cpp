#include "ui/win32/TrayIcon.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "actions/Executor.h"
#include "model/SettingsSection.h"
#include "platform/win32/WideString.h"
#include "ui/win32/FileDialog.h"

namespace tessarin::win32 {
namespace {

constexpr UINT_PTR kTraySubclassId = 0x5459;
constexpr const wchar_t* kMessageTitle = L"Tessarin";

std::wstring ProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            std::wstring folder(path.data(), length);
            folder.resize(folder.find_last_of(L"\\/") + 1);
            return folder;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

UniqueIcon LoadIconFile(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(nullptr, Widen(path).c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
}

TrayIcon::TrayIcon(HWND window, HICON ownIcon, TrayHost& host)
    : window_(window),
      ownIcon_(ownIcon),
      host_(host),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      iconPath_(kDefaultIcon) {}

TrayIcon::~TrayIcon() {
    DeleteIcon();
    RemoveTrayHook();
}

bool TrayIcon::InstallTrayHook() {
    if (hookInstalled_) {
        return true;
    }
    hookInstalled_ = SetWindowSubclass(window_, &TrayIcon::TrayWindowProc, kTraySubclassId,
                                       reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    // An elevated copy would otherwise never hear that a restarted shell lost its icon.
    ChangeWindowMessageFilterEx(window_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    return hookInstalled_;
}

void TrayIcon::RemoveTrayHook() {
    if (hookInstalled_) {
        RemoveWindowSubclass(window_, &TrayIcon::TrayWindowProc, kTraySubclassId);
        hookInstalled_ = false;
    }
}

bool TrayIcon::AddIcon() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = Picture();
    const std::wstring tip = Widen(kProgramTitle);
    const std::size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.begin(), length, data.szTip);
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void TrayIcon::DeleteIcon() {
    if (!inNotificationArea_) {
        return;
    }
    inNotificationArea_ = false;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

bool TrayIcon::SetupTrayIcon(std::optional<int> state) {
    InstallTrayHook();
    if (inNotificationArea_) {
        // Already there: a second trip must not overwrite the state to come back to.
        ShowWindow(window_, SW_HIDE);
        return true;
    }
    // Marked before the shell answers: with no taskbar yet (a start at logon), the icon is
    // added when the taskbar announces itself.
    inNotificationArea_ = true;
    const bool added = AddIcon();
    rememberedState_ = state ? *state : (IsIconic(window_) ? 1 : (IsZoomed(window_) ? 2 : 0));
    ShowWindow(window_, SW_HIDE);
    return added;
}

void TrayIcon::RestoreWindow() {
    if (!inNotificationArea_) {
        // A click still queued after the window came back.
        return;
    }
    // Coming back minimised would leave the user clicking the icon for nothing; restoring
    // brings the window back as it was before it was minimised.
    ShowWindow(window_, rememberedState_ == 2   ? SW_SHOWMAXIMIZED
                        : rememberedState_ == 1 ? SW_RESTORE
                                                : SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    DeleteIcon();
}

UniqueMenu TrayIcon::CreatePopup() {
    const UINT dpi = GetDpiForWindow(window_);
    if (bitmaps_ == nullptr || bitmaps_->Dpi() != (dpi == 0 ? 96 : dpi)) {
        bitmaps_ = std::make_unique<PopupBitmaps>(dpi);
    }
    const PopupMenuContent content =
        BuildPopupMenuContent(host_.PopupActions(), popupItems_, host_.HotkeysEnabled());
    entryRows_.clear();
    for (const PopupEntry& entry : content.Entries) {
        entryRows_.push_back(entry.Row);
    }
    return CreateTrayPopupMenu(content, *bitmaps_);
}

void TrayIcon::RunPopupCommand(UINT id) {
    switch (id) {
        case 0:
            return;
        case kPopupConfigureId:
            RestoreWindow();
            return;
        case kPopupToggleId:
            host_.ToggleHotkeys();
            return;
        case kPopupExitId:
            host_.UnloadFromTray();
            return;
        default:
            break;
    }
    if (id < kPopupFirstEntryId || id - kPopupFirstEntryId >= entryRows_.size()) {
        return;
    }
    const PopupRun run = popupItems_.EntryRun(entryRows_[id - kPopupFirstEntryId]);
    host_.RunPopupAction(run.Caption, run.Data);
}

void TrayIcon::ShowPopup() {
    if (popupOpen_) {
        return;
    }
    UINT chosen = 0;
    {
        const UniqueMenu menu = CreatePopup();
        if (menu == nullptr) {
            return;
        }
        POINT at{};
        GetCursorPos(&at);
        popupOpen_ = true;
        // Without the foreground the menu would not close when the user clicks elsewhere, and
        // without the posted message it would not open again on the next click.
        SetForegroundWindow(window_);
        const UINT align =
            GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
        chosen = static_cast<UINT>(
            TrackPopupMenuEx(menu.get(), align | TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                             at.x, at.y, window_, nullptr));
        PostMessageW(window_, WM_NULL, 0, 0);
        popupOpen_ = false;
    }
    // Last, with the menu gone: unloading may destroy the window, and this object with it.
    RunPopupCommand(chosen);
}

LRESULT CALLBACK TrayIcon::TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<TrayIcon*>(refData);
    try {
        if (message == kTrayCallbackMessage && lParam == WM_LBUTTONUP) {
            self->RestoreWindow();
            return 0;
        }
        if (message == kTrayCallbackMessage && lParam == WM_RBUTTONDOWN) {
            self->ShowPopup();
            return -1;
        }
        if (message == WM_MEASUREITEM && self->bitmaps_ != nullptr &&
            MeasurePopupBitmap(*self->bitmaps_, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
            return TRUE;
        }
        if (message == WM_DRAWITEM && self->bitmaps_ != nullptr &&
            DrawPopupBitmap(*self->bitmaps_, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
            return TRUE;
        }
        if (message == self->taskbarCreated_ && self->inNotificationArea_) {
            // A restarted shell starts with an empty notification area.
            self->AddIcon();
        } else if (message == WM_NCDESTROY) {
            self->DeleteIcon();
            self->RemoveTrayHook();
        }
    } catch (...) {
        // A failed action must not take the message loop down with it.
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void TrayIcon::ReplacePicture(UniqueIcon icon, const std::string& path) {
    loadedIcon_ = std::move(icon);
    iconPath_ = path;
}

void TrayIcon::LoadStoredIcon(const std::string& stored) {
    UniqueIcon loaded;
    const std::string path = RememberedIconPath(stored, [&loaded](const std::string& file) {
        loaded = LoadIconFile(file);
        return loaded != nullptr;
    });
    ReplacePicture(std::move(loaded), path);
}

bool TrayIcon::UseChosenIcon(const std::string& path) {
    UniqueIcon icon = LoadIconFile(path);
    if (icon == nullptr) {
        MessageBoxW(window_, Widen(kInvalidIconMessage).c_str(), kMessageTitle, MB_OK);
        ReplacePicture(nullptr, kDefaultIcon);
        return false;
    }
    ReplacePicture(std::move(icon), path);
    return true;
}

void TrayIcon::ChooseIcon() {
    if (const auto file = AskForFile(window_, {.Filter = L"Icon File (*.ico)\0*.ico\0",
                                               .Extension = L"ico",
                                               .Folder = ProgramFolder(),
                                               .Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST})) {
        UseChosenIcon(Narrow(*file));
    }
}

}  // namespace tessarin::win32
