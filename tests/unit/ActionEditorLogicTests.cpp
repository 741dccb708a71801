#include "ui/ActionEditorLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "FakeDriveProbe.h"

namespace tessarin {
namespace {

// One CD-ROM drive E:, so "E:" sits at 24 under "CD Eject" and at 26 under "CD Close".
ActionEditor EditorWithDriveE() {
    return ActionEditor(FillActionTree(FakeDriveProbe("e")));
}

// Visible, enabled and text of a control in one line, so a table row reads like the layout.
std::string Describe(const EditorControl& control) {
    return std::string(control.Visible ? "shown" : "hidden") + (control.Enabled ? " on" : " off") +
           " [" + control.Text + "]";
}

TEST(ActionEditorLogic, EveryLayoutSetsEachControl) {
    struct Case {
        FieldLayout layout;
        const char* label1;
        const char* label2;
        const char* browse;
        const char* command;
        const char* parameters;
        const char* paste;
    };
    // The view starts with typed texts everywhere, so a text a layout leaves alone shows up.
    const Case cases[] = {
        {FieldLayout::None, "Program/Folder to start", "Paramters", "shown off [b]",
         "shown off [N/A]", "shown off [N/A]", "hidden on [p]"},
        {FieldLayout::File, "Program/Folder to start", "Paramters", "shown on [b]", "shown on []",
         "shown on []", "hidden on [p]"},
        {FieldLayout::Url, "Type the URL to open", "Paramters", "shown off [b]", "shown on []",
         "shown off [N/A]", "hidden on [p]"},
        {FieldLayout::Email, "Type the email-address to send to", "Paramters", "shown off [b]",
         "shown on []", "shown off [N/A]", "hidden on [p]"},
        {FieldLayout::Namespace, "", "", "shown off [b]", "shown off [explorer.exe /n,/e,]",
         "shown on []", "hidden on [p]"},
        {FieldLayout::Paste, "Enter text to paste", "", "hidden off [b]", "hidden off [c]",
         "hidden off [a]", "shown on []"},
    };
    for (const Case& c : cases) {
        EditorView view{
            "x", "y", {true, true, "b"}, {true, true, "c"}, {true, true, "a"}, {true, true, "p"},
            "h"};
        ApplyFieldLayout(view, c.layout);
        const auto name = static_cast<int>(c.layout);
        EXPECT_EQ(view.Label1, c.label1) << name;
        EXPECT_EQ(view.Label2, c.label2) << name;
        EXPECT_EQ(Describe(view.Browse), c.browse) << name;
        EXPECT_EQ(Describe(view.Command), c.command) << name;
        EXPECT_EQ(Describe(view.Parameters), c.parameters) << name;
        EXPECT_EQ(Describe(view.Paste), c.paste) << name;
        EXPECT_EQ(view.Help, "h") << name;
    }
}

TEST(ActionEditorLogic, ChoosingANodeShowsItsLayoutAndHelpAndCategoriesChangeNothing) {
    struct Case {
        std::int32_t position;
        const char* label1;
        const char* helpStart;  // empty: the help stays the "File/Folder" one
    };
    const Case cases[] = {
        {6, "Type the URL to open", "Simply enter the url"},
        {7, "Type the email-address to send to", "Simply enter the email address"},
        {17, "", "This is an advanced option"},
        {24, "Program/Folder to start", "This will add an action to eject a cdrom/dvd"},
        {26, "Program/Folder to start", "This will add an action to close a cdrom/dvd"},
        {30, "Program/Folder to start", "This will add an action to mute"},
        {32, "Enter text to paste", "This will add an action to paste"},
        {1, "Program/Folder to start", ""},
        {23, "Program/Folder to start", ""},
        {42, "Program/Folder to start", ""},
    };
    for (const Case& c : cases) {
        ActionEditor editor = EditorWithDriveE();
        editor.SetCommandText("typed");
        const std::string fileHelp = editor.View().Help;
        EXPECT_EQ(editor.NodeClick(c.position), c.position);
        EXPECT_EQ(editor.View().Label1, c.label1) << c.position;
        const std::string help = *c.helpStart == '\0' ? fileHelp : c.helpStart;
        EXPECT_EQ(editor.View().Help.substr(0, help.size()), help) << c.position;
        if (*c.helpStart == '\0') {
            EXPECT_EQ(editor.View().Command.Text, "typed") << c.position;
        }
    }
}

TEST(ActionEditorLogic, OkHandsOverTheActionRefusesBlankFieldsAndClosesOnCategories) {
    ActionEditor editor = EditorWithDriveE();
    AppState state;
    state.EditActionIndex = 9;
    for (std::int32_t category : {1, 11, 18, 23, 25, 27, 31, 42}) {
        state.EditActionType = "stale";
        editor.NodeClick(category);
        EXPECT_EQ(editor.Ok(state), OkOutcome::Close) << category;
        EXPECT_EQ(state.EditActionType, "") << category;
    }
    EXPECT_EQ(state.EditActionIndex, 9);

    editor.NodeClick(2);
    editor.SetCommandText("   ");
    editor.SetParametersText("-x");
    EXPECT_EQ(editor.Ok(state), OkOutcome::Refused);
    EXPECT_EQ(state.EditActionType, "");
    EXPECT_EQ(editor.View().Command.Text, "   ");
    EXPECT_EQ(editor.View().Parameters.Text, "-x");

    editor.SetCommandText("C:\\a.exe");
    EXPECT_EQ(editor.Ok(state), OkOutcome::Close);
    EXPECT_EQ(state.EditActionType, "Open File/Folder");
    EXPECT_EQ(state.EditCommand, "\"C:\\a.exe\"");
    EXPECT_EQ(state.EditParameters, "-x");
    EXPECT_EQ(state.EditActionIndex, 2);

    ActionEditor::Cancel(state);
    EXPECT_EQ(state.EditActionType + state.EditCommand + state.EditParameters, "");
    EXPECT_EQ(state.EditActionIndex, 2);
}

// Editing an existing row: the fields it opens with, and the row after OK without a change.
TEST(ActionEditorLogic, EditingFillsTheFieldsAndAnUnchangedOkRewritesTheRow) {
    struct Case {
        const char* index;
        const char* data;
        std::int32_t selected;
        const char* command;
        const char* parameters;
        const char* paste;
        const char* caption;
        const char* dataAfter;
    };
    const Case cases[] = {
        // The separator blank is not shown where building puts it back.
        {"6", "http://x.org ", 6, "http://x.org", "", "", "Go to URL", "http://x.org "},
        {"7", "mailto:a@b.c ", 7, "a@b.c", "", "", "Send Email", "mailto:a@b.c "},
        {"2", "\"C:\\My Files\\a.exe\" -x \"y\"", 2, "\"C:\\My Files\\a.exe\"", "-x \"y\"", "",
         "Open File/Folder", "\"C:\\My Files\\a.exe\" -x \"y\""},
        {"26", "E: ", 26, "E: ", "", "", "Close Cdrom", "E: "},
        {"30", " ", 30, " ", "", "", "Mute", " "},
        {"32", "say \"\"hi\"\" now  ", 32, "", "", "say \"\"hi\"\" now ", "Paste Text",
         "say \"\"hi\"\" now  "},
        {"17", "\"explorer.exe\" /n,::{645FF040-5081-101B-9F08-00AA002F954E}", 17,
         "\"explorer.exe\"", "::{645FF040-5081-101B-9F08-00AA002F954E}", "", "Custom Namespace",
         "\"explorer.exe\" /n,::{645FF040-5081-101B-9F08-00AA002F954E}"},
        // An index that names no node is no hindrance: the caption finds the node.
        {"x7", "\"C:\\a.exe\" ", 2, "\"C:\\a.exe\"", "", "", "Open File/Folder", "\"C:\\a.exe\" "},
        {"45", "\"C:\\a.exe\" ", 2, "\"C:\\a.exe\"", "", "", "Open File/Folder", "\"C:\\a.exe\" "},
    };
    for (const Case& c : cases) {
        ActionList list;
        list.Add({"Mute", "CTRL + M", " ", 30, 7, {true, true}});
        list.Add({c.caption, "ALT + K", c.data, 1, -5, {true, false}});
        AppState state;
        state.EditActionType = "stale";
        PrepareActionEditor(state, &list.At(2));
        state.EditIndex = c.index;
        ActionEditor editor = EditorWithDriveE();
        editor.Load(state);
        EXPECT_EQ(state.EditActionType, "") << c.data;
        EXPECT_EQ(editor.Selected(), c.selected) << c.data;
        EXPECT_EQ(editor.View().Command.Text, c.command) << c.data;
        EXPECT_EQ(editor.View().Parameters.Text, c.parameters) << c.data;
        EXPECT_EQ(editor.View().Paste.Text, c.paste) << c.data;

        ASSERT_EQ(editor.Ok(state), OkOutcome::Close) << c.data;
        EXPECT_EQ(ApplyActionEditorResult(list, 2, state), std::optional<std::size_t>(2));
        const ActionRecord& row = list.At(2);
        EXPECT_EQ(row.ActionType, c.caption) << c.data;
        EXPECT_EQ(row.Data, c.dataAfter) << c.data;
        EXPECT_EQ(row.ActionIndex, c.selected) << c.data;
        EXPECT_EQ(row.Hotkey + std::to_string(row.Tag), "ALT + K-5") << c.data;
        EXPECT_TRUE(row.Registration.Held && !row.Registration.Accepted) << c.data;
        EXPECT_EQ(list.At(1).Data, " ") << c.data;
    }
}

// A row made when other CD-ROM drives were present, edited now: every node after the CD sections
// has moved, so the stored position may hold another action. OK without a change keeps the action.
TEST(ActionEditorLogic, EditingChoosesTheNodeThatBuildsTheRowsActionWhereverItIsNow) {
    struct Case {
        const char* caption;
        std::int32_t stored;
        const char* drivesThen;
        const char* drivesNow;
        std::int32_t chosen;  // kNoNode: no node builds it now, and OK leaves the row alone
    };
    const Case cases[] = {
        {"Mute", 30, "e", "", 28},
        {"Mute", 28, "", "e", 30},
        {"Paste Text", 30, "", "de", 34},
        {"Eject Cdrom", 24, "e", "de", 25},  // 24 is D: now
        {"Close Cdrom", 26, "e", "de", 28},
        {"Close Cdrom", 26, "e", "d", kNoNode},
        {"Eject Cdrom", 24, "e", "", kNoNode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.caption) + " at " + std::to_string(c.stored));
        AppState state;
        ActionEditor then(FillActionTree(FakeDriveProbe(c.drivesThen)));
        then.NodeClick(c.stored);
        then.SetPasteText("hi");
        ASSERT_EQ(then.Ok(state), OkOutcome::Close);
        ASSERT_EQ(state.EditActionType, c.caption);
        ActionList list;
        list.Add({});
        ApplyActionEditorResult(list, 1, state);
        const ActionRecord made = list.At(1);

        PrepareActionEditor(state, &made);
        ActionEditor now(FillActionTree(FakeDriveProbe(c.drivesNow)));
        now.Load(state);
        EXPECT_EQ(now.Selected(), c.chosen);
        ASSERT_EQ(now.Ok(state), OkOutcome::Close);
        ApplyActionEditorResult(list, 1, state);
        EXPECT_EQ(list.At(1).ActionType + "|" + list.At(1).Data, c.caption + ("|" + made.Data));
        EXPECT_EQ(list.At(1).ActionIndex, c.chosen == kNoNode ? c.stored : c.chosen);
    }
}

// Edit and OK without touching a field, for every action of the catalogue, fed what a user might
// have typed into its fields: the row comes back exactly as it was stored.
TEST(ActionEditorLogic, AnUnchangedEditOfAnyActionKeepsItsData) {
    struct Typed {
        FieldLayout layout;
        const char* command;
        const char* parameters;
        const char* paste;
    };
    const Typed typedInto[] = {
        {FieldLayout::None, "", "", ""},
        {FieldLayout::File, "C:\\My Files\\a.exe", "-x \"y\" ", ""},
        {FieldLayout::Url, "x.org/?q=\"a b\" ", "", ""},
        {FieldLayout::Email, "a@b.c ", "", ""},
        {FieldLayout::Namespace, "", "{645FF040-5081-101B-9F08-00AA002F954E}", ""},
        {FieldLayout::Paste, "", "", "say \"hi\" \r\nnow "},
    };
    const CatalogueTree tree = FillActionTree(FakeDriveProbe("e"));
    std::set<std::string> captions;
    for (std::int32_t position = 1; static_cast<std::size_t>(position) <= tree.size(); ++position) {
        if (IsCategoryNode(tree, position)) {
            continue;
        }
        SCOPED_TRACE(tree[static_cast<std::size_t>(position) - 1].Text);
        const Typed& typed = typedInto[static_cast<int>(NodeFieldLayout(tree, position))];
        ASSERT_EQ(typed.layout, NodeFieldLayout(tree, position));
        AppState state;
        ActionEditor adding(tree);
        adding.NodeClick(position);
        adding.SetCommandText(typed.command);
        adding.SetParametersText(typed.parameters);
        adding.SetPasteText(typed.paste);
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

TEST(ActionEditorLogic, AddingAppendsARowWithoutHotkeyAndAnEmptyAnswerChangesNothing) {
    ActionList list;
    list.Add({"Mute", "CTRL + M", " ", 30, 7, {}});
    AppState state;
    state.EditData = "stale";
    state.EditIndex = "5";
    PrepareActionEditor(state, nullptr);
    ActionEditor editor = EditorWithDriveE();
    editor.Load(state);
    EXPECT_EQ(state.EditData + state.EditIndex, "");
    EXPECT_EQ(editor.Selected(), 2);
    EXPECT_EQ(ApplyActionEditorResult(list, std::nullopt, state), std::nullopt);
    EXPECT_EQ(ApplyActionEditorResult(list, 1, state), std::nullopt);
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(1).ActionType, "Mute");

    editor.NodeClick(24);
    ASSERT_EQ(editor.Ok(state), OkOutcome::Close);
    ASSERT_EQ(ApplyActionEditorResult(list, std::nullopt, state), std::optional<std::size_t>(2));
    const ActionRecord& added = list.At(2);
    EXPECT_EQ(added.ActionType + "|" + added.Hotkey + "|" + added.Data, "Eject Cdrom||E: ");
    EXPECT_EQ(added.ActionIndex, 24);
    EXPECT_EQ(added.Tag, 0);
}

TEST(ActionEditorLogic, AFileBrowseSwallowsTheNextNodeClickOnly) {
    ActionEditor editor = EditorWithDriveE();
    editor.SetCommandText("typed");
    editor.FileBrowsed(std::nullopt);  // cancelled before any file was chosen
    EXPECT_EQ(editor.View().Command.Text, "");
    editor.FileBrowsed("C:\\a b\\app.exe");
    editor.FolderBrowsed("C:\\x");
    editor.FileBrowsed(std::nullopt);
    EXPECT_EQ(editor.View().Command.Text, "C:\\a b\\app.exe");
    EXPECT_TRUE(editor.SkipNodeClick());

    EXPECT_EQ(editor.NodeClick(6), 2);
    EXPECT_EQ(editor.View().Label1, "Program/Folder to start");
    EXPECT_EQ(editor.View().Command.Text, "C:\\a b\\app.exe");
    EXPECT_FALSE(editor.SkipNodeClick());
    EXPECT_EQ(editor.NodeClick(6), 6);
    EXPECT_EQ(editor.View().Label1, "Type the URL to open");

    // The click after a browse is used up also when it lands on "File/Folder" itself; a click on
    // the node already chosen applies its layout again.
    editor.NodeClick(2);
    editor.FileBrowsed("C:\\b.exe");
    EXPECT_EQ(editor.NodeClick(2), 2);
    EXPECT_EQ(editor.View().Command.Text, "C:\\b.exe");
    EXPECT_FALSE(editor.SkipNodeClick());
    EXPECT_EQ(editor.NodeClick(2), 2);
    EXPECT_EQ(editor.View().Command.Text, "");
}

TEST(ActionEditorLogic, AFolderWithoutPathGivesItsTrimmedNameAndTwoBackslashes) {
    EXPECT_EQ(FolderPathFromDisplayName("  Network  "), "Network\\\\");
    EXPECT_EQ(FolderPathFromDisplayName("   "), "");
    EXPECT_EQ(FolderPathFromDisplayName(""), "");
}

}  // namespace
}  // namespace tessarin
