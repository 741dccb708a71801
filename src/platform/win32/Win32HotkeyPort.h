#pragma once

#include <windows.h>

#include "platform/HotkeyPort.h"

namespace tessarin::win32 {

// Global atoms and RegisterHotKey for one window, which receives the WM_HOTKEY messages.
class Win32HotkeyPort : public HotkeyPort {
  public:
    explicit Win32HotkeyPort(HWND window) : window_(window) {}

    std::uint16_t AddGlobalAtom(const std::string& name) override;
    void DeleteGlobalAtom(std::uint16_t atom) override;
    bool RegisterHotkey(std::int32_t id, std::uint32_t modifiers, std::uint32_t keyCode) override;
    void UnregisterHotkey(std::int32_t id) override;

  private:
    HWND window_;
};

}  // namespace tessarin::win32
