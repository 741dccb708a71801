#include "ui/MainWindowLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FakeDriveProbe.h"
#include "FakeRawRegistry.h"
#include "model/Catalogue.h"
#include "model/MemorySettingsStore.h"
#include "platform/Windows1252CodePage.h"
#include "ui/ActionEditorLogic.h"
#include "ui/PopupMenuModel.h"
#include "ui/PromptLogic.h"

namespace tessarin {
namespace {

CatalogueTree Tree(std::string_view cdRomLetters) {
    return FillActionTree(FakeDriveProbe(cdRomLetters));
}

std::string Texts(const CatalogueTree& tree) {
    std::string texts;
    for (const CatalogueNode& node : tree) {
        texts += node.Text + "|";
    }
    return texts;
}

// Stored actions keep their node position, so the order of the nodes is part of the format.
TEST(Catalogue, ListsTheNodesInTheirStoredOrder) {
    EXPECT_EQ(Texts(Tree("")),
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

TEST(Catalogue, ListsEachCdRomDriveButAUnderBothCdSections) {
    const std::pair<const char*, std::string> cases[] = {
        {"", ""}, {"e", "E:|"}, {"a", ""}, {"ae", "E:|"}, {"b", "B:|"}, {"zd", "D:|Z:|"}};
    for (const auto& [cdRoms, drives] : cases) {
        FakeDriveProbe probe(cdRoms);
        // A fixed, a remote, a RAM and a removable disk.
        for (const auto& [letter, type] : {std::pair{'c', 3}, {'f', 4}, {'g', 6}, {'h', 2}}) {
            probe.SetDriveType(letter, type);
        }
        const CatalogueTree tree = FillActionTree(probe);
        EXPECT_EQ(tree.size(), 42 + drives.size() / 3 * 2) << cdRoms;
        EXPECT_NE(
            Texts(tree).find("|Switch User|CD Eject|" + drives + "CD Close|" + drives + "Audio|"),
            std::string::npos)
            << cdRoms;
        EXPECT_EQ(tree[23].Icon, drives.empty() ? 5 : 4) << cdRoms;
    }
}

// Positions in a tree with the drives D: and Z: under each CD section.
TEST(Catalogue, ParentsCategoriesAndPositionsOutsideTheTree) {
    CatalogueTree tree = Tree("dz");
    const std::pair<std::int32_t, const char*> parents[] = {
        {1, ""},          {3, "File/Folder"}, {11, "Open"},     {12, "Namespace"}, {23, ""},
        {25, "CD Eject"}, {26, ""},           {27, "CD Close"}, {46, "Display"},   {0, ""},
        {47, ""}};
    for (const auto& [position, parentText] : parents) {
        const CatalogueNode* parent = ParentNode(tree, position);
        EXPECT_EQ(parent == nullptr ? "" : parent->Text, parentText) << position;
    }
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

TEST(Catalogue, BuildsTheActionFromTheFieldsTheNodeUses) {
    const char* const paste = "line 1\r\n\"two\"";
    const struct {
        std::int32_t position;  // with the drives D: and Z:
        const char* commandField;
        const char* parametersField;
        FieldLayout layout;
        const char* built;  // caption|command|parameters; empty: refused for a blank field
    } cases[] = {
        {2, "srv/a b", "{X}", FieldLayout::File, "Open File/Folder|\"srv/a b\"|{X}"},
        {2, "   ", "-x", FieldLayout::File, ""},
        {2, "\t", "", FieldLayout::File, "Open File/Folder|\"\t\"|"},
        {6, "server/a.html", "{X}", FieldLayout::Url, "Go to URL|http://server/a.html|"},
        {6, "x?next=hTtPs://y", "", FieldLayout::Url, "Go to URL|x?next=hTtPs://y|"},
        {6, "", "http://x", FieldLayout::Url, ""},
        {7, "a b", "{X}", FieldLayout::Email, "Send Email|mailto:a b|"},
        // The mixed case is what has always been stored.
        {15, "x", "{X}", FieldLayout::Namespace,
         R"(Printers|"explorer.exe"|/n,::{20d04fe0-3aea-1069-a2d8-08002b30309d}\::{2227A280-3AEA-1069-A2DE-08002B30309D})"},
        {17, "x", "{645F}", FieldLayout::Namespace,
         R"(Custom Namespace|"explorer.exe"|/n,::{645F})"},
        {17, "", "::{645F}", FieldLayout::Namespace,
         R"(Custom Namespace|"explorer.exe"|/n,::{645F})"},
        {17, "", ":{x}", FieldLayout::Namespace, R"(Custom Namespace|"explorer.exe"|/n,:::{x})"},
        {17, "x", "   ", FieldLayout::Namespace, ""},
        {32, "x", "{X}", FieldLayout::None, "Mute||"},
        {34, "x", "{X}", FieldLayout::Paste, "Paste Text|line 1\r\n\"two\"|"},
        {24, "x", "{X}", FieldLayout::None, "Eject Cdrom|D:|"},
        {28, "x", "{X}", FieldLayout::None, "Close Cdrom|Z:|"}};
    const CatalogueTree tree = Tree("dz");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " [" + c.commandField + "] [" +
                     c.parametersField + "]");
        EXPECT_EQ(NodeFieldLayout(tree, c.position), c.layout);
        const BuiltAction b =
            BuildActionFromNode(tree, c.position, c.commandField, c.parametersField, paste);
        const bool refused = *c.built == '\0';
        EXPECT_EQ(b.Outcome, refused ? BuildOutcome::Refused : BuildOutcome::Built);
        EXPECT_EQ(refused ? "" : b.ActionType + "|" + b.Command + "|" + b.Parameters, c.built);
        EXPECT_EQ(b.ActionIndex, refused ? 0 : c.position);
    }
}

// Each control as "on", "off" (shown, disabled) or "hidden", with its text.
std::string Controls(const EditorView& view) {
    std::string text;
    for (const EditorControl* c : {&view.Browse, &view.Command, &view.Parameters, &view.Paste}) {
        text += std::string(text.empty() ? "" : " ") +
                (!c->Visible  ? "hidden"
                 : c->Enabled ? "on"
                              : "off") +
                "[" + c->Text + "]";
    }
    return text;
}

TEST(ActionEditor, EachLayoutSetsTheControlsAndLeavesTheTextsOfTheOnesItHides) {
    const std::pair<FieldLayout, const char*> cases[] = {
        {FieldLayout::None, "off[b] off[N/A] off[N/A] hidden[p]"},
        {FieldLayout::File, "on[b] on[] on[] hidden[p]"},
        {FieldLayout::Url, "off[b] on[] off[N/A] hidden[p]"},
        {FieldLayout::Email, "off[b] on[] off[N/A] hidden[p]"},
        {FieldLayout::Namespace, "off[b] off[explorer.exe /n,/e,] on[] hidden[p]"},
        {FieldLayout::Paste, "hidden[b] hidden[c] hidden[a] on[]"}};
    for (const auto& [layout, controls] : cases) {
        EditorView view{
            "", "", {true, true, "b"}, {true, true, "c"}, {true, true, "a"}, {true, true, "p"}, ""};
        ApplyFieldLayout(view, layout);
        EXPECT_EQ(Controls(view), controls) << static_cast<int>(layout);
    }
}

// Positions in a tree with one CD-ROM drive, E:.
TEST(ActionEditor, OkHandsOverTheActionRefusesABlankFieldAndAddsARowWithoutHotkey) {
    ActionList list;
    list.Add({"Mute", "CTRL + M", " ", 30, 7, {}});
    AppState state;
    state.EditData = state.EditIndex = "stale";
    PrepareActionEditor(state, nullptr);
    ActionEditor editor(Tree("e"));
    editor.Load(state);
    EXPECT_EQ(state.EditData + state.EditIndex + "|" + std::to_string(editor.Selected()), "|2");
    state.EditActionIndex = 9;
    for (const std::int32_t category : {1, 23, 42}) {
        state.EditActionType = "stale";
        // A category, or a click outside the tree, changes no field and no help.
        const std::string before = Controls(editor.View()) + editor.View().Help;
        EXPECT_EQ(editor.NodeClick(category), category);
        EXPECT_EQ(editor.NodeClick(45), category);
        EXPECT_EQ(Controls(editor.View()) + editor.View().Help, before);
        EXPECT_EQ(editor.Ok(state), OkOutcome::Close) << category;
        EXPECT_EQ(ApplyActionEditorResult(list, std::nullopt, state), std::nullopt);
        EXPECT_EQ(ApplyActionEditorResult(list, 1, state), std::nullopt);
    }
    EXPECT_EQ(list.At(1).ActionType + "|" + std::to_string(list.Count()), "Mute|1");
    EXPECT_EQ(state.EditActionIndex, 9);

    editor.NodeClick(2);
    editor.SetCommandText("   ");
    editor.SetParametersText("-x");
    EXPECT_EQ(editor.Ok(state), OkOutcome::Refused);
    EXPECT_EQ(state.EditActionType, "");
    EXPECT_EQ(editor.View().Command.Text + "|" + editor.View().Parameters.Text, "   |-x");
    editor.SetCommandText("C:\\a.exe");
    EXPECT_EQ(editor.Ok(state), OkOutcome::Close);
    EXPECT_EQ(ApplyActionEditorResult(list, 3, state), std::nullopt);
    ASSERT_EQ(ApplyActionEditorResult(list, std::nullopt, state), std::optional<std::size_t>(2));
    const ActionRecord& added = list.At(2);
    EXPECT_EQ(added.ActionType + "|" + added.Hotkey + "|" + added.Data + "|" +
                  std::to_string(added.ActionIndex) + "|" + std::to_string(added.Tag),
              "Open File/Folder||\"C:\\a.exe\" -x|2|0");
    ActionEditor::Cancel(state);
    EXPECT_EQ(state.EditActionType + state.EditCommand + state.EditParameters, "");
}

// Editing an existing row made in a tree with the drive E:, in the tree of the drives there are
// now: the node that builds the row's action wherever it is now, the fields it opens with, and the
// row after OK without a change.
TEST(ActionEditor, EditingFindsTheNodeFillsTheFieldsAndAnUnchangedOkRewritesTheRow) {
    const struct {
        const char* drives;
        const char* index;
        const char* caption;
        const char* data;
        std::int32_t selected;  // kNoNode: no node builds it now, and OK leaves the row alone
        const char* fields;     // command|parameters|paste
    } cases[] = {
        // The separator blank is not shown where building puts it back.
        {"e", "6", "Go to URL", "http://x.org/?q=\"a\" ", 6, "http://x.org/?q=\"a\"||"},
        {"e", "2", "Open File/Folder", "\"C:\\My Files\\a.exe\" -x \"y\"", 2,
         "\"C:\\My Files\\a.exe\"|-x \"y\"|"},
        {"e", "32", "Paste Text", "say \"\"hi\"\" now  ", 32, "||say \"\"hi\"\" now "},
        // The index is a hint only: the caption finds the node, and a drive's letter its node.
        {"e", "x7", "Open File/Folder", "\"C:\\a.exe\" ", 2, "\"C:\\a.exe\"||"},
        {"", "30", "Mute", " ", 28, " ||"},
        {"de", "30", "Paste Text", "hi ", 34, "||hi"},
        {"de", "24", "Eject Cdrom", "E: ", 25, "E: ||"},
        {"de", "26", "Close Cdrom", "E: ", 28, "E: ||"},
        {"d", "26", "Close Cdrom", "E: ", kNoNode, "E: ||"},
        {"", "24", "Eject Cdrom", "E: ", kNoNode, "E: ||"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.caption) + " at " + c.index + " with [" + c.drives + "]");
        ActionList list;
        list.Add({"Mute", "CTRL + M", " ", 30, 7, {true, true}});
        list.Add({c.caption, "ALT + K", c.data, 1, -5, {true, false}});
        AppState state;
        state.EditActionType = "stale";
        PrepareActionEditor(state, &list.At(2));
        state.EditIndex = c.index;
        ActionEditor editor(Tree(c.drives));
        editor.Load(state);
        EXPECT_EQ(state.EditActionType, "");
        EXPECT_EQ(editor.Selected(), c.selected);
        const EditorView& view = editor.View();
        if (c.selected != kNoNode) {
            EXPECT_EQ(view.Command.Text + "|" + view.Parameters.Text + "|" + view.Paste.Text,
                      c.fields);
        }
        ASSERT_EQ(editor.Ok(state), OkOutcome::Close);
        EXPECT_EQ(ApplyActionEditorResult(list, 2, state),
                  c.selected == kNoNode ? std::nullopt : std::optional<std::size_t>(2));
        const ActionRecord& row = list.At(2);
        EXPECT_EQ(row.ActionType + "|" + row.Data, std::string(c.caption) + "|" + c.data);
        EXPECT_EQ(row.ActionIndex, c.selected == kNoNode ? 1 : c.selected);
        EXPECT_EQ(row.Hotkey + std::to_string(row.Tag), "ALT + K-5");
        EXPECT_TRUE(row.Registration.Held && !row.Registration.Accepted);
        EXPECT_EQ(list.At(1).Data, " ");
    }
}

// Edit and OK without touching a field, for every action of the catalogue, fed what a user might
// have typed into its fields: the row comes back exactly as it was stored.
TEST(ActionEditor, AnUnchangedEditOfAnyActionKeepsItsData) {
    // Command, parameters and paste text, by field layout.
    const char* const typedInto[][3] = {{"", "", ""},
                                        {"C:\\My Files\\a.exe", "-x \"y\" ", ""},
                                        {"x.org/?q=\"a b\" ", "", ""},
                                        {"a@b.c ", "", ""},
                                        {"", "{645FF040-5081-101B-9F08-00AA002F954E}", ""},
                                        {"", "", "say \"hi\" \r\nnow "}};
    const CatalogueTree tree = Tree("e");
    std::set<std::string> captions;
    for (std::int32_t position = 1; static_cast<std::size_t>(position) <= tree.size(); ++position) {
        if (IsCategoryNode(tree, position)) {
            continue;
        }
        SCOPED_TRACE(tree[static_cast<std::size_t>(position) - 1].Text);
        const auto& typed = typedInto[static_cast<int>(NodeFieldLayout(tree, position))];
        AppState state;
        ActionEditor adding(tree);
        adding.NodeClick(position);
        adding.SetCommandText(typed[0]);
        adding.SetParametersText(typed[1]);
        adding.SetPasteText(typed[2]);
        ASSERT_EQ(adding.Ok(state), OkOutcome::Close);
        ActionList list;
        ApplyActionEditorResult(list, std::nullopt, state);
        const ActionRecord stored = list.At(1);
        captions.insert(stored.ActionType);

        PrepareActionEditor(state, &list.At(1));
        ActionEditor editing(tree);
        editing.Load(state);
        ASSERT_EQ(editing.Ok(state), OkOutcome::Close);
        ApplyActionEditorResult(list, 1, state);
        EXPECT_EQ(list.At(1).ActionType + "|" + list.At(1).Data + "|" +
                      std::to_string(list.At(1).ActionIndex),
                  stored.ActionType + "|" + stored.Data + "|" + std::to_string(position));
    }
    EXPECT_EQ(captions.size(), 36u);
}

TEST(ActionEditor, AFileBrowseSwallowsTheNextNodeClickOnly) {
    ActionEditor editor(Tree("e"));
    editor.SetCommandText("typed");
    editor.FileBrowsed(std::nullopt);  // cancelled before any file was chosen
    EXPECT_EQ(editor.View().Command.Text, "");
    editor.FileBrowsed("C:\\a b\\app.exe");
    editor.FolderBrowsed("C:\\x");
    editor.FileBrowsed(std::nullopt);
    EXPECT_EQ(editor.View().Command.Text, "C:\\a b\\app.exe");
    EXPECT_TRUE(editor.SkipNodeClick());
    EXPECT_EQ(editor.NodeClick(6), 2);
    EXPECT_EQ(Controls(editor.View()), "on[] on[C:\\a b\\app.exe] on[] hidden[]");
    EXPECT_FALSE(editor.SkipNodeClick());
    EXPECT_EQ(editor.NodeClick(6), 6);
    EXPECT_EQ(Controls(editor.View()), "off[] on[] off[N/A] hidden[]");
    EXPECT_EQ(editor.View().Help, NodeHelpText(Tree("e"), 6));

    // The click after a browse is used up also when it lands on "File/Folder" itself; a click on
    // the node already chosen applies its layout again.
    editor.NodeClick(2);
    editor.FileBrowsed("C:\\b.exe");
    EXPECT_EQ(editor.NodeClick(2), 2);
    EXPECT_EQ(editor.View().Command.Text, "C:\\b.exe");
    EXPECT_EQ(editor.NodeClick(2), 2);
    EXPECT_EQ(editor.View().Command.Text, "");
}

TEST(ActionEditor, AFolderWithoutPathGivesItsTrimmedNameAndTwoBackslashes) {
    EXPECT_EQ(FolderPathFromDisplayName("  Network  "), "Network\\\\");
    EXPECT_EQ(FolderPathFromDisplayName("   "), "");
}

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

TEST(MainWindowLogic, SlashMStartsInTheNotificationAreaAndTheRunEntryPassesIt) {
    const std::pair<const char*, bool> lines[] = {
        {"\"C:\\Tools\\Tessarin.exe\" /m", true}, {"x/my", true}, {"/M", false},
        {"\"C:\\Tools\\Tessarin.exe\"", false},   {"", false},    {"-m", false}};
    for (const auto& [line, hidden] : lines) {
        EXPECT_EQ(StartsInNotificationArea(line), hidden) << line;
    }
    EXPECT_EQ(RunEntryData("C:\\Tools", "Tessarin.exe"), "\"C:\\Tools\\Tessarin.exe\" /m");
    EXPECT_EQ(RunEntryData("C:\\Program Files\\Tessarin", "Tessarin"),
              "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m");
}

TEST(UpdateRunEntry, MachineWideOnlyForAProtectedFileWithTheRightToWriteIt) {
    const std::string data = "\"C:\\T\\Tessarin.exe\" /m";
    const std::string other = "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m";
    const struct {
        bool machineWide, machineWritable, startup;
        std::string machineBefore;  // empty: absent
        const char* after;          // machine|user: "-" absent, "D" the data, "O" the other
    } cases[] = {{true, true, true, "", "D|-"},
                 {true, false, true, "", "-|D"},
                 {true, true, false, "old", "-|-"},
                 {true, false, false, "", "-|-"},
                 // A portable copy, even with the rights: per-user, and its own old machine-wide
                 // entry goes; another program's entry of that name stays.
                 {false, true, true, "", "-|D"},
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
}

TEST(IsProtectedProgramPath, OnlyInsideAnAdministratorsFolder) {
    const std::vector<std::string> folders = {"C:\\Program Files", "C:\\Program Files (x86)\\", "",
                                              "D:\\BAZAAR"};
    const std::pair<const char*, bool> cases[] = {
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
    for (const auto& [path, inside] : cases) {
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

std::string EntriesOf(const Rows& rows) {
    PopupItems items;
    return Show(UpdatePopupMenu(ListOf(rows), items));
}

TEST(PopupMenu, EntriesFollowTheGroupOrderAndKeepListOrderWithinAGroup) {
    const std::pair<Rows, const char*> cases[] = {
        {{{"Shutdown Computer", " "}, {"Shutdown Computer", ""}}, ""},
        {{{"Go to URL", "http://a.test/"},
          {"Search Google", " "},
          {"Open File/Folder", "\"C:\\My Files\\x.txt\" "},
          {"Go to URL", "  http://b.test/ "}},
         "3:1:Open \"C:\\My Files\\x.txt\"|1:3:Browse http://a.test/|4:3:Browse http://b.test/|"
         "2:3:Search Google"},
        // Data without characters gives no entry, except for a place.
        {{{"Open File/Folder", ""},
          {"Go to URL", ""},
          {"Send Email", ""},
          {"Network", ""},
          {"", "http://x.test/"}},
         "4:2:Open Network"},
        // Only the exact "Email mailto:" loses its scheme, and only in the caption.
        {{{"Send Email", "MAILTO:a@b.test"}, {"Open File/Folder", "Email mailto:x"}},
         "2:1:Open Email x|1:3:Email MAILTO:a@b.test"},
        {{{"go to url", "http://a.test/"}, {"Network ", ""}}, ""}};
    for (const auto& [rows, entries] : cases) {
        EXPECT_EQ(EntriesOf(rows), entries);
    }
    Rows many(250, {"Mute", ""});
    many[0] = many[199] = many[200] = {"Go to URL", "http://x.test/"};
    many[249] = {"Network", ""};
    EXPECT_EQ(EntriesOf(many), "1:3:Browse http://x.test/|200:3:Browse http://x.test/");
}

TEST(PopupMenu, EntriesRunWhatTheirPopupShowedWithDoubledQuotesCollapsed) {
    PopupItems items;
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
class DoubleBytePage : public CodePage {
  public:
    std::string ToAnsi(std::string_view utf8) const override {
        return utf8 == "\xE3\x82\xA2" ? "\x83\x41" : Windows1252CodePage().ToAnsi(utf8);
    }
    std::string FromAnsi(unsigned char) const override { return {}; }
};

TEST(SearchPrompt, EscapesEverythingButAsciiLettersAndDigitsAndBlanksAloneAreNoQuery) {
    const std::pair<const char*, const char*> cases[] = {
        {" a-b ", "%20a%2Db%20"},   {"Zz09+._~", "Zz09%2B%2E%5F%7E"},
        {"a\nb\t", "a%0Ab%09"},     {"caf\xC3\xA9\xE2\x82\xAC", "caf%E9%80"},
        {"\xC4\x80x", "%3Fx"},      {"\xF0\x9F\x98\x80!", "%3F%3F%21"},
        {"\xC3(\xFF", "%3F%28%3F"}, {"", ""}};
    const Windows1252CodePage page;
    for (const auto& [text, encoded] : cases) {
        EXPECT_EQ(EncodeQuery(text, page), encoded) << text;
    }
    EXPECT_EQ(EncodeQuery("\xE3\x82\xA2\x42", DoubleBytePage()), "%83%41B");
    EXPECT_EQ(AcceptedSearchQuery("", page) + AcceptedSearchQuery("    ", page), "");
    EXPECT_EQ(AcceptedSearchQuery(" a ", page), "%20a%20");
    EXPECT_EQ(AcceptedSearchQuery("\t", page), "%09");
}

// "1=a 3= L=a" stands for Email1 "a", an empty Email3 and LastEmail "a"; "*" fills all 200.
MemorySettingsStore::Section Slots(const std::string& text) {
    MemorySettingsStore::Section slots;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        for (int slot = 1; word == "*" && slot <= kEmailSlotCount; ++slot) {
            slots[EmailSlotKey(slot)] = std::to_string(slot);
        }
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos) {
            const std::string name = word.substr(0, equals);
            slots[name == "L" ? kLastEmailKey : "Email" + name] = word.substr(equals + 1);
        }
    }
    return slots;
}

MemorySettingsStore StoreWith(const std::string& text) {
    MemorySettingsStore store;
    for (const auto& [key, value] : Slots(text)) {
        store.SaveSetting(kEmailSection, key, value);
    }
    return store;
}

TEST(EmailPrompt, RemembersANewReceiverOnceInTheLowestFreeSlot) {
    const char* const cases[][4] = {// before, typed, answer, after
                                    {"", "  a@x  ", "a@x", "1=a@x L=a@x"},
                                    {"1=a", "   ", "", "1=a"},
                                    {"1=a 2=b L=b", " a", "a", "1=a 2=b L=b"},
                                    {"1=A@x", "a@x", "a@x", "1=A@x 2=a@x L=a@x"},
                                    {"1=a 2= 4=d", "n", "n", "1=a 2=n 4=d L=n"},
                                    {"1=a 3=c", "n", "n", "1=a 2=n 3=c L=n"},
                                    {"* 7=", "200", "200", "* 7="},
                                    {"*", "new", "new", "*"},
                                    {"* 201=x", "x", "x", "* 201=x"}};
    for (const auto& [before, typed, answer, after] : cases) {
        MemorySettingsStore store = StoreWith(before);
        EXPECT_EQ(AcceptEmailReceiver(typed, store), answer) << before << " + " << typed;
        EXPECT_EQ(store.AllSections().at(kEmailSection), Slots(after)) << before << " + " << typed;
    }
    const EmailList list = LoadEmailList(StoreWith("10=j 2=b 1=a 3= 200=z 0=no 201=no L=b"));
    EXPECT_EQ(list.Receivers, (std::vector<std::string>{"a", "b", "j", "z"}));
    EXPECT_EQ(list.LastEmail, "b");
}

TEST(EmailPrompt, RemoveAsksPerMatchingSlotAndDeletesLastEmailWithEachConfirmedOne) {
    const struct {
        const char* before;
        const char* text;
        std::vector<bool> answers;  // one question per answer, each "... delete <text> ?"
        const char* after;
    } cases[] = {{"1=a 2=b 3=c L=c", "b", {true}, "1=a 3=c"},
                 {"1=a 2=b 3=c L=c", "b", {false}, "1=a 2=b 3=c L=c"},
                 {"1=a 2= L=a", "", {}, "1=a 2= L=a"},
                 {"1=a 2=b L=b", "b ", {}, "1=a 2=b L=b"},
                 {"1=a 2=b L=b", "B", {}, "1=a 2=b L=b"},
                 {"2=x 5=x L=x", "x", {false, true}, "2=x"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " - " + c.text);
        MemorySettingsStore store = StoreWith(c.before);
        std::vector<std::string> asked;
        const bool removed = RemoveEmail(c.text, store, [&](const std::string& question) {
            asked.push_back(question);
            return asked.size() <= c.answers.size() && c.answers[asked.size() - 1];
        });
        EXPECT_EQ(asked,
                  std::vector<std::string>(c.answers.size(), "Are you sure you want to delete " +
                                                                 std::string(c.text) + " ?"));
        EXPECT_EQ(removed, Slots(c.after) != Slots(c.before));
        EXPECT_EQ(store.AllSections().at(kEmailSection), Slots(c.after));
    }
}

}  // namespace
}  // namespace tessarin
