// Keeps the Wine desktop open for a whole test run: a desktop closes when its last program ends,
// and opening it anew for every test program would cost a second each and lose the taskbar.
// Ends when the named event is set or after the given number of seconds (default one hour).

#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const unsigned long seconds = std::wcstoul(commandLine, nullptr, 10);
    const DWORD deadline = GetTickCount() + (seconds == 0 ? 3600 : seconds) * 1000;
    // A window, never shown, so that this process belongs to the desktop.
    CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, L"TessarinTestsHoldDesktopStop");
    for (;;) {
        const auto left = static_cast<LONG>(deadline - GetTickCount());
        if (left <= 0 || MsgWaitForMultipleObjects(1, &stop, FALSE, static_cast<DWORD>(left),
                                                   QS_ALLINPUT) != WAIT_OBJECT_0 + 1) {
            return 0;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}
