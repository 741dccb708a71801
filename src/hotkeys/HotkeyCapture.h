#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "hotkeys/Hotkeys.h"
#include "model/ActionRecord.h"
#include "model/AppState.h"
#include "platform/CodePage.h"
#include "platform/SettingsStore.h"

namespace tessarin {

// The capture dialog's answer for "remove the entry's hotkey"; never a hotkey text.
inline constexpr std::string_view kDeleteHotkeyAnswer = "#DEL#";

// What one key-down did to the capture.
enum class CaptureKey {
    Ignored,    // the key goes no further and the text stays as it was
    Building,   // a modifier: the text shows the words held so far
    Accepted,   // a complete combination: the dialog closes with it as its answer
    Cancelled,  // Escape on its own: the dialog closes as "Cancel" does
};

// The hotkey capture dialog without its window: the text field's content and the answer. A
// new capture starts empty, as each opening of the dialog does. Characters never reach the
// field, so there is no key-press step; the window simply discards them.
class HotkeyCapture {
  public:
    explicit HotkeyCapture(const CodePage& codePage) : codePage_(codePage) {}

    // Key-down in the field, with the key's virtual-key code. The shift state that comes with
    // the event is deliberately not an input: the words come only from the modifier keys.
    CaptureKey KeyDown(std::uint32_t keyCode);
    // Releasing any key starts over: the user holds the modifiers while pressing the last key.
    void KeyUp();
    // "Delete Hotkey".
    void DeleteHotkey();
    // "Cancel", the close box and every other way out.
    void Cancel();

    // The field's content.
    const std::string& Text() const { return text_; }
    bool Finished() const { return finished_; }
    // `CapturedHotkey` once finished: empty, kDeleteHotkeyAnswer or a combination.
    const std::string& Answer() const { return answer_; }

  private:
    void Finish(std::string answer);

    const CodePage& codePage_;
    std::string text_;
    std::string answer_;
    bool finished_ = false;
};

// The main window's "Edit Hotkey" once the dialog has answered (`capturedHotkey`) for the row at
// the 1-based `selected` position, or without a selection. The row takes the combination or loses
// its hotkey; then, whatever the answer, the list is saved and every hotkey registered anew, which
// also turns hotkeys on again after "Disable All Hotkeys".
void ApplyCapturedHotkey(ActionList& listView1, std::optional<std::size_t> selected,
                         std::string_view capturedHotkey, Hotkeys& hotkeys, SettingsStore& store,
                         const CodePage& codePage);

// The whole "Edit Hotkey" click: the dialog is shown (through `showHotKeyDialog`, which returns
// its answer) only when a row is selected, its answer is kept in `state.CapturedHotkey`, and
// ApplyCapturedHotkey follows.
void CmdEditHotkey(AppState& state, ActionList& listView1, std::optional<std::size_t> selected,
                   const std::function<std::string()>& showHotKeyDialog, Hotkeys& hotkeys,
                   SettingsStore& store, const CodePage& codePage);

}  // namespace tessarin
