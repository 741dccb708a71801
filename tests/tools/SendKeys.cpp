// Presses a key combination from a process of its own, as a user at the keyboard would:
// every key down in the given order, then every key up in reverse order.
//   tessarin_sendkeys VK [VK ...]      (decimal, or hexadecimal with 0x)
//   tessarin_sendkeys --cursor X Y     (moves the mouse pointer, for pictures of the popup menu)

#include <windows.h>

#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"--cursor") == 0) {
        const int x = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
        const int y = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
        return SetCursorPos(x, y) ? 0 : 1;
    }
    std::vector<WORD> keys;
    for (int i = 1; i < argc; ++i) {
        const unsigned long code = std::wcstoul(argv[i], nullptr, 0);
        if (code == 0 || code > 0xFE) {
            return 2;
        }
        keys.push_back(static_cast<WORD>(code));
    }
    if (keys.empty()) {
        return 2;
    }
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size() ? 0 : 1;
}
