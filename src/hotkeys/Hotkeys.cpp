#include "hotkeys/Hotkeys.h"

#include "hotkeys/HotkeyNotation.h"

namespace tessarin {

void Hotkeys::RegisterAllHotKeys() {
    if (ListView1.Empty()) {
        return;
    }
    for (std::size_t n = 1; n <= ListView1.Count(); ++n) {
        const std::string& text = ListView1.At(n).Hotkey;
        if (text.empty()) {
            continue;
        }
        const auto parsed = ParseHotkeyText(text, codePage_);
        if (!parsed) {
            // Left unregistered and untagged; the row still runs from the popup menu.
            continue;
        }
        ListView1.At(n).Tag = RegisterOneHotKey(n, parsed->Modifiers, parsed->KeyCode);
    }
    state_.HotkeysEnabled = true;
}

void Hotkeys::UnregisterAllHotKeys() {
    if (ListView1.Empty()) {
        return;
    }
    for (ActionRecord& entry : ListView1) {
        if (entry.Tag != 0) {
            UnregisterOneHotKey(entry);
        }
    }
    state_.HotkeysEnabled = false;
}

std::int32_t Hotkeys::RegisterOneHotKey(std::size_t position, std::uint32_t modifiers,
                                        std::uint32_t keyCode) {
    const std::uint16_t atom = port_.AddGlobalAtom(kHotkeyAtomPrefix + std::to_string(position));
    ActionRecord& entry = ListView1.At(position);
    if (atom == 0) {
        // With no atom there is no id that a hotkey message could be matched against, so a
        // registration would only take the combination away from everyone else.
        entry.Registration = {};
        return 0;
    }
    const std::int32_t id = HotkeyIdFromAtom(atom);
    const bool accepted = port_.RegisterHotkey(id, modifiers, keyCode);
    entry.Registration = {true, accepted};
    return id;
}

void Hotkeys::UnregisterOneHotKey(ActionRecord& entry) {
    if (!entry.Registration.Held) {
        return;
    }
    port_.UnregisterHotkey(entry.Tag);
    port_.DeleteGlobalAtom(AtomFromHotkeyId(entry.Tag));
    entry.Registration = {};
}

void Hotkeys::DoHotkey(std::int32_t lAtomID) {
    if (lAtomID == 0) {
        return;
    }
    // Index by position: an action may run a nested message loop (a prompt) in which another
    // hotkey edits or deletes rows, so no iterator may be held across the call.
    for (std::size_t n = 1; n <= ListView1.Count(); ++n) {
        const ActionRecord& entry = ListView1.At(n);
        if (entry.Tag == lAtomID) {
            const std::string caption = entry.ActionType;
            const std::string data = entry.Data;
            executor_.ExecuteAction(caption, data);
        }
    }
}

void Hotkeys::ToggleHotkeys() {
    if (state_.HotkeysEnabled) {
        UnregisterAllHotKeys();
    } else {
        RegisterAllHotKeys();
    }
}

const char* Hotkeys::ToggleCaption() const {
    return state_.HotkeysEnabled ? kDisableAllHotkeys : kEnableAllHotkeys;
}

}  // namespace tessarin
