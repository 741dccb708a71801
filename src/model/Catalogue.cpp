#include "model/Catalogue.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "model/ActionCaptions.h"
#include "model/Text.h"

namespace tessarin {

namespace {

enum class Required { Nothing, CommandField, ParametersField };

// How the command and parameters come from the fields; Fixed takes both from the row.
enum class Compose { Fixed, QuotedCommand, Url, Mailto, CustomNamespace, PasteText };

// One node of the tree and, unless it is a category, the action it makes: the caption, the
// field layout, which field is required, how the data is composed and the help text.
struct CatalogueRow {
    std::string_view Text;
    std::string_view Key;
    std::string_view ParentKey;
    int Icon = 0;
    std::string_view Caption{};  // empty for a category
    FieldLayout Layout = FieldLayout::None;
    Required Need = Required::Nothing;
    Compose How = Compose::Fixed;
    std::string_view Command{};
    std::string_view Parameters{};
    std::string_view Help{};
};

// The CD-ROM drives are inserted right after the two nodes with these keys.
constexpr std::string_view kEjectKey = "CD";
constexpr std::string_view kCloseKey = "CD2";
constexpr int kDriveIcon = 4;

constexpr std::string_view kRundll = "\"rundll32.exe\"";
constexpr std::string_view kExplorer = "\"explorer.exe\"";

constexpr std::string_view kFileFolderHelp =
    "This will let you open a file or a folder. Press the browse for file or browse for folder "
    "button to select a file or folder. You can edit the paramters when opening a file too.\r\n"
    "For example if you want to run the add/remove program then type \"rundll32.exe\" in the "
    "command field, and \"shell32.dll,Control_RunDLL appwiz.cpl,,0\" in the paramter field "
    "without the quotes";

constexpr std::string_view kCustomNamespaceHelp =
    "This is an advanced option to open namespaces with explorer.exe. For example the control "
    "panel has has a namespace of "
    "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}\r\n"
    "If you paste that into the paramter field it will open the control panel.";

constexpr std::string_view kKillBrowsersHelp =
    "This will add an action to kill all running Internet Explorer and Netscape windows. Use this "
    "only if you run into hundreds of popups. Use this option only as a last resort. All data "
    "entered on webpages running in Internet Explorer Or Netscape when you use this option will "
    "be lost.";

using enum FieldLayout;
using namespace captions;

// Tree order is part of the stored data: an action remembers the position of its node. A node
// named as its action is named by the caption itself.
constexpr CatalogueRow kCatalogue[] = {
    {"Open", "Open", "", 1},
    {"File/Folder", "OpenFile", "Open", 1, kOpenFileFolder, File, Required::CommandField,
     Compose::QuotedCommand, "", "", kFileFolderHelp},
    {kOpenAddRemovePrograms, "", "OpenFile", 17, kOpenAddRemovePrograms, None, Required::Nothing,
     Compose::Fixed, kRundll, "shell32.dll,Control_RunDLL appwiz.cpl,,0",
     "This will add an action to open the Add/Remove Program Panel"},
    {kOpenDesktopProperties, "", "OpenFile", 18, kOpenDesktopProperties, None, Required::Nothing,
     Compose::Fixed, kRundll, "shell32.dll,Control_RunDLL desk.cpl,,0",
     "This will add an action to open the Desktop Settings"},
    {kOpenSystemProperties, "", "OpenFile", 19, kOpenSystemProperties, None, Required::Nothing,
     Compose::Fixed, kRundll, "shell32.dll,Control_RunDLL sysdm.cpl,,0",
     "This will add an action to open the My computer properties"},
    {"URL", "", "Open", 3, kGoToUrl, Url, Required::CommandField, Compose::Url, "", "",
     "Simply enter the url to open. It will be opened in the default webbrowser"},
    {kSendEmail, "", "Open", 3, kSendEmail, Email, Required::CommandField, Compose::Mailto, "", "",
     "Simply enter the email address of the receiver. It will open the default email program."},
    {kSendEmailDialog, "", "Open", 3, kSendEmailDialog, None, Required::Nothing, Compose::Fixed, "",
     "", "This action will display a new window where you can choose the receiver."},
    {kSearchGoogle, "", "Open", 3, kSearchGoogle, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action that will display a search prompt and then search Google and "
     "display the results."},
    {kSearchYahoo, "", "Open", 3, kSearchYahoo, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action that will display a search prompt and then search Yahoo and "
     "display the results."},
    {"Namespace", "Namespace", "Open", 22},
    {kControlPanel, "", "Namespace", 10, kControlPanel, Namespace, Required::Nothing,
     Compose::Fixed, kExplorer,
     "/n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}",
     "This will add an action to open the control panel."},
    {kMyComputer, "", "Namespace", 11, kMyComputer, Namespace, Required::Nothing, Compose::Fixed,
     kExplorer, "/n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}",
     "This will add an action to open my computer."},
    {kNetwork, "", "Namespace", 14, kNetwork, Namespace, Required::Nothing, Compose::Fixed,
     kExplorer, "/n,::{7007ACC7-3202-11D1-AAD2-00805FC1270E}",
     "This will add an action to open the network connections."},
    // The mixed case is what has always been stored; changing it would alter existing Data.
    {kPrinters, "", "Namespace", 13, kPrinters, Namespace, Required::Nothing, Compose::Fixed,
     kExplorer,
     "/n,::{20d04fe0-3aea-1069-a2d8-08002b30309d}\\::{2227A280-3AEA-1069-A2DE-08002B30309D}",
     "This will add an action to open printers."},
    {kRecycleBin, "", "Namespace", 12, kRecycleBin, Namespace, Required::Nothing, Compose::Fixed,
     kExplorer, "/n,::{645FF040-5081-101B-9F08-00AA002F954E}",
     "This will add an action to open the recycle bin."},
    {kCustomNamespace, "", "Namespace", 22, kCustomNamespace, Namespace, Required::ParametersField,
     Compose::CustomNamespace, kExplorer, "", kCustomNamespaceHelp},
    {"Session", "Session", "", 2},
    {"Shutdown", "", "Session", 2, kShutdownComputer, None, Required::Nothing, Compose::Fixed, "",
     "", "This will add an action to shutdown your computer"},
    {"Restart", "", "Session", 2, kRestartComputer, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to restart your computer"},
    {kLogoff, "", "Session", 2, kLogoff, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to logoff the current user"},
    {kSwitchUser, "", "Session", 2, kSwitchUser, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to switch to another user (Windows XP And Higher)"},
    {"CD Eject", kEjectKey, "", 5},
    {"CD Close", kCloseKey, "", 5},
    {"Audio", "Audio", "", 7},
    {kRaiseVolume, "", "Audio", 7, kRaiseVolume, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to raise the volume in windows"},
    {kLowerVolume, "", "Audio", 7, kLowerVolume, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to lower the volume in windows"},
    {kMute, "", "Audio", 7, kMute, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to mute the wave out device"},
    {"System", "System", "", 9},
    {kPasteText, "", "System", 8, kPasteText, Paste, Required::Nothing, Compose::PasteText, "", "",
     "This will add an action to paste a block of text into another application"},
    {"Hide folders marked as Hidden in explorer", "", "System", 16, kHideHidden, None,
     Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to hide the folders marked as hidden in windows explorer."},
    {"Show hidden folders in explorer", "", "System", 16, kShowHidden, None, Required::Nothing,
     Compose::Fixed, "", "",
     "This will add an action to show the folders marked as hidden in windows explorer."},
    {"Toggle show/hide for the hidden folders in explorer", "", "System", 16, kToggleHidden, None,
     Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to toggle show/hide of the folders marked as hidden in windows "
     "explorer."},
    {"Kill All IE And Netscape Windows", "", "System", 20, kKillBrowsers, None, Required::Nothing,
     Compose::Fixed, "", "", kKillBrowsersHelp},
    {kMaximizeRestoreWindow, "", "System", 24, kMaximizeRestoreWindow, None, Required::Nothing,
     Compose::Fixed, "", "", "This will add an action to Maximize/Restore the current window."},
    {kMinimizeWindow, "", "System", 24, kMinimizeWindow, None, Required::Nothing, Compose::Fixed,
     "", "", "This will add an action to Minimize the current window."},
    {kCloseWindow, "", "System", 24, kCloseWindow, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to Close the current window."},
    {kShowDesktop, "", "System", 15, kShowDesktop, None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to minimize all applications running and reveal the desktop."},
    {kShowHideTaskbar, "", "System", 25, kShowHideTaskbar, None, Required::Nothing, Compose::Fixed,
     "", "", "This will add an action that will show/hide the windows taskbar."},
    {"Display", "Display", "", 9},
    {kStartScreensaver, "", "Display", 23, kStartScreensaver, None, Required::Nothing,
     Compose::Fixed, "", "",
     "This will add an action that will start the default screensaver. If you have disabled the "
     "screensaver in windows this action will not work."},
    {kToggleMonitor, "", "Display", 23, kToggleMonitor, None, Required::Nothing, Compose::Fixed, "",
     "",
     "This will let you toggle the monitor on/off. On Windows 2000/XP you must release the keys "
     "before the monitor turns off."},
};

// A drive node's own text is just its letter; what it does depends on the section it sits in.
struct DriveRule {
    std::string_view ParentText;
    std::string_view Caption;
    std::string_view Help;
};

constexpr DriveRule kDriveRules[] = {
    {"CD Eject", kEjectCdrom, "This will add an action to eject a cdrom/dvd"},
    {"CD Close", kCloseCdrom, "This will add an action to close a cdrom/dvd"},
};

const CatalogueNode* NodeAt(const CatalogueTree& tree, std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > tree.size()) {
        return nullptr;
    }
    return &tree[static_cast<std::size_t>(position) - 1];
}

const DriveRule* FindDriveRule(const CatalogueTree& tree, std::int32_t position) {
    const CatalogueNode* parent = ParentNode(tree, position);
    if (parent == nullptr) {
        return nullptr;
    }
    const auto found =
        std::find_if(std::begin(kDriveRules), std::end(kDriveRules),
                     [&](const DriveRule& rule) { return rule.ParentText == parent->Text; });
    return found == std::end(kDriveRules) ? nullptr : found;
}

// The row of the node with this text; nodes the catalogue did not make (the drives) have none.
const CatalogueRow* FindRow(std::string_view nodeText) {
    const auto found = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                    [&](const CatalogueRow& row) { return row.Text == nodeText; });
    return found == std::end(kCatalogue) ? nullptr : found;
}

// The row of the action node with this text; none for a category.
const CatalogueRow* FindActionRule(std::string_view nodeText) {
    const CatalogueRow* row = FindRow(nodeText);
    return row == nullptr || row->Caption.empty() ? nullptr : row;
}

void AddCdRomDrives(CatalogueTree& tree, const DriveProbe& drives, std::string_view parentKey) {
    // Drive A: is never offered, even when the system reports it as a CD-ROM drive.
    for (char letter = 'b'; letter <= 'z'; ++letter) {
        if (drives.DriveType(std::string{letter, ':'}) != kDriveCdRom) {
            continue;
        }
        const auto upper = static_cast<char>(letter - 'a' + 'A');
        tree.push_back(
            CatalogueNode{std::string{upper, ':'}, "", std::string(parentKey), kDriveIcon});
    }
}

std::string UrlCommand(const std::string& field) {
    if (ContainsIgnoringAsciiCase(field, "http://") ||
        ContainsIgnoringAsciiCase(field, "https://")) {
        return field;
    }
    return "http://" + field;
}

bool BuildsAction(const CatalogueTree& tree, std::int32_t position, std::string_view caption,
                  std::string_view data) {
    const CatalogueNode* node = NodeAt(tree, position);
    if (node == nullptr) {
        return false;
    }
    if (const DriveRule* drive = FindDriveRule(tree, position)) {
        // Every drive node of a section builds the same caption; the drive is the data up to the
        // separator blank.
        return drive->Caption == caption && data.substr(0, data.find(' ')) == node->Text;
    }
    const CatalogueRow* rule = FindActionRule(node->Text);
    return rule != nullptr && rule->Caption == caption;
}

std::string CustomNamespaceParameters(const std::string& field) {
    std::string parameters = "/n,";
    if (!std::string_view(field).starts_with("::")) {
        parameters += "::";
    }
    return parameters + field;
}

}  // namespace

CatalogueTree FillActionTree(const DriveProbe& drives) {
    CatalogueTree tree;
    tree.reserve(std::size(kCatalogue));
    for (const CatalogueRow& row : kCatalogue) {
        tree.push_back(CatalogueNode{std::string(row.Text), std::string(row.Key),
                                     std::string(row.ParentKey), row.Icon});
        // Each section asks the system on its own, so a drive is listed under both only when
        // both probes report it.
        if (row.Key == kEjectKey || row.Key == kCloseKey) {
            AddCdRomDrives(tree, drives, row.Key);
        }
    }
    return tree;
}

const CatalogueNode* ParentNode(const CatalogueTree& tree, std::int32_t position) {
    const CatalogueNode* node = NodeAt(tree, position);
    // Keyless nodes must not be taken for the parent of a root node.
    if (node == nullptr || node->ParentKey.empty()) {
        return nullptr;
    }
    const auto found = std::find_if(tree.begin(), tree.end(), [&](const CatalogueNode& candidate) {
        return candidate.Key == node->ParentKey;
    });
    return found == tree.end() ? nullptr : &*found;
}

bool IsCategoryNode(const CatalogueTree& tree, std::int32_t position) {
    const CatalogueNode* node = NodeAt(tree, position);
    const CatalogueRow* row = node == nullptr ? nullptr : FindRow(node->Text);
    return row != nullptr && row->Caption.empty();
}

FieldLayout NodeFieldLayout(const CatalogueTree& tree, std::int32_t position) {
    if (FindDriveRule(tree, position) != nullptr) {
        return FieldLayout::None;
    }
    const CatalogueNode* node = NodeAt(tree, position);
    const CatalogueRow* rule = node == nullptr ? nullptr : FindActionRule(node->Text);
    return rule == nullptr ? FieldLayout::None : rule->Layout;
}

BuiltAction BuildActionFromNode(const CatalogueTree& tree, std::int32_t position,
                                const std::string& commandField, const std::string& parametersField,
                                const std::string& pasteText) {
    const CatalogueNode* node = NodeAt(tree, position);
    if (node == nullptr) {
        return {};
    }
    BuiltAction built;
    built.Outcome = BuildOutcome::Built;
    built.ActionIndex = position;
    if (const DriveRule* drive = FindDriveRule(tree, position)) {
        built.ActionType = std::string(drive->Caption);
        built.Command = node->Text;
        return built;
    }
    const CatalogueRow* rule = FindActionRule(node->Text);
    if (rule == nullptr) {
        return {};
    }
    if ((rule->Need == Required::CommandField && IsBlank(commandField)) ||
        (rule->Need == Required::ParametersField && IsBlank(parametersField))) {
        BuiltAction refused;
        refused.Outcome = BuildOutcome::Refused;
        return refused;
    }
    built.ActionType = std::string(rule->Caption);
    built.Command = std::string(rule->Command);
    built.Parameters = std::string(rule->Parameters);
    switch (rule->How) {
        case Compose::Fixed:
            break;
        case Compose::QuotedCommand:
            built.Command = '"' + commandField + '"';
            built.Parameters = parametersField;
            break;
        case Compose::Url:
            built.Command = UrlCommand(commandField);
            break;
        case Compose::Mailto:
            built.Command = "mailto:" + commandField;
            break;
        case Compose::CustomNamespace:
            built.Parameters = CustomNamespaceParameters(parametersField);
            break;
        case Compose::PasteText:
            built.Command = pasteText;
            break;
    }
    return built;
}

std::optional<std::int32_t> FindActionNode(const CatalogueTree& tree, std::string_view caption,
                                           std::string_view data, std::int32_t hint) {
    if (BuildsAction(tree, hint, caption, data)) {
        return hint;
    }
    for (std::int32_t position = 1; static_cast<std::size_t>(position) <= tree.size(); ++position) {
        if (BuildsAction(tree, position, caption, data)) {
            return position;
        }
    }
    return std::nullopt;
}

std::optional<std::string> NodeHelpText(const CatalogueTree& tree, std::int32_t position) {
    if (const DriveRule* drive = FindDriveRule(tree, position)) {
        return std::string(drive->Help);
    }
    const CatalogueNode* node = NodeAt(tree, position);
    const CatalogueRow* rule = node == nullptr ? nullptr : FindActionRule(node->Text);
    if (rule == nullptr) {
        return std::nullopt;
    }
    return std::string(rule->Help);
}

}  // namespace tessarin
