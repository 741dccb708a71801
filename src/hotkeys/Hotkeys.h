#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "actions/ActionExecutor.h"
#include "model/ActionRecord.h"
#include "model/AppState.h"
#include "platform/CodePage.h"
#include "platform/HotkeyPort.h"

namespace tessarin {

// The name whose global atom, followed by the row position, identifies a registered hotkey.
inline constexpr const char* kHotkeyAtomPrefix = "TessarinAtom";

inline constexpr const char* kEnableAllHotkeys = "Enable All Hotkeys";
inline constexpr const char* kDisableAllHotkeys = "Disable All Hotkeys";

// Ties the rows of the action list to system-wide hotkeys and turns a fired hotkey back into the
// rows that own it. The list stays the main window's; this only reads and tags its rows.
class Hotkeys {
  public:
    Hotkeys(ActionList& listView1, HotkeyPort& port, ActionExecutor& executor,
            const CodePage& codePage, AppState& state)
        : ListView1(listView1),
          port_(port),
          executor_(executor),
          codePage_(codePage),
          state_(state) {}

    // Registers every row whose hotkey text names a combination and tags it with its id. The
    // callers make sure nothing is registered when this runs.
    void RegisterAllHotKeys();
    // Releases every row's registration; the tags keep their ids.
    void UnregisterAllHotKeys();
    // Registers the combination under the id for a 1-based position and returns the id (0 when
    // the atom table is full: then nothing is registered).
    std::int32_t RegisterOneHotKey(std::size_t position, std::uint32_t modifiers,
                                   std::uint32_t keyCode);
    // Releases the row's hotkey and atom, once, however often it is called.
    void UnregisterOneHotKey(ActionRecord& entry);

    // Runs every row whose tag is the id that fired, in list order.
    void DoHotkey(std::int32_t lAtomID);

    // "Disable All Hotkeys" / "Enable All Hotkeys".
    void ToggleHotkeys();
    // The toggle items' caption for the current state, set when their menu opens.
    const char* ToggleCaption() const;

  private:
    ActionList& ListView1;
    HotkeyPort& port_;
    ActionExecutor& executor_;
    const CodePage& codePage_;
    AppState& state_;
};

// The id a global atom stands for: the 16-bit atom read as signed and widened, so the atoms of
// names (0xC000 to 0xFFFF) become -16384 to -1.
constexpr std::int32_t HotkeyIdFromAtom(std::uint16_t atom) {
    return static_cast<std::int32_t>(static_cast<std::int16_t>(atom));
}

constexpr std::uint16_t AtomFromHotkeyId(std::int32_t id) {
    return static_cast<std::uint16_t>(id & 0xFFFF);
}

}  // namespace tessarin
