// The floor for the start-up and memory figures: the least a Win32 program with a window does.
// It registers a class, creates and shows a window and runs its message loop until WM_CLOSE,
// built and linked as Tessarin.exe is. DLL names on the command line are loaded first, so
// that the cost of the system DLLs a program uses can be told from its own.

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    const std::wstring names = commandLine != nullptr ? commandLine : L"";
    for (std::size_t start = 0; start < names.size();) {
        const std::size_t end = std::min(names.find(L' ', start), names.size());
        if (end > start && LoadLibraryW(names.substr(start, end - start).c_str()) == nullptr) {
            return 2;
        }
        start = end + 1;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TessarinBenchFloor";
    RegisterClassExW(&windowClass);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
