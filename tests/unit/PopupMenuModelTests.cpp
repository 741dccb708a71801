#include "ui/PopupMenuModel.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tessarin {
namespace {

using Bmp = PopupBitmap;

}  // namespace

// Readable failures: the caption, the row and the picture of each entry.
void PrintTo(const PopupEntry& entry, std::ostream* out) {
    *out << '"' << entry.Caption << "\" row " << entry.Row << " bitmap "
         << static_cast<int>(entry.Bitmap);
}

namespace {

ActionList ListOf(const std::vector<std::pair<std::string, std::string>>& rows) {
    ActionList list;
    for (const auto& [caption, data] : rows) {
        ActionRecord record;
        record.ActionType = caption;
        record.Data = data;
        list.Add(std::move(record));
    }
    return list;
}

std::vector<PopupEntry> EntriesOf(const ActionList& list) {
    PopupItems items;
    return UpdatePopupMenu(list, items);
}

TEST(PopupMenu, EntriesFollowTheGroupOrderAndKeepListOrderWithinAGroup) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> rows;
        std::vector<PopupEntry> entries;
    } cases[] = {
        {"machine actions only", {{"Shutdown Computer", " "}, {"Shutdown Computer", ""}}, {}},
        {"URL, search, file, URL",
         {{"Go to URL", "http://a.test/"},
          {"Search Google", " "},
          {"Open File/Folder", "\"C:\\My Files\\x.txt\" "},
          {"Go to URL", "  http://b.test/ "}},
         {{"Open \"C:\\My Files\\x.txt\"", 3, Bmp::FileOrFolder},
          {"Browse http://a.test/", 1, Bmp::WebOrMail},
          {"Browse http://b.test/", 4, Bmp::WebOrMail},
          {"Search Google", 2, Bmp::WebOrMail}}},
        {"every offered kind, listed backwards",
         {{"Open System Properties", ""},
          {"Open Desktop Properties", ""},
          {"Open Add/Remove Programs", ""},
          {"Recycle Bin", ""},
          {"Printers", ""},
          {"Network", ""},
          {"My Computer", ""},
          {"Control Panel", ""},
          {"Search Yahoo", ""},
          {"Send Email", "mailto:a@b.test"},
          {"Mute", ""}},
         {{"Email a@b.test", 10, Bmp::WebOrMail},
          {"Search Yahoo", 9, Bmp::WebOrMail},
          {"Open Control Panel", 8, Bmp::ShellPlace},
          {"Open My Computer", 7, Bmp::ShellPlace},
          {"Open Network", 6, Bmp::ShellPlace},
          {"Open Printers", 5, Bmp::ShellPlace},
          {"Open Recycle Bin", 4, Bmp::ShellPlace},
          {"Open Add/Remove Programs", 3, Bmp::ShellPlace},
          {"Open Desktop Properties", 2, Bmp::ShellPlace},
          {"Open System Properties", 1, Bmp::ShellPlace}}},
        {"data without characters gives no entry, except for a place",
         {{"Open File/Folder", ""},
          {"Go to URL", ""},
          {"Send Email", ""},
          {"Network", ""},
          {"", "http://x.test/"}},
         {{"Open Network", 4, Bmp::ShellPlace}}},
        // Only the exact "Email mailto:" loses its scheme, and only in the caption.
        {"mailto in captions",
         {{"Send Email", "MAILTO:a@b.test"}, {"Open File/Folder", "Email mailto:x"}},
         {{"Open Email x", 2, Bmp::FileOrFolder}, {"Email MAILTO:a@b.test", 1, Bmp::WebOrMail}}},
        {"captions compare exactly", {{"go to url", "http://a.test/"}, {"Network ", ""}}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EntriesOf(ListOf(c.rows)), c.entries) << c.name;
    }
}

TEST(PopupMenu, RowsBeyondTwoHundredAreNotOffered) {
    std::vector<std::pair<std::string, std::string>> rows(250, {"Mute", ""});
    rows[0] = {"Go to URL", "http://first.test/"};
    rows[199] = {"Go to URL", "http://last.test/"};
    rows[200] = {"Go to URL", "http://beyond.test/"};
    rows[249] = {"Network", ""};
    const std::vector<PopupEntry> expected = {
        {"Browse http://first.test/", 1, Bmp::WebOrMail},
        {"Browse http://last.test/", 200, Bmp::WebOrMail},
    };
    EXPECT_EQ(EntriesOf(ListOf(rows)), expected);
}

TEST(PopupMenu, EntriesRunTheirRowWithDoubledQuotesCollapsed) {
    PopupItems items;
    const ActionList list = ListOf({{"Open File/Folder", " \"\"C:\\a b\\x.exe\"\" \"\"\"-v\" "},
                                    {"Search Yahoo", ""},
                                    {"Network", " \\\\server "},
                                    {"Send Email", "mailto:a@b.test"}});
    ASSERT_EQ(UpdatePopupMenu(list, items).size(), 4u);
    const struct {
        std::size_t row;
        const char* caption;
        const char* data;
    } cases[] = {
        {1, "Open File/Folder", "\"C:\\a b\\x.exe\" \"\"-v\""},
        {2, "Search Yahoo", "-"},
        {3, "Network", "\\\\server"},
        {4, "Send Email", "mailto:a@b.test"},
    };
    for (const auto& c : cases) {
        const PopupRun run = items.EntryRun(c.row);
        EXPECT_EQ(run.Caption, c.caption) << c.row;
        EXPECT_EQ(run.Data, c.data) << c.row;
    }
}

TEST(PopupMenu, RebuildDropsEntriesOfRemovedRows) {
    PopupItems items;
    ActionList list = ListOf({{"Go to URL", "http://a.test/"}, {"Network", ""}});
    ASSERT_EQ(UpdatePopupMenu(list, items).size(), 2u);
    list.Remove(1);
    const std::vector<PopupEntry> expected = {{"Open Network", 1, Bmp::ShellPlace}};
    EXPECT_EQ(UpdatePopupMenu(list, items), expected);
    EXPECT_EQ(items.Row(2).Tag, "");
}

TEST(PopupMenu, ToggleCaptionFollowsTheHotkeysFlag) {
    PopupItems items;
    const ActionList list = ListOf({{"Network", ""}});
    EXPECT_EQ(BuildPopupMenuContent(list, items, true).ToggleCaption, "Disable All Hotkeys");
    EXPECT_EQ(BuildPopupMenuContent(list, items, false).ToggleCaption, "Enable All Hotkeys");
}

}  // namespace
}  // namespace tessarin
