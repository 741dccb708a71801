#include "ui/win32/ActionForm.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "platform/win32/WideString.h"
#include "ui/win32/DialogPlacement.h"
#include "ui/win32/ModalLoop.h"
#include "ui/win32/NodeIcons.h"

namespace tessarin::win32 {
namespace {

struct Twips {
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr Twips kTreeView1 = {360, 240, 4215, 4095};
constexpr Twips kLabel1 = {4800, 240, 2760, 195};
constexpr Twips kTextCommand = {4800, 480, 2775, 285};
constexpr Twips kTextPaste = {4800, 480, 2775, 1575};
constexpr Twips kCmdBrowseFile = {4920, 840, 1215, 375};
constexpr Twips kCmdBrowseFolder = {6240, 840, 1335, 375};
constexpr Twips kLabel2 = {4800, 1440, 2760, 195};
constexpr Twips kTextParamters = {4800, 1680, 2775, 285};
constexpr Twips kCmdOk = {5040, 2280, 1095, 375};
constexpr Twips kCmdCancel = {6360, 2280, 1095, 375};
constexpr Twips kTextActionHelp = {4800, 2760, 2775, 1575};
constexpr int kClientWidth = 7770;
constexpr int kClientHeight = 4515;

// Long enough for any path the file dialog can return.
constexpr DWORD kFileNameCapacity = 32768;
constexpr int kNoRootFolder = 1208;
constexpr UINT_PTR kTreeSubclassId = 0x545256;

// A dialog without controls: they are created at the window's DPI in WM_INITDIALOG, where their
// positions in twips can be converted exactly.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    wchar_t Title[15];
};

const EmptyDialogTemplate kTemplate = {
    {static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), 0, 0, 0, 0, 0, 0},
    0,
    0,
    L"Tessarin v1.36"};

std::string TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

// Puts a text in only when it differs, so the caret of a field being typed in stays put.
void PutText(HWND window, const std::string& text) {
    if (TextOf(window) != text) {
        SetWindowTextW(window, Widen(text).c_str());
    }
}

void PutControl(HWND window, const EditorControl& control) {
    PutText(window, control.Text);
    EnableWindow(window, control.Enabled ? TRUE : FALSE);
    ShowWindow(window, control.Visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

ActionForm::~ActionForm() {
    if (dialog_ != nullptr) {
        DestroyWindow(dialog_);
    }
    ReleaseResources();
}

bool ActionForm::ShowModal(HWND owner, AppState& state) {
    if (dialog_ != nullptr) {
        return false;
    }
    editor_.emplace(FillActionTree(drives_));
    editor_->Load(state);
    state_ = &state;
    owner_ = owner;
    finished_ = false;
    const HWND dialog =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.Header, owner,
                                   &ActionForm::DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog == nullptr) {
        ReleaseResources();
        return false;
    }
    RunModalLoop(
        dialog, owner, [&] { return dialog_ == nullptr || finished_; },
        [&] { ActionEditor::Cancel(state); });
    if (dialog_ != nullptr) {
        DestroyWindow(dialog_);
    }
    ReleaseResources();
    state_ = nullptr;
    return !state.EditActionType.empty();
}

INT_PTR CALLBACK ActionForm::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<ActionForm*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<ActionForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr || self->dialog_ == nullptr) {
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Only a failed allocation can get here; the dialog stays as it was.
        return FALSE;
    }
}

INT_PTR ActionForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const UINT dpi = GetDpiForWindow(dialog_);
            CreateControls();
            UseDpiResources(dpi);
            Layout(dpi, nullptr);
            FillTree();
            Render();
            SetFocus(treeView1_);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (HandleCommand(LOWORD(wParam), HIWORD(wParam))) {
                // A click sent from another thread (BM_CLICK) is handled inside GetMessage,
                // which then goes on waiting; the loop must wake up to see the dialog has ended.
                PostMessageW(dialog_, WM_NULL, 0, 0);
                return TRUE;
            }
            return FALSE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == treeView1_ && header->code == TVN_SELCHANGEDW && !selecting_) {
                const auto* change = reinterpret_cast<const NMTREEVIEWW*>(lParam);
                NodeChosen(static_cast<std::int32_t>(change->itemNew.lParam));
            } else if (header->hwndFrom == treeView1_ && header->code == NM_CLICK) {
                // A click on the node already chosen changes no selection, so the tree reports
                // it only here; a click on another node is reported by the selection change
                // that follows.
                const HTREEITEM clicked = NodeAtPress();
                if (clicked != nullptr && clicked == TreeView_GetSelection(treeView1_)) {
                    NodeChosen(PositionOf(clicked));
                }
            }
            return FALSE;  // the tree goes on with its own handling of the click
        }
        case WM_DPICHANGED:
            UseDpiResources(HIWORD(wParam));
            Layout(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_DESTROY:
            // Also when the owner goes first and takes the dialog with it: nothing is handed
            // over, as EditActionType was emptied when the editor opened.
            finished_ = true;
            dialog_ = treeView1_ = label1_ = textCommand_ = textPaste_ = nullptr;
            cmdBrowseFile_ = cmdBrowseFolder_ = label2_ = textParamters_ = nullptr;
            cmdOk_ = cmdCancel_ = textActionHelp_ = nullptr;
            nodes_.clear();
            return FALSE;
        default:
            return FALSE;
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

// True when the command ended the dialog.
bool ActionForm::HandleCommand(int id, int code) {
    switch (id) {
        case kOkId:
            CmdOk();
            return finished_;
        case kCancelId:
            ActionEditor::Cancel(*state_);
            Finish();
            return true;
        case kBrowseFileId:
            if (code == BN_CLICKED) {
                CmdBrowseFile();
            }
            return false;
        case kBrowseFolderId:
            if (code == BN_CLICKED) {
                SyncFields();
                editor_->FolderBrowsed(SelectFolder(dialog_));
                Render();
            }
            return false;
        default:
            return false;
    }
}

void ActionForm::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto create = [this, instance](DWORD exStyle, const wchar_t* windowClass, DWORD style,
                                         int id, const wchar_t* text = L"") {
        return CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                               0, dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
    };
    // Node texts stay as built: OK recognises a node by its text.
    treeView1_ = create(
        WS_EX_CLIENTEDGE, WC_TREEVIEWW,
        WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS, kTreeId);
    SetWindowSubclass(treeView1_, &ActionForm::TreeProc, kTreeSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    label1_ = create(0, L"STATIC", SS_LEFT | SS_NOPREFIX, kLabel1Id);
    textCommand_ = create(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kCommandId);
    textPaste_ =
        create(WS_EX_CLIENTEDGE, L"EDIT",
               WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, kPasteId);
    cmdBrowseFile_ =
        create(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kBrowseFileId, L"Browse File");
    cmdBrowseFolder_ =
        create(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kBrowseFolderId, L"Browse Folder");
    label2_ = create(0, L"STATIC", SS_LEFT | SS_NOPREFIX, kLabel2Id);
    textParamters_ = create(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kParametersId);
    cmdOk_ = create(0, L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kOkId, L"OK");
    cmdCancel_ = create(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kCancelId, L"Cancel");
    // Read-only: typing must not change the help.
    textActionHelp_ =
        create(WS_EX_CLIENTEDGE, L"EDIT",
               WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, kHelpId);
}

void ActionForm::FillTree() {
    selecting_ = true;
    TreeView_DeleteAllItems(treeView1_);
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
        const HTREEITEM item = TreeView_InsertItem(treeView1_, &insert);
        nodes_.push_back(item);
        if (!node.Key.empty()) {
            byKey.emplace(node.Key, item);
        }
    }
    for (HTREEITEM item : nodes_) {
        TreeView_Expand(treeView1_, item, TVE_EXPAND);
    }
    selecting_ = false;
    if (!nodes_.empty()) {
        TreeView_EnsureVisible(treeView1_, nodes_.front());
    }
    SelectNode(editor_->Selected());
}

void ActionForm::SelectNode(std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > nodes_.size()) {
        return;
    }
    selecting_ = true;
    TreeView_SelectItem(treeView1_, nodes_[static_cast<std::size_t>(position) - 1]);
    selecting_ = false;
}

HTREEITEM ActionForm::NodeAtPress() const {
    TVHITTESTINFO hit{};
    hit.pt = pressedAt_;
    const HTREEITEM item = TreeView_HitTest(treeView1_, &hit);
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
    PutText(label1_, view.Label1);
    PutText(label2_, view.Label2);
    // The paste box covers the second label as it covers the fields.
    ShowWindow(label2_, view.Paste.Visible ? SW_HIDE : SW_SHOWNA);
    for (HWND button : {cmdBrowseFile_, cmdBrowseFolder_}) {
        EnableWindow(button, view.Browse.Enabled ? TRUE : FALSE);
        ShowWindow(button, view.Browse.Visible ? SW_SHOWNA : SW_HIDE);
    }
    PutControl(textCommand_, view.Command);
    PutControl(textParamters_, view.Parameters);
    PutControl(textPaste_, view.Paste);
    PutText(textActionHelp_, view.Help);
}

// The fields are read when the editor needs them rather than on every change: a multi-line box
// reports no change for a text put in with WM_SETTEXT.
void ActionForm::SyncFields() {
    editor_->SetCommandText(TextOf(textCommand_));
    editor_->SetParametersText(TextOf(textParamters_));
    editor_->SetPasteText(TextOf(textPaste_));
}

void ActionForm::CmdOk() {
    SyncFields();
    if (editor_->Ok(*state_) == OkOutcome::Close) {
        Finish();
        return;
    }
    MessageBoxW(dialog_, Widen(kRefusalMessage).c_str(), Widen(kEditorTitle).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

void ActionForm::CmdBrowseFile() {
    SyncFields();
    std::wstring fileName = Widen(editor_->LastBrowsedFile());
    fileName.resize(kFileNameCapacity, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = dialog_;
    dialog.lpstrFilter = L"Program File (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = kFileNameCapacity;
    dialog.lpstrDefExt = L"exe";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    std::optional<std::string> chosen;
    if (GetOpenFileNameW(&dialog)) {
        chosen = Narrow(fileName.c_str());
    }
    editor_->FileBrowsed(chosen);
    Render();
}

void ActionForm::Finish() {
    finished_ = true;
}

void ActionForm::Layout(UINT dpi, const RECT* suggested) {
    PlaceDialog(dialog_, owner_, kClientWidth, kClientHeight, dpi, suggested);

    const std::array<std::pair<HWND, Twips>, 11> controls = {{
        {treeView1_, kTreeView1},
        {label1_, kLabel1},
        {textCommand_, kTextCommand},
        {textPaste_, kTextPaste},
        {cmdBrowseFile_, kCmdBrowseFile},
        {cmdBrowseFolder_, kCmdBrowseFolder},
        {label2_, kLabel2},
        {textParamters_, kTextParamters},
        {cmdOk_, kCmdOk},
        {cmdCancel_, kCmdCancel},
        {textActionHelp_, kTextActionHelp},
    }};
    for (const auto& [control, twips] : controls) {
        MoveWindow(control, ToPixels(twips.Left, dpi), ToPixels(twips.Top, dpi),
                   ToPixels(twips.Width, dpi), ToPixels(twips.Height, dpi), TRUE);
    }
}

void ActionForm::UseDpiResources(UINT dpi) {
    // The new font and pictures go in before the old ones are freed: a control must never hold a
    // dead one.
    const HFONT oldFont = font_;
    const HIMAGELIST oldImages = imageList1_;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    font_ = SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)
                ? CreateFontIndirectW(&metrics.lfMessageFont)
                : nullptr;
    for (HWND control :
         {treeView1_, label1_, textCommand_, textPaste_, cmdBrowseFile_, cmdBrowseFolder_, label2_,
          textParamters_, cmdOk_, cmdCancel_, textActionHelp_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    imageList1_ = CreateNodeIcons(dpi);
    TreeView_SetImageList(treeView1_, imageList1_, TVSIL_NORMAL);
    if (oldFont != nullptr) {
        DeleteObject(oldFont);
    }
    if (oldImages != nullptr) {
        ImageList_Destroy(oldImages);
    }
}

void ActionForm::ReleaseResources() {
    if (font_ != nullptr) {
        DeleteObject(font_);
        font_ = nullptr;
    }
    if (imageList1_ != nullptr) {
        ImageList_Destroy(imageList1_);
        imageList1_ = nullptr;
    }
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
    PIDLIST_ABSOLUTE root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, specialFolder, &root))) {
        return kNoRootFolder;
    }
    // The picker talks to shell folders through COM: the program initialised it for this
    // thread at start.
    std::array<wchar_t, MAX_PATH> displayName{};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = root;
    browse.pszDisplayName = displayName.data();
    browse.lpszTitle = title.c_str();
    browse.ulFlags = flags;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) {
        path.clear();
    } else {
        std::array<wchar_t, MAX_PATH> folder{};
        path = SHGetPathFromIDListW(chosen, folder.data())
                   ? Narrow(folder.data())
                   : FolderPathFromDisplayName(Narrow(displayName.data()));
        CoTaskMemFree(chosen);
    }
    CoTaskMemFree(root);
    return 0;
}

}  // namespace tessarin::win32
