#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tessarin::win32 {

// What the system's Open or Save dialog is opened with.
struct FileRequest {
    const wchar_t* Filter;           // pairs of a description and its patterns, then an empty one
    const wchar_t* Extension;        // added to a name typed without one
    std::wstring Name = {};          // filled in when the dialog opens
    std::wstring Folder = {};        // where it opens; empty: where the system chooses
    const wchar_t* Title = nullptr;  // none: the system's own
    DWORD Flags = 0;                 // OFN_ flags beyond the explorer look and a kept folder
    bool Save = false;
};

// The chosen file's full path; none when the user cancelled the dialog.
std::optional<std::wstring> AskForFile(HWND owner, const FileRequest& request);

}  // namespace tessarin::win32
