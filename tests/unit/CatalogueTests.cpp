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

CatalogueTree TreeWithDrives(std::string_view cdRomLetters) {
    return FillActionTree(FakeDriveProbe(cdRomLetters));
}

struct NodeRow {
    const char* Text;
    const char* Key;
    const char* ParentKey;
    int Icon;
};

// Positions are stored with every action, so the order is checked node by node.
TEST(FillActionTree, WithoutDrivesHoldsTheCatalogueInOrder) {
    const NodeRow expected[] = {
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
        {"CD Eject", "CD", "", 5},
        {"CD Close", "CD2", "", 5},
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
    const CatalogueTree tree = TreeWithDrives("");
    ASSERT_EQ(tree.size(), std::size(expected));
    for (std::size_t i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(tree[i].Text, expected[i].Text) << "position " << i + 1;
        EXPECT_EQ(tree[i].Key, expected[i].Key) << "position " << i + 1;
        EXPECT_EQ(tree[i].ParentKey, expected[i].ParentKey) << "position " << i + 1;
        EXPECT_EQ(tree[i].Icon, expected[i].Icon) << "position " << i + 1;
    }
}

struct DriveLayoutCase {
    const char* CdRomLetters;
    std::vector<std::string> EjectDrives;  // the nodes right after "CD Eject"
    std::size_t NodeCount;
    std::int32_t CdClose;
    std::int32_t Audio;
};

TEST(FillActionTree, InsertsEachCdRomDriveUnderBothCdSections) {
    const DriveLayoutCase cases[] = {
        {"", {}, 42, 24, 25},       {"e", {"E:"}, 44, 25, 27},        {"a", {}, 42, 24, 25},
        {"ae", {"E:"}, 44, 25, 27}, {"zd", {"D:", "Z:"}, 46, 26, 29}, {"b", {"B:"}, 44, 25, 27},
    };
    for (const DriveLayoutCase& c : cases) {
        SCOPED_TRACE(std::string("CD-ROM letters \"") + c.CdRomLetters + "\"");
        const CatalogueTree tree = TreeWithDrives(c.CdRomLetters);
        const auto n = static_cast<std::int32_t>(c.EjectDrives.size());
        ASSERT_EQ(tree.size(), c.NodeCount);
        EXPECT_EQ(PositionOf(tree, "CD Eject"), 23);
        EXPECT_EQ(PositionOf(tree, "CD Close"), c.CdClose);
        EXPECT_EQ(PositionOf(tree, "Audio"), c.Audio);
        EXPECT_EQ(PositionOf(tree, "Display"), 40 + 2 * n);
        EXPECT_EQ(tree.back().Text, "Toggle Monitor On/Off");
        for (std::int32_t i = 0; i < n; ++i) {
            const std::string& letter = c.EjectDrives[static_cast<std::size_t>(i)];
            for (const auto& [position, parentKey] :
                 {std::pair{24 + i, "CD"}, std::pair{25 + n + i, "CD2"}}) {
                const CatalogueNode& node = tree[static_cast<std::size_t>(position - 1)];
                EXPECT_EQ(node.Text, letter) << "position " << position;
                EXPECT_EQ(node.ParentKey, parentKey) << "position " << position;
                EXPECT_EQ(node.Key, "") << "position " << position;
                EXPECT_EQ(node.Icon, 4) << "position " << position;
            }
        }
    }
}

TEST(FillActionTree, ProbesBToZInOrderForEachSectionAndNeverA) {
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

TEST(FillActionTree, OnlyCdRomDrivesAreListed) {
    FakeDriveProbe probe;
    probe.SetDriveType('c', 3);  // fixed
    probe.SetDriveType('d', 2);  // removable
    probe.SetDriveType('f', 4);  // remote
    probe.SetDriveType('g', 6);  // RAM disk
    probe.SetDriveType('h', kDriveCdRom);
    const CatalogueTree tree = FillActionTree(probe);
    ASSERT_EQ(tree.size(), 44u);
    EXPECT_EQ(tree[23].Text, "H:");
    EXPECT_EQ(tree[25].Text, "H:");
}

TEST(ParentNode, FollowsTheParentKey) {
    const CatalogueTree tree = TreeWithDrives("dz");
    const struct {
        std::int32_t Position;
        const char* ParentText;  // nullptr: no parent
    } cases[] = {
        {1, nullptr},      {2, "Open"},      {3, "File/Folder"}, {11, "Open"},
        {12, "Namespace"}, {23, nullptr},    {24, "CD Eject"},   {25, "CD Eject"},
        {26, nullptr},     {27, "CD Close"}, {28, "CD Close"},   {29, nullptr},
        {46, "Display"},   {0, nullptr},     {47, nullptr},      {-1, nullptr},
    };
    for (const auto& c : cases) {
        const CatalogueNode* parent = ParentNode(tree, c.Position);
        if (c.ParentText == nullptr) {
            EXPECT_EQ(parent, nullptr) << "position " << c.Position;
        } else {
            ASSERT_NE(parent, nullptr) << "position " << c.Position;
            EXPECT_EQ(parent->Text, c.ParentText) << "position " << c.Position;
        }
    }
}

TEST(Catalogue, CategoryNodesProduceNoActionAndNoHelp) {
    const CatalogueTree tree = TreeWithDrives("dz");
    const std::set<std::string> categories = {"Open",     "Namespace", "Session", "CD Eject",
                                              "CD Close", "Audio",     "System",  "Display"};
    int seen = 0;
    for (std::int32_t position = 1; position <= static_cast<std::int32_t>(tree.size());
         ++position) {
        const std::string& text = tree[static_cast<std::size_t>(position - 1)].Text;
        const bool category = categories.count(text) != 0;
        seen += category ? 1 : 0;
        EXPECT_EQ(IsCategoryNode(tree, position), category) << text;
        const BuiltAction built = BuildActionFromNode(tree, position, "x", "x", "x");
        EXPECT_EQ(built.Outcome == BuildOutcome::NoAction, category) << text;
        EXPECT_EQ(NodeHelpText(tree, position).has_value(), !category) << text;
    }
    EXPECT_EQ(seen, 8);
}

TEST(Catalogue, PositionsOutsideTheTreeProduceNothing) {
    CatalogueTree tree = TreeWithDrives("e");
    // Without spare capacity a read one past the end is seen by the address sanitizer.
    tree.shrink_to_fit();
    for (const std::int32_t position : {-1, 0, 45, 1000}) {
        EXPECT_FALSE(IsCategoryNode(tree, position)) << position;
        EXPECT_EQ(BuildActionFromNode(tree, position, "x", "x", "x").Outcome,
                  BuildOutcome::NoAction)
            << position;
        EXPECT_FALSE(NodeHelpText(tree, position).has_value()) << position;
        EXPECT_EQ(NodeFieldLayout(tree, position), FieldLayout::None) << position;
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
}

TEST(BuildActionFromNode, DriveNodesTakeTheirCaptionFromTheSection) {
    const CatalogueTree tree = TreeWithDrives("dz");
    const struct {
        std::int32_t Position;
        const char* Caption;
        const char* Command;
    } cases[] = {
        {24, "Eject Cdrom", "D:"},
        {25, "Eject Cdrom", "Z:"},
        {27, "Close Cdrom", "D:"},
        {28, "Close Cdrom", "Z:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Position);
        const BuiltAction built = BuildActionFromNode(tree, c.Position, "x", "y", "z");
        ASSERT_EQ(built.Outcome, BuildOutcome::Built);
        EXPECT_EQ(built.ActionType, c.Caption);
        EXPECT_EQ(built.Command, c.Command);
        EXPECT_EQ(built.Parameters, "");
        EXPECT_EQ(built.ActionIndex, c.Position);
        EXPECT_EQ(NodeFieldLayout(tree, c.Position), FieldLayout::None);
        EXPECT_EQ(JoinActionData(built.Command, built.Parameters), std::string(c.Command) + " ");
    }
}

TEST(BuildActionFromNode, TheCatalogueProducesThirtySixCaptions) {
    const CatalogueTree tree = TreeWithDrives("e");
    std::set<std::string> captions;
    for (std::int32_t position = 1; position <= static_cast<std::int32_t>(tree.size());
         ++position) {
        const BuiltAction built = BuildActionFromNode(tree, position, "x", "x", "x");
        if (built.Outcome == BuildOutcome::Built) {
            captions.insert(built.ActionType);
        }
    }
    EXPECT_EQ(captions.size(), 36u);
}

TEST(BuildActionFromNode, RefusesABlankRequiredField) {
    const struct {
        const char* Node;
        const char* CommandField;
        const char* ParametersField;
        BuildOutcome Outcome;
    } cases[] = {
        {"File/Folder", "", "-x", BuildOutcome::Refused},
        {"File/Folder", "   ", "-x", BuildOutcome::Refused},
        {"File/Folder", " a ", "", BuildOutcome::Built},
        {"File/Folder", "\t", "", BuildOutcome::Built},  // only the blank counts as blank
        {"URL", "   ", "", BuildOutcome::Refused},
        {"URL", "", "http://x", BuildOutcome::Refused},
        {"Send Email", "", "", BuildOutcome::Refused},
        {"Send Email", "   ", "", BuildOutcome::Refused},
        {"Custom Namespace", "x", "   ", BuildOutcome::Refused},
        {"Custom Namespace", "x", "", BuildOutcome::Refused},
        {"Custom Namespace", "", "{x}", BuildOutcome::Built},
        {"Control Panel", "", "", BuildOutcome::Built},
        {"Mute", "", "", BuildOutcome::Built},
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

TEST(BuildActionFromNode, UrlGetsHttpUnlessItNamesHttpOrHttpsAnywhere) {
    const struct {
        const char* Field;
        const char* Command;
    } cases[] = {
        {"server/start.html", "http://server/start.html"},
        {"HTTPS://x", "HTTPS://x"},
        {"see http://x", "see http://x"},
        {"Http://x", "Http://x"},
        {"x?next=hTtPs://y", "x?next=hTtPs://y"},
        {" http://x ", " http://x "},
        {"ftp://x", "http://ftp://x"},
        {"http:/x", "http://http:/x"},
        {"https:x", "http://https:x"},
        {"  x", "http://  x"},
    };
    const CatalogueTree tree = TreeWithDrives("");
    for (const auto& c : cases) {
        const BuiltAction built =
            BuildActionFromNode(tree, PositionOf(tree, "URL"), c.Field, "", "");
        EXPECT_EQ(built.Command, c.Command) << c.Field;
        EXPECT_EQ(built.Parameters, "") << c.Field;
    }
}

TEST(BuildActionFromNode, CustomNamespaceGetsOneLeadingDoubleColon) {
    const struct {
        const char* Field;
        const char* Parameters;
    } cases[] = {
        {"{645FF040-5081-101B-9F08-00AA002F954E}", "/n,::{645FF040-5081-101B-9F08-00AA002F954E}"},
        {"::{645FF040-5081-101B-9F08-00AA002F954E}", "/n,::{645FF040-5081-101B-9F08-00AA002F954E}"},
        {":{x}", "/n,:::{x}"},
        {" ::{x}", "/n,:: ::{x}"},
        {"/n,::{x}", "/n,::/n,::{x}"},
        {"::", "/n,::"},
    };
    const CatalogueTree tree = TreeWithDrives("");
    for (const auto& c : cases) {
        const BuiltAction built =
            BuildActionFromNode(tree, PositionOf(tree, "Custom Namespace"), "", c.Field, "");
        EXPECT_EQ(built.Command, "\"explorer.exe\"") << c.Field;
        EXPECT_EQ(built.Parameters, c.Parameters) << c.Field;
    }
}

TEST(BuildActionFromNode, StoredDataOfFileFolderAndFieldlessActions) {
    const struct {
        const char* Node;
        const char* CommandField;
        const char* ParametersField;
        const char* Data;
    } cases[] = {
        {"File/Folder", R"(C:\Tools\app.exe)", "-x", R"("C:\Tools\app.exe" -x)"},
        {"File/Folder", R"(C:\Tools\app.exe)", "", R"("C:\Tools\app.exe" )"},
        // An edited action brings its quotes back into the field.
        {"File/Folder", R"("C:\My Files\a.exe")", "", R"("C:\My Files\a.exe" )"},
        {"Send Email Dialog", "N/A", "N/A", " "},
        {"Shutdown", "N/A", "N/A", " "},
        {"Mute", "N/A", "N/A", " "},
        {"Toggle Monitor On/Off", "N/A", "N/A", " "},
    };
    const CatalogueTree tree = TreeWithDrives("");
    for (const auto& c : cases) {
        const BuiltAction built = BuildActionFromNode(tree, PositionOf(tree, c.Node),
                                                      c.CommandField, c.ParametersField, "");
        EXPECT_EQ(JoinActionData(built.Command, built.Parameters), c.Data)
            << c.Node << " " << c.CommandField;
    }
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
        {8, "This action will display a new window where you can choose the receiver."},
        {5, "This will add an action to open the My computer properties"},
        {22, "This will add an action to switch to another user (Windows XP And Higher)"},
        {24, "This will add an action to eject a cdrom/dvd"},
        {25, "This will add an action to eject a cdrom/dvd"},
        {27, "This will add an action to close a cdrom/dvd"},
        {28, "This will add an action to close a cdrom/dvd"},
        {32, "This will add an action to mute the wave out device"},
        {38,
         "This will add an action to kill all running Internet Explorer and Netscape windows. "
         "Use this only if you run into hundreds of popups. Use this option only as a last "
         "resort. All data entered on webpages running in Internet Explorer Or Netscape when you "
         "use this option will be lost."},
        {46,
         "This will let you toggle the monitor on/off. On Windows 2000/XP you must release the "
         "keys before the monitor turns off."},
    };
    const CatalogueTree tree = TreeWithDrives("dz");
    for (const auto& c : cases) {
        const std::optional<std::string> help = NodeHelpText(tree, c.Position);
        ASSERT_TRUE(help.has_value()) << "position " << c.Position;
        EXPECT_EQ(*help, c.Help) << "position " << c.Position;
    }
}

TEST(NodeHelpText, OnlyTheTwoLongTextsHaveASecondLine) {
    const CatalogueTree tree = TreeWithDrives("e");
    for (std::int32_t position = 1; position <= static_cast<std::int32_t>(tree.size());
         ++position) {
        const std::string& text = tree[static_cast<std::size_t>(position - 1)].Text;
        const std::string help = NodeHelpText(tree, position).value_or("");
        const bool twoLines = text == "File/Folder" || text == "Custom Namespace";
        const std::size_t crlf = help.find("\r\n");
        EXPECT_EQ(crlf != std::string::npos, twoLines) << text;
        if (twoLines) {
            EXPECT_EQ(help.find("\r\n", crlf + 2), std::string::npos) << text;
        }
        EXPECT_EQ(help.find_first_of("\r\n", twoLines ? crlf + 2 : 0), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace tessarin
