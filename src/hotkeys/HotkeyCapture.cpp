#include "hotkeys/HotkeyCapture.h"

#include <utility>

#include "hotkeys/HotkeyNotation.h"
#include "model/ActionStore.h"

namespace tessarin {

namespace {

constexpr std::uint32_t kVkEscape = 0x1B;

}  // namespace

CaptureKey HotkeyCapture::KeyDown(std::uint32_t keyCode) {
    if (finished_) {
        return CaptureKey::Ignored;
    }
    HotkeyTextStep step = AddKeyToHotkeyText(text_, keyCode, codePage_);
    if (step.Ignored) {
        // With no modifier held Escape cannot be part of a combination, so it is free to be
        // the keyboard's way out, which the field otherwise would swallow.
        if (keyCode == kVkEscape) {
            Cancel();
            return CaptureKey::Cancelled;
        }
        return CaptureKey::Ignored;
    }
    if (!step.Complete) {
        text_ = std::move(step.Text);
        return CaptureKey::Building;
    }
    // The space bar and the key named "+" give texts that parse to no key at all; accepting them
    // would close the dialog and change nothing. Waiting for a usable key instead tells the user.
    const auto parsed = ParseHotkeyText(step.Text, codePage_);
    if (!parsed || parsed->KeyCode != keyCode) {
        return CaptureKey::Ignored;
    }
    text_ = std::move(step.Text);
    Finish(text_);
    return CaptureKey::Accepted;
}

void HotkeyCapture::KeyUp() {
    if (!finished_) {
        text_.clear();
    }
}

void HotkeyCapture::DeleteHotkey() {
    if (!finished_) {
        Finish(std::string(kDeleteHotkeyAnswer));
    }
}

void HotkeyCapture::Cancel() {
    if (!finished_) {
        Finish({});
    }
}

void HotkeyCapture::Finish(std::string answer) {
    answer_ = std::move(answer);
    finished_ = true;
}

void ApplyCapturedHotkey(ActionList& listView1, std::optional<std::size_t> selected,
                         std::string_view capturedHotkey, Hotkeys& hotkeys, SettingsStore& store,
                         const CodePage& codePage) {
    const bool rowSelected = selected && *selected >= 1 && *selected <= listView1.Count();
    if (rowSelected && !capturedHotkey.empty()) {
        ActionRecord& entry = listView1.At(*selected);
        if (capturedHotkey == kDeleteHotkeyAnswer) {
            if (entry.Tag != 0) {
                hotkeys.UnregisterOneHotKey(entry);
                entry.Tag = 0;
            }
            // Also when the text never registered (a damaged "null", a key with no code, a full
            // atom table): otherwise "Delete Hotkey" could not remove it, and the re-registration
            // below would bring back a hotkey the user has just deleted.
            entry.Hotkey.clear();
        } else if (const auto parsed = ParseHotkeyText(capturedHotkey, codePage)) {
            if (entry.Tag != 0) {
                hotkeys.UnregisterOneHotKey(entry);
            }
            entry.Tag = hotkeys.RegisterOneHotKey(*selected, parsed->Modifiers, parsed->KeyCode);
            entry.Hotkey = std::string(capturedHotkey);
        }
    }
    SaveRegActions(store, listView1);
    hotkeys.UnregisterAllHotKeys();
    hotkeys.RegisterAllHotKeys();
}

void CmdEditHotkey(AppState& state, ActionList& listView1, std::optional<std::size_t> selected,
                   const std::function<std::string()>& showHotKeyDialog, Hotkeys& hotkeys,
                   SettingsStore& store, const CodePage& codePage) {
    state.CapturedHotkey.clear();
    const bool rowSelected = selected && *selected >= 1 && *selected <= listView1.Count();
    if (rowSelected && showHotKeyDialog) {
        state.CapturedHotkey = showHotKeyDialog();
    }
    ApplyCapturedHotkey(listView1, rowSelected ? selected : std::nullopt, state.CapturedHotkey,
                        hotkeys, store, codePage);
}

}  // namespace tessarin
