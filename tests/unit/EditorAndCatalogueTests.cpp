#include "ui/ActionEditorLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "FakeDriveProbe.h"
#include "model/Catalogue.h"
#include "ui/MainWindowLogic.h"

namespace tessarin {
namespace {

std::string Texts(const CatalogueTree& tree) {
    std::string texts;
    for (const CatalogueNode& node : tree) {
        texts += node.Text + "|";
    }
    return texts;
}

// Stored actions keep their node position, so the order of the nodes is part of the format.
TEST(Catalogue, ListsTheNodesInTheirStoredOrder) {
    EXPECT_EQ(Texts(FillActionTree(FakeDriveProbe(""))),
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
        const std::string cd = "|Switch User|CD Eject|" + drives + "CD Close|" + drives + "Audio|";
        EXPECT_NE(Texts(tree).find(cd), std::string::npos) << cdRoms;
        EXPECT_EQ(tree[23].Icon, drives.empty() ? 5 : 4) << cdRoms;
    }
}

// Positions in a tree with the drives D: and Z: under each CD section.
TEST(Catalogue, ParentsCategoriesPositionsOutsideTheTreeAndTheActionsTheNodesBuild) {
    CatalogueTree tree = FillActionTree(FakeDriveProbe("dz"));
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
        EXPECT_TRUE(inside || NodeFieldLayout(tree, position) == FieldLayout::None);
    }

    // Each node builds its action from the fields its layout uses.
    const struct {
        std::int32_t position;  // with the drives D: and Z:
        const char* commandField;
        const char* parametersField;
        FieldLayout layout;
        const char* built;  // caption|command|parameters; empty: refused for a blank field
    } cases[] = {
        {2, "srv/a b", "{X}", FieldLayout::File, "Open File/Folder|\"srv/a b\"|{X}"},
        {2, "\t", "", FieldLayout::File, "Open File/Folder|\"\t\"|"},
        {6, "server/a.html", "{X}", FieldLayout::Url, "Go to URL|http://server/a.html|"},
        {6, "x?next=hTtPs://y", "", FieldLayout::Url, "Go to URL|x?next=hTtPs://y|"},
        {7, "a b", "{X}", FieldLayout::Email, "Send Email|mailto:a b|"},
        // The mixed case is what has always been stored.
        {15, "x", "{X}", FieldLayout::Namespace,
         R"(Printers|"explorer.exe"|/n,::{20d04fe0-3aea-1069-a2d8-08002b30309d}\::{2227A280-3AEA-1069-A2DE-08002B30309D})"},
        {17, "x", "{6}", FieldLayout::Namespace, R"(Custom Namespace|"explorer.exe"|/n,::{6})"},
        {17, "", "::{6}", FieldLayout::Namespace, R"(Custom Namespace|"explorer.exe"|/n,::{6})"},
        {17, "", ":{x}", FieldLayout::Namespace, R"(Custom Namespace|"explorer.exe"|/n,:::{x})"},
        {17, "x", "   ", FieldLayout::Namespace, ""},
        {34, "x", "{X}", FieldLayout::Paste, "Paste Text|line 1\r\n\"two\"|"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " [" + c.commandField + "|" + c.parametersField);
        EXPECT_EQ(NodeFieldLayout(tree, c.position), c.layout);
        const BuiltAction b = BuildActionFromNode(tree, c.position, c.commandField,
                                                  c.parametersField, "line 1\r\n\"two\"");
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

TEST(ActionEditor, OkHandsOverTheActionRefusesABlankFieldAddsARowWithoutHotkeyAndBrowses) {
    ActionList list;
    list.Add({"Mute", "CTRL + M", " ", 30, 7, {}});
    AppState state;
    state.EditData = state.EditIndex = "stale";
    PrepareActionEditor(state, nullptr);
    ActionEditor editor(FillActionTree(FakeDriveProbe("e")));
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

    // A file browse swallows the next node click only, and a folder gives its path.
    editor.SetCommandText("typed");
    editor.FileBrowsed(std::nullopt);  // cancelled before any file was chosen
    EXPECT_EQ(editor.View().Command.Text, "");
    editor.FileBrowsed("C:\\a b\\app.exe");
    editor.FolderBrowsed("C:\\x");
    editor.FileBrowsed(std::nullopt);
    EXPECT_EQ(editor.View().Command.Text, "C:\\a b\\app.exe");
    EXPECT_TRUE(editor.SkipNodeClick());
    EXPECT_EQ(editor.NodeClick(6), 2);
    EXPECT_EQ(Controls(editor.View()), "on[] on[C:\\a b\\app.exe] on[-x] hidden[]");
    EXPECT_FALSE(editor.SkipNodeClick());
    EXPECT_EQ(editor.NodeClick(6), 6);
    EXPECT_EQ(Controls(editor.View()), "off[] on[] off[N/A] hidden[]");
    EXPECT_EQ(editor.View().Help, NodeHelpText(FillActionTree(FakeDriveProbe("e")), 6));
    // A namespace shows the command it runs; Mute takes no field; Paste Text shows only its box.
    editor.NodeClick(17);
    EXPECT_EQ(Controls(editor.View()), "off[] off[explorer.exe /n,/e,] on[] hidden[]");
    editor.NodeClick(30);
    EXPECT_EQ(Controls(editor.View()), "off[] off[N/A] off[N/A] hidden[]");
    editor.NodeClick(32);
    EXPECT_EQ(Controls(editor.View()), "hidden[] hidden[N/A] hidden[N/A] on[]");

    // The click after a browse is used up also when it lands on "File/Folder" itself; a click on
    // the node already chosen applies its layout again.
    editor.NodeClick(2);
    editor.FileBrowsed("C:\\b.exe");
    EXPECT_EQ(editor.NodeClick(2), 2);
    EXPECT_EQ(editor.View().Command.Text, "C:\\b.exe");
    EXPECT_EQ(editor.NodeClick(2), 2);
    EXPECT_EQ(editor.View().Command.Text, "");
    // A folder without a path gives its trimmed name and two backslashes.
    EXPECT_EQ(FolderPathFromDisplayName("  Network  "), "Network\\\\");
    EXPECT_EQ(FolderPathFromDisplayName("   "), "");
}

// Editing an existing row made in a tree with the drive E:, in the tree of the drives there are
// now: the node that builds the row's action wherever it is now, the fields it opens with, and
// the row after OK without a change.
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
        {"e", "2", "Open File/Folder", "\"C:\\a b\\c\" -x \"y\"", 2, "\"C:\\a b\\c\"|-x \"y\"|"},
        {"e", "32", "Paste Text", "say \"\"hi\"\" now  ", 32, "||say \"\"hi\"\" now "},
        {"e", "7", "Send Email", "mailto:a@b.c  ", 7, "a@b.c ||"},
        {"e", "17", "Custom Namespace", "\"explorer.exe\" /n,::{6}", 17, "\"explorer.exe\"|::{6}|"},
        // The index is a hint only: the caption finds the node, and a drive's letter its node.
        {"e", "x7", "Open File/Folder", "\"C:\\a.exe\" ", 2, "\"C:\\a.exe\"||"},
        {"", "30", "Mute", " ", 28, " ||"},
        {"de", "24", "Eject Cdrom", "E: ", 25, "E: ||"},
        {"de", "26", "Close Cdrom", "E: ", 28, "E: ||"},
        {"d", "26", "Close Cdrom", "E: ", kNoNode, "E: ||"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.caption) + " at " + c.index + " with [" + c.drives + "]");
        ActionList list;
        list.Add({"Mute", "CTRL + M", " ", 30, 7, {true, true}});
        list.Add({c.caption, "ALT + K", c.data, 1, -5, {true, false}});
        AppState state;
        state.EditActionType = "stale";
        PrepareActionEditor(state, &list.At(2));
        state.EditIndex = c.index;
        ActionEditor editor(FillActionTree(FakeDriveProbe(c.drives)));
        editor.Load(state);
        EXPECT_EQ(state.EditActionType, "");
        EXPECT_EQ(editor.Selected(), c.selected);
        const EditorView& view = editor.View();
        EXPECT_EQ(view.Command.Text + "|" + view.Parameters.Text + "|" + view.Paste.Text, c.fields);
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
}  // namespace
}  // namespace tessarin
