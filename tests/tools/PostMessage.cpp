// Posts one message to the top-level window of a class, as the shell or a click would:
//   tessarin_post CLASS MESSAGE WPARAM LPARAM     (numbers decimal, or hexadecimal with 0x)
// Exits 1 when no such window exists.

#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        return 2;
    }
    const HWND window = FindWindowW(argv[1], nullptr);
    if (window == nullptr) {
        return 1;
    }
    const auto message = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0));
    const auto wParam = static_cast<WPARAM>(std::wcstoull(argv[3], nullptr, 0));
    const auto lParam = static_cast<LPARAM>(std::wcstoll(argv[4], nullptr, 0));
    return PostMessageW(window, message, wParam, lParam) ? 0 : 1;
}
