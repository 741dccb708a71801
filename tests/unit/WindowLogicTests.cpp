#include "ui/MainWindowLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FakeRawRegistry.h"
#include "model/MemorySettingsStore.h"
#include "platform/Windows1252CodePage.h"
#include "ui/PopupMenuModel.h"
#include "ui/PromptLogic.h"

namespace tessarin {
namespace {

TEST(LayOutMainWindow, TheListGrowsWithTheWindowDownToAMinimumAndTheButtonsStayCentred) {
    const auto at = [](int width, int height) {
        const MainLayout l = LayOutMainWindow(width, height);
        return std::vector<int>{l.ListWidth, l.ListHeight, l.ButtonTop, l.AddLeft,
                                l.DeleteLeft - l.AddLeft};
    };
    const std::vector<int> min = at(kMinLayoutWidth, kMinLayoutHeight);
    EXPECT_EQ(at(3000, 2000), min);
    EXPECT_EQ(at(kMinLayoutWidth + 1000, kMinLayoutHeight + 600),
              (std::vector<int>{min[0] + 1000, min[1] + 600, min[2] + 600, min[3] + 500, min[4]}));
}

TEST(MainWindowLogic, SlashMStartsHiddenAndTheRunEntryPassesItMachineWideOnlyWhereAllowed) {
    const std::pair<const char*, bool> lines[] = {
        {"\"C:\\T\\Tessarin.exe\" /m", true}, {"x/my", true}, {"/M", false}, {"-m", false}};
    for (const auto& [line, hidden] : lines) {
        EXPECT_EQ(StartsInNotificationArea(line), hidden) << line;
    }
    EXPECT_EQ(RunEntryData("C:\\Program Files\\Tessarin", "Tessarin"),
              "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m");
    // The entry is machine-wide only for a protected file with the right to write it.
    const std::string data = "\"C:\\T\\Tessarin.exe\" /m";
    const std::string other = "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m";
    const struct {
        bool machineWide, machineWritable, startup;
        std::string machineBefore;  // empty: absent
        const char* after;          // machine|user: "-" absent, "D" the data, "O" the other
    } cases[] = {{true, true, true, "", "D|-"},
                 {true, false, true, "", "-|D"},
                 {true, true, false, "old", "-|-"},
                 // A portable copy, even with the rights: per-user, and its own old machine-wide
                 // entry goes; another program's entry of that name stays.
                 {false, true, true, data, "-|D"},
                 {false, true, true, other, "O|D"}};
    for (const auto& c : cases) {
        fakes::FakeRawRegistry registry;
        registry.Put(reg::kCurrentUser, kRunKey, kRunValue, RegistryData{reg::kSz, "old", {}});
        if (!c.machineBefore.empty()) {
            registry.Put(reg::kLocalMachine, kRunKey, kRunValue,
                         RegistryData{reg::kSz, c.machineBefore, {}});
        }
        if (!c.machineWritable) {
            registry.readOnlyRoots.insert(reg::kLocalMachine);
        }
        UpdateRunEntry(registry, c.startup, data, c.machineWide);
        const auto entry = [&](std::int32_t root) -> std::string {
            const RegistryData* value = registry.Find(root, kRunKey, kRunValue);
            const std::string text = value == nullptr ? "-" : value->Text.c_str();
            EXPECT_TRUE(value == nullptr || value->Type == reg::kSz);
            return text == data ? "D" : text == other ? "O" : text;
        };
        EXPECT_EQ(entry(reg::kLocalMachine) + "|" + entry(reg::kCurrentUser), c.after)
            << c.machineWide << c.machineWritable << c.startup;
    }
    // A file is protected only inside an administrators' folder.
    const std::vector<std::string> folders = {"C:\\Program Files", "C:\\Program Files (x86)\\", "",
                                              "D:\\BAZAAR"};
    const std::pair<const char*, bool> paths[] = {
        {"C:\\Program Files\\Tessarin\\Tessarin.exe", true},
        {"c:/program files/tessarin/Tessarin.exe", true},
        {"d:\\bazaar\\Tessarin.exe", true},
        {"\\\\?\\C:\\Program Files\\Tessarin\\Tessarin.exe", true},
        {"C:\\Program Files (x86)\\Tessarin.exe", true},
        {"C:\\Program Files Evil\\Tessarin.exe", false},
        {"C:\\Program Files\\", false},
        {"C:\\Program Files\\..\\Tools\\Tessarin.exe", false},
        {"D:\\Program Files\\Tessarin.exe", false},
        {"\\\\server\\C$\\Program Files\\Tessarin.exe", false}};
    for (const auto& [path, inside] : paths) {
        EXPECT_EQ(IsProtectedProgramPath(path, folders), inside) << path;
    }
}

using Rows = std::vector<std::pair<std::string, std::string>>;  // caption, data

ActionList ListOf(const Rows& rows) {
    ActionList list;
    for (const auto& [caption, data] : rows) {
        list.Add({caption, "", data, 2, 0, {}});
    }
    return list;
}

// Each entry as row:picture:caption, "|" between entries.
std::string Show(const std::vector<PopupEntry>& entries) {
    std::string text;
    for (const PopupEntry& e : entries) {
        text += (text.empty() ? "" : "|") + std::to_string(e.Row) + ":" +
                std::to_string(static_cast<int>(e.Bitmap)) + ":" + e.Caption;
    }
    return text;
}

TEST(PopupMenu, EntriesFollowTheGroupOrderKeepListOrderAndRunWhatThePopupShowed) {
    PopupItems items;
    const std::pair<Rows, const char*> cases[] = {
        {{{"Go to URL", "http://a.test/"},
          {"Search Google", " "},
          {"Open File/Folder", "\"C:\\My Files\\x.txt\" "},
          {"Go to URL", "  http://b.test/ "}},
         "3:1:Open \"C:\\My Files\\x.txt\"|1:3:Browse http://a.test/|4:3:Browse http://b.test/|"
         "2:3:Search Google"},
        // Data without characters gives no entry, except for a place.
        {{{"Open File/Folder", ""}, {"Network", ""}, {"", "http://x.test/"}}, "2:2:Open Network"},
        // Only the exact "Email mailto:" loses its scheme, and only in the caption.
        {{{"Send Email", "MAILTO:a@b.test"}, {"Open File/Folder", "Email mailto:x"}},
         "2:1:Open Email x|1:3:Email MAILTO:a@b.test"},
        {{{"go to url", "http://a.test/"}, {"Network ", ""}}, ""}};
    for (const auto& [rows, entries] : cases) {
        EXPECT_EQ(Show(UpdatePopupMenu(ListOf(rows), items)), entries);
    }
    Rows many(250, {"Mute", ""});
    many[0] = many[199] = many[200] = {"Go to URL", "http://x.test/"};
    many[249] = {"Network", ""};
    EXPECT_EQ(Show(UpdatePopupMenu(ListOf(many), items)),
              "1:3:Browse http://x.test/|200:3:Browse http://x.test/");

    // Doubled quotes in the data are collapsed when an entry runs.
    ActionList list = ListOf({{"Open File/Folder", " \"\"C:\\a b\\x.exe\"\" \"\"\"-v\" "},
                              {"Search Yahoo", ""},
                              {"Network", " \\\\server "},
                              {"Send Email", "mailto:a@b.test"}});
    ASSERT_EQ(UpdatePopupMenu(list, items).size(), 4u);
    std::string runs;
    for (std::size_t row = 1; row <= 4; ++row) {
        runs += items.EntryRun(row).Caption + ">" + items.EntryRun(row).Data + "|";
    }
    EXPECT_EQ(runs,
              "Open File/Folder>\"C:\\a b\\x.exe\" \"\"-v\"|Search Yahoo>-|Network>\\\\server|"
              "Send Email>mailto:a@b.test|");
    // Rows outside the table are ignored.
    items.Setmenuitem(0, "x", "Mute", "x");
    items.Setmenuitem(PopupItems::kRows + 1, "x", "Mute", "x");
    // A rebuild drops the removed row's entry, but the popup still open runs what it showed.
    list.Remove(1);
    EXPECT_EQ(Show(UpdatePopupMenu(list, items)),
              "3:3:Email a@b.test|1:3:Search Yahoo|2:2:Open Network");
    EXPECT_EQ(items.Row(4).Tag + "|" + items.EntryRun(4).Data, "|mailto:a@b.test");
    EXPECT_EQ(BuildPopupMenuContent(list, items, true).ToggleCaption, "Disable All Hotkeys");
    EXPECT_EQ(BuildPopupMenuContent(list, items, false).ToggleCaption, "Enable All Hotkeys");
}

// A double-byte page in miniature: katakana A is 0x83 0x41 in Shift-JIS, a trail byte that
// reads as the letter A.
struct DoubleBytePage final : CodePage {
    std::string ToAnsi(std::string_view utf8) const override {
        return utf8 == "\xE3\x82\xA2" ? "\x83\x41" : Windows1252CodePage().ToAnsi(utf8);
    }
    std::string FromAnsi(unsigned char) const override { return {}; }
};

TEST(SearchPrompt, EscapesEverythingButAsciiLettersAndDigitsAndBlanksAloneAreNoQuery) {
    const std::pair<const char*, const char*> cases[] = {
        {" a-b ", "%20a%2Db%20"}, {"Zz09+._~", "Zz09%2B%2E%5F%7E"},
        {"a\nb\t", "a%0Ab%09"},   {"caf\xC3\xA9\xE2\x82\xAC", "caf%E9%80"},
        {"\xC4\x80x", "%3Fx"},    {"", ""}};
    const Windows1252CodePage page;
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(EncodeQuery(text, page), encoded) << text;
    }
    EXPECT_EQ(EncodeQuery("\xE3\x82\xA2\x42", DoubleBytePage()), "%83%41B");
    EXPECT_EQ(AcceptedSearchQuery("", page) + AcceptedSearchQuery("    ", page) + "|" +
                  AcceptedSearchQuery(" a ", page) + AcceptedSearchQuery("\t", page),
              "|%20a%20%09");
}

// "1=a 3= L=a" stands for Email1 "a", an empty Email3 and LastEmail "a"; "*" fills all 200.
MemorySettingsStore StoreWith(const std::string& text) {
    MemorySettingsStore store;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        for (int slot = 1; word == "*" && slot <= kEmailSlotCount; ++slot) {
            store.SaveSetting(kEmailSection, EmailSlotKey(slot), std::to_string(slot));
        }
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos) {
            const std::string name = word.substr(0, equals);
            store.SaveSetting(kEmailSection, name == "L" ? kLastEmailKey : "Email" + name,
                              word.substr(equals + 1));
        }
    }
    return store;
}

// Accepting remembers a new receiver once in the lowest free slot; removing asks once per
// matching slot ("... delete <text> ?") and deletes LastEmail with each confirmed one.
TEST(EmailPrompt, AcceptAndRemoveKeepTheSlots) {
    const struct {
        const char* before;
        const char* typed;
        const char* answer;  // null: removed, with one question per answer below
        const char* after;
        std::vector<bool> answers;
    } cases[] = {{"", "  a@x  ", "a@x", "1=a@x L=a@x", {}},
                 {"1=a", "   ", "", "1=a", {}},
                 {"1=a 2=b L=b", " a", "a", "1=a 2=b L=b", {}},
                 {"1=A@x", "a@x", "a@x", "1=A@x 2=a@x L=a@x", {}},
                 {"1=a 2= 4=d", "n", "n", "1=a 2=n 4=d L=n", {}},
                 {"* 7=", "200", "200", "* 7=", {}},
                 {"*", "new", "new", "*", {}},
                 {"1=a 2=b 3=c L=c", "b", nullptr, "1=a 3=c", {true}},
                 {"1=a 2=b 3=c L=c", "b", nullptr, "1=a 2=b 3=c L=c", {false}},
                 {"1=a 2= L=a", "", nullptr, "1=a 2= L=a", {}},
                 {"1=a 2=b L=b", "B", nullptr, "1=a 2=b L=b", {}},
                 {"2=x 5=x L=x", "x", nullptr, "2=x", {false, true}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " / " + c.typed);
        MemorySettingsStore store = StoreWith(c.before);
        std::vector<std::string> asked;
        if (c.answer != nullptr) {
            EXPECT_EQ(AcceptEmailReceiver(c.typed, store), c.answer);
        } else {
            EXPECT_EQ(RemoveEmail(c.typed, store,
                                  [&](const std::string& question) {
                                      asked.push_back(question);
                                      return asked.size() <= c.answers.size() &&
                                             c.answers[asked.size() - 1];
                                  }),
                      StoreWith(c.after).AllSections() != StoreWith(c.before).AllSections());
        }
        EXPECT_EQ(asked,
                  std::vector<std::string>(c.answers.size(), "Are you sure you want to delete " +
                                                                 std::string(c.typed) + " ?"));
        EXPECT_EQ(store.AllSections(), StoreWith(c.after).AllSections());
    }
    const EmailList list = LoadEmailList(StoreWith("10=j 2=b 1=a 3= 200=z 0=no 201=no L=b"));
    EXPECT_EQ(list.Receivers, (std::vector<std::string>{"a", "b", "j", "z"}));
    EXPECT_EQ(list.LastEmail, "b");
}

}  // namespace
}  // namespace tessarin
