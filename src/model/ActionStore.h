#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/ActionRecord.h"
#include "platform/SettingsStore.h"

namespace tessarin {

inline constexpr const char* kActionsSection = "Actions";
// Positions beyond this are never read back.
inline constexpr std::size_t kMaxStoredActions = 200;

// Appends the stored actions to the list, up to the first position whose ActionType is "null".
void LoadRegActions(const SettingsStore& store, ActionList& listView1);

// A stored number as a 32-bit integer: optional blanks and sign, decimal digits, an optional
// fraction rounded half to even. None for anything else or a value out of range.
std::optional<std::int32_t> ParseStoredInteger(std::string_view text);

}  // namespace tessarin
