// The action store keeps whatever it was given: a save followed by a load gives the list back,
// whatever text its fields hold, and a save cut short leaves the old list or the new one. The
// actions file does the same through the profile functions, and an import takes a file whole
// or not at all.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "FakeProfileFile.h"
#include "FaultyStore.h"
#include "Version.h"
#include "model/ActionCaptions.h"
#include "model/ActionStore.h"
#include "model/ActionsFile.h"
#include "model/MemorySettingsStore.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

using Row = std::tuple<std::string, std::string, std::string, std::int32_t>;
using Rows = std::vector<Row>;

template <typename List>
Rows RowsOf(const List& list) {
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

// Every action type, each with texts the profile functions would change: line breaks, tabs,
// blanks and quotes around the value, percent signs, and characters beyond Latin-1.
TEST(ActionsFile, EveryTypeAndEveryTextComesBack) {
    const std::string texts[] = {"\"C:\\Program Files\\a.exe\" -x \"y\"",
                                 "Dear Sir,\r\n\tline two\r\n\r\n",
                                 "  blanks around  ",
                                 "\"quoted\"",
                                 "'single'",
                                 "100% %41 %0D %%",
                                 "Ω ü 日本 🙂",
                                 "",
                                 "\x01\x7F end\n"};
    Rows rows;
    for (const std::string_view type : captions::kAll) {
        const std::string& text = texts[rows.size() % std::size(texts)];
        rows.emplace_back(std::string(type), text, text,
                          static_cast<std::int32_t>(rows.size()) - 3);
    }
    fakes::FakeProfileFile file;
    ASSERT_TRUE(WriteActionsFile(file, ListOf(rows)));
    EXPECT_EQ(file.Read("Tessarin", "Version"), kVersion);
    const ActionsFileContent content = ReadActionsFile(file);
    EXPECT_EQ(content.Problem, ActionsFileProblem::None);
    EXPECT_EQ(RowsOf(content.Rows), rows);
}

// A file that is no export, or not a whole one, gives no row at all.
TEST(ActionsFile, AFaultyFileGivesNoRow) {
    using enum ActionsFileProblem;
    const struct {
        const char* Name;
        std::vector<std::pair<std::string, std::string>> Actions;
        ActionsFileProblem Problem;
        std::size_t Row;
    } cases[] = {
        {"no [Actions]", {}, NotAnExport, 0},
        {"no ActionType1", {{"Hotkey1", "CTRL + M"}, {"ActionType2", "Mute"}}, NotAnExport, 0},
        {"unknown type in row 3",
         {{"ActionType1", "Mute"},
          {"ActionType2", "Mute"},
          {"ActionType3", "\"Mute \""},
          {"ActionType4", "Mute"}},
         UnknownType,
         3},
        {"a gap", {{"ActionType1", "Mute"}, {"ActionType3", "Mute"}}, MissingRow, 2},
        {"a row's data without its type", {{"ActionType1", "Mute"}, {"data2", "x"}}, MissingRow, 2},
    };
    for (const auto& bad : cases) {
        fakes::FakeProfileFile file;
        file.lines["Tessarin"] = {{"Version", kVersion}};
        if (!bad.Actions.empty()) {
            file.lines["Actions"] = bad.Actions;
        }
        const ActionsFileContent content = ReadActionsFile(file);
        EXPECT_EQ(content.Problem, bad.Problem) << bad.Name;
        EXPECT_EQ(content.ProblemRow, bad.Row) << bad.Name;
        EXPECT_TRUE(content.Rows.empty()) << bad.Name;
    }
}

// The list takes rows up to its limit of 200, and never two rows with one combination.
TEST(ActionsFile, ImportStopsAtTheLimitAndDropsCombinationsTheListHas) {
    const Windows1252CodePage codePage;
    const Rows oneRow = {{"Mute", "CTRL + ALT + P", " ", 28}};
    const Rows imported = {{"Logoff", "ALT + CTRL + P", "a", 21},
                           {"Mute", "CTRL + ALT + Q", "b", 28},
                           {"Logoff", "CTRL + ALT + Q", "c", 21},
                           {"Logoff", "null", "d", 21}};
    const struct {
        Rows Before;
        std::size_t Added, WithoutHotkey, LeftOut;
        std::vector<std::string> NewHotkeys;
    } cases[] = {
        {oneRow, 4, 2, 0, {"", "CTRL + ALT + Q", "", "null"}},
        {Rows(197, {"Mute", "", " ", 28}), 3, 1, 1, {"ALT + CTRL + P", "CTRL + ALT + Q", ""}},
        {Rows(200, {"Mute", "", " ", 28}), 0, 0, 4, {}},
    };
    const ActionList importedList = ListOf(imported);
    const std::vector<ActionRecord> records(importedList.begin(), importedList.end());
    for (const auto& c : cases) {
        ActionList list = ListOf(c.Before);
        const ImportCounts counts = AppendImportedRows(list, records, codePage);
        EXPECT_EQ(counts.Added, c.Added);
        EXPECT_EQ(counts.WithoutHotkey, c.WithoutHotkey);
        EXPECT_EQ(counts.LeftOut, c.LeftOut);
        ASSERT_EQ(list.Count(), c.Before.size() + c.Added);
        std::vector<std::string> hotkeys;
        for (std::size_t n = c.Before.size() + 1; n <= list.Count(); ++n) {
            hotkeys.push_back(list.At(n).Hotkey);
            EXPECT_EQ(list.At(n).Data, std::get<2>(imported[n - c.Before.size() - 1]));
        }
        EXPECT_EQ(hotkeys, c.NewHotkeys);
    }
}

}  // namespace
}  // namespace tessarin
