#pragma once

#include <string>

#include "model/ActionRecord.h"
#include "platform/CodePage.h"
#include "platform/KeyboardLayout.h"

namespace tessarin {

// What the row's hotkey takes away from the keyboard: on layouts where AltGr is Ctrl+Alt, a
// hotkey on Ctrl+Alt (+Shift) + key swallows the character that AltGr (+Shift) + key types, in
// every program. The tip that says so, or empty when the row takes nothing: no such hotkey, a
// key that types nothing with AltGr on this layout, or a combination the system refused, which
// leaves the key to its other owner.
std::string AltGrTip(const ActionRecord& row, const KeyboardLayout& layout,
                     const CodePage& codePage);

}  // namespace tessarin
