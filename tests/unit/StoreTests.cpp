// The action store, the options in "Settings" and the actions file: what is stored comes back
// whatever its text, what is damaged reads as defined values, and a save cut short leaves the
// old list or the new one, never a mix.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Version.h"
#include "model/ActionCaptions.h"
#include "model/ActionStore.h"
#include "model/ActionsFile.h"
#include "model/MemorySettingsStore.h"
#include "model/SettingsSection.h"
#include "model/Text.h"
#include "platform/ProfileFile.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

using namespace std::string_literals;
using Keys = MemorySettingsStore::Section;
using Sections = MemorySettingsStore::Sections;
using Row = std::tuple<std::string, std::string, std::string, std::int32_t>;
using Rows = std::vector<Row>;

// A profile file in memory that reads as the system's functions do: blanks around a value and
// one pair of matching outer quotes are gone, and a value with a line break is refused.
class FakeProfileFile : public ProfileFile {
  public:
    using Lines = std::vector<std::pair<std::string, std::string>>;
    // Each section's lines, key and value as they stand in the file, in file order.
    std::map<std::string, Lines> lines;

    std::vector<std::string> Keys(const std::string& section) const override {
        std::vector<std::string> keys;
        for (const auto& line : lines.count(section) ? lines.at(section) : Lines{}) {
            keys.push_back(line.first);
        }
        return keys;
    }
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override {
        for (const auto& [name, value] : lines.count(section) ? lines.at(section) : Lines{}) {
            const std::string text = TrimBlanks(value);
            const bool quoted =
                text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0];
            if (name == key) {
                return quoted ? text.substr(1, text.size() - 2) : text;
            }
        }
        return std::nullopt;
    }
    // The program writes each key once.
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        const bool oneLine = value.find_first_of("\r\n") == std::string::npos;
        if (oneLine) {
            lines[section].emplace_back(key, value);
        }
        return oneLine;
    }
};

// A store that, from the k-th change on (counted from 0), either stops the program dead (a
// crash, a power cut, a kill) or lets every change fail silently (a store that went read-only);
// or lets the k-th change alone fail silently (a write refused once).
class FaultyStore : public MemorySettingsStore {
  public:
    enum class Fault { Stop, FailSilently, FailOnce };

    FaultyStore(const MemorySettingsStore& start, std::size_t faultAt, Fault fault)
        : MemorySettingsStore(start), faultAt_(faultAt), fault_(fault) {}

    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        Allowed() ? MemorySettingsStore::SaveSetting(section, key, value) : void();
    }
    void DeleteSetting(const std::string& section, const std::string& key) override {
        Allowed() ? MemorySettingsStore::DeleteSetting(section, key) : void();
    }
    void DeleteSection(const std::string& section) override {
        Allowed() ? MemorySettingsStore::DeleteSection(section) : void();
    }
    std::size_t changes = 0;

  private:
    // A stop is thrown as the fault itself.
    bool Allowed() {
        const std::size_t change = changes++;
        if (change >= faultAt_ && fault_ == Fault::Stop) {
            throw fault_;
        }
        return fault_ == Fault::FailOnce ? change != faultAt_ : change < faultAt_;
    }

    std::size_t faultAt_;
    Fault fault_;
};

// The four keys of one stored position.
Keys Entry(int n, const std::string& type, const std::string& hotkey, const std::string& data,
           const std::string& index) {
    const std::string number = std::to_string(n);
    return {{"ActionType" + number, type},
            {"Hotkey" + number, hotkey},
            {"Data" + number, data},
            {"ActionIndex" + number, index}};
}

Keys Join(std::initializer_list<Keys> parts) {
    Keys all;
    for (const Keys& part : parts) {
        all.insert(part.begin(), part.end());
    }
    return all;
}

Keys Entries(const Rows& rows) {
    Keys keys;
    int n = 0;
    for (const auto& [type, hotkey, data, index] : rows) {
        keys = Join({keys, Entry(++n, type, hotkey, data, std::to_string(index))});
    }
    return keys;
}

void Put(SettingsStore& store, const char* section, const Keys& keys) {
    for (const auto& [key, value] : keys) {
        store.SaveSetting(section, key, value);
    }
}

template <typename List>
Rows RowsOf(const List& list) {
    Rows rows;
    for (const ActionRecord& record : list) {
        rows.emplace_back(record.ActionType, record.Hotkey, record.Data, record.ActionIndex);
    }
    return rows;
}

ActionList ListOf(const Rows& rows) {
    ActionList list;
    for (const auto& [type, hotkey, data, index] : rows) {
        list.Add({type, hotkey, data, index, 0, {}});
    }
    return list;
}

Rows Load(SettingsStore& store) {
    ActionList list;
    LoadRegActions(store, list);
    return RowsOf(list);
}

// Rows whose hotkeys look like what the store uses to tell an absent key from a present one, or
// like its end marker.
Rows Numbered(std::size_t count, const std::string& tag) {
    const std::string odd[] = {"\x01", "\x02", "", "null", "a\0b"s, "CTRL + K"};
    Rows rows;
    for (std::size_t n = 1; n <= count; ++n) {
        rows.emplace_back(n % 2 ? "Paste Text" : "Go to URL", odd[n % std::size(odd)],
                          tag + " " + std::to_string(n), static_cast<std::int32_t>(n));
    }
    return rows;
}

// What a load makes of the section as found (left by hand, another tool or an older version),
// and what the next save leaves: the loaded rows from position 1, the rest up to 200 removed.
TEST(ActionStore, LoadsWhatIsStoredAndTheNextSaveWritesItBack) {
    const struct {
        Keys Stored;
        Rows Loaded;
        Keys Kept;  // besides the loaded rows, after the save
    } cases[] = {
        {Join({Entry(1, "Open File/Folder", "CTRL + K", "\"C:\\a.exe\" -x", "-7"),
               Entry(2, "Mute", "", " ", "x"),
               {{"ActionType3", "Mute"}},
               Entry(5, "Logoff", "ALT + L", " ", "21")}),
         {{"Open File/Folder", "CTRL + K", "\"C:\\a.exe\" -x", -7},
          {"Mute", "", " ", 2},
          {"Mute", "null", "null", 2}},
         {}},
        // Only the type "null" ends the list; elsewhere it is text, as are the store's markers.
        {Join({Entry(1, "NULL", "null", "null", "null"), Entry(2, "null\0"s, "", "\0"s, "30.5"),
               Entry(3, "", "\x01", "\x02", "28"), Entry(4, "null", "CTRL + K", "x", "5"),
               Entry(5, "Logoff", "", " ", "21")}),
         {{"NULL", "null", "null", 2}, {"null\0"s, "", "\0"s, 30}, {"", "\x01", "\x02", 28}},
         {}},
        // Keys that name no position, and positions beyond 200, are neither read nor removed.
        {Join({Entry(1, "Mute", "", " ", "28"),
               {{"ActionType01", "Logoff"}, {"Data200", "y"}, {"Data201", "x"}}}),
         {{"Mute", "", " ", 28}},
         {{"ActionType01", "Logoff"}, {"Data201", "x"}}},
        {Entries(Numbered(201, "s")), Numbered(200, "s"),
         Entry(201, "Paste Text", "null", "s 201", "201")}};
    for (const auto& c : cases) {
        MemorySettingsStore store;
        Put(store, kActionsSection, c.Stored);
        const Rows loaded = Load(store);
        EXPECT_EQ(loaded, c.Loaded);
        SaveRegActions(store, ListOf(loaded));
        EXPECT_EQ(store.AllSections(),
                  (Sections{{kActionsSection, Join({Entries(c.Loaded), c.Kept})}}));
    }
}

// A journal is applied only when it is marked complete and holds every entry its count names,
// and then exactly as it stands; otherwise "Actions" keeps the last full save. Either way the
// journal is gone afterwards.
TEST(ActionStore, AJournalIsAppliedWholeOrDropped) {
    const Keys old = Entry(1, "Mute", "CTRL + M", " ", "28");
    const Keys entry = Entry(1, "Logoff", "", " ", "21");
    const Keys odd = {{"ActionType1", "Mute"}, {"Data1", "\x01"}};
    const auto journal = [](const std::string& count, const char* mark, const Keys& entries) {
        return Join({{{"Count", count}, {"Complete", mark}}, entries});
    };
    const std::pair<Keys, Keys> cases[] = {
        {Join({{{"Count", "1"}}, entry}), old}, {journal("1", "true", entry), old},
        {journal("-1", "True", entry), old},    {journal("2", "True", entry), old},
        {journal("1", "True", entry), entry},   {journal("0", "True", {}), {}},
        {journal("1", "True", odd), odd}};
    for (const auto& [stored, actions] : cases) {
        MemorySettingsStore store;
        Put(store, kActionsSection, old);
        Put(store, kActionsJournalSection, stored);
        Load(store);
        EXPECT_EQ(store.AllSections(), (Sections{{kActionsSection, actions}}));
    }
}

// A save, or the load that finishes a save cut short, stopped at any change (or on a store that
// stopped taking changes there, or refused that one change) leaves a store that loads as the
// whole old list or the whole new one, and the next save or load leaves exactly what an
// uninterrupted one does.
TEST(ActionStore, CutShortAtAnyChangeLeavesTheOldListOrTheNewOne) {
    // Old and new length; finishing: a journal of the new list, marked complete, is there.
    const std::tuple<std::size_t, std::size_t, bool> cases[] = {
        {3, 0, false}, {0, 3, false}, {200, 3, false}, {30, 25, true}};
    for (const auto& [oldCount, newCount, finishing] : cases) {
        const Rows oldRows = Numbered(oldCount, "old");
        const Rows newRows = Numbered(newCount, "new");
        MemorySettingsStore before;
        Put(before, kActionsSection, Entries(oldRows));
        if (finishing) {
            Put(before, kActionsJournalSection,
                Join({{{"Count", std::to_string(newCount)}, {"Complete", "True"}},
                      Entries(newRows)}));
        }
        // A load, as at the next start, then the save; the load is what finishes a journal.
        const auto run = [&](SettingsStore& store) {
            Load(store);
            SaveRegActions(store, ListOf(newRows));
        };
        MemorySettingsStore expected = before;
        run(expected);
        using enum FaultyStore::Fault;
        for (auto fault : {Stop, FailSilently, FailOnce}) {
            // Each change in turn, up to one past the last: a run the fault never reaches.
            for (std::size_t k = 0, made = 0; k <= made; ++k) {
                FaultyStore faulty(before, k, fault);
                try {
                    run(faulty);
                } catch (FaultyStore::Fault) {
                }
                made = faulty.changes;
                MemorySettingsStore store = faulty;  // what was stored when the fault struck
                SCOPED_TRACE(testing::Message() << oldCount << " -> " << newCount << ", at " << k);
                const Rows loaded = Load(store);
                ASSERT_TRUE(loaded == newRows || (loaded == oldRows && !finishing));
                run(store);
                ASSERT_EQ(store.AllSections(), expected.AllSections());
            }
        }
    }
}

TEST(StoredValues, NumbersAreDecimalsWithHalvesRoundedToEven) {
    const char* const numbers[] = {" -500 ", "+3",   "4535.5", "4534.5",     "-2.5",
                                   "2.49",   "2.51", "-0.5",   "2147483647", "-2147483648"};
    const std::int32_t values[] = {-500, 3, 4536, 4534, -2, 2, 3, 0, 2147483647, INT32_MIN};
    for (std::size_t n = 0; n < std::size(numbers); ++n) {
        EXPECT_EQ(ParseStoredInteger(numbers[n]), values[n]) << numbers[n];
    }
    for (const std::string& text :
         {""s, "-"s, "."s, "12abc"s, "1 2"s, "0x10"s, "1e3"s, "NaN"s, "inf"s, "\xd9\xa3"s,
          "12\0"s + "3", "2147483648"s, "-2147483649"s, "99999999999999999999999"s}) {
        EXPECT_EQ(ParseStoredInteger(text), std::nullopt) << testing::PrintToString(text);
    }
}

// Open modes (maximized, normal, minimized), Startup, DoNotReuse, width, height, state, icon,
// whether a size and a state are there to apply.
std::string Shown(const StartupSettings& s) {
    return std::to_string(s.OpenMaximized) + std::to_string(s.OpenNormal) +
           std::to_string(s.OpenMinimized) + std::to_string(s.Startup) +
           std::to_string(s.DoNotReuse) + " " + std::to_string(s.Width) + " " +
           std::to_string(s.Height) + " " + std::to_string(s.State) + " " + s.Icon + " " +
           std::to_string(s.HasSize()) + std::to_string(s.HasState());
}

// A flag is a word in any case or a number, true when not zero. A damaged value reads as absent:
// the option keeps its default rather than some guess.
TEST(ReadStartupSettings, ReadsTheStoredOptionsAndDefaultsForWhatIsMissingOrDamaged) {
    const std::pair<Keys, std::string> cases[] = {
        {{{"Startup", "fAlse"},
          {"NewFolder", "0"},
          {"WindowsMinimized", "0.4"},
          {"WindowsMaximized", "TRUE"},
          {"WindowsNormal", "-1"}},
         "11100 -500 -500 -500 #DEFAULT# 00"},
        {{{"Startup", "maybe"}, {"NewFolder", "False\0"s}, {"WindowsMaximized", "1e0"}},
         "01011 -500 -500 -500 #DEFAULT# 00"},
        {{{"MainWindowWidth", "4535.5"}, {"MainWindowHeight", "9"}, {"MainWindowState", "2"}},
         "01011 4536 9 2 #DEFAULT# 11"},
        {{{"MainWindowWidth", "0"}, {"MainWindowHeight", "1"}, {"MainWindowState", "0"}},
         "01011 0 1 0 #DEFAULT# 01"},
        {{{"MainWindowState", "-1"}, {"Icon", "C:\\a.ico"}}, "01011 -500 -500 -500 C:\\a.ico 00"}};
    for (const auto& [stored, shown] : cases) {
        MemorySettingsStore store;
        Put(store, kSettingsSection, stored);
        EXPECT_EQ(Shown(ReadStartupSettings(store)), shown);
    }
}

// A maximized or minimized window keeps the last normal size that was stored; keys the program
// does not know stay. A row typed "null" names no action: it is left out rather than end the next
// load above the rows below it.
TEST(SaveSettingsAtExit, WritesTheOptionsAndTheList) {
    for (const std::int32_t state : {0, 1, 2}) {
        MemorySettingsStore store;
        Put(store, kSettingsSection,
            {{"MainWindowWidth", "6000"}, {"MainWindowHeight", "4000"}, {"Email1", "x"}});
        ExitSettings atExit{.OpenMaximized = true, .Startup = false, .Width = 7000, .Height = 5000};
        atExit.IconPath = "C:\\a.ico";
        atExit.State = state;
        SaveSettingsAtExit(
            store, atExit,
            ListOf({{"Mute", "", " ", 28}, {"null", "", "", 2}, {"Logoff", "", "", 21}}));
        const std::string size = state == 0 ? "7000 5000 " : "6000 4000 ";
        EXPECT_EQ(Shown(ReadStartupSettings(store)),
                  "11001 " + size + std::to_string(state) + " C:\\a.ico 11");
        // Other tools read the flags as words.
        EXPECT_EQ(store.GetSetting(kSettingsSection, "WindowsMaximized", ""), "True");
        EXPECT_EQ(store.GetSetting(kSettingsSection, "Startup", ""), "False");
        EXPECT_EQ(store.GetSetting(kSettingsSection, "Email1", ""), "x");
        EXPECT_EQ(Load(store), (Rows{{"Mute", "", " ", 28}, {"Logoff", "", "", 21}}));
    }
    MemorySettingsStore untouched;
    SaveSettingsAtExit(untouched, {.SaveSettings = false}, ListOf({{"Mute", "", " ", 28}}));
    EXPECT_TRUE(untouched.AllSections().empty());

    const auto loads = [](const std::string& path) { return path != "C:\\missing.ico"; };
    EXPECT_EQ(RememberedIconPath("C:\\good.ico", loads), "C:\\good.ico");
    EXPECT_EQ(RememberedIconPath("C:\\missing.ico", loads), "#DEFAULT#");
}

// Every action type, each with texts the profile functions would change (line breaks, tabs,
// blanks and quotes around the value, percent signs, and characters beyond Latin-1), comes back;
// a file that is no export, or not a whole one, gives no row at all.
TEST(ActionsFile, EveryTypeAndEveryTextComesBackAndAFaultyFileGivesNoRow) {
    const std::string texts[] = {
        "\"C:\\a b.exe\" -x \"y\"", "Sir,\r\n\tline two\r\n\r\n", "  blanks  ", "'single'",
        "100% %41 %0D %%",          "Ω ü 日本 🙂",          "",           "\x01\x7F end\n"};
    Rows rows;
    for (const std::string_view type : captions::kAll) {
        const std::string& text = texts[rows.size() % std::size(texts)];
        rows.emplace_back(type, text, text, static_cast<std::int32_t>(rows.size()) - 3);
    }
    FakeProfileFile written;
    ASSERT_TRUE(WriteActionsFile(written, ListOf(rows)));
    EXPECT_EQ(written.Read("Tessarin", "Version"), kVersion);
    using enum ActionsFileProblem;
    const struct {
        FakeProfileFile::Lines Actions;
        ActionsFileProblem Problem;
        std::size_t Row;
    } cases[] = {{written.lines["Actions"], None, 0},
                 {{}, NotAnExport, 0},
                 {{{"Hotkey1", "CTRL + M"}, {"ActionType2", "Mute"}}, NotAnExport, 0},
                 {{{"ActionType1", "Mute"}, {"ActionType2", "\"Mute \""}}, UnknownType, 2},
                 {{{"ActionType1", "Mute"}, {"ActionType3", "Mute"}}, MissingRow, 2}};
    for (const auto& c : cases) {
        FakeProfileFile file;
        file.lines["Actions"] = c.Actions;
        const ActionsFileContent content = ReadActionsFile(file);
        EXPECT_EQ(std::tie(content.Problem, content.ProblemRow), std::tie(c.Problem, c.Row));
        EXPECT_EQ(RowsOf(content.Rows), c.Problem == None ? rows : Rows{});
    }
}

// The list takes rows up to its limit of 200, and never two rows with one combination.
TEST(ActionsFile, ImportStopsAtTheLimitAndDropsCombinationsTheListHas) {
    const ActionList imported = ListOf({{"Logoff", "ALT + CTRL + P", "a", 21},
                                        {"Mute", "CTRL + ALT + Q", "b", 28},
                                        {"Logoff", "CTRL + ALT + Q", "c", 21},
                                        {"Logoff", "null", "d", 21}});
    const struct {
        Rows Before;
        std::size_t Added, WithoutHotkey, LeftOut;
        std::vector<std::string> New;  // hotkey and data of each added row
    } cases[] = {
        {{{"Mute", "CTRL + ALT + P", " ", 28}}, 4, 2, 0, {"a", "CTRL + ALT + Qb", "c", "nulld"}},
        {Rows(197, {"Mute", "", " ", 28}), 3, 1, 1, {"ALT + CTRL + Pa", "CTRL + ALT + Qb", "c"}}};
    for (const auto& c : cases) {
        ActionList list = ListOf(c.Before);
        const ImportCounts counts =
            AppendImportedRows(list, {imported.begin(), imported.end()}, Windows1252CodePage());
        EXPECT_EQ(std::tie(counts.Added, counts.WithoutHotkey, counts.LeftOut),
                  std::tie(c.Added, c.WithoutHotkey, c.LeftOut));
        std::vector<std::string> added;
        for (std::size_t n = c.Before.size() + 1; n <= list.Count(); ++n) {
            added.push_back(list.At(n).Hotkey + list.At(n).Data);
        }
        EXPECT_EQ(added, c.New);
    }
}

}  // namespace
}  // namespace tessarin
