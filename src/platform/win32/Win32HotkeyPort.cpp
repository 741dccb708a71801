#include "platform/win32/Win32HotkeyPort.h"

#include <utility>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {

// The flags the core hands through the port are the system's own.
static_assert(std::cmp_equal(kModAlt, MOD_ALT));
static_assert(std::cmp_equal(kModControl, MOD_CONTROL));
static_assert(std::cmp_equal(kModShift, MOD_SHIFT));
static_assert(std::cmp_equal(kModWin, MOD_WIN));

std::uint16_t Win32HotkeyPort::AddGlobalAtom(const std::string& name) {
    return GlobalAddAtomW(Widen(name).c_str());
}

void Win32HotkeyPort::DeleteGlobalAtom(std::uint16_t atom) {
    GlobalDeleteAtom(atom);
}

bool Win32HotkeyPort::RegisterHotkey(std::int32_t id, std::uint32_t modifiers,
                                     std::uint32_t keyCode) {
    return RegisterHotKey(window_, id, modifiers, keyCode) != FALSE;
}

void Win32HotkeyPort::UnregisterHotkey(std::int32_t id) {
    UnregisterHotKey(window_, id);
}

}  // namespace tessarin::win32
