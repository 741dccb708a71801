#include "model/ActionStore.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tessarin {
namespace {

constexpr const char* kJournalCount = "Count";
constexpr const char* kJournalComplete = "Complete";
constexpr const char* kJournalCompleteMark = "True";
// The value that ends a load where a type is expected.
constexpr const char* kEndMarker = "null";

// One stored position as it stands: a key that is absent is none, whatever text others hold.
struct StoredAction {
    std::optional<std::string> ActionType;
    std::optional<std::string> Hotkey;
    std::optional<std::string> Data;
    std::optional<std::string> ActionIndex;

    friend bool operator==(const StoredAction&, const StoredAction&) = default;
};

// A row typed "null" would end the next load there and take every row below it along; as it
// names no action it is left out, so the rows below it keep their place in the list.
std::vector<StoredAction> ToStored(const ActionList& list) {
    std::vector<StoredAction> stored;
    stored.reserve(list.Count());
    for (const ActionRecord& row : list) {
        if (row.ActionType == kEndMarker) {
            continue;
        }
        stored.push_back({row.ActionType, row.Hotkey, row.Data, std::to_string(row.ActionIndex)});
    }
    return stored;
}

// The store reports an absent key only through the caller's default, and any text can be
// stored, so one default cannot tell them apart: a key is absent when it reads as each of two
// different defaults.
std::optional<std::string> ReadValue(const SettingsStore& store, const char* section,
                                     const std::string& key) {
    std::string value = store.GetSetting(section, key, "\x01");
    if (value != "\x01") {
        return value;
    }
    value = store.GetSetting(section, key, "\x02");
    if (value == "\x02") {
        return std::nullopt;
    }
    return value;
}

void WriteValue(SettingsStore& store, const char* section, const std::string& key,
                const std::optional<std::string>& value) {
    if (value) {
        store.SaveSetting(section, key, *value);
    } else {
        store.DeleteSetting(section, key);
    }
}

void WriteEntry(SettingsStore& store, const char* section, std::size_t n,
                const StoredAction& action) {
    const std::string number = std::to_string(n);
    WriteValue(store, section, "ActionType" + number, action.ActionType);
    WriteValue(store, section, "Hotkey" + number, action.Hotkey);
    WriteValue(store, section, "Data" + number, action.Data);
    WriteValue(store, section, "ActionIndex" + number, action.ActionIndex);
}

StoredAction ReadEntry(const SettingsStore& store, const char* section, std::size_t n) {
    const std::string number = std::to_string(n);
    return {ReadValue(store, section, "ActionType" + number),
            ReadValue(store, section, "Hotkey" + number),
            ReadValue(store, section, "Data" + number),
            ReadValue(store, section, "ActionIndex" + number)};
}

// The section as it must stand after a save of these actions.
bool SectionHolds(const SettingsStore& store, const char* section,
                  const std::vector<StoredAction>& actions, std::size_t clearedUpTo) {
    for (std::size_t n = 1; n <= actions.size(); ++n) {
        if (!(ReadEntry(store, section, n) == actions[n - 1])) {
            return false;
        }
    }
    const StoredAction absent;
    for (std::size_t n = actions.size() + 1; n <= clearedUpTo; ++n) {
        if (!(ReadEntry(store, section, n) == absent)) {
            return false;
        }
    }
    return true;
}

// The store's own layout: every position up to 200 removed, then the list written from 1.
void ReplaceActionsSection(SettingsStore& store, const std::vector<StoredAction>& actions) {
    for (std::size_t n = 1; n <= kMaxStoredActions; ++n) {
        const std::string number = std::to_string(n);
        store.DeleteSetting(kActionsSection, "ActionType" + number);
        store.DeleteSetting(kActionsSection, "Hotkey" + number);
        store.DeleteSetting(kActionsSection, "Data" + number);
        store.DeleteSetting(kActionsSection, "ActionIndex" + number);
    }
    for (std::size_t n = 1; n <= actions.size(); ++n) {
        WriteEntry(store, kActionsSection, n, actions[n - 1]);
    }
}

void DropJournal(SettingsStore& store) {
    // The mark goes first: whatever stops the removal leaves a journal that reads as incomplete.
    store.DeleteSetting(kActionsJournalSection, kJournalComplete);
    store.DeleteSection(kActionsJournalSection);
}

// Puts the journal's list into "Actions"; the journal stays until "Actions" is seen to hold it,
// so a store that failed a write gets another chance at the next load.
void ApplyJournal(SettingsStore& store, const std::vector<StoredAction>& actions) {
    ReplaceActionsSection(store, actions);
    if (SectionHolds(store, kActionsSection, actions, kMaxStoredActions)) {
        DropJournal(store);
    }
}

}  // namespace

void RecoverActionsJournal(SettingsStore& store) {
    const std::string complete = store.GetSetting(kActionsJournalSection, kJournalComplete, "");
    const std::string countText = store.GetSetting(kActionsJournalSection, kJournalCount, "");
    if (complete != kJournalCompleteMark) {
        // Nothing, or a copy that was never finished: "Actions" still holds the last full save.
        DropJournal(store);
        return;
    }
    const std::optional<std::int32_t> count = ParseStoredInteger(countText);
    if (!count || *count < 0) {
        DropJournal(store);
        return;
    }
    std::vector<StoredAction> actions;
    for (std::size_t n = 1; n <= static_cast<std::size_t>(*count); ++n) {
        actions.push_back(ReadEntry(store, kActionsJournalSection, n));
        if (!actions.back().ActionType) {
            // A journal marked complete that lacks an entry was not written by this program.
            DropJournal(store);
            return;
        }
    }
    ApplyJournal(store, actions);
}

void LoadRegActions(SettingsStore& store, ActionList& listView1) {
    RecoverActionsJournal(store);
    for (std::size_t n = 1; n <= kMaxStoredActions; ++n) {
        const std::string number = std::to_string(n);
        ActionRecord record;
        record.ActionType = store.GetSetting(kActionsSection, "ActionType" + number, "null");
        if (record.ActionType == "null") {
            break;
        }
        record.Hotkey = store.GetSetting(kActionsSection, "Hotkey" + number, "null");
        record.Data = store.GetSetting(kActionsSection, "Data" + number, "null");
        // The program only ever writes numbers here; anything else preselects the first action
        // node, as an absent value does.
        record.ActionIndex =
            ParseStoredInteger(store.GetSetting(kActionsSection, "ActionIndex" + number, "2"))
                .value_or(2);
        listView1.Add(std::move(record));
    }
}

void SaveRegActions(SettingsStore& store, const ActionList& listView1) {
    RecoverActionsJournal(store);
    const std::vector<StoredAction> actions = ToStored(listView1);

    store.SaveSetting(kActionsJournalSection, kJournalCount, std::to_string(actions.size()));
    for (std::size_t n = 1; n <= actions.size(); ++n) {
        WriteEntry(store, kActionsJournalSection, n, actions[n - 1]);
    }
    // A copy the store did not take whole is never marked: "Actions" then stays as it was.
    if (store.GetSetting(kActionsJournalSection, kJournalCount, "") !=
            std::to_string(actions.size()) ||
        !SectionHolds(store, kActionsJournalSection, actions, 0)) {
        DropJournal(store);
        return;
    }
    store.SaveSetting(kActionsJournalSection, kJournalComplete, kJournalCompleteMark);
    if (store.GetSetting(kActionsJournalSection, kJournalComplete, "") != kJournalCompleteMark) {
        DropJournal(store);
        return;
    }
    ApplyJournal(store, actions);
}

std::optional<double> ParseStoredNumber(std::string_view text) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    double whole = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        whole = whole * 10 + (text[i] - '0');
    }
    double fraction = 0;
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
            fraction += (text[i] - '0') * scale;
            scale /= 10;
        }
    }
    skipBlanks();
    if (digits == 0 || i != text.size()) {
        return std::nullopt;
    }
    const double value = whole + fraction;
    return negative ? -value : value;
}

std::optional<std::int32_t> ParseStoredInteger(std::string_view text) {
    const std::optional<double> number = ParseStoredNumber(text);
    if (!number) {
        return std::nullopt;
    }
    const double value = std::nearbyint(*number);  // the default mode rounds half to even
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace tessarin
