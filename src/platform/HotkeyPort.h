#pragma once

#include <cstdint>
#include <string>

namespace tessarin {

// Modifier flags as the system's hotkey service takes them.
inline constexpr std::uint32_t kModAlt = 1;
inline constexpr std::uint32_t kModControl = 2;
inline constexpr std::uint32_t kModShift = 4;
inline constexpr std::uint32_t kModWin = 8;

// Global atoms and system-wide hotkeys, bound to the window that receives the hotkey messages.
class HotkeyPort {
  public:
    virtual ~HotkeyPort() = default;
    // Adds the name to the global atom table (or raises the use count of an existing one) and
    // returns its atom, 0 when the table cannot supply one.
    virtual std::uint16_t AddGlobalAtom(const std::string& name) = 0;
    virtual void DeleteGlobalAtom(std::uint16_t atom) = 0;
    // False when the system refuses the combination (another owner holds it).
    virtual bool RegisterHotkey(std::int32_t id, std::uint32_t modifiers,
                                std::uint32_t keyCode) = 0;
    virtual void UnregisterHotkey(std::int32_t id) = 0;
};

}  // namespace tessarin
