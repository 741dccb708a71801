#include "model/Catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FakeDriveProbe.h"
#include "model/ActionData.h"

namespace tessarin {
namespace {

std::int32_t PositionOf(const CatalogueTree& tree, std::string_view text) {
    for (std::size_t i = 0; i < tree.size(); ++i) {
        if (tree[i].Text == text) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    ADD_FAILURE() << "no node " << text;
    return 0;
}

// Besides the CD-ROM drives named, the machine has a fixed, a remote, a RAM and a removable disk.
CatalogueTree TreeWithDrives(std::string_view cdRomLetters) {
    FakeDriveProbe probe(cdRomLetters);
    for (const auto& [letter, type] : {std::pair{'c', 3}, {'f', 4}, {'g', 6}, {'h', 2}}) {
        probe.SetDriveType(letter, type);
    }
    return FillActionTree(probe);
}

std::string Texts(const CatalogueTree& tree) {
    std::string texts;
    for (const CatalogueNode& node : tree) {
        texts += node.Text + "|";
    }
    return texts;
}

// Stored actions keep their node position, so the order of the nodes is part of the format.
TEST(FillActionTree, ListsTheNodesInTheirStoredOrder) {
    EXPECT_EQ(Texts(TreeWithDrives("")),
              "Open|File/Folder|Open Add/Remove Programs|Open Desktop Properties|"
              "Open System Properties|URL|Send Email|Send Email Dialog|Search Google|Search Yahoo|"
              "Namespace|Control Panel|My Computer|Network|Printers|Recycle Bin|Custom Namespace|"
              "Session|Shutdown|Restart|Logoff|Switch User|CD Eject|CD Close|Audio|Raise Volume|"
              "Lower Volume|Mute|System|Paste Text|Hide folders marked as Hidden in explorer|"
              "Show hidden folders in explorer|"
              "Toggle show/hide for the hidden folders in explorer|"
              "Kill All IE And Netscape Windows|Maximize/Restore Window|Minimize Window|"
              "Close Window|Show Desktop|Show/Hide the taskbar|Display|"
              "Start The Default Screensaver|Toggle Monitor On/Off|");
}

TEST(FillActionTree, InsertsEachCdRomDriveUnderBothCdSectionsButNeverA) {
    const struct {
        const char* CdRomLetters;
        std::size_t NodeCount;
        std::int32_t Audio;
        std::string Drives;  // the nodes under each CD section
    } cases[] = {
        {"", 42, 25, ""},      {"e", 44, 27, "E:|"}, {"a", 42, 25, ""},
        {"ae", 44, 27, "E:|"}, {"b", 44, 27, "B:|"}, {"zd", 46, 29, "D:|Z:|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CdRomLetters);
        const CatalogueTree tree = TreeWithDrives(c.CdRomLetters);
        EXPECT_EQ(tree.size(), c.NodeCount);
        EXPECT_EQ(PositionOf(tree, "Audio"), c.Audio);
        EXPECT_NE(Texts(tree).find("|Switch User|CD Eject|" + c.Drives + "CD Close|" + c.Drives +
                                   "Audio|"),
                  std::string::npos);
        EXPECT_EQ(tree[23].Icon, c.Drives.empty() ? 5 : 4);
    }
}

TEST(FillActionTree, ProbesBToZInOrderForEachSection) {
    FakeDriveProbe probe("ae");
    FillActionTree(probe);
    std::vector<std::string> expected;
    for (int pass = 0; pass < 2; ++pass) {
        for (char letter = 'b'; letter <= 'z'; ++letter) {
            expected.push_back(std::string{letter, ':'});
        }
    }
    EXPECT_EQ(probe.ProbedRoots(), expected);
}

TEST(ParentNode, FollowsTheParentKey) {
    const CatalogueTree tree = TreeWithDrives("dz");
    const std::pair<std::int32_t, const char*> cases[] = {
        {1, ""},          {3, "File/Folder"}, {11, "Open"},     {12, "Namespace"}, {23, ""},
        {25, "CD Eject"}, {26, ""},           {27, "CD Close"}, {46, "Display"},   {0, ""},
        {47, ""},
    };
    for (const auto& [position, parentText] : cases) {
        const CatalogueNode* parent = ParentNode(tree, position);
        EXPECT_EQ(parent == nullptr ? "" : parent->Text, parentText) << position;
    }
}

TEST(Catalogue, CategoryNodesAndPositionsOutsideTheTreeProduceNoActionAndNoHelp) {
    CatalogueTree tree = TreeWithDrives("dz");
    // Without spare capacity a read one past the end is seen by the address sanitizer.
    tree.shrink_to_fit();
    const std::set<std::string> categories = {"Open",     "Namespace", "Session", "CD Eject",
                                              "CD Close", "Audio",     "System",  "Display"};
    for (std::int32_t position = -1; position <= 47; ++position) {
        const bool inside = position >= 1 && position <= 46;
        const std::string text = inside ? tree[static_cast<std::size_t>(position - 1)].Text : "";
        const bool category = categories.count(text) != 0;
        SCOPED_TRACE(std::to_string(position) + " " + text);
        EXPECT_EQ(IsCategoryNode(tree, position), category);
        EXPECT_EQ(
            BuildActionFromNode(tree, position, "x", "x", "x").Outcome == BuildOutcome::NoAction,
            category || !inside);
        EXPECT_EQ(NodeHelpText(tree, position).has_value(), inside && !category);
        if (!inside) {
            EXPECT_EQ(NodeFieldLayout(tree, position), FieldLayout::None);
        }
    }
}

struct RowCase {
    const char* Node;
    const char* Caption;
    FieldLayout Layout;
    const char* Command;
    const char* Parameters;
};

// Every field is filled, so a rule that reads the wrong field shows up.
constexpr const char* kCommandField = "srv/a b";
constexpr const char* kParametersField = "{X}";
constexpr const char* kPasteText = "line 1\r\n\"two\"";

TEST(BuildActionFromNode, EveryCatalogueRow) {
    const RowCase rows[] = {
        {"File/Folder", "Open File/Folder", FieldLayout::File, "\"srv/a b\"", "{X}"},
        {"Open Add/Remove Programs", "Open Add/Remove Programs", FieldLayout::None,
         "\"rundll32.exe\"", "shell32.dll,Control_RunDLL appwiz.cpl,,0"},
        {"Open Desktop Properties", "Open Desktop Properties", FieldLayout::None,
         "\"rundll32.exe\"", "shell32.dll,Control_RunDLL desk.cpl,,0"},
        {"Open System Properties", "Open System Properties", FieldLayout::None, "\"rundll32.exe\"",
         "shell32.dll,Control_RunDLL sysdm.cpl,,0"},
        {"URL", "Go to URL", FieldLayout::Url, "http://srv/a b", ""},
        {"Send Email", "Send Email", FieldLayout::Email, "mailto:srv/a b", ""},
        {"Send Email Dialog", "Send Email Dialog", FieldLayout::None, "", ""},
        {"Search Google", "Search Google", FieldLayout::None, "", ""},
        {"Search Yahoo", "Search Yahoo", FieldLayout::None, "", ""},
        {"Control Panel", "Control Panel", FieldLayout::Namespace, "\"explorer.exe\"",
         R"(/n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\::{21EC2020-3AEA-1069-A2DD-08002B30309D})"},
        {"My Computer", "My Computer", FieldLayout::Namespace, "\"explorer.exe\"",
         "/n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
        {"Network", "Network", FieldLayout::Namespace, "\"explorer.exe\"",
         "/n,::{7007ACC7-3202-11D1-AAD2-00805FC1270E}"},
        // First identifier lower case, second upper case.
        {"Printers", "Printers", FieldLayout::Namespace, "\"explorer.exe\"",
         R"(/n,::{20d04fe0-3aea-1069-a2d8-08002b30309d}\::{2227A280-3AEA-1069-A2DE-08002B30309D})"},
        {"Recycle Bin", "Recycle Bin", FieldLayout::Namespace, "\"explorer.exe\"",
         "/n,::{645FF040-5081-101B-9F08-00AA002F954E}"},
        {"Custom Namespace", "Custom Namespace", FieldLayout::Namespace, "\"explorer.exe\"",
         "/n,::{X}"},
        {"Shutdown", "Shutdown Computer", FieldLayout::None, "", ""},
        {"Restart", "Restart Computer", FieldLayout::None, "", ""},
        {"Logoff", "Logoff", FieldLayout::None, "", ""},
        {"Switch User", "Switch User", FieldLayout::None, "", ""},
        {"Raise Volume", "Raise Volume", FieldLayout::None, "", ""},
        {"Lower Volume", "Lower Volume", FieldLayout::None, "", ""},
        {"Mute", "Mute", FieldLayout::None, "", ""},
        {"Paste Text", "Paste Text", FieldLayout::Paste, kPasteText, ""},
        {"Hide folders marked as Hidden in explorer", "Hide Hidden", FieldLayout::None, "", ""},
        {"Show hidden folders in explorer", "Show Hidden", FieldLayout::None, "", ""},
        {"Toggle show/hide for the hidden folders in explorer", "Toggle Hidden", FieldLayout::None,
         "", ""},
        {"Kill All IE And Netscape Windows", "Kill IE And Netscape", FieldLayout::None, "", ""},
        {"Maximize/Restore Window", "Maximize/Restore Window", FieldLayout::None, "", ""},
        {"Minimize Window", "Minimize Window", FieldLayout::None, "", ""},
        {"Close Window", "Close Window", FieldLayout::None, "", ""},
        {"Show Desktop", "Show Desktop", FieldLayout::None, "", ""},
        {"Show/Hide the taskbar", "Show/Hide the taskbar", FieldLayout::None, "", ""},
        {"Start The Default Screensaver", "Start The Default Screensaver", FieldLayout::None, "",
         ""},
        {"Toggle Monitor On/Off", "Toggle Monitor On/Off", FieldLayout::None, "", ""},
        {"D:", "Eject Cdrom", FieldLayout::None, "D:", ""},
        {"Z:", "Eject Cdrom", FieldLayout::None, "Z:", ""},
    };
    // With two drives every node after "CD Eject" sits two or four places further down.
    const CatalogueTree tree = TreeWithDrives("dz");
    for (const RowCase& row : rows) {
        SCOPED_TRACE(row.Node);
        const std::int32_t position = PositionOf(tree, row.Node);
        const BuiltAction built =
            BuildActionFromNode(tree, position, kCommandField, kParametersField, kPasteText);
        ASSERT_EQ(built.Outcome, BuildOutcome::Built);
        EXPECT_EQ(built.ActionType, row.Caption);
        EXPECT_EQ(built.Command, row.Command);
        EXPECT_EQ(built.Parameters, row.Parameters);
        EXPECT_EQ(built.ActionIndex, position);
        EXPECT_EQ(NodeFieldLayout(tree, position), row.Layout);
    }
    for (const auto& [position, drive] : {std::pair{27, "D:"}, {28, "Z:"}}) {
        const BuiltAction built = BuildActionFromNode(tree, position, "x", "y", "z");
        EXPECT_EQ(built.ActionType, "Close Cdrom");
        EXPECT_EQ(built.Command, drive);
        EXPECT_EQ(built.ActionIndex, position);
    }
}

TEST(BuildActionFromNode, RefusesABlankRequiredField) {
    const struct {
        const char* Node;
        const char* CommandField;
        const char* ParametersField;
        BuildOutcome Outcome;
    } cases[] = {
        {"File/Folder", "   ", "-x", BuildOutcome::Refused},
        {"File/Folder", "\t", "", BuildOutcome::Built},  // only the blank counts as blank
        {"URL", "", "http://x", BuildOutcome::Refused},
        {"Send Email", "   ", "", BuildOutcome::Refused},
        {"Custom Namespace", "x", "   ", BuildOutcome::Refused},
        {"Custom Namespace", "", "{x}", BuildOutcome::Built},
        {"Control Panel", "", "", BuildOutcome::Built},
        {"Paste Text", "", "", BuildOutcome::Built},
    };
    const CatalogueTree tree = TreeWithDrives("");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Node) + " [" + c.CommandField + "] [" + c.ParametersField + "]");
        const BuiltAction built = BuildActionFromNode(tree, PositionOf(tree, c.Node),
                                                      c.CommandField, c.ParametersField, "");
        EXPECT_EQ(built.Outcome, c.Outcome);
        if (c.Outcome == BuildOutcome::Refused) {
            EXPECT_EQ(built.ActionType, "");
        }
    }
}

TEST(BuildActionFromNode, UrlAndCustomNamespaceGetTheirPrefixOnlyWhenMissing) {
    const struct {
        const char* Node;
        const char* Field;
        const char* Stored;
    } cases[] = {
        {"URL", "server/start.html", "http://server/start.html"},
        {"URL", "see http://x", "see http://x"},
        {"URL", "x?next=hTtPs://y", "x?next=hTtPs://y"},
        {"URL", "ftp://x", "http://ftp://x"},
        {"URL", "https:x", "http://https:x"},
        {"Custom Namespace", "{645FF040}", "/n,::{645FF040}"},
        {"Custom Namespace", "::{645FF040}", "/n,::{645FF040}"},
        {"Custom Namespace", ":{x}", "/n,:::{x}"},
        {"Custom Namespace", " ::{x}", "/n,:: ::{x}"},
    };
    const CatalogueTree tree = TreeWithDrives("");
    for (const auto& c : cases) {
        const bool url = std::string_view(c.Node) == "URL";
        const BuiltAction built = BuildActionFromNode(tree, PositionOf(tree, c.Node),
                                                      url ? c.Field : "", url ? "" : c.Field, "");
        EXPECT_EQ(url ? built.Command : built.Parameters, c.Stored) << c.Field;
    }
}

TEST(BuildActionFromNode, AnEditedFileBringsItsQuotesBackAndStoresThemOnce) {
    const CatalogueTree tree = TreeWithDrives("");
    const BuiltAction built = BuildActionFromNode(tree, 2, R"("C:\My Files\a.exe")", "", "");
    EXPECT_EQ(JoinActionData(built.Command, built.Parameters), R"("C:\My Files\a.exe" )");
}

TEST(NodeHelpText, ExactTexts) {
    const struct {
        std::int32_t Position;  // in a tree with drives D: and Z:
        const char* Help;
    } cases[] = {
        {2,
         "This will let you open a file or a folder. Press the browse for file or browse for "
         "folder button to select a file or folder. You can edit the paramters when opening a "
         "file too.\r\nFor example if you want to run the add/remove program then type "
         "\"rundll32.exe\" in the command field, and \"shell32.dll,Control_RunDLL appwiz.cpl,,0\" "
         "in the paramter field without the quotes"},
        {17,
         "This is an advanced option to open namespaces with explorer.exe. For example the "
         "control panel has has a namespace of "
         "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}\r\n"
         "If you paste that into the paramter field it will open the control panel."},
        {27, "This will add an action to close a cdrom/dvd"},
        {46,
         "This will let you toggle the monitor on/off. On Windows 2000/XP you must release the "
         "keys before the monitor turns off."},
    };
    const CatalogueTree tree = TreeWithDrives("dz");
    for (const auto& c : cases) {
        EXPECT_EQ(NodeHelpText(tree, c.Position).value_or("none"), c.Help) << c.Position;
    }
}

}  // namespace
}  // namespace tessarin
