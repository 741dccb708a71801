#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/ActionRecord.h"
#include "platform/SettingsStore.h"

namespace tessarin {

inline constexpr const char* kActionsSection = "Actions";
// A save first writes the new list here and marks it complete; only then is "Actions" replaced.
// A stop at any moment therefore leaves either the old list or a complete copy of the new one.
inline constexpr const char* kActionsJournalSection = "Actions Journal";
// Positions beyond this are never read back.
inline constexpr std::size_t kMaxStoredActions = 200;

// Appends the stored actions to the list, up to the first position whose ActionType is "null".
// A save that was cut short is finished (or dropped, when its copy was incomplete) first.
void LoadRegActions(SettingsStore& store, ActionList& listView1);

// Replaces the "Actions" section with the list: positions 1 to the list's length, every stored
// position up to 200 beyond that removed. A row whose type is the end marker "null" is left out
// rather than hide the rows after it from the next load.
void SaveRegActions(SettingsStore& store, const ActionList& listView1);

// Finishes or drops a save that was cut short. Both load and save call it; it is public so a
// tool that reads the store can do the same.
void RecoverActionsJournal(SettingsStore& store);

// A stored number: optional blanks and sign, decimal digits, an optional fraction. None for
// anything else.
std::optional<double> ParseStoredNumber(std::string_view text);

// A stored number as a 32-bit integer: optional blanks and sign, decimal digits, an optional
// fraction rounded half to even. None for anything else or a value out of range.
std::optional<std::int32_t> ParseStoredInteger(std::string_view text);

}  // namespace tessarin
