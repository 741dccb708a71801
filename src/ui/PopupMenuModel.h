#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/ActionRecord.h"
#include "model/Text.h"

namespace tessarin {

inline constexpr const char* kConfigureCaption = "Configure Tessarin";
inline constexpr const char* kUnloadCaption = "Unload Tessarin";

// The three entry pictures, numbered as the image list holds them.
enum class PopupBitmap { FileOrFolder = 1, ShellPlace = 2, WebOrMail = 3 };

// One row of the popup table: the text the entry caption is made from, the action caption that
// decides its group, and the data handed to the executor when the entry is chosen.
struct PopupItem {
    std::string Str;
    std::string Tag;
    std::string Param;
};

// What an entry runs: the action caption and its data.
struct PopupRun {
    std::string Caption;
    std::string Data;
};

// The popup table, one row per list row. Rows beyond the last one are never offered, so a long
// list simply ends its popup there.
class PopupItems {
  public:
    static constexpr std::size_t kRows = 200;

    // Writes row i (1 to kRows) with its three texts trimmed of blanks; other rows are ignored.
    void Setmenuitem(std::size_t i, std::string_view sStr, std::string_view sTag,
                     std::string_view sParam);
    // Empties every row's text and tag. The data stays: an entry chosen while the list changed
    // under an open popup still runs what that popup showed.
    void ClearTexts();

    const PopupItem& Row(std::size_t k) const { return rows_.at(k - 1); }
    // What the entry made from row k runs; adjacent quote pairs in the data collapse to one.
    PopupRun EntryRun(std::size_t k) const;

  private:
    std::array<PopupItem, kRows> rows_{};
};

struct PopupEntry {
    std::string Caption;
    std::size_t Row = 0;  // the list row, and the popup-table row, it was made from
    PopupBitmap Bitmap = PopupBitmap::FileOrFolder;

    bool operator==(const PopupEntry&) const = default;
};

// The popup as it is about to be shown: the shortcut entries in order, then a separator,
// "Configure Tessarin", the hotkey toggle with this caption, a separator and "Unload Tessarin".
struct PopupMenuContent {
    std::vector<PopupEntry> Entries;
    std::string ToggleCaption;
};

// Adds the entries of one group to the end of entries, in list order, and returns the next free
// entry number (entry j is entries[j - 1]).
std::size_t FixMenuItems(const PopupItems& popupItems, std::size_t listRows, std::string_view sTag,
                         std::size_t j, std::string_view sPrefixStr, PopupBitmap bitmap,
                         std::vector<PopupEntry>& entries);

// Refills the popup table from the list and returns the shortcut entries, group by group.
std::vector<PopupEntry> UpdatePopupMenu(const ActionList& listView1, PopupItems& popupItems);

PopupMenuContent BuildPopupMenuContent(const ActionList& listView1, PopupItems& popupItems,
                                       bool hotkeysEnabled);

}  // namespace tessarin
