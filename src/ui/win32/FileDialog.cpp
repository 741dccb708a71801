#include "ui/win32/FileDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace tessarin::win32 {

std::optional<std::wstring> AskForFile(HWND owner, const FileRequest& request) {
    // Room for the longest path the system can hand back.
    std::vector<wchar_t> file(32768, L'\0');
    std::copy_n(request.Name.begin(), std::min(request.Name.size(), file.size() - 1), file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.Filter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = request.Folder.empty() ? nullptr : request.Folder.c_str();
    dialog.lpstrTitle = request.Title;
    dialog.lpstrDefExt = request.Extension;
    // The program's current folder stays where it was: a later relative path must not change.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | request.Flags;
    if (!(request.Save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)) ||
        file[0] == L'\0') {
        return std::nullopt;
    }
    return std::wstring(file.data());
}

}  // namespace tessarin::win32
