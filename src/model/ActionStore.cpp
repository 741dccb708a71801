#include "model/ActionStore.h"

#include <cmath>
#include <limits>
#include <string>

namespace tessarin {

void LoadRegActions(const SettingsStore& store, ActionList& listView1) {
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

std::optional<std::int32_t> ParseStoredInteger(std::string_view text) {
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
    double value = whole + fraction;
    value = std::nearbyint(negative ? -value : value);  // the default mode rounds half to even
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace tessarin
