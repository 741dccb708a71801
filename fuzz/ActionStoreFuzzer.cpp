// LoadRegActions and SaveRegActions on a settings store built from the input, one value a line:
//   A<key>=<value>    a value in the "Actions" section
//   J<key>=<value>    a value in the journal section
// Any other line is ignored.
//
// Invariant: whatever the store held, load, save, load gives back exactly the list of the first
// load (every row, in order, every stored field), and the save leaves no journal behind.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "model/ActionStore.h"
#include "model/MemorySettingsStore.h"

namespace {

using namespace tessarin;

auto Load(SettingsStore& store) {
    ActionList list;
    LoadRegActions(store, list);
    std::vector<std::tuple<std::string, std::string, std::string, std::int32_t>> rows;
    for (const ActionRecord& r : list) {
        rows.emplace_back(r.ActionType, r.Hotkey, r.Data, r.ActionIndex);
    }
    return std::pair(list, rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySettingsStore store;
    std::string_view text = fuzz::AsText(data, size);
    for (std::size_t end = 0; end != std::string_view::npos; text.remove_prefix(end + 1)) {
        end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && (line[0] == 'A' || line[0] == 'J')) {
            store.SaveSetting(line[0] == 'A' ? kActionsSection : kActionsJournalSection,
                              std::string(line.substr(1, equals - 1)),
                              std::string(line.substr(equals + 1)));
        }
    }
    const auto [list, rows] = Load(store);
    SaveRegActions(store, list);
    FUZZ_CHECK(store.AllSections().count(kActionsJournalSection) == 0);
    FUZZ_CHECK(Load(store).second == rows);
    return 0;
}
