// Presses a key combination from a process of its own, as a user at the keyboard would:
// every key down in the given order, then every key up in reverse order.
//   tessarin_sendkeys VK [VK ...]      (decimal, or hexadecimal with 0x)
//   tessarin_sendkeys --cursor X Y     (moves the mouse pointer, for pictures of the popup menu)

#include <windows.h>

#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"--cursor") == 0) {
        return SetCursorPos(static_cast<int>(std::wcstol(argv[2], nullptr, 10)),
                            static_cast<int>(std::wcstol(argv[3], nullptr, 10)))
                   ? 0
                   : 1;
    }
    if (argc < 2) {
        return 2;
    }
    const auto keys = static_cast<std::size_t>(argc - 1);
    std::vector<INPUT> inputs(2 * keys);
    for (std::size_t i = 0; i < keys; ++i) {
        const unsigned long code = std::wcstoul(argv[i + 1], nullptr, 0);
        if (code == 0 || code > 0xFE) {
            return 2;
        }
        inputs[i].type = inputs[2 * keys - 1 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[2 * keys - 1 - i].ki.wVk = static_cast<WORD>(code);
        inputs[2 * keys - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() ? 0 : 1;
}
