// Keeps the Wine desktop open for a whole test run: a desktop closes when its last program ends,
// and opening it anew for every test program would cost a second each and lose the taskbar.
// Ends after the given number of seconds (default one hour), or when it is killed.

#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const unsigned long seconds = std::wcstoul(commandLine, nullptr, 10);
    // A window, never shown, so that this process belongs to the desktop.
    CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    SetTimer(nullptr, 0, (seconds == 0 ? 3600 : seconds) * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
        DispatchMessageW(&message);
    }
    return 0;
}
