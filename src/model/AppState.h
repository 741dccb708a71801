#pragma once

#include <cstdint>
#include <string>

namespace tessarin {

// The program-wide values that several windows and modules share. The app owns the one instance
// and hands it to whoever needs it.
struct AppState {
    // True after all hotkeys were registered over a non-empty list, false after they were all
    // released; it captions the two "Disable/Enable All Hotkeys" items.
    bool HotkeysEnabled = false;
    // Whether the monitor is believed to be on; only the monitor action on the non-NT platform,
    // which cannot ask the system, keeps it.
    bool bMonitorOn = true;

    // Handed between the executor and the two prompts: the engine a search prompt asks for, the
    // encoded query it answers with (emptied after each search), and the last e-mail receiver.
    std::string sSearchEngine;
    std::string sSearchQuery;
    std::string sEmailReceiver;

    // The hotkey capture dialog's answer: empty (nothing to change), "#DEL#" or a combination.
    // Emptied at every "Edit Hotkey" click, so an answer is never applied twice.
    std::string CapturedHotkey;

    // Handed between the main window and the action editor. The main window sets the row being
    // edited (all three empty when adding); the editor answers with the accepted action, where an
    // empty EditActionType means there is nothing to apply. EditIndex is only a hint: the node
    // positions move with the CD-ROM drives present, so the editor finds the node by EditCaption.
    std::string EditData;
    std::string EditIndex;
    std::string EditCaption;
    std::string EditActionType;
    std::string EditCommand;
    std::string EditParameters;
    std::int32_t EditActionIndex = 0;
};

}  // namespace tessarin
