// The action store (LoadRegActions, SaveRegActions and the save journal) on a settings store
// built from the input. The input is lines:
//   A<key>=<value>    a value in the "Actions" section
//   J<key>=<value>    a value in the journal section
//   L<type>\t<hotkey>\t<data>\t<index>    a row added to the list before the second save
//   S<n> / W<n>       the second save, tried again, is stopped dead (S) or sees every change
//                     fail (W) from its n-th change on, counted from the first and from the last
// In keys, values and rows, "\n", "\t", "\0" and "\\" stand for a line break, a tab, a NUL and
// a backslash; any other line is ignored.
//
// Invariants:
// 1. Load, save, load: the second load gives back exactly the list of the first (every row, in
//    order, every stored field), and the save leaves no journal behind.
// 2. Saving any list and loading it gives back the list (rows beyond 200 are not read back, a
//    row typed "null" is left out).
// 3. A save stopped at a change, or whose changes start failing there, followed by a load, gives
//    either the list before the save or the saved list, never a mix or less; the next save and
//    load keep whatever that load found.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "FaultyStore.h"
#include "FuzzSupport.h"
#include "model/ActionStore.h"
#include "model/MemorySettingsStore.h"

namespace {

using namespace tessarin;
using Rows = std::vector<std::tuple<std::string, std::string, std::string, std::int32_t>>;
using fakes::FaultyStore;

// Every row, or (saved) what a load gives after a complete save of the list.
Rows RowsOf(const ActionList& list, bool saved = false) {
    Rows rows;
    for (const ActionRecord& r : list) {
        if (saved && (rows.size() == kMaxStoredActions || r.ActionType == "null")) {
            continue;
        }
        rows.emplace_back(r.ActionType, r.Hotkey, r.Data, r.ActionIndex);
    }
    return rows;
}

Rows Load(SettingsStore& store) {
    ActionList list;
    LoadRegActions(store, list);
    return RowsOf(list);
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t escape = text[i] == '\\' && i + 1 < text.size()
                                       ? std::string_view("nt0\\").find(text[i + 1])
                                       : std::string_view::npos;
        out += escape == std::string_view::npos ? text[i] : "\n\t\0\\"[escape];
        i += escape == std::string_view::npos ? 0 : 1;
    }
    return out;
}

std::vector<std::string> SplitOn(std::string_view text, char separator, bool unescape) {
    std::vector<std::string> parts;
    for (std::size_t at = 0; at != std::string_view::npos; text.remove_prefix(at + 1)) {
        at = text.find(separator);
        parts.push_back(unescape ? Unescape(text.substr(0, at)) : std::string(text.substr(0, at)));
        if (at == std::string_view::npos) {
            break;
        }
    }
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySettingsStore store;
    std::vector<ActionRecord> added;
    std::optional<FaultyStore::Fault> fault;
    std::size_t faultAt = 0;
    for (const std::string& line : SplitOn(fuzz::AsText(data, size), '\n', false)) {
        const std::size_t equals = line.find('=');
        if ((line[0] == 'A' || line[0] == 'J') && equals != std::string::npos) {
            store.SaveSetting(line[0] == 'A' ? kActionsSection : kActionsJournalSection,
                              Unescape(line.substr(1, equals - 1)),
                              Unescape(line.substr(equals + 1)));
        } else if (line[0] == 'L') {
            std::vector<std::string> fields = SplitOn(line.substr(1), '\t', true);
            fields.resize(std::max<std::size_t>(fields.size(), 4));
            ActionRecord& row = added.emplace_back();
            row.ActionType = fields[0];
            row.Hotkey = fields[1];
            row.Data = fields[2];
            row.ActionIndex = ParseStoredInteger(fields[3]).value_or(2);
        } else if (line[0] == 'S' || line[0] == 'W') {
            fault = line[0] == 'S' ? FaultyStore::Fault::Stop : FaultyStore::Fault::FailSilently;
            faultAt = std::strtoul(line.c_str() + 1, nullptr, 10) % 4096;
        }
    }

    // 1. Load, save, load.
    ActionList first;
    LoadRegActions(store, first);
    FUZZ_CHECK(RowsOf(first, true) == RowsOf(first));
    SaveRegActions(store, first);
    FUZZ_CHECK(store.AllSections().count(kActionsJournalSection) == 0);
    FUZZ_CHECK(Load(store) == RowsOf(first));

    // 2. Any list, saved and loaded.
    const Rows old = RowsOf(first);
    const MemorySettingsStore before = store;
    for (const ActionRecord& record : added) {
        first.Add(record);
    }
    SaveRegActions(store, first);
    FUZZ_CHECK(store.AllSections().count(kActionsJournalSection) == 0);
    FUZZ_CHECK(Load(store) == RowsOf(first, true));

    // 3. The same save cut short, then a load. The fault's number counts from the first change
    // and also from the last, so short numbers reach both ends of the save.
    if (fault) {
        MemorySettingsStore probe = before;
        FaultyStore counter(probe, SIZE_MAX, FaultyStore::Fault::Stop);
        SaveRegActions(counter, first);
        const std::size_t changes = counter.Changes();
        for (const std::size_t at : {faultAt, faultAt < changes ? changes - 1 - faultAt : 0}) {
            MemorySettingsStore cut = before;
            FaultyStore faulty(cut, at, *fault);
            try {
                SaveRegActions(faulty, first);
            } catch (const FaultyStore::Stopped&) {
            }
            const Rows recovered = Load(cut);
            FUZZ_CHECK(recovered == old || recovered == RowsOf(first, true));
            ActionList kept;
            LoadRegActions(cut, kept);
            SaveRegActions(cut, kept);
            FUZZ_CHECK(Load(cut) == recovered);
        }
    }
    return 0;
}
