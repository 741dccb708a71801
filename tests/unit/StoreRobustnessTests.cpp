// A store damaged by hand, by another tool or by a failing disk: every case loads without a
// crash, gives a defined list and defined options, and the next save writes a well-formed store.
// Each table row states what the program holds afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FaultyStore.h"
#include "model/ActionStore.h"
#include "model/MemorySettingsStore.h"
#include "model/SettingsSection.h"

namespace tessarin {
namespace {

using namespace std::string_literals;

using Keys = std::vector<std::pair<std::string, std::string>>;
using Rows = std::vector<std::vector<std::string>>;

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
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

MemorySettingsStore::Section SectionOf(const MemorySettingsStore& store, const std::string& name) {
    const auto found = store.AllSections().find(name);
    return found == store.AllSections().end() ? MemorySettingsStore::Section{} : found->second;
}

MemorySettingsStore::Section SectionFrom(const Keys& keys) {
    MemorySettingsStore::Section section;
    for (const auto& [key, value] : keys) {
        section[key] = value;
    }
    return section;
}

Rows RowsOf(const ActionList& list) {
    Rows rows;
    for (const ActionRecord& row : list) {
        rows.push_back({row.ActionType, row.Hotkey, row.Data, std::to_string(row.ActionIndex)});
    }
    return rows;
}

// A readable rendering for failure messages: long texts cut short, NUL shown as \0.
std::string Shown(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < 40; ++i) {
        shown += text[i] == '\0' ? std::string("\\0") : std::string(1, text[i]);
    }
    return text.size() > 40 ? shown + "... (" + std::to_string(text.size()) + " bytes)" : shown;
}

std::string Shown(const Rows& rows) {
    std::string shown;
    for (const auto& row : rows) {
        shown += "\n  [";
        for (const std::string& field : row) {
            shown += "\"" + Shown(field) + "\" ";
        }
        shown += "]";
    }
    return shown;
}

std::string Shown(const MemorySettingsStore::Section& section) {
    std::string shown;
    for (const auto& [key, value] : section) {
        shown += "\n  " + key + "=\"" + Shown(value) + "\"";
    }
    return shown;
}

std::string Megabyte(char first) {
    std::string text(1 << 20, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>(first + static_cast<char>(i % 61));
    }
    return text;
}

TEST(StoreRobustness, DamagedActionEntriesLoadAsDefinedAndTheNextSaveIsWellFormed) {
    const std::string bigData = Megabyte('!');
    const std::string bigCaption = Megabyte('A');
    struct Case {
        const char* name;
        Keys stored;     // section "Actions" as found
        Rows loaded;     // the list after the load
        Keys afterSave;  // section "Actions" after saving that list, exactly
    };
    const Case cases[] = {
        {"an ActionIndex that is no 32-bit number loads as 2 and is saved as 2",
         Join({Entry(1, "Mute", "", " ", "0x10"), Entry(2, "Mute", "", " ", "1e3"),
               Entry(3, "Mute", "", " ", "NaN"), Entry(4, "Mute", "", " ", "inf"),
               Entry(5, "Mute", "", " ", ""), Entry(6, "Mute", "", " ", "12\0"s + "3"),
               Entry(7, "Mute", "", " ", "\xd9\xa3"), Entry(8, "Mute", "", " ", "2147483648"),
               Entry(9, "Mute", "", " ", std::string(1 << 20, '9')),
               Entry(10, "Mute", "", " ", "-7"), Entry(11, "Mute", "", " ", " +4 ")}),
         {{"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "2"},
          {"Mute", "", " ", "-7"},  // a number, if no catalogue position: kept
          {"Mute", "", " ", "4"}},
         Join({Entry(1, "Mute", "", " ", "2"), Entry(2, "Mute", "", " ", "2"),
               Entry(3, "Mute", "", " ", "2"), Entry(4, "Mute", "", " ", "2"),
               Entry(5, "Mute", "", " ", "2"), Entry(6, "Mute", "", " ", "2"),
               Entry(7, "Mute", "", " ", "2"), Entry(8, "Mute", "", " ", "2"),
               Entry(9, "Mute", "", " ", "2"), Entry(10, "Mute", "", " ", "-7"),
               Entry(11, "Mute", "", " ", "4")})},
        {"1 MB texts come back byte for byte",
         Entry(1, bigCaption, bigData, bigData, "30"),
         {{bigCaption, bigData, bigData, "30"}},
         Entry(1, bigCaption, bigData, bigData, "30")},
        {"NUL characters are part of the text; \"null\" followed by NUL does not end the list",
         Join({Entry(1, "Mute\0x"s, "CTRL + \0K"s, "a\0b"s, "28"),
               Entry(2, "null\0"s, "", "\0"s, "28"), Entry(3, "\0"s, "\0\0"s, "", "28")}),
         {{"Mute\0x"s, "CTRL + \0K"s, "a\0b"s, "28"},
          {"null\0"s, "", "\0"s, "28"},
          {"\0"s, "\0\0"s, "", "28"}},
         Join({Entry(1, "Mute\0x"s, "CTRL + \0K"s, "a\0b"s, "28"),
               Entry(2, "null\0"s, "", "\0"s, "28"), Entry(3, "\0"s, "\0\0"s, "", "28")})},
        {"captions the catalogue does not know are kept as they are",
         Join({Entry(1, "Frobnicate", "CTRL + F", "x", "2"), Entry(2, "", "", "", "2"),
               Entry(3, "mute", "", " ", "28"), Entry(4, " Mute ", "", " ", "28"),
               Entry(5, "\xff\xfe\x80", "", " ", "28"), Entry(6, "null ", "", " ", "28"),
               Entry(7, "NULL", "", " ", "28")}),
         {{"Frobnicate", "CTRL + F", "x", "2"},
          {"", "", "", "2"},
          {"mute", "", " ", "28"},
          {" Mute ", "", " ", "28"},
          {"\xff\xfe\x80", "", " ", "28"},
          {"null ", "", " ", "28"},
          {"NULL", "", " ", "28"}},
         Join({Entry(1, "Frobnicate", "CTRL + F", "x", "2"), Entry(2, "", "", "", "2"),
               Entry(3, "mute", "", " ", "28"), Entry(4, " Mute ", "", " ", "28"),
               Entry(5, "\xff\xfe\x80", "", " ", "28"), Entry(6, "null ", "", " ", "28"),
               Entry(7, "NULL", "", " ", "28")})},
        {"\"null\" as Hotkey, Data or ActionIndex is text (or 2); as ActionType it ends the list, "
         "and the next save removes what lay behind it",
         Join({Entry(1, "Mute", "null", "null", "null"), Entry(2, "null", "CTRL + K", "x", "5"),
               Entry(3, "Logoff", "", " ", "21")}),
         {{"Mute", "null", "null", "2"}},
         Entry(1, "Mute", "null", "null", "2")},
        {"absent Hotkey, Data and ActionIndex are saved as \"null\", \"null\" and 2",
         {{"ActionType1", "Mute"}},
         {{"Mute", "null", "null", "2"}},
         Entry(1, "Mute", "null", "null", "2")},
        {"keys that name no position are neither read nor removed",
         Join({Entry(1, "Mute", "", " ", "28"),
               {{"ActionType0", "Logoff"},
                {"ActionType01", "Logoff"},
                {"ActionType 2", "Logoff"},
                {"Something", "else"}}}),
         {{"Mute", "", " ", "28"}},
         Join({Entry(1, "Mute", "", " ", "28"),
               {{"ActionType0", "Logoff"},
                {"ActionType01", "Logoff"},
                {"ActionType 2", "Logoff"},
                {"Something", "else"}}})},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        for (const auto& [key, value] : c.stored) {
            store.SaveSetting(kActionsSection, key, value);
        }
        ActionList list;
        LoadRegActions(store, list);
        EXPECT_TRUE(RowsOf(list) == c.loaded) << c.name << Shown(RowsOf(list));

        SaveRegActions(store, list);
        EXPECT_TRUE(SectionOf(store, kActionsSection) == SectionFrom(c.afterSave))
            << c.name << Shown(SectionOf(store, kActionsSection));
        EXPECT_TRUE(SectionOf(store, kActionsJournalSection).empty()) << c.name;

        // What was saved loads as the same list again.
        ActionList again;
        LoadRegActions(store, again);
        EXPECT_TRUE(RowsOf(again) == c.loaded) << c.name << Shown(RowsOf(again));
    }
}

Keys Numbered(int from, int to, const std::string& tag) {
    Keys keys;
    for (int n = from; n <= to; ++n) {
        const Keys entry = Entry(n, "Paste Text", n % 2 == 0 ? "" : "CTRL + ALT + K",
                                 tag + " " + std::to_string(n), std::to_string(30 + n % 3));
        keys.insert(keys.end(), entry.begin(), entry.end());
    }
    return keys;
}

// Positions 201 and above are never read, and no save removes or changes them: they are kept,
// out of the program's sight, until a list of more than 200 rows is saved over them.
TEST(StoreRobustness, TenThousandStoredEntriesShowTheFirst200AndTheRestStaysUntouched) {
    MemorySettingsStore store;
    for (const auto& [key, value] : Numbered(1, 10000, "stored")) {
        store.SaveSetting(kActionsSection, key, value);
    }
    const MemorySettingsStore::Section before = SectionOf(store, kActionsSection);
    const MemorySettingsStore::Section beyond = SectionFrom(Numbered(201, 10000, "stored"));

    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 200u);
    EXPECT_EQ(list.At(200).Data, "stored 200");

    struct Case {
        const char* name;
        int rowsSaved;  // the list as saved: the 200 loaded ones, with rows removed or added
        int rowsLoadedNext;
        bool beyondKept;  // positions 201 to 10000 as they were
    };
    const Case cases[] = {
        {"saved unchanged: the whole section stays as it was", 200, 200, true},
        {"one row deleted: position 200 goes, 201 and up stay but are out of reach", 199, 199,
         true},
        {"one row added in the run: written as 201, but the next start shows 200", 201, 200, false},
    };
    for (const Case& c : cases) {
        MemorySettingsStore copy = store;
        ActionList saved = list;
        while (static_cast<int>(saved.Count()) > c.rowsSaved) {
            saved.Remove(saved.Count());
        }
        while (static_cast<int>(saved.Count()) < c.rowsSaved) {
            ActionRecord row;
            row.ActionType = "Mute";
            row.Data = "added";
            saved.Add(row);
        }
        SaveRegActions(copy, saved);
        const MemorySettingsStore::Section after = SectionOf(copy, kActionsSection);
        if (c.rowsSaved == 200) {
            EXPECT_EQ(after, before) << c.name;
        }
        for (const auto& [key, value] : beyond) {
            const auto found = after.find(key);
            const bool same = found != after.end() && found->second == value;
            const bool position201 = key.substr(key.find_first_of("0123456789")) == "201";
            if (c.beyondKept || !position201) {
                ASSERT_TRUE(same) << c.name << ": " << key;
            }
        }
        EXPECT_EQ(after.size(),
                  before.size() - static_cast<std::size_t>(200 - std::min(c.rowsSaved, 200)) * 4)
            << c.name;

        ActionList next;
        LoadRegActions(copy, next);
        EXPECT_EQ(static_cast<int>(next.Count()), c.rowsLoadedNext) << c.name;
        if (c.rowsSaved == 201) {
            EXPECT_EQ(copy.GetSetting(kActionsSection, "Data201", ""), "added") << c.name;
        }
    }
}

// A journal not written by this program, or damaged after it was written: applied only when it
// is marked complete and holds every entry its count names; dropped otherwise, and "Actions"
// then keeps the last full save.
TEST(StoreRobustness, DamagedJournalIsAppliedWholeOrDropped) {
    const std::string big = Megabyte('a');
    const Keys old = Numbered(1, 2, "old");
    struct Case {
        const char* name;
        Keys journal;
        Rows loaded;
    };
    const Rows oldRows = {{"Paste Text", "CTRL + ALT + K", "old 1", "31"},
                          {"Paste Text", "", "old 2", "32"}};
    const Case cases[] = {
        {"negative count", {{"Count", "-1"}, {"Complete", "True"}}, oldRows},
        {"count beyond the entries present",
         Join({{{"Count", "2147483647"}, {"Complete", "True"}}, Entry(1, "Mute", "", " ", "28")}),
         oldRows},
        {"count with a NUL",
         Join({{{"Count", "1\0"s}, {"Complete", "True"}}, Entry(1, "Mute", "", " ", "28")}),
         oldRows},
        {"mark in other letters",
         Join({{{"Count", "1"}, {"Complete", "true"}}, Entry(1, "Mute", "", " ", "28")}), oldRows},
        {"mark with a trailing blank",
         Join({{{"Count", "1"}, {"Complete", "True "}}, Entry(1, "Mute", "", " ", "28")}), oldRows},
        {"complete with 1 MB and NUL texts: applied byte for byte",
         Join({{{"Count", "1"}, {"Complete", "True"}}, Entry(1, "Mute\0"s, big, big, "x")}),
         {{"Mute\0"s, big, big, "2"}}},
        {"complete and empty: the list was emptied", {{"Count", "0"}, {"Complete", "True"}}, {}},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        for (const auto& [key, value] : old) {
            store.SaveSetting(kActionsSection, key, value);
        }
        for (const auto& [key, value] : c.journal) {
            store.SaveSetting(kActionsJournalSection, key, value);
        }
        ActionList list;
        LoadRegActions(store, list);
        EXPECT_TRUE(RowsOf(list) == c.loaded) << c.name << Shown(RowsOf(list));
        EXPECT_TRUE(SectionOf(store, kActionsJournalSection).empty()) << c.name;
    }
}

// The start after a save was cut short finishes it; a start stopped during that, at any change,
// or on a store that stopped taking changes, still leaves the next start the whole new list,
// because the journal stays until "Actions" is seen to hold it.
TEST(StoreRobustness, AStartStoppedWhileItFinishesACutShortSaveStillEndsWithTheNewList) {
    const Keys old = Numbered(1, 30, "old");
    const Keys journal = Join({{{"Count", "25"}, {"Complete", "True"}}, Numbered(1, 25, "new")});
    MemorySettingsStore before;
    for (const auto& [key, value] : old) {
        before.SaveSetting(kActionsSection, key, value);
    }
    for (const auto& [key, value] : journal) {
        before.SaveSetting(kActionsJournalSection, key, value);
    }
    MemorySettingsStore expected = before;
    ActionList newList;
    LoadRegActions(expected, newList);
    ASSERT_EQ(newList.Count(), 25u);
    ASSERT_EQ(newList.At(25).Data, "new 25");

    MemorySettingsStore probe = before;
    fakes::FaultyStore counter(probe, SIZE_MAX, fakes::FaultyStore::Fault::Stop);
    ActionList ignored;
    LoadRegActions(counter, ignored);
    for (auto fault : {fakes::FaultyStore::Fault::Stop, fakes::FaultyStore::Fault::FailSilently}) {
        for (std::size_t k = 0; k <= counter.Changes(); ++k) {
            // Clearing 200 positions repeats one step; a sample of it is enough.
            if (k > 16 && k + 130 < counter.Changes() && k % 11 != 0) {
                continue;
            }
            MemorySettingsStore store = before;
            fakes::FaultyStore faulty(store, k, fault);
            try {
                ActionList cut;
                LoadRegActions(faulty, cut);
            } catch (const fakes::FaultyStore::Stopped&) {
            }
            ActionList next;
            LoadRegActions(store, next);
            ASSERT_EQ(RowsOf(next), RowsOf(newList)) << "stopped at change " << k;
            ASSERT_EQ(store.AllSections(), expected.AllSections()) << "stopped at change " << k;
        }
    }
}

TEST(StoreRobustness, DamagedSettingsReadAsDefinedValues) {
    const std::string bigNumber(1 << 20, '7');
    const std::string bigPath = "C:\\" + Megabyte('a') + ".ico";
    struct Case {
        const char* name;
        Keys stored;                         // section "Settings" as found
        void (*expected)(StartupSettings&);  // changes from what an empty store gives
    };
    const Case cases[] = {
        {"a size with a NUL is no size",
         {{"MainWindowWidth", "7000\0"s}, {"MainWindowHeight", "5000"}},
         [](StartupSettings& s) { s.Height = 5000; }},
        {"hexadecimal, exponents, NaN and infinity are no numbers",
         {{"MainWindowWidth", "0x1F40"}, {"MainWindowHeight", "1e4"}, {"MainWindowState", "NaN"}},
         [](StartupSettings&) {}},
        {"infinity as state", {{"MainWindowState", "inf"}}, [](StartupSettings&) {}},
        {"a 1 MB number is out of range",
         {{"MainWindowWidth", bigNumber}, {"MainWindowHeight", "5000"}},
         [](StartupSettings& s) { s.Height = 5000; }},
        {"blanks around a number and a fraction are accepted",
         {{"MainWindowWidth", "  7000  "},
          {"MainWindowHeight", "+5000.4999"},
          {"MainWindowState", "1.5"}},
         [](StartupSettings& s) {
             s.Width = 7000;
             s.Height = 5000;
             s.State = 2;
         }},
        {"zero and negative sizes are read as stored, and are no usable size",
         {{"MainWindowWidth", "0"}, {"MainWindowHeight", "-1"}},
         [](StartupSettings& s) {
             s.Width = 0;
             s.Height = -1;
         }},
        {"flags: NUL, other words and exponents keep the default; any non-zero number is true",
         {{"Startup", "False\0"s},
          {"NewFolder", "no"},
          {"WindowsMaximized", "-1"},
          {"WindowsNormal", "1e0"},
          {"WindowsMinimized", std::string(1 << 20, '0')}},
         [](StartupSettings& s) {
             s.OpenMaximized = true;
             s.OpenNormal = false;
         }},
        {"three damaged open modes read as none, which is \"Default\"",
         {{"WindowsMaximized", "yes"}, {"WindowsNormal", "\0"s}, {"WindowsMinimized", ""}},
         [](StartupSettings&) {}},
        {"the icon path is kept as found; whether it loads decides later",
         {{"Icon", bigPath}},
         [](StartupSettings& s) { s.Icon = std::string("C:\\") + Megabyte('a') + ".ico"; }},
        {"an icon path with a NUL",
         {{"Icon", "C:\\a\0.ico"s}},
         [](StartupSettings& s) { s.Icon = "C:\\a\0.ico"s; }},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        for (const auto& [key, value] : c.stored) {
            store.SaveSetting(kSettingsSection, key, value);
        }
        const StartupSettings read = ReadStartupSettings(store);
        StartupSettings expected;
        c.expected(expected);
        EXPECT_EQ(read.OpenMaximized, expected.OpenMaximized) << c.name;
        EXPECT_EQ(read.OpenNormal, expected.OpenNormal) << c.name;
        EXPECT_EQ(read.OpenMinimized, expected.OpenMinimized) << c.name;
        EXPECT_EQ(read.Startup, expected.Startup) << c.name;
        EXPECT_EQ(read.DoNotReuse, expected.DoNotReuse) << c.name;
        EXPECT_EQ(read.Width, expected.Width) << c.name;
        EXPECT_EQ(read.Height, expected.Height) << c.name;
        EXPECT_EQ(read.State, expected.State) << c.name;
        EXPECT_TRUE(read.Icon == expected.Icon) << c.name << ": " << Shown(read.Icon);
    }
}

// Everything damaged at once, then one ordinary run: the store the exit leaves behind holds only
// values the program writes itself, and nothing the list showed is lost.
TEST(StoreRobustness, OneRunOverAStoreDamagedEverywhereLeavesItWellFormed) {
    MemorySettingsStore store;
    for (const auto& [key, value] : Join({Entry(1, "Mute", "null", "a\0b"s, "garbage"),
                                          Entry(2, "Frobnicate", "\0"s, "", ""),
                                          {{"ActionType3", "Logoff"}},
                                          Entry(4, "null", "", "", "2"),
                                          Entry(5, "Mute", "", " ", "28")})) {
        store.SaveSetting(kActionsSection, key, value);
    }
    for (const auto& [key, value] : Keys{{"MainWindowWidth", "abc"},
                                         {"MainWindowHeight", "5000\0"s},
                                         {"MainWindowState", "9"},
                                         {"Startup", "maybe"},
                                         {"NewFolder", ""},
                                         {"WindowsMaximized", "yes"},
                                         {"Icon", ""},
                                         {"Email1", "someone@example.test"}}) {
        store.SaveSetting(kSettingsSection, key, value);
    }
    store.SaveSetting(kActionsJournalSection, "Count", "zzz");

    ActionList list;
    LoadRegActions(store, list);
    const StartupSettings startup = ReadStartupSettings(store);
    const Rows shown = RowsOf(list);
    ASSERT_EQ(shown, (Rows{{"Mute", "null", "a\0b"s, "2"},
                           {"Frobnicate", "\0"s, "", "2"},
                           {"Logoff", "null", "null", "2"}}));

    ExitSettings exit;
    exit.IconPath = RememberedIconPath(startup.Icon, [](const std::string&) { return false; });
    exit.OpenMaximized = startup.OpenMaximized;
    exit.OpenNormal = startup.OpenNormal;
    exit.OpenMinimized = startup.OpenMinimized;
    exit.Startup = startup.Startup;
    exit.DoNotReuse = startup.DoNotReuse;
    exit.Width = 9000;
    exit.Height = 6000;
    exit.State = 0;
    SaveSettingsAtExit(store, exit, list);

    EXPECT_EQ(SectionOf(store, kSettingsSection),
              SectionFrom({{"Icon", "#DEFAULT#"},
                           {"WindowsMaximized", "False"},
                           {"WindowsNormal", "True"},
                           {"WindowsMinimized", "False"},
                           {"Startup", "True"},
                           {"NewFolder", "True"},
                           {"MainWindowWidth", "9000"},
                           {"MainWindowHeight", "6000"},
                           {"MainWindowState", "0"},
                           {"Email1", "someone@example.test"}}));
    EXPECT_EQ(SectionOf(store, kActionsSection),
              SectionFrom(Join({Entry(1, "Mute", "null", "a\0b"s, "2"),
                                Entry(2, "Frobnicate", "\0"s, "", "2"),
                                Entry(3, "Logoff", "null", "null", "2")})));
    EXPECT_TRUE(SectionOf(store, kActionsJournalSection).empty());

    ActionList next;
    LoadRegActions(store, next);
    EXPECT_EQ(RowsOf(next), shown);
}

}  // namespace
}  // namespace tessarin
