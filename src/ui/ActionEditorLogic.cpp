#include "ui/ActionEditorLogic.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

#include "model/ActionCaptions.h"
#include "model/ActionData.h"
#include "model/Text.h"

namespace tessarin {

namespace {

// How a layout sets one control; a null text leaves the control's text as it was.
struct ControlRule {
    bool Visible;
    bool Enabled;
    const char* Text;
};

struct LayoutRule {
    FieldLayout Layout;
    const char* Label1;
    const char* Label2;
    ControlRule Browse;
    ControlRule Command;
    ControlRule Parameters;
    ControlRule Paste;
};

constexpr const char* kProgramCaption = "Program/Folder to start";
constexpr const char* kParametersCaption = "Paramters";
constexpr ControlRule kHiddenPaste = {false, true, nullptr};
constexpr ControlRule kOffNotApplicable = {true, false, "N/A"};

constexpr LayoutRule kLayoutRules[] = {
    {FieldLayout::None,
     kProgramCaption,
     kParametersCaption,
     {true, false, nullptr},
     kOffNotApplicable,
     kOffNotApplicable,
     kHiddenPaste},
    {FieldLayout::File,
     kProgramCaption,
     kParametersCaption,
     {true, true, nullptr},
     {true, true, ""},
     {true, true, ""},
     kHiddenPaste},
    {FieldLayout::Url,
     "Type the URL to open",
     kParametersCaption,
     {true, false, nullptr},
     {true, true, ""},
     kOffNotApplicable,
     kHiddenPaste},
    {FieldLayout::Email,
     "Type the email-address to send to",
     kParametersCaption,
     {true, false, nullptr},
     {true, true, ""},
     kOffNotApplicable,
     kHiddenPaste},
    // The command shown is information only: the stored command carries no "/e,".
    {FieldLayout::Namespace,
     "",
     "",
     {true, false, nullptr},
     {true, false, "explorer.exe /n,/e,"},
     {true, true, ""},
     kHiddenPaste},
    {FieldLayout::Paste,
     "Enter text to paste",
     "",
     {false, false, nullptr},
     {false, false, nullptr},
     {false, false, nullptr},
     {true, true, ""}},
};

constexpr std::string_view kPasteTextCaption = captions::kPasteText;
// The node is named by the caption of the action it makes.
constexpr std::string_view kCustomNamespaceNode = captions::kCustomNamespace;
constexpr std::string_view kMailto = "mailto:";
// Every namespace action's parameters start with it; the editor puts it back on OK.
constexpr std::string_view kNewWindowSwitch = "/n,";

void Apply(EditorControl& control, const ControlRule& rule) {
    control.Visible = rule.Visible;
    control.Enabled = rule.Enabled;
    if (rule.Text != nullptr) {
        control.Text = rule.Text;
    }
}

// The Data without the one blank that joining put after a command without parameters; building
// the action puts it back.
std::string WithoutSeparator(std::string_view data) {
    if (data.ends_with(' ')) {
        data.remove_suffix(1);
    }
    return std::string(data);
}

std::optional<std::int32_t> ParsePosition(std::string_view text) {
    std::int32_t value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc{} || end != last) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

void ApplyFieldLayout(EditorView& view, FieldLayout layout) {
    const auto rule =
        std::find_if(std::begin(kLayoutRules), std::end(kLayoutRules),
                     [layout](const LayoutRule& candidate) { return candidate.Layout == layout; });
    if (rule == std::end(kLayoutRules)) {
        return;
    }
    view.Label1 = rule->Label1;
    view.Label2 = rule->Label2;
    Apply(view.Browse, rule->Browse);
    Apply(view.Command, rule->Command);
    Apply(view.Parameters, rule->Parameters);
    Apply(view.Paste, rule->Paste);
}

bool IsBoldNode(const CatalogueNode& node) {
    return node.ParentKey.empty() && node.Text != "Display";
}

ActionEditor::ActionEditor(CatalogueTree tree) : tree_(std::move(tree)) {
    ApplyFieldLayout(view_, FieldLayout::File);
    view_.Help = NodeHelpText(tree_, kFileFolderPosition).value_or("");
}

bool ActionEditor::Holds(std::int32_t position) const {
    return position >= 1 && static_cast<std::size_t>(position) <= tree_.size();
}

void ActionEditor::Load(AppState& state) {
    skipNodeClick_ = false;
    state.EditActionType.clear();
    if (state.EditIndex.empty()) {
        return;
    }
    const std::int32_t hint = ParsePosition(state.EditIndex).value_or(0);
    if (const auto found = FindActionNode(tree_, state.EditCaption, state.EditData, hint)) {
        selected_ = *found;
        ShowNodeHelp(selected_);
    } else {
        // Its drive is gone, or no node has ever built this caption. Choosing some other node
        // would turn the action into another one on an unchanged OK; with none chosen OK hands
        // nothing over, so the row stays as it is until the user picks a node.
        selected_ = kNoNode;
        ApplyFieldLayout(view_, FieldLayout::None);
        view_.Help.clear();
    }
    if (state.EditData.empty()) {
        return;
    }
    const FieldLayout layout =
        selected_ == kNoNode ? FieldLayout::None : NodeFieldLayout(tree_, selected_);
    if (layout == FieldLayout::Paste) {
        // The split would cut a text at its first quote.
        view_.Paste.Text = WithoutSeparator(state.EditData);
        view_.Parameters.Text.clear();
        view_.Command.Text.clear();
        return;
    }
    if (layout == FieldLayout::Url || layout == FieldLayout::Email) {
        // The field is the whole command, which the split would cut at a quote inside a URL.
        std::string command = WithoutSeparator(state.EditData);
        if (std::string_view(command).starts_with(kMailto)) {
            command.erase(0, kMailto.size());
        }
        view_.Command.Text = std::move(command);
        view_.Parameters.Text.clear();
        return;
    }
    SplitData split = SplitActionData(state.EditData);
    if (std::string_view(split.Command).starts_with(kMailto)) {
        split.Command.erase(0, kMailto.size());
    }
    // OK puts the switch in front again, so an unchanged edit must not show it.
    if (selected_ != kNoNode &&
        tree_[static_cast<std::size_t>(selected_) - 1].Text == kCustomNamespaceNode &&
        std::string_view(split.Parameters).starts_with(kNewWindowSwitch)) {
        split.Parameters.erase(0, kNewWindowSwitch.size());
    }
    view_.Command.Text = std::move(split.Command);
    view_.Parameters.Text = std::move(split.Parameters);
}

std::int32_t ActionEditor::NodeClick(std::int32_t position) {
    if (skipNodeClick_) {
        skipNodeClick_ = false;
        selected_ = kFileFolderPosition;
        return selected_;
    }
    if (Holds(position)) {
        selected_ = position;
        ShowNodeHelp(position);
    }
    return selected_;
}

void ActionEditor::ShowNodeHelp(std::int32_t position) {
    if (!Holds(position) || IsCategoryNode(tree_, position)) {
        return;
    }
    ApplyFieldLayout(view_, NodeFieldLayout(tree_, position));
    if (auto help = NodeHelpText(tree_, position)) {
        view_.Help = std::move(*help);
    }
}

void ActionEditor::FileBrowsed(const std::optional<std::string>& chosen) {
    // Closing the file dialog can leave a click behind on the tree; it must not change the node.
    skipNodeClick_ = true;
    if (chosen) {
        lastBrowsedFile_ = *chosen;
    }
    view_.Command.Text = lastBrowsedFile_;
}

OkOutcome ActionEditor::Ok(AppState& state) const {
    state.EditActionType.clear();
    const BuiltAction built = BuildActionFromNode(tree_, selected_, view_.Command.Text,
                                                  view_.Parameters.Text, view_.Paste.Text);
    if (built.Outcome == BuildOutcome::Refused) {
        return OkOutcome::Refused;
    }
    if (built.Outcome == BuildOutcome::Built) {
        state.EditCommand = built.Command;
        state.EditParameters = built.Parameters;
        state.EditActionType = built.ActionType;
        state.EditActionIndex = built.ActionIndex;
    }
    return OkOutcome::Close;
}

void ActionEditor::Cancel(AppState& state) {
    state.EditCommand.clear();
    state.EditParameters.clear();
    state.EditActionType.clear();
}

std::string FolderPathFromDisplayName(std::string_view displayName) {
    const std::string name = TrimBlanks(displayName);
    return name.empty() ? name : name + "\\\\";
}

void PrepareActionEditor(AppState& state, const ActionRecord* edited) {
    if (edited == nullptr) {
        state.EditData.clear();
        state.EditIndex.clear();
        state.EditCaption.clear();
        return;
    }
    state.EditData = edited->Data;
    state.EditIndex = std::to_string(edited->ActionIndex);
    state.EditCaption = edited->ActionType;
}

std::optional<std::size_t> ApplyActionEditorResult(ActionList& list,
                                                   std::optional<std::size_t> editedPosition,
                                                   const AppState& state) {
    if (state.EditActionType.empty()) {
        return std::nullopt;
    }
    // Quote pairs are collapsed because the editor wraps typed program paths in quotes once more;
    // a text to paste is the user's own and keeps every quote.
    const std::string data = state.EditActionType == kPasteTextCaption
                                 ? state.EditCommand + ' ' + state.EditParameters
                                 : JoinActionData(state.EditCommand, state.EditParameters);
    if (!editedPosition) {
        ActionRecord record;
        record.ActionType = state.EditActionType;
        record.Data = data;
        record.ActionIndex = state.EditActionIndex;
        return list.Add(std::move(record));
    }
    if (*editedPosition < 1 || *editedPosition > list.Count()) {
        return std::nullopt;
    }
    ActionRecord& row = list.At(*editedPosition);
    row.ActionType = state.EditActionType;
    row.Data = data;
    row.ActionIndex = state.EditActionIndex;
    return editedPosition;
}

}  // namespace tessarin
