#include "model/Catalogue.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

namespace tessarin {

namespace {

struct TreeRow {
    std::string_view Text;
    std::string_view Key;
    std::string_view ParentKey;
    int Icon;
};

// The CD-ROM drives are inserted right after the two nodes with these keys.
constexpr std::string_view kEjectKey = "CD";
constexpr std::string_view kCloseKey = "CD2";
constexpr int kDriveIcon = 4;

// Tree order is part of the stored data: an action remembers the position of its node.
constexpr TreeRow kTreeRows[] = {
    {"Open", "Open", "", 1},
    {"File/Folder", "OpenFile", "Open", 1},
    {"Open Add/Remove Programs", "", "OpenFile", 17},
    {"Open Desktop Properties", "", "OpenFile", 18},
    {"Open System Properties", "", "OpenFile", 19},
    {"URL", "", "Open", 3},
    {"Send Email", "", "Open", 3},
    {"Send Email Dialog", "", "Open", 3},
    {"Search Google", "", "Open", 3},
    {"Search Yahoo", "", "Open", 3},
    {"Namespace", "Namespace", "Open", 22},
    {"Control Panel", "", "Namespace", 10},
    {"My Computer", "", "Namespace", 11},
    {"Network", "", "Namespace", 14},
    {"Printers", "", "Namespace", 13},
    {"Recycle Bin", "", "Namespace", 12},
    {"Custom Namespace", "", "Namespace", 22},
    {"Session", "Session", "", 2},
    {"Shutdown", "", "Session", 2},
    {"Restart", "", "Session", 2},
    {"Logoff", "", "Session", 2},
    {"Switch User", "", "Session", 2},
    {"CD Eject", kEjectKey, "", 5},
    {"CD Close", kCloseKey, "", 5},
    {"Audio", "Audio", "", 7},
    {"Raise Volume", "", "Audio", 7},
    {"Lower Volume", "", "Audio", 7},
    {"Mute", "", "Audio", 7},
    {"System", "System", "", 9},
    {"Paste Text", "", "System", 8},
    {"Hide folders marked as Hidden in explorer", "", "System", 16},
    {"Show hidden folders in explorer", "", "System", 16},
    {"Toggle show/hide for the hidden folders in explorer", "", "System", 16},
    {"Kill All IE And Netscape Windows", "", "System", 20},
    {"Maximize/Restore Window", "", "System", 24},
    {"Minimize Window", "", "System", 24},
    {"Close Window", "", "System", 24},
    {"Show Desktop", "", "System", 15},
    {"Show/Hide the taskbar", "", "System", 25},
    {"Display", "Display", "", 9},
    {"Start The Default Screensaver", "", "Display", 23},
    {"Toggle Monitor On/Off", "", "Display", 23},
};

// "File/Folder" has children too, yet it is an action of its own, so it is not listed here.
constexpr std::string_view kCategoryTexts[] = {
    "Open", "Namespace", "Session", "CD Eject", "CD Close", "Audio", "System", "Display",
};

enum class Required { Nothing, CommandField, ParametersField };

// How the command and parameters come from the fields; Fixed takes both from the rule.
enum class Compose { Fixed, QuotedCommand, Url, Mailto, CustomNamespace, PasteText };

struct ActionRule {
    std::string_view NodeText;
    std::string_view Caption;
    FieldLayout Layout;
    Required Need;
    Compose How;
    std::string_view Command;
    std::string_view Parameters;
    std::string_view Help;
};

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

constexpr ActionRule kActionRules[] = {
    {"File/Folder", "Open File/Folder", File, Required::CommandField, Compose::QuotedCommand, "",
     "", kFileFolderHelp},
    {"Open Add/Remove Programs", "Open Add/Remove Programs", None, Required::Nothing,
     Compose::Fixed, kRundll, "shell32.dll,Control_RunDLL appwiz.cpl,,0",
     "This will add an action to open the Add/Remove Program Panel"},
    {"Open Desktop Properties", "Open Desktop Properties", None, Required::Nothing, Compose::Fixed,
     kRundll, "shell32.dll,Control_RunDLL desk.cpl,,0",
     "This will add an action to open the Desktop Settings"},
    {"Open System Properties", "Open System Properties", None, Required::Nothing, Compose::Fixed,
     kRundll, "shell32.dll,Control_RunDLL sysdm.cpl,,0",
     "This will add an action to open the My computer properties"},
    {"URL", "Go to URL", Url, Required::CommandField, Compose::Url, "", "",
     "Simply enter the url to open. It will be opened in the default webbrowser"},
    {"Send Email", "Send Email", Email, Required::CommandField, Compose::Mailto, "", "",
     "Simply enter the email address of the receiver. It will open the default email program."},
    {"Send Email Dialog", "Send Email Dialog", None, Required::Nothing, Compose::Fixed, "", "",
     "This action will display a new window where you can choose the receiver."},
    {"Search Google", "Search Google", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action that will display a search prompt and then search Google and "
     "display the results."},
    {"Search Yahoo", "Search Yahoo", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action that will display a search prompt and then search Yahoo and "
     "display the results."},
    {"Control Panel", "Control Panel", Namespace, Required::Nothing, Compose::Fixed, kExplorer,
     "/n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}",
     "This will add an action to open the control panel."},
    {"My Computer", "My Computer", Namespace, Required::Nothing, Compose::Fixed, kExplorer,
     "/n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "This will add an action to open my computer."},
    {"Network", "Network", Namespace, Required::Nothing, Compose::Fixed, kExplorer,
     "/n,::{7007ACC7-3202-11D1-AAD2-00805FC1270E}",
     "This will add an action to open the network connections."},
    // The mixed case is what has always been stored; changing it would alter existing Data.
    {"Printers", "Printers", Namespace, Required::Nothing, Compose::Fixed, kExplorer,
     "/n,::{20d04fe0-3aea-1069-a2d8-08002b30309d}\\::{2227A280-3AEA-1069-A2DE-08002B30309D}",
     "This will add an action to open printers."},
    {"Recycle Bin", "Recycle Bin", Namespace, Required::Nothing, Compose::Fixed, kExplorer,
     "/n,::{645FF040-5081-101B-9F08-00AA002F954E}",
     "This will add an action to open the recycle bin."},
    {"Custom Namespace", "Custom Namespace", Namespace, Required::ParametersField,
     Compose::CustomNamespace, kExplorer, "", kCustomNamespaceHelp},
    {"Shutdown", "Shutdown Computer", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to shutdown your computer"},
    {"Restart", "Restart Computer", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to restart your computer"},
    {"Logoff", "Logoff", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to logoff the current user"},
    {"Switch User", "Switch User", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to switch to another user (Windows XP And Higher)"},
    {"Raise Volume", "Raise Volume", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to raise the volume in windows"},
    {"Lower Volume", "Lower Volume", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to lower the volume in windows"},
    {"Mute", "Mute", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to mute the wave out device"},
    {"Paste Text", "Paste Text", Paste, Required::Nothing, Compose::PasteText, "", "",
     "This will add an action to paste a block of text into another application"},
    {"Hide folders marked as Hidden in explorer", "Hide Hidden", None, Required::Nothing,
     Compose::Fixed, "", "",
     "This will add an action to hide the folders marked as hidden in windows explorer."},
    {"Show hidden folders in explorer", "Show Hidden", None, Required::Nothing, Compose::Fixed, "",
     "", "This will add an action to show the folders marked as hidden in windows explorer."},
    {"Toggle show/hide for the hidden folders in explorer", "Toggle Hidden", None,
     Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to toggle show/hide of the folders marked as hidden in windows "
     "explorer."},
    {"Kill All IE And Netscape Windows", "Kill IE And Netscape", None, Required::Nothing,
     Compose::Fixed, "", "", kKillBrowsersHelp},
    {"Maximize/Restore Window", "Maximize/Restore Window", None, Required::Nothing, Compose::Fixed,
     "", "", "This will add an action to Maximize/Restore the current window."},
    {"Minimize Window", "Minimize Window", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to Minimize the current window."},
    {"Close Window", "Close Window", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to Close the current window."},
    {"Show Desktop", "Show Desktop", None, Required::Nothing, Compose::Fixed, "", "",
     "This will add an action to minimize all applications running and reveal the desktop."},
    {"Show/Hide the taskbar", "Show/Hide the taskbar", None, Required::Nothing, Compose::Fixed, "",
     "", "This will add an action that will show/hide the windows taskbar."},
    {"Start The Default Screensaver", "Start The Default Screensaver", None, Required::Nothing,
     Compose::Fixed, "", "",
     "This will add an action that will start the default screensaver. If you have disabled the "
     "screensaver in windows this action will not work."},
    {"Toggle Monitor On/Off", "Toggle Monitor On/Off", None, Required::Nothing, Compose::Fixed, "",
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
    {"CD Eject", "Eject Cdrom", "This will add an action to eject a cdrom/dvd"},
    {"CD Close", "Close Cdrom", "This will add an action to close a cdrom/dvd"},
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

const ActionRule* FindActionRule(std::string_view nodeText) {
    const auto found =
        std::find_if(std::begin(kActionRules), std::end(kActionRules),
                     [&](const ActionRule& rule) { return rule.NodeText == nodeText; });
    return found == std::end(kActionRules) ? nullptr : found;
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

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view needle) {
    const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
    return found != text.end();
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
    const ActionRule* rule = FindActionRule(node->Text);
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
    tree.reserve(std::size(kTreeRows));
    for (const TreeRow& row : kTreeRows) {
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
    return node != nullptr && std::find(std::begin(kCategoryTexts), std::end(kCategoryTexts),
                                        node->Text) != std::end(kCategoryTexts);
}

FieldLayout NodeFieldLayout(const CatalogueTree& tree, std::int32_t position) {
    if (FindDriveRule(tree, position) != nullptr) {
        return FieldLayout::None;
    }
    const CatalogueNode* node = NodeAt(tree, position);
    const ActionRule* rule = node == nullptr ? nullptr : FindActionRule(node->Text);
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
    const ActionRule* rule = FindActionRule(node->Text);
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
    const ActionRule* rule = node == nullptr ? nullptr : FindActionRule(node->Text);
    if (rule == nullptr) {
        return std::nullopt;
    }
    return std::string(rule->Help);
}

}  // namespace tessarin
