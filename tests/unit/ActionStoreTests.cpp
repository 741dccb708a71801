#include "model/ActionStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaultyStore.h"
#include "model/MemorySettingsStore.h"

namespace tessarin {
namespace {

void Store(MemorySettingsStore& store, int n, const std::string& type, const std::string& hotkey,
           const std::string& data, const char* actionIndex) {
    const std::string number = std::to_string(n);
    store.SaveSetting("Actions", "ActionType" + number, type);
    store.SaveSetting("Actions", "Hotkey" + number, hotkey);
    store.SaveSetting("Actions", "Data" + number, data);
    if (actionIndex != nullptr) {
        store.SaveSetting("Actions", "ActionIndex" + number, actionIndex);
    }
}

TEST(LoadRegActions, ReadsEveryFieldAndStopsAtTheFirstGap) {
    MemorySettingsStore store;
    Store(store, 1, "Open File/Folder", "CTRL + K", "\"C:\\a.exe\" -x", "2");
    Store(store, 2, "Mute", "", " ", nullptr);
    Store(store, 4, "Logoff", "ALT + L", " ", "21");

    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.At(1).ActionType, "Open File/Folder");
    EXPECT_EQ(list.At(1).Hotkey, "CTRL + K");
    EXPECT_EQ(list.At(1).Data, "\"C:\\a.exe\" -x");
    EXPECT_EQ(list.At(2).ActionIndex, 2);  // absent
    EXPECT_EQ(list.At(2).Tag, 0);
}

TEST(LoadRegActions, OnlyLowerCaseNullEndsTheLoad) {
    MemorySettingsStore store;
    Store(store, 1, "NULL", "", "", "5");
    Store(store, 2, "Null", "", "", "5");
    Store(store, 3, "null", "", "", "5");
    Store(store, 4, "Mute", "", "", "5");
    ActionList list;
    LoadRegActions(store, list);
    EXPECT_EQ(list.Count(), 2u);
}

TEST(LoadRegActions, AbsentHotkeyAndDataShowAsNull) {
    MemorySettingsStore store;
    store.SaveSetting("Actions", "ActionType1", "Mute");
    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(1).Hotkey, "null");
    EXPECT_EQ(list.At(1).Data, "null");
}

TEST(LoadRegActions, ReadsAtMostTwoHundredEntries) {
    MemorySettingsStore store;
    for (int n = 1; n <= 205; ++n) {
        Store(store, n, "Mute", "", std::to_string(n), "28");
    }
    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 200u);
    EXPECT_EQ(list.At(200).Data, "200");
}

TEST(ParseStoredInteger, AcceptsWhatTheProgramWritesAndRoundsFractions) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"-500", -500},
        {" 7 ", 7},
        {"+3", 3},
        {"4535.5", 4536},  // halves go to the even neighbour
        {"4534.5", 4534},
        {"-2.5", -2},
        {"2.51", 3},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseStoredInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(LoadRegActions, ANonNumericActionIndexLoadsAsTwo) {
    MemorySettingsStore store;
    Store(store, 1, "Mute", "", " ", "garbage");
    Store(store, 2, "Mute", "", " ", "30.5");
    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.At(1).ActionIndex, 2);
    EXPECT_EQ(list.At(2).ActionIndex, 30);
}

ActionList MakeList(std::size_t count, const std::string& tag) {
    ActionList list;
    for (std::size_t n = 1; n <= count; ++n) {
        ActionRecord row;
        row.ActionType = n % 2 == 0 ? "Paste Text" : "Go to URL";
        row.Hotkey = n % 3 == 0 ? "" : "CTRL + ALT + " + std::to_string(n % 10);
        row.Data = tag + " \"" + std::to_string(n) + "\" line";
        row.ActionIndex = static_cast<std::int32_t>(n);
        list.Add(std::move(row));
    }
    return list;
}

using Rows = std::vector<std::vector<std::string>>;

Rows RowsOf(const ActionList& list) {
    Rows rows;
    for (const ActionRecord& row : list) {
        rows.push_back({row.ActionType, row.Hotkey, row.Data, std::to_string(row.ActionIndex)});
    }
    return rows;
}

Rows Load(SettingsStore& store) {
    ActionList list;
    LoadRegActions(store, list);
    return RowsOf(list);
}

MemorySettingsStore::Section SectionOf(const MemorySettingsStore& store, const std::string& name) {
    const auto found = store.AllSections().find(name);
    return found == store.AllSections().end() ? MemorySettingsStore::Section{} : found->second;
}

TEST(SaveRegActions, WritesPositionsOneToCountAndRemovesTheRestUpTo200) {
    MemorySettingsStore store;
    Store(store, 1, "Mute", "", " ", "28");
    Store(store, 2, "Mute", "", " ", "28");
    Store(store, 4, "Logoff", "", " ", "21");
    store.SaveSetting("Actions", "ActionType201", "Mute");  // beyond what a save clears
    store.SaveSetting("Settings", "Icon", "#DEFAULT#");

    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 2u);
    list.At(1).Data = "changed";
    SaveRegActions(store, list);

    EXPECT_EQ(store.GetSetting("Actions", "Data1", "absent"), "changed");
    EXPECT_EQ(store.GetSetting("Actions", "ActionIndex2", "absent"), "28");
    for (const char* key : {"ActionType4", "Hotkey4", "Data4", "ActionIndex4"}) {
        EXPECT_EQ(store.GetSetting("Actions", key, "absent"), "absent") << key;
    }
    EXPECT_EQ(store.GetSetting("Actions", "ActionType201", "absent"), "Mute");
    EXPECT_EQ(store.GetSetting("Settings", "Icon", "absent"), "#DEFAULT#");
    EXPECT_TRUE(SectionOf(store, "Actions Journal").empty());
}

TEST(SaveRegActions, DeletingTheMiddleOfThreeMovesTheLastUp) {
    MemorySettingsStore store;
    ActionList list = MakeList(3, "x");
    SaveRegActions(store, list);
    list.Remove(2);
    SaveRegActions(store, list);

    EXPECT_EQ(Load(store), RowsOf(list));
    for (const char* key : {"ActionType3", "Hotkey3", "Data3", "ActionIndex3"}) {
        EXPECT_EQ(store.GetSetting("Actions", key, "absent"), "absent") << key;
    }
}

TEST(SaveRegActions, WritesEveryEntryButOnly200AreReadBack) {
    MemorySettingsStore store;
    SaveRegActions(store, MakeList(205, "x"));
    EXPECT_NE(store.GetSetting("Actions", "ActionType205", "absent"), "absent");
    EXPECT_EQ(Load(store).size(), 200u);
}

// A save cut short at any change leaves a store that loads as the whole old list or the whole
// new one, never a mix, and the next save leaves exactly what an uninterrupted save leaves.
TEST(SaveRegActions, SurvivesAStopOrAFailingStoreAtEveryStep) {
    struct Case {
        std::size_t oldCount;
        std::size_t newCount;
    };
    const Case cases[] = {{3, 0}, {3, 1}, {0, 3}, {200, 3}, {3, 200}};
    for (const Case& c : cases) {
        const ActionList oldList = MakeList(c.oldCount, "old");
        const ActionList newList = MakeList(c.newCount, "new");
        MemorySettingsStore before;
        SaveRegActions(before, oldList);
        MemorySettingsStore expected = before;
        SaveRegActions(expected, newList);

        MemorySettingsStore probe = before;
        fakes::FaultyStore counter(probe, SIZE_MAX, fakes::FaultyStore::Fault::Stop);
        SaveRegActions(counter, newList);
        const std::size_t changes = counter.Changes();

        for (auto fault :
             {fakes::FaultyStore::Fault::Stop, fakes::FaultyStore::Fault::FailSilently}) {
            for (std::size_t k = 0; k <= changes; ++k) {
                MemorySettingsStore store = before;
                fakes::FaultyStore faulty(store, k, fault);
                try {
                    SaveRegActions(faulty, newList);
                } catch (const fakes::FaultyStore::Stopped&) {
                }
                const Rows loaded = Load(store);
                ASSERT_TRUE(loaded == RowsOf(oldList) || loaded == RowsOf(newList))
                    << c.oldCount << " -> " << c.newCount << ", fault at change " << k;

                // The long saves repeat one step hundreds of times; a sample of their stops
                // is enough to show that the next save cleans up after any of them.
                if (changes > 100 && k % 13 != 0) {
                    continue;
                }
                SaveRegActions(store, newList);
                ASSERT_EQ(store.AllSections(), expected.AllSections())
                    << c.oldCount << " -> " << c.newCount << ", fault at change " << k;
            }
        }
    }
}

TEST(LoadRegActions, FinishesACompleteJournalAndDropsAnIncompleteOne) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> journal;
        bool applied;
    };
    const Case cases[] = {
        {"complete",
         {{"Count", "1"},
          {"ActionType1", "Mute"},
          {"Hotkey1", ""},
          {"Data1", " "},
          {"ActionIndex1", "28"},
          {"Complete", "True"}},
         true},
        {"no mark",
         {{"Count", "1"}, {"ActionType1", "Mute"}, {"Hotkey1", ""}, {"Data1", " "}},
         false},
        {"marked but an entry is missing",
         {{"Count", "2"}, {"ActionType1", "Mute"}, {"Complete", "True"}},
         false},
        {"marked with a bad count", {{"Count", "x"}, {"Complete", "True"}}, false},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        SaveRegActions(store, MakeList(2, "old"));
        for (const auto& [key, value] : c.journal) {
            store.SaveSetting("Actions Journal", key, value);
        }
        const Rows loaded = Load(store);
        EXPECT_EQ(loaded.size(), c.applied ? 1u : 2u) << c.name;
        EXPECT_TRUE(SectionOf(store, "Actions Journal").empty()) << c.name;
    }
}

}  // namespace
}  // namespace tessarin
