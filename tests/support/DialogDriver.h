#pragma once

// Working a modal dialog from a second thread while the test's own thread shows it, as a user
// would while the dialog's own loop runs.

#include <windows.h>

#include <functional>
#include <thread>

#include "TestPrograms.h"

namespace tessarin::testsupport {

// A visible dialog box that the given window owns, such as a message box.
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
// with the keyboard focus in the control `focusId`. A dialog the drive leaves open is cancelled,
// so no test can hang.
inline DialogRun DriveDialog(const wchar_t* caption, int focusId, const std::function<void()>& show,
                             const std::function<void(HWND)>& drive) {
    const DWORD uiThread = GetCurrentThreadId();
    DialogRun run;
    std::thread driver([&] {
        HWND dialog = nullptr;
        run.Ready = WaitFor([&] {
            dialog = FindWindowW(L"#32770", caption);
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            return GetDlgItem(dialog, focusId) != nullptr && GetGUIThreadInfo(uiThread, &info) &&
                   info.hwndFocus == GetDlgItem(dialog, focusId) && GetForegroundWindow() == dialog;
        });
        if (run.Ready) {
            drive(dialog);
            run.ClosedByItself = WaitFor([&] { return !IsWindow(dialog); });
        }
        WaitFor([&] {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return !IsWindow(dialog);
        });
    });
    show();
    driver.join();
    return run;
}

}  // namespace tessarin::testsupport
