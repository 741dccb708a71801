#include "ui/win32/ActionForm.h"

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <map>
#include <type_traits>
#include <utility>

#include "platform/win32/WideString.h"
#include "ui/win32/FileDialog.h"
#include "ui/win32/NodeIcons.h"

namespace tessarin::win32 {
namespace {

constexpr int kClientWidth = 7770;
constexpr int kClientHeight = 4515;

constexpr int kNoRootFolder = 1208;
constexpr UINT_PTR kTreeSubclassId = 0x545256;

using UniqueIdList = UniqueTaskMemory<std::remove_pointer_t<PIDLIST_ABSOLUTE>>;

constexpr DWORD kTreeStyle =
    WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
constexpr DWORD kBoxStyle = WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX;

// In this order for the tab order. Node texts stay as built: OK recognises a node by its text.
constexpr DialogControl kControls[] = {
    {ActionForm::kTreeId, WC_TREEVIEWW, "", kTreeStyle, {360, 240, 4215, 4095}, WS_EX_CLIENTEDGE},
    Label(ActionForm::kLabel1Id, "", {4800, 240, 2760, 195}, kLabelStyle),
    Field(ActionForm::kCommandId, ES_AUTOHSCROLL, {4800, 480, 2775, 285}),
    Field(ActionForm::kPasteId, kBoxStyle | ES_WANTRETURN, {4800, 480, 2775, 1575}),
    PushButton(ActionForm::kBrowseFileId, "Browse File", {4920, 840, 1215, 375}),
    PushButton(ActionForm::kBrowseFolderId, "Browse Folder", {6240, 840, 1335, 375}),
    Label(ActionForm::kLabel2Id, "", {4800, 1440, 2760, 195}, kLabelStyle),
    Field(ActionForm::kParametersId, ES_AUTOHSCROLL, {4800, 1680, 2775, 285}),
    PushButton(IDOK, "OK", {5040, 2280, 1095, 375}),
    PushButton(IDCANCEL, "Cancel", {6360, 2280, 1095, 375}),
    // Read-only: typing must not change the help.
    Field(ActionForm::kHelpId, kBoxStyle | ES_READONLY, {4800, 2760, 2775, 1575}),
};

// Puts a text in only when it differs, so the caret of a field being typed in stays put.
void PutText(HWND window, const std::string& text) {
    if (WindowText(window) != text) {
        SetWindowTextW(window, Widen(text).c_str());
    }
}

void PutControl(HWND window, const EditorControl& control) {
    PutText(window, control.Text);
    EnableWindow(window, control.Enabled ? TRUE : FALSE);
    ShowWindow(window, control.Visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

ActionForm::ActionForm(const DriveProbe& drives)
    : DialogWindow(kControls, kClientWidth, kClientHeight), drives_(drives) {}

bool ActionForm::ShowModal(HWND owner, AppState& state) {
    if (Showing()) {
        return false;
    }
    editor_.emplace(FillActionTree(drives_));
    editor_->Load(state);
    state_ = &state;
    accepted_ = false;
    RunModal(owner, kEditorTitle, ModalTo::Owner);
    if (!accepted_) {
        ActionEditor::Cancel(state);
    }
    imageList1_.reset();
    state_ = nullptr;
    return !state.EditActionType.empty();
}

void ActionForm::Created() {
    SetWindowSubclass(Tree(), &ActionForm::TreeProc, kTreeSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    FillTree();
    Render();
    SetFocus(Tree());
}

void ActionForm::Notify(const NMHDR& header) {
    if (header.hwndFrom == Tree() && header.code == TVN_SELCHANGEDW && !selecting_) {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        NodeChosen(static_cast<std::int32_t>(change.itemNew.lParam));
    } else if (header.hwndFrom == Tree() && header.code == NM_CLICK) {
        // A click on the node already chosen changes no selection, so the tree reports it only
        // here; a click on another node is reported by the selection change that follows.
        const HTREEITEM clicked = NodeAtPress();
        if (clicked != nullptr && clicked == TreeView_GetSelection(Tree())) {
            NodeChosen(PositionOf(clicked));
        }
    }
}

// The tree reports a click without saying where it was; the pointer may have moved on since, so
// the place is taken from the button's own message.
LRESULT CALLBACK ActionForm::TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) noexcept {
    if (message == WM_LBUTTONDOWN) {
        reinterpret_cast<ActionForm*>(self)->pressedAt_ = {static_cast<short>(LOWORD(lParam)),
                                                           static_cast<short>(HIWORD(lParam))};
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(tree, &ActionForm::TreeProc, kTreeSubclassId);
    }
    return DefSubclassProc(tree, message, wParam, lParam);
}

void ActionForm::Command(int id, int code) {
    if (id == kOkId) {
        CmdOk();
    } else if (id == kCancelId) {
        End();
    } else if (id == kBrowseFileId && code == BN_CLICKED) {
        CmdBrowseFile();
    } else if (id == kBrowseFolderId && code == BN_CLICKED) {
        SyncFields();
        editor_->FolderBrowsed(SelectFolder(Window()));
        Render();
    }
}

void ActionForm::FillTree() {
    selecting_ = true;
    TreeView_DeleteAllItems(Tree());
    nodes_.clear();
    std::map<std::string, HTREEITEM> byKey;
    const CatalogueTree& tree = editor_->Tree();
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const CatalogueNode& node = tree[i];
        std::wstring text = Widen(node.Text);
        TVINSERTSTRUCTW insert{};
        const auto parent = byKey.find(node.ParentKey);
        insert.hParent =
            node.ParentKey.empty() || parent == byKey.end() ? TVI_ROOT : parent->second;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        insert.item.pszText = text.data();
        insert.item.iImage = insert.item.iSelectedImage = node.Icon - 1;
        insert.item.lParam = static_cast<LPARAM>(i + 1);
        insert.item.stateMask = TVIS_BOLD;
        insert.item.state = IsBoldNode(node) ? TVIS_BOLD : 0;
        const HTREEITEM item = TreeView_InsertItem(Tree(), &insert);
        nodes_.push_back(item);
        if (!node.Key.empty()) {
            byKey.emplace(node.Key, item);
        }
    }
    for (HTREEITEM item : nodes_) {
        TreeView_Expand(Tree(), item, TVE_EXPAND);
    }
    selecting_ = false;
    if (!nodes_.empty()) {
        TreeView_EnsureVisible(Tree(), nodes_.front());
    }
    SelectNode(editor_->Selected());
}

void ActionForm::SelectNode(std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > nodes_.size()) {
        return;
    }
    selecting_ = true;
    TreeView_SelectItem(Tree(), nodes_[static_cast<std::size_t>(position) - 1]);
    selecting_ = false;
}

HTREEITEM ActionForm::NodeAtPress() const {
    TVHITTESTINFO hit{};
    hit.pt = pressedAt_;
    const HTREEITEM item = TreeView_HitTest(Tree(), &hit);
    // Only the picture and the text are the node; the space beside them and the expand button
    // are not.
    return (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)) != 0 ? item : nullptr;
}

std::int32_t ActionForm::PositionOf(HTREEITEM item) const {
    const auto found = std::find(nodes_.begin(), nodes_.end(), item);
    return found == nodes_.end() ? kNoNode : static_cast<std::int32_t>(found - nodes_.begin()) + 1;
}

void ActionForm::NodeChosen(std::int32_t position) {
    SyncFields();
    const std::int32_t selected = editor_->NodeClick(position);
    if (selected != position) {
        SelectNode(selected);
    }
    Render();
}

void ActionForm::Render() {
    const EditorView& view = editor_->View();
    PutText(Control(kLabel1Id), view.Label1);
    PutText(Control(kLabel2Id), view.Label2);
    // The paste box covers the second label as it covers the fields.
    ShowWindow(Control(kLabel2Id), view.Paste.Visible ? SW_HIDE : SW_SHOWNA);
    for (HWND button : {Control(kBrowseFileId), Control(kBrowseFolderId)}) {
        EnableWindow(button, view.Browse.Enabled ? TRUE : FALSE);
        ShowWindow(button, view.Browse.Visible ? SW_SHOWNA : SW_HIDE);
    }
    PutControl(Control(kCommandId), view.Command);
    PutControl(Control(kParametersId), view.Parameters);
    PutControl(Control(kPasteId), view.Paste);
    PutText(Control(kHelpId), view.Help);
}

// The fields are read when the editor needs them rather than on every change: a multi-line box
// reports no change for a text put in with WM_SETTEXT.
void ActionForm::SyncFields() {
    editor_->SetCommandText(WindowText(Control(kCommandId)));
    editor_->SetParametersText(WindowText(Control(kParametersId)));
    editor_->SetPasteText(WindowText(Control(kPasteId)));
}

void ActionForm::CmdOk() {
    SyncFields();
    if (editor_->Ok(*state_) == OkOutcome::Close) {
        accepted_ = true;
        End();
        return;
    }
    MessageBoxW(Window(), Widen(kRefusalMessage).c_str(), Widen(kEditorTitle).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void ActionForm::CmdBrowseFile() {
    SyncFields();
    const auto chosen =
        AskForFile(Window(), {.Filter = L"Program File (*.exe)\0*.exe\0All Files (*.*)\0*.*\0",
                              .Extension = L"exe",
                              .Name = Widen(editor_->LastBrowsedFile())});
    editor_->FileBrowsed(chosen ? std::optional(Narrow(*chosen)) : std::nullopt);
    Render();
}

void ActionForm::DpiChanged(UINT dpi) {
    // The new pictures go in before the old ones are freed: the tree must never hold dead ones.
    UniqueImageList images(CreateNodeIcons(dpi));
    TreeView_SetImageList(Tree(), images.get(), TVSIL_NORMAL);
    imageList1_ = std::move(images);
}

std::string SelectFolder(HWND owner) {
    // The picker is owned by the editor: without an owner the editor would take OK and other
    // clicks while the picker is still open.
    std::string path;
    BrowseFolder(owner, CSIDL_DESKTOP, BIF_RETURNONLYFSDIRS, L"Select a folder:", path);
    return path;
}

int BrowseFolder(HWND owner, int specialFolder, UINT flags, const std::wstring& title,
                 std::string& path) {
    PIDLIST_ABSOLUTE rootList = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, specialFolder, &rootList))) {
        return kNoRootFolder;
    }
    const UniqueIdList root(rootList);
    // The picker talks to shell folders through COM: the program initialised it for this
    // thread at start.
    std::array<wchar_t, MAX_PATH> displayName{};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = root.get();
    browse.pszDisplayName = displayName.data();
    browse.lpszTitle = title.c_str();
    browse.ulFlags = flags;
    const UniqueIdList chosen(SHBrowseForFolderW(&browse));
    if (chosen == nullptr) {
        path.clear();
    } else {
        std::array<wchar_t, MAX_PATH> folder{};
        path = SHGetPathFromIDListW(chosen.get(), folder.data())
                   ? Narrow(folder.data())
                   : FolderPathFromDisplayName(Narrow(displayName.data()));
    }
    return 0;
}

}  // namespace tessarin::win32
