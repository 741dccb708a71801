// Keeps the Wine desktop open for a whole test run: a desktop closes when its last program ends,
// and opening it anew for every test program would cost a second each and lose the taskbar.
// Ends when the named event is set or after the given number of seconds (default one hour).

#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    unsigned long seconds = std::wcstoul(commandLine, nullptr, 10);
    if (seconds == 0) {
        seconds = 3600;
    }
    // A window, never shown, so that this process belongs to the desktop.
    CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, L"TessarinTestsHoldDesktopStop");
    const DWORD deadline = GetTickCount() + seconds * 1000;
    for (;;) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(deadline - now) <= 0) {
            break;
        }
        const DWORD wait = MsgWaitForMultipleObjects(1, &stop, FALSE, deadline - now, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) {
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    if (stop != nullptr) {
        CloseHandle(stop);
    }
    return 0;
}
