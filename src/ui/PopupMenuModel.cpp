#include "ui/PopupMenuModel.h"

#include "actions/Executor.h"
#include "hotkeys/Hotkeys.h"

namespace tessarin {
namespace {

// What a list row offers in the popup: the text its caption is made from and what it runs.
// Rows whose caption is not listed here are not offered.
struct OfferRule {
    const char* Caption;
    enum { DataEntry, SearchEntry, PlaceEntry } Kind;
};

constexpr OfferRule kOfferRules[] = {
    {"Go to URL", OfferRule::DataEntry},
    {"Send Email", OfferRule::DataEntry},
    {"Open File/Folder", OfferRule::DataEntry},
    {"Search Google", OfferRule::SearchEntry},
    {"Search Yahoo", OfferRule::SearchEntry},
    {"Control Panel", OfferRule::PlaceEntry},
    {"My Computer", OfferRule::PlaceEntry},
    {"Network", OfferRule::PlaceEntry},
    {"Printers", OfferRule::PlaceEntry},
    {"Recycle Bin", OfferRule::PlaceEntry},
    {"Open Add/Remove Programs", OfferRule::PlaceEntry},
    {"Open Desktop Properties", OfferRule::PlaceEntry},
    {"Open System Properties", OfferRule::PlaceEntry},
};

struct PopupGroup {
    const char* Tag;
    const char* Prefix;
    PopupBitmap Bitmap;
};

constexpr PopupGroup kGroups[] = {
    {"Open File/Folder", "Open ", PopupBitmap::FileOrFolder},
    {"Go to URL", "Browse ", PopupBitmap::WebOrMail},
    {"Send Email", "Email ", PopupBitmap::WebOrMail},
    {"Search Google", "", PopupBitmap::WebOrMail},
    {"Search Yahoo", "", PopupBitmap::WebOrMail},
    {"Control Panel", "Open ", PopupBitmap::ShellPlace},
    {"My Computer", "Open ", PopupBitmap::ShellPlace},
    {"Network", "Open ", PopupBitmap::ShellPlace},
    {"Printers", "Open ", PopupBitmap::ShellPlace},
    {"Recycle Bin", "Open ", PopupBitmap::ShellPlace},
    {"Open Add/Remove Programs", "", PopupBitmap::ShellPlace},
    {"Open Desktop Properties", "", PopupBitmap::ShellPlace},
    {"Open System Properties", "", PopupBitmap::ShellPlace},
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

std::string CollapseDoubledQuotes(std::string_view text) {
    std::string collapsed;
    collapsed.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        collapsed += text[i];
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            ++i;
        }
    }
    return collapsed;
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
        for (const OfferRule& rule : kOfferRules) {
            if (caption != rule.Caption) {
                continue;
            }
            switch (rule.Kind) {
                case OfferRule::DataEntry:
                    if (!data.empty()) {
                        popupItems.Setmenuitem(k, data, caption, data);
                    }
                    break;
                case OfferRule::SearchEntry:
                    popupItems.Setmenuitem(k, caption, caption, kSearchData);
                    break;
                case OfferRule::PlaceEntry:
                    popupItems.Setmenuitem(k, caption, caption, data);
                    break;
            }
            break;
        }
    }

    std::vector<PopupEntry> entries;
    std::size_t j = 1;
    for (const PopupGroup& group : kGroups) {
        j = FixMenuItems(popupItems, listView1.Count(), group.Tag, j, group.Prefix, group.Bitmap,
                         entries);
    }
    return entries;
}

PopupMenuContent BuildPopupMenuContent(const ActionList& listView1, PopupItems& popupItems,
                                       bool hotkeysEnabled) {
    return {UpdatePopupMenu(listView1, popupItems),
            hotkeysEnabled ? kDisableAllHotkeys : kEnableAllHotkeys};
}

}  // namespace tessarin
