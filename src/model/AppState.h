#pragma once

namespace tessarin {

// The program-wide values that several windows and modules share. The app owns the one instance
// and hands it to whoever needs it.
struct AppState {
    // True after all hotkeys were registered over a non-empty list, false after they were all
    // released; it captions the two "Disable/Enable All Hotkeys" items.
    bool HotkeysEnabled = false;
};

}  // namespace tessarin
