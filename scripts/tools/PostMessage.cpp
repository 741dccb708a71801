// Posts one message to the top-level window of a class, as the shell or a click would:
//   tessarin_post CLASS MESSAGE WPARAM LPARAM     (numbers decimal, or hexadecimal with 0x)
// Exits 1 when no such window exists.

#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    const HWND window = argc == 5 ? FindWindowW(argv[1], nullptr) : nullptr;
    return !(window != nullptr &&
             PostMessageW(window, std::wcstoul(argv[2], nullptr, 0),
                          static_cast<WPARAM>(std::wcstoull(argv[3], nullptr, 0)),
                          static_cast<LPARAM>(std::wcstoll(argv[4], nullptr, 0))));
}
