#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/ActionRecord.h"
#include "model/AppState.h"
#include "model/Catalogue.h"
#include "Version.h"

namespace tessarin {

inline constexpr const char* kEditorTitle = kProgramTitle;
inline constexpr const char* kRefusalMessage =
    "You need to fill in the necessary fields for this command.";
inline constexpr std::int32_t kFileFolderPosition = 2;
// No node chosen: OK then hands nothing over, as on a category.
inline constexpr std::int32_t kNoNode = 0;

// One field control of the editor as the current layout leaves it.
struct EditorControl {
    bool Visible = true;
    bool Enabled = true;
    std::string Text;
};

// Everything the editor shows beside the tree. The two browse buttons always share one state.
struct EditorView {
    std::string Label1;
    std::string Label2;
    EditorControl Browse;
    EditorControl Command;
    EditorControl Parameters;
    EditorControl Paste;
    std::string Help;
};

// Sets every field control as the layout says. A layout leaves the texts of the controls it
// hides as they were.
void ApplyFieldLayout(EditorView& view, FieldLayout layout);

// The roots drawn in bold: every root but "Display".
bool IsBoldNode(const CatalogueNode& node);

enum class OkOutcome { Close, Refused };

// The action editor without its window: the tree, the chosen node, the fields, and the rules that
// tie them together. The window shows what this decides and reports what the user does.
class ActionEditor {
  public:
    explicit ActionEditor(CatalogueTree tree);

    // Prepares a fresh opening: empties EditActionType and, when EditIndex marks a row being
    // edited, selects the node that builds EditCaption (none when no node does) and fills the
    // fields from EditData so that an unchanged OK builds the same Data again.
    void Load(AppState& state);

    const CatalogueTree& Tree() const { return tree_; }
    std::int32_t Selected() const { return selected_; }
    const EditorView& View() const { return view_; }
    bool SkipNodeClick() const { return skipNodeClick_; }

    // The texts as the user has typed them.
    void SetCommandText(std::string text) { view_.Command.Text = std::move(text); }
    void SetParametersText(std::string text) { view_.Parameters.Text = std::move(text); }
    void SetPasteText(std::string text) { view_.Paste.Text = std::move(text); }

    // The user chose a node, by mouse or keyboard. Returns the node that is to be selected
    // afterwards: the chosen one, or "File/Folder" when a file browse swallows the choice.
    std::int32_t NodeClick(std::int32_t position);
    void ShowNodeHelp(std::int32_t position);

    // The file dialog's answer, or none when it was cancelled: a cancelled dialog still hands
    // back the name it held from an earlier choice in this opening.
    void FileBrowsed(const std::optional<std::string>& chosen);
    const std::string& LastBrowsedFile() const { return lastBrowsedFile_; }
    // The folder picker's answer; empty when it was cancelled.
    void FolderBrowsed(const std::string& folder) { view_.Command.Text = folder; }

    // On Refused the window shows kRefusalMessage and stays open with the fields untouched.
    OkOutcome Ok(AppState& state) const;
    static void Cancel(AppState& state);

  private:
    bool Holds(std::int32_t position) const;

    CatalogueTree tree_;
    std::int32_t selected_ = kFileFolderPosition;
    EditorView view_;
    bool skipNodeClick_ = false;
    std::string lastBrowsedFile_;
};

// The folder picker's answer for an item without a file-system path: its display name without
// surrounding blanks, followed by two backslashes; empty when the name is blank.
std::string FolderPathFromDisplayName(std::string_view displayName);

// The main window's "Add Action" and "Edit Action" before the editor opens: the row being edited,
// or none when adding.
void PrepareActionEditor(AppState& state, const ActionRecord* edited);

// The main window's side after the editor has closed: appends a row (editedPosition none) or
// rewrites the edited row from the editor's answer, leaving its hotkey text and registration
// alone. Returns the position of the row that changed, none when the answer was empty.
std::optional<std::size_t> ApplyActionEditorResult(ActionList& list,
                                                   std::optional<std::size_t> editedPosition,
                                                   const AppState& state);

}  // namespace tessarin
