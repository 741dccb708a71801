#include "ui/ActionEditorLogic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
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
        // The separator blank stays part of a command without parameters.
        {"6", "http://x.org ", 6, "http://x.org ", "", "", "Go to URL", "http://x.org  "},
        {"7", "mailto:a@b.c ", 7, "a@b.c ", "", "", "Send Email", "mailto:a@b.c  "},
        {"2", "\"C:\\My Files\\a.exe\" -x \"y\"", 2, "\"C:\\My Files\\a.exe\"", "-x \"y\"", "",
         "Open File/Folder", "\"C:\\My Files\\a.exe\" -x \"y\""},
        {"26", "E: ", 26, "E: ", "", "", "Close Cdrom", "E: "},
        {"30", " ", 30, " ", "", "", "Mute", " "},
        {"32", "say \"\"hi\"\" now  ", 32, "", "", "say \"\"hi\"\" now ", "Paste Text",
         "say \"\"hi\"\" now  "},
        {"17", "\"explorer.exe\" /n,::{645FF040-5081-101B-9F08-00AA002F954E}", 17,
         "\"explorer.exe\"", "::{645FF040-5081-101B-9F08-00AA002F954E}", "", "Custom Namespace",
         "\"explorer.exe\" /n,::{645FF040-5081-101B-9F08-00AA002F954E}"},
        // An index that names no node leaves "File/Folder" chosen and still fills the fields.
        {"x7", "\"C:\\a.exe\" ", 2, "\"C:\\a.exe\"", "", "", "Open File/Folder", "\"C:\\a.exe\" "},
        {"45", "\"C:\\a.exe\" ", 2, "\"C:\\a.exe\"", "", "", "Open File/Folder", "\"C:\\a.exe\" "},
    };
    for (const Case& c : cases) {
        ActionList list;
        list.Add({"Mute", "CTRL + M", " ", 30, 7, {true, true}});
        list.Add({"Old", "ALT + K", c.data, 1, -5, {true, false}});
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
}

TEST(ActionEditorLogic, AFolderWithoutPathGivesItsTrimmedNameAndTwoBackslashes) {
    EXPECT_EQ(FolderPathFromDisplayName("  Network  "), "Network\\\\");
    EXPECT_EQ(FolderPathFromDisplayName("   "), "");
    EXPECT_EQ(FolderPathFromDisplayName(""), "");
}

}  // namespace
}  // namespace tessarin
