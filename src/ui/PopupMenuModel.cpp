#include "ui/PopupMenuModel.h"

#include "hotkeys/Hotkeys.h"
#include "model/ActionCaptions.h"

namespace tessarin {
namespace {

using namespace captions;

// The list rows the popup offers, group by group in the order the popup shows them: the caption,
// the text its entries are made from and what they run, the prefix of their text and their
// picture. Rows whose caption is not listed here are not offered.
struct PopupGroup {
    std::string_view Caption;
    enum { DataEntry, SearchEntry, PlaceEntry } Kind;
    const char* Prefix;
    PopupBitmap Bitmap;
};

constexpr PopupGroup kGroups[] = {
    {kOpenFileFolder, PopupGroup::DataEntry, "Open ", PopupBitmap::FileOrFolder},
    {kGoToUrl, PopupGroup::DataEntry, "Browse ", PopupBitmap::WebOrMail},
    {kSendEmail, PopupGroup::DataEntry, "Email ", PopupBitmap::WebOrMail},
    {kSearchGoogle, PopupGroup::SearchEntry, "", PopupBitmap::WebOrMail},
    {kSearchYahoo, PopupGroup::SearchEntry, "", PopupBitmap::WebOrMail},
    {kControlPanel, PopupGroup::PlaceEntry, "Open ", PopupBitmap::ShellPlace},
    {kMyComputer, PopupGroup::PlaceEntry, "Open ", PopupBitmap::ShellPlace},
    {kNetwork, PopupGroup::PlaceEntry, "Open ", PopupBitmap::ShellPlace},
    {kPrinters, PopupGroup::PlaceEntry, "Open ", PopupBitmap::ShellPlace},
    {kRecycleBin, PopupGroup::PlaceEntry, "Open ", PopupBitmap::ShellPlace},
    {kOpenAddRemovePrograms, PopupGroup::PlaceEntry, "", PopupBitmap::ShellPlace},
    {kOpenDesktopProperties, PopupGroup::PlaceEntry, "", PopupBitmap::ShellPlace},
    {kOpenSystemProperties, PopupGroup::PlaceEntry, "", PopupBitmap::ShellPlace},
};

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The search prompt asks for the query, so a search runs with a placeholder that the executor
// does not take for missing data.
constexpr const char* kSearchData = "-";

}  // namespace

void PopupItems::Setmenuitem(std::size_t i, std::string_view sStr, std::string_view sTag,
                             std::string_view sParam) {
    if (i < 1 || i > kRows) {
        return;
    }
    PopupItem& row = rows_[i - 1];
    row.Str = TrimBlanks(sStr);
    row.Tag = TrimBlanks(sTag);
    row.Param = TrimBlanks(sParam);
}

void PopupItems::ClearTexts() {
    for (PopupItem& row : rows_) {
        row.Str.clear();
        row.Tag.clear();
    }
}

PopupRun PopupItems::EntryRun(std::size_t k) const {
    const PopupItem& row = Row(k);
    return {row.Tag, CollapseDoubledQuotes(row.Param)};
}

std::size_t FixMenuItems(const PopupItems& popupItems, std::size_t listRows, std::string_view sTag,
                         std::size_t j, std::string_view sPrefixStr, PopupBitmap bitmap,
                         std::vector<PopupEntry>& entries) {
    const std::size_t rows = listRows < PopupItems::kRows ? listRows : PopupItems::kRows;
    for (std::size_t k = 1; k <= rows; ++k) {
        const PopupItem& row = popupItems.Row(k);
        if (row.Tag != sTag) {
            continue;
        }
        std::string text = std::string(sPrefixStr) + row.Str;
        // An e-mail action's data is a mailto: link; the entry shows the address alone.
        text = ReplaceAll(std::move(text), "Email mailto:", "Email ");
        entries.push_back({std::move(text), k, bitmap});
        ++j;
    }
    return j;
}

std::vector<PopupEntry> UpdatePopupMenu(const ActionList& listView1, PopupItems& popupItems) {
    popupItems.ClearTexts();
    std::size_t k = 0;
    for (const ActionRecord& record : listView1) {
        if (++k > PopupItems::kRows) {
            break;
        }
        const std::string& caption = record.ActionType;
        const std::string& data = record.Data;
        if (caption.empty()) {
            continue;
        }
        for (const PopupGroup& group : kGroups) {
            if (caption != group.Caption) {
                continue;
            }
            switch (group.Kind) {
                case PopupGroup::DataEntry:
                    if (!data.empty()) {
                        popupItems.Setmenuitem(k, data, caption, data);
                    }
                    break;
                case PopupGroup::SearchEntry:
                    popupItems.Setmenuitem(k, caption, caption, kSearchData);
                    break;
                case PopupGroup::PlaceEntry:
                    popupItems.Setmenuitem(k, caption, caption, data);
                    break;
            }
            break;
        }
    }

    std::vector<PopupEntry> entries;
    std::size_t j = 1;
    for (const PopupGroup& group : kGroups) {
        j = FixMenuItems(popupItems, listView1.Count(), group.Caption, j, group.Prefix,
                         group.Bitmap, entries);
    }
    return entries;
}

PopupMenuContent BuildPopupMenuContent(const ActionList& listView1, PopupItems& popupItems,
                                       bool hotkeysEnabled) {
    return {UpdatePopupMenu(listView1, popupItems),
            hotkeysEnabled ? kDisableAllHotkeys : kEnableAllHotkeys};
}

}  // namespace tessarin
