#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessarin {

// What an entry knows about its hotkey registration. It lives in the row, so it moves with the
// row when rows above it are deleted.
struct HeldRegistration {
    bool Held = false;      // an atom was added and the system was asked for the combination
    bool Accepted = false;  // the system took the combination (false: another owner has it)
};

// One row of the action list: the action caption, the hotkey text, the data string, the
// catalogue position the action was made from, and (never stored) the hotkey id in the tag.
struct ActionRecord {
    std::string ActionType;
    std::string Hotkey;
    std::string Data;
    std::int32_t ActionIndex = 2;
    std::int32_t Tag = 0;  // id of the latest registration, live or released; 0 for none
    HeldRegistration Registration;
};

// The main window's list of actions. Positions are 1-based, as the store's key numbers and the
// hotkey atoms are.
class ActionList {
  public:
    std::size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }

    ActionRecord& At(std::size_t position) { return rows_.at(position - 1); }
    const ActionRecord& At(std::size_t position) const { return rows_.at(position - 1); }

    // Appends a row and returns its position.
    std::size_t Add(ActionRecord record);
    // Inserts before the given position (Count() + 1 appends) and returns the new row's position.
    std::size_t Insert(std::size_t position, ActionRecord record);
    void Remove(std::size_t position);
    void Clear() { rows_.clear(); }

    auto begin() { return rows_.begin(); }
    auto end() { return rows_.end(); }
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }

  private:
    std::vector<ActionRecord> rows_;
};

}  // namespace tessarin
