#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/AppState.h"
#include "platform/DriveProbe.h"
#include "ui/ActionEditorLogic.h"

namespace tessarin::win32 {

// The action editor: the catalogue as a tree, the help of the chosen node and the fields it
// needs. Modal to its owner while the thread's other windows keep receiving their messages, so
// hotkeys still run their actions while it is open.
class ActionForm {
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

    explicit ActionForm(const DriveProbe& drives) : drives_(drives) {}
    ~ActionForm();
    ActionForm(const ActionForm&) = delete;
    ActionForm& operator=(const ActionForm&) = delete;

    // Opens a new editor for the row that EditIndex and EditData describe (both empty when
    // adding) and returns when it has closed. The answer is in EditActionType, EditCommand,
    // EditParameters and EditActionIndex; true when EditActionType is not empty. A WM_QUIT that
    // arrives meanwhile ends the editor as Cancel and is posted again for the caller.
    bool ShowModal(HWND owner, AppState& state);

  private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

    static LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) noexcept;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(int id, int code);
    void CreateControls();
    void FillTree();
    void Layout(UINT dpi, const RECT* suggested);
    void UseDpiResources(UINT dpi);
    void ReleaseResources();
    void SelectNode(std::int32_t position);
    HTREEITEM NodeAtPress() const;
    std::int32_t PositionOf(HTREEITEM item) const;
    void NodeChosen(std::int32_t position);
    void Render();
    void SyncFields();
    void CmdOk();
    void CmdBrowseFile();
    void Finish();

    const DriveProbe& drives_;
    std::optional<ActionEditor> editor_;
    AppState* state_ = nullptr;
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
    HWND treeView1_ = nullptr;
    HWND label1_ = nullptr;
    HWND textCommand_ = nullptr;
    HWND textPaste_ = nullptr;
    HWND cmdBrowseFile_ = nullptr;
    HWND cmdBrowseFolder_ = nullptr;
    HWND label2_ = nullptr;
    HWND textParamters_ = nullptr;
    HWND cmdOk_ = nullptr;
    HWND cmdCancel_ = nullptr;
    HWND textActionHelp_ = nullptr;
    std::vector<HTREEITEM> nodes_;  // by position minus one
    HIMAGELIST imageList1_ = nullptr;
    HFONT font_ = nullptr;
    bool finished_ = false;
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
