// The action store keeps whatever it was given: a save followed by a load gives the list back,
// whatever text its fields hold, and a save cut short leaves the old list or the new one.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "FaultyStore.h"
#include "model/ActionStore.h"
#include "model/MemorySettingsStore.h"

namespace tessarin {
namespace {

using Row = std::tuple<std::string, std::string, std::string, std::int32_t>;
using Rows = std::vector<Row>;

Rows RowsOf(const ActionList& list) {
    Rows rows;
    for (const ActionRecord& record : list) {
        rows.emplace_back(record.ActionType, record.Hotkey, record.Data, record.ActionIndex);
    }
    return rows;
}

Rows Load(SettingsStore& store) {
    ActionList list;
    LoadRegActions(store, list);
    return RowsOf(list);
}

ActionList ListOf(const Rows& rows) {
    ActionList list;
    for (const auto& [type, hotkey, data, index] : rows) {
        ActionRecord record;
        record.ActionType = type;
        record.Hotkey = hotkey;
        record.Data = data;
        record.ActionIndex = index;
        list.Add(record);
    }
    return list;
}

// Texts that look like what the store uses to tell an absent key from a present one, or like
// its end marker in another field.
const std::string kOddTexts[] = {std::string("\x01"), std::string("\x02"), std::string(""),
                                 std::string("null"), std::string("a\0b", 3)};

TEST(StoreRoundTrip, EveryFieldTextComesBack) {
    for (const std::string& text : kOddTexts) {
        const Rows rows = {{text == "null" ? "Mute" : text, text, text, 7}, {"Mute", "", " ", 28}};
        MemorySettingsStore store;
        SaveRegActions(store, ListOf(rows));
        EXPECT_EQ(Load(store), rows) << testing::PrintToString(text);

        // And the list that load gave survives the next save and load.
        ActionList loaded;
        LoadRegActions(store, loaded);
        SaveRegActions(store, loaded);
        EXPECT_EQ(Load(store), rows) << testing::PrintToString(text);
    }
}

// A type of "null" ends every load; such a row names no action and is left out of the save, so
// the rows below it are still there at the next start.
TEST(StoreRoundTrip, ARowTypedNullDoesNotHideTheRowsBelowIt) {
    const ActionList list = ListOf(
        {{"Mute", "CTRL + M", " ", 28}, {"null", "", "", 2}, {"Logoff", "ALT + L", " ", 21}});
    MemorySettingsStore store;
    SaveRegActions(store, list);
    EXPECT_EQ(Load(store), (Rows{{"Mute", "CTRL + M", " ", 28}, {"Logoff", "ALT + L", " ", 21}}));
    EXPECT_EQ(store.GetSetting("Actions", "ActionType3", "absent"), "absent");
}

// A save stopped while it copies its journal into "Actions" is finished by the next load,
// whatever the saved texts are: one that reads like an absent key must not make the load take
// the journal for a foreign one and drop it, leaving "Actions" half written.
TEST(StoreRoundTrip, AStopAtAnyChangeLeavesTheOldListOrTheNewOne) {
    for (const std::string& text : kOddTexts) {
        const Rows oldRows = {{"Mute", "CTRL + M", " ", 28}};
        const Rows newRows = {{"Logoff", "", "", 21},
                              {text == "null" ? "Mute" : text, text, text, 3}};
        MemorySettingsStore before;
        SaveRegActions(before, ListOf(oldRows));

        MemorySettingsStore probe = before;
        fakes::FaultyStore counter(probe, SIZE_MAX, fakes::FaultyStore::Fault::Stop);
        SaveRegActions(counter, ListOf(newRows));
        const std::size_t changes = counter.Changes();
        for (std::size_t k = 0; k <= changes; ++k) {
            // The journal is written first and copied last; between them the save only clears
            // positions, one like the other, so a sample of those stops is enough.
            if (k > 40 && k + 40 < changes && k % 29 != 0) {
                continue;
            }
            MemorySettingsStore store = before;
            fakes::FaultyStore faulty(store, k, fakes::FaultyStore::Fault::Stop);
            try {
                SaveRegActions(faulty, ListOf(newRows));
            } catch (const fakes::FaultyStore::Stopped&) {
            }
            const Rows loaded = Load(store);
            ASSERT_TRUE(loaded == oldRows || loaded == newRows)
                << testing::PrintToString(text) << ", stopped at change " << k;
        }
    }
}

// The load copies a finished journal into "Actions" as it stands: a key the journal lacks is
// absent there too, and loads as the default "null", not as some stand-in text.
TEST(StoreRoundTrip, AFinishedJournalIsCopiedExactly) {
    MemorySettingsStore store;
    store.SaveSetting("Actions Journal", "Count", "1");
    store.SaveSetting("Actions Journal", "ActionType1", "Mute");
    store.SaveSetting("Actions Journal", "Data1", "\x01");
    store.SaveSetting("Actions Journal", "Complete", "True");
    EXPECT_EQ(Load(store), (Rows{{"Mute", "null", "\x01", 2}}));
    EXPECT_EQ(store.GetSetting("Actions", "Hotkey1", "absent"), "absent");
    EXPECT_EQ(store.GetSetting("Actions", "ActionIndex1", "absent"), "absent");
}

}  // namespace
}  // namespace tessarin
