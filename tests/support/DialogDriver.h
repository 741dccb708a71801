#pragma once

// Working a modal dialog from a second thread while the test's own thread shows it, as a user
// would while the dialog's own loop runs.

#include <windows.h>

#include <functional>
#include <thread>

#include "TestPrograms.h"

namespace tessarin::testsupport {

// A visible dialog box that the given window owns: a message box or a file dialog.
inline HWND OwnedDialog(HWND owner) {
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box != nullptr;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        if (GetWindow(box, GW_OWNER) == owner && IsWindowVisible(box)) {
            return box;
        }
    }
    return nullptr;
}

struct DialogRun {
    bool Ready = false;           // the dialog came up in front, with the focus where expected
    bool ClosedByItself = false;  // and what the drive did closed it
};

// Runs `show`, which shows a modal dialog on this thread and returns once it has closed, while
// `drive` works the dialog from a second thread, once the dialog captioned `caption` is in front
// with the keyboard focus in the control `focusId` (or in a child of it, such as a combo box's
// edit field). A dialog the drive leaves open is cancelled, a box it owns closed first, so no
// test can hang.
inline DialogRun DriveDialog(const wchar_t* caption, int focusId, const std::function<void()>& show,
                             const std::function<void(HWND)>& drive) {
    const DWORD uiThread = GetCurrentThreadId();
    DialogRun run;
    std::thread driver([&] {
        HWND dialog = nullptr;
        run.Ready = WaitFor([&] {
            dialog = FindWindowW(L"#32770", caption);
            const HWND control = GetDlgItem(dialog, focusId);
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            return control != nullptr && GetGUIThreadInfo(uiThread, &info) &&
                   (info.hwndFocus == control || GetParent(info.hwndFocus) == control) &&
                   GetForegroundWindow() == dialog;
        });
        if (run.Ready) {
            drive(dialog);
            run.ClosedByItself = WaitFor([&] { return !IsWindow(dialog); });
        }
        WaitFor([&] {
            if (const HWND box = dialog != nullptr ? OwnedDialog(dialog) : nullptr) {
                // A question closes only on an answer, No; every other box on WM_CLOSE.
                PostMessageW(box, WM_COMMAND, IDNO, 0);
                PostMessageW(box, WM_CLOSE, 0, 0);
            } else if (IsWindow(dialog)) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            return !IsWindow(dialog);
        });
    });
    show();
    driver.join();
    return run;
}

}  // namespace tessarin::testsupport
