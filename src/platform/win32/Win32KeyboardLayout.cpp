#include "platform/win32/Win32KeyboardLayout.h"

#include <algorithm>
#include <array>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {

namespace {

// Windows 10 1607 and later leave the keyboard state alone when asked with this flag.
constexpr UINT kKeepKeyboardState = 0x4;

}  // namespace

std::optional<std::string> Win32KeyboardLayout::AltGrText(std::uint32_t keyCode, bool shift) const {
    HKL layout = layout_;
    if (layout == nullptr) {
        // A hotkey takes its combination from every program, so what matters is the layout the
        // user types with in the program in front; with nothing in front, our own thread's.
        const HWND foreground = GetForegroundWindow();
        layout = GetKeyboardLayout(
            foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0);
    }
    // AltGr arrives as right Alt plus a left Ctrl that the system adds; nothing else is down.
    std::array<BYTE, 256> keys{};
    for (const int key : {VK_CONTROL, VK_LCONTROL, VK_MENU, VK_RMENU}) {
        keys[static_cast<std::size_t>(key)] = 0x80;
    }
    if (shift) {
        keys[VK_SHIFT] = 0x80;
    }
    const UINT scanCode = MapVirtualKeyExW(keyCode, MAPVK_VK_TO_VSC, layout);
    std::array<wchar_t, 8> typed{};
    const int length = ToUnicodeEx(keyCode, scanCode, keys.data(), typed.data(),
                                   static_cast<int>(typed.size()), kKeepKeyboardState, layout);
    if (length < 0) {
        // A dead key. Systems before Windows 10 1607 ignore the flag and keep the accent
        // pending, where it would join the next key the user types in this thread; the same key
        // once more makes the layout give the accent out on its own, which clears it.
        ToUnicodeEx(keyCode, scanCode, keys.data(), typed.data(), static_cast<int>(typed.size()),
                    kKeepKeyboardState, layout);
        return std::nullopt;
    }
    const std::wstring_view text(typed.data(),
                                 std::min(static_cast<std::size_t>(length), typed.size()));
    // A layout without AltGr may answer Ctrl+key with a control character: nothing is typed.
    if (text.empty() ||
        std::any_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; })) {
        return std::nullopt;
    }
    return Narrow(text);
}

}  // namespace tessarin::win32
