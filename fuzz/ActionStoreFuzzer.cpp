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
//    either the list before the save or the saved list, never a mix or less.

#include <cstddef>
#include <cstdint>
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

using Row = std::tuple<std::string, std::string, std::string, std::int32_t>;

std::vector<Row> Rows(const ActionList& list) {
    std::vector<Row> rows;
    for (const ActionRecord& record : list) {
        rows.emplace_back(record.ActionType, record.Hotkey, record.Data, record.ActionIndex);
    }
    return rows;
}

// What a load gives after a complete save of the list.
std::vector<Row> ExpectedAfterSave(const ActionList& list) {
    std::vector<Row> rows;
    for (const ActionRecord& record : list) {
        if (rows.size() == kMaxStoredActions) {
            break;
        }
        if (record.ActionType == "null") {
            continue;  // the end marker cannot be stored as a type; the save leaves such rows out
        }
        rows.emplace_back(record.ActionType, record.Hotkey, record.Data, record.ActionIndex);
    }
    return rows;
}

std::vector<Row> Load(SettingsStore& store) {
    ActionList list;
    LoadRegActions(store, list);
    return Rows(list);
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[i + 1]) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '0':
                out += '\0';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                continue;
        }
        ++i;
    }
    return out;
}

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

struct Input {
    MemorySettingsStore Store;
    std::vector<ActionRecord> ExtraRows;
    std::optional<fakes::FaultyStore::Fault> Fault;
    std::size_t FaultAt = 0;
};

Input Decode(std::string_view text) {
    Input input;
    for (const std::string_view line : SplitOn(text, '\n')) {
        if (line.empty()) {
            continue;
        }
        const std::string_view rest = line.substr(1);
        switch (line[0]) {
            case 'A':
            case 'J': {
                const std::size_t equals = rest.find('=');
                if (equals == std::string_view::npos) {
                    break;
                }
                input.Store.SaveSetting(line[0] == 'A' ? kActionsSection : kActionsJournalSection,
                                        Unescape(rest.substr(0, equals)),
                                        Unescape(rest.substr(equals + 1)));
                break;
            }
            case 'L': {
                const std::vector<std::string_view> fields = SplitOn(rest, '\t');
                ActionRecord record;
                record.ActionType = Unescape(fields[0]);
                record.Hotkey = fields.size() > 1 ? Unescape(fields[1]) : "";
                record.Data = fields.size() > 2 ? Unescape(fields[2]) : "";
                record.ActionIndex =
                    fields.size() > 3 ? ParseStoredInteger(fields[3]).value_or(2) : 2;
                input.ExtraRows.push_back(std::move(record));
                break;
            }
            case 'S':
            case 'W': {
                std::size_t at = 0;
                for (const char c : rest) {
                    if (c < '0' || c > '9') {
                        break;
                    }
                    at = (at * 10 + static_cast<std::size_t>(c - '0')) % 4096;
                }
                input.Fault = line[0] == 'S' ? fakes::FaultyStore::Fault::Stop
                                             : fakes::FaultyStore::Fault::FailSilently;
                input.FaultAt = at;
                break;
            }
            default:
                break;
        }
    }
    return input;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input = Decode(fuzz::AsText(data, size));
    MemorySettingsStore& store = input.Store;

    // 1. Load, save, load.
    ActionList first;
    LoadRegActions(store, first);
    FUZZ_CHECK(first.Count() <= kMaxStoredActions);
    for (const ActionRecord& record : first) {
        FUZZ_CHECK(record.ActionType != "null");
    }
    SaveRegActions(store, first);
    FUZZ_CHECK(store.AllSections().count(kActionsJournalSection) == 0);
    FUZZ_CHECK(Load(store) == Rows(first));

    // 2. Any list, saved and loaded.
    ActionList second = first;
    for (const ActionRecord& record : input.ExtraRows) {
        second.Add(record);
    }
    const std::vector<Row> before = Rows(first);
    const std::vector<Row> after = ExpectedAfterSave(second);
    if (second.Count() <= kMaxStoredActions) {
        bool anyNull = false;
        for (const ActionRecord& record : second) {
            anyNull = anyNull || record.ActionType == "null";
        }
        if (!anyNull) {
            FUZZ_CHECK(after == Rows(second));
        }
    }
    MemorySettingsStore interrupted = store;
    SaveRegActions(store, second);
    FUZZ_CHECK(store.AllSections().count(kActionsJournalSection) == 0);
    FUZZ_CHECK(Load(store) == after);

    // 3. The same save cut short, then a load. A save's changes are the journal, the clearing
    // of 200 positions, the copy into "Actions" and the journal's removal; the fault's number
    // counts from the first change and also from the last, so short numbers reach both ends.
    if (input.Fault) {
        MemorySettingsStore probe = interrupted;
        fakes::FaultyStore counter(probe, SIZE_MAX, fakes::FaultyStore::Fault::Stop);
        SaveRegActions(counter, second);
        const std::size_t changes = counter.Changes();
        const std::size_t fromEnd = input.FaultAt < changes ? changes - 1 - input.FaultAt : 0;
        for (const std::size_t at : {input.FaultAt, fromEnd}) {
            MemorySettingsStore cut = interrupted;
            fakes::FaultyStore faulty(cut, at, *input.Fault);
            try {
                SaveRegActions(faulty, second);
            } catch (const fakes::FaultyStore::Stopped&) {
            }
            const std::vector<Row> recovered = Load(cut);
            FUZZ_CHECK(recovered == before || recovered == after);
            // Whatever the load found, the next save and load keep it.
            ActionList kept;
            LoadRegActions(cut, kept);
            SaveRegActions(cut, kept);
            FUZZ_CHECK(Load(cut) == recovered);
        }
    }
    return 0;
}
