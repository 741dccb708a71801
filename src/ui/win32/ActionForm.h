#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/AppState.h"
#include "platform/DriveProbe.h"
#include "platform/win32/Handles.h"
#include "ui/ActionEditorLogic.h"
#include "ui/win32/DialogWindow.h"

namespace tessarin::win32 {

// The action editor: the catalogue as a tree, the help of the chosen node and the fields it
// needs. Modal to its owner.
class ActionForm final : private DialogWindow {
  public:
    static constexpr int kTreeId = 100;
    static constexpr int kLabel1Id = 101;
    static constexpr int kCommandId = 102;
    static constexpr int kPasteId = 103;
    static constexpr int kBrowseFileId = 104;
    static constexpr int kBrowseFolderId = 105;
    static constexpr int kLabel2Id = 106;
    static constexpr int kParametersId = 107;
    static constexpr int kHelpId = 108;
    // Enter and Escape reach these through the dialog manager; the close box acts as Cancel.
    static constexpr int kOkId = IDOK;
    static constexpr int kCancelId = IDCANCEL;

    explicit ActionForm(const DriveProbe& drives);

    // Opens a new editor for the row that EditIndex and EditData describe (both empty when
    // adding) and returns when it has closed. The answer is in EditActionType, EditCommand,
    // EditParameters and EditActionIndex; true when EditActionType is not empty. A WM_QUIT that
    // arrives meanwhile ends the editor as Cancel and is posted again for the caller.
    bool ShowModal(HWND owner, AppState& state);

  private:
    static LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) noexcept;

    void Created() override;
    void Command(int id, int notification) override;
    void Notify(const NMHDR& header) override;
    void DpiChanged(UINT dpi) override;
    HWND Tree() const { return Control(kTreeId); }
    void FillTree();
    void SelectNode(std::int32_t position);
    HTREEITEM NodeAtPress() const;
    std::int32_t PositionOf(HTREEITEM item) const;
    void NodeChosen(std::int32_t position);
    void Render();
    void SyncFields();
    void CmdOk();
    void CmdBrowseFile();

    const DriveProbe& drives_;
    std::optional<ActionEditor> editor_;
    AppState* state_ = nullptr;
    std::vector<HTREEITEM> nodes_;  // by position minus one
    UniqueImageList imageList1_;
    bool accepted_ = false;   // OK closed the editor with the answer in the app state
    bool selecting_ = false;  // a selection made by the editor itself, not a node click
    POINT pressedAt_{};       // where the left button last went down in the tree
};

// The folder picker rooted at the desktop: a file-system folder, or empty when cancelled.
std::string SelectFolder(HWND owner);

// Lets the user pick a folder below a special folder. Returns 0, or 1208 when the root cannot be
// found (the path is then left as it was); a cancelled picker empties the path.
int BrowseFolder(HWND owner, int specialFolder, UINT flags, const std::wstring& title,
                 std::string& path);

}  // namespace tessarin::win32
