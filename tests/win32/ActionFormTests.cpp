// The action editor for real: its own modal loop, nodes selected and fields typed from a second
// thread, its buttons clicked, and the answer it hands over.

#include "ui/win32/ActionForm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "DialogDriver.h"
#include "TestPrograms.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32DriveProbe.h"

namespace tessarin::win32 {
namespace {

using testsupport::DriveDialog;
using testsupport::OwnedDialog;
using testsupport::WaitFor;

class ActionFormTest : public ::testing::Test {
  protected:
    bool Run(const std::function<void(HWND)>& drive) {
        bool accepted = false;
        run_ = DriveDialog(
            L"Tessarin v1.36", ActionForm::kTreeId,
            [&] { accepted = form_.ShowModal(nullptr, state_); }, drive);
        return accepted;
    }

    std::int32_t PositionOf(const std::string& text) const {
        for (std::size_t i = 0; i < tree_.size(); ++i) {
            if (tree_[i].Text == text) {
                return static_cast<std::int32_t>(i + 1);
            }
        }
        ADD_FAILURE() << text;
        return 0;
    }

    // Every node is expanded, so position order is the order in which they are shown.
    static HTREEITEM NodeAt(HWND dialog, std::int32_t position) {
        const HWND tree = GetDlgItem(dialog, ActionForm::kTreeId);
        HTREEITEM item = TreeView_GetRoot(tree);
        for (std::int32_t i = 1; i < position && item != nullptr; ++i) {
            item = TreeView_GetNextVisible(tree, item);
        }
        return item;
    }

    static void Select(HWND dialog, std::int32_t position) {
        SendMessageW(GetDlgItem(dialog, ActionForm::kTreeId), TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(NodeAt(dialog, position)));
    }

    // A click of the left button on a node's text, as the mouse sends it.
    static void ClickNode(HWND dialog, std::int32_t position) {
        const HWND tree = GetDlgItem(dialog, ActionForm::kTreeId);
        RECT text{};
        TreeView_GetItemRect(tree, NodeAt(dialog, position), &text, TRUE);
        const LPARAM at = MAKELPARAM((text.left + text.right) / 2, (text.top + text.bottom) / 2);
        PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(tree, WM_LBUTTONUP, 0, at);
    }

    static std::int32_t SelectedPosition(HWND dialog) {
        const HWND tree = GetDlgItem(dialog, ActionForm::kTreeId);
        TVITEMW item{};
        item.mask = TVIF_PARAM;
        item.hItem = TreeView_GetSelection(tree);
        TreeView_GetItem(tree, &item);
        return static_cast<std::int32_t>(item.lParam);
    }

    static void Type(HWND dialog, int field, const std::string& text) {
        SendMessageW(GetDlgItem(dialog, field), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(Widen(text).c_str()));
    }

    // Posted: a click that opens a message box must not hold this thread.
    static void Click(HWND dialog, int button) {
        PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
    }

    Win32DriveProbe drives_;
    CatalogueTree tree_ = FillActionTree(drives_);
    ActionForm form_{drives_};
    AppState state_;
    testsupport::DialogRun run_;
};

TEST_F(ActionFormTest, OpensOnFileFolderWithBoldRootsEverythingExpandedAndTheNodePictures) {
    std::int32_t selected = 0;
    std::string help;
    UINT openState = 0;
    UINT displayState = 0;
    UINT namespaceState = 0;
    int images = 0;
    Run([&](HWND dialog) {
        const HWND tree = GetDlgItem(dialog, ActionForm::kTreeId);
        selected = SelectedPosition(dialog);
        help = WindowText(GetDlgItem(dialog, ActionForm::kHelpId));
        openState = TreeView_GetItemState(tree, NodeAt(dialog, 1), TVIS_BOLD);
        displayState = TreeView_GetItemState(tree, NodeAt(dialog, PositionOf("Display")),
                                             TVIS_BOLD | TVIS_EXPANDED);
        namespaceState = TreeView_GetItemState(tree, NodeAt(dialog, PositionOf("Namespace")),
                                               TVIS_BOLD | TVIS_EXPANDED);
        images = ImageList_GetImageCount(TreeView_GetImageList(tree, TVSIL_NORMAL));
        Click(dialog, ActionForm::kCancelId);
    });
    EXPECT_TRUE(run_.ClosedByItself);
    EXPECT_EQ(selected, 2);
    EXPECT_EQ(help.rfind("This will let you open a file or a folder.", 0), 0u) << help;
    EXPECT_EQ(openState, static_cast<UINT>(TVIS_BOLD));
    EXPECT_EQ(displayState, static_cast<UINT>(TVIS_EXPANDED));
    EXPECT_EQ(namespaceState, static_cast<UINT>(TVIS_EXPANDED));
    EXPECT_EQ(images, 25);
}

TEST_F(ActionFormTest, OkHandsOverWhatTheChosenNodeAndFieldsMake) {
    struct Case {
        const char* node;
        int field;  // 0: nothing typed
        const char* typed;
        const char* type;
        const char* command;
        const char* parameters;
    };
    const Case cases[] = {
        {"URL", ActionForm::kCommandId, "example.org", "Go to URL", "http://example.org", ""},
        {"Custom Namespace", ActionForm::kParametersId, "{645FF040-5081-101B-9F08-00AA002F954E}",
         "Custom Namespace", "\"explorer.exe\"", "/n,::{645FF040-5081-101B-9F08-00AA002F954E}"},
        {"Paste Text", ActionForm::kPasteId, "Grüße \"x\"\r\nzwei", "Paste Text",
         "Grüße \"x\"\r\nzwei", ""},
        {"Mute", 0, "", "Mute", "", ""},
    };
    for (const Case& c : cases) {
        state_.EditData = state_.EditIndex = "";
        bool pasteShown = false;
        const bool accepted = Run([&](HWND dialog) {
            Select(dialog, PositionOf(c.node));
            if (c.field != 0) {
                Type(dialog, c.field, c.typed);
            }
            pasteShown = IsWindowVisible(GetDlgItem(dialog, ActionForm::kPasteId)) &&
                         !IsWindowVisible(GetDlgItem(dialog, ActionForm::kCommandId));
            Click(dialog, ActionForm::kOkId);
        });
        EXPECT_TRUE(run_.ClosedByItself) << c.node;
        EXPECT_TRUE(accepted) << c.node;
        EXPECT_EQ(pasteShown, c.field == ActionForm::kPasteId) << c.node;
        EXPECT_EQ(state_.EditActionType, c.type) << c.node;
        EXPECT_EQ(state_.EditCommand, c.command) << c.node;
        EXPECT_EQ(state_.EditParameters, c.parameters) << c.node;
        EXPECT_EQ(state_.EditActionIndex, PositionOf(c.node)) << c.node;
    }
}

TEST_F(ActionFormTest, ARefusedOkShowsTheMessageAndKeepsTheDialogAndItsFields) {
    std::string message;
    std::string kept;
    bool stayed = false;
    const bool accepted = Run([&](HWND dialog) {
        Type(dialog, ActionForm::kCommandId, "   ");
        Click(dialog, ActionForm::kOkId);
        HWND box = nullptr;
        WaitFor([&] { return (box = OwnedDialog(dialog)) != nullptr; });
        if (box == nullptr) {
            return;
        }
        message = WindowText(box) + "|" + WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !IsWindow(box); });
        stayed = IsWindow(dialog) == TRUE;
        kept = WindowText(GetDlgItem(dialog, ActionForm::kCommandId));
        Type(dialog, ActionForm::kCommandId, "C:\\Tools\\app.exe");
        Click(dialog, ActionForm::kOkId);
    });
    EXPECT_EQ(message, "Tessarin v1.36|You need to fill in the necessary fields for this command.");
    EXPECT_TRUE(stayed);
    EXPECT_EQ(kept, "   ");
    EXPECT_TRUE(accepted);
    EXPECT_EQ(state_.EditActionType, "Open File/Folder");
    EXPECT_EQ(state_.EditCommand, "\"C:\\Tools\\app.exe\"");
}

TEST_F(ActionFormTest, CancelTheCloseBoxAndACategoryHandNothingOver) {
    struct Case {
        const char* name;
        std::function<void(HWND)> close;
    };
    const Case cases[] = {
        {"Cancel", [](HWND dialog) { Click(dialog, ActionForm::kCancelId); }},
        {"close box", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"OK on a category",
         [](HWND dialog) {
             Select(dialog, 1);
             Click(dialog, ActionForm::kOkId);
         }},
    };
    for (const Case& c : cases) {
        state_.EditActionType = "stale";
        EXPECT_FALSE(Run(c.close)) << c.name;
        EXPECT_TRUE(run_.ClosedByItself) << c.name;
        EXPECT_EQ(state_.EditActionType, "") << c.name;
    }
}

TEST_F(ActionFormTest, EditingPreselectsTheNodeAndFillsTheFields) {
    struct Case {
        const char* node;
        const char* data;
        const char* label1;
        const char* command;
        const char* paste;
    };
    const Case cases[] = {
        {"Send Email", "mailto:a@b.c ", "Type the email-address to send to", "a@b.c", ""},
        {"Paste Text", "say \"hi\" ", "Enter text to paste", "", "say \"hi\""},
    };
    for (const Case& c : cases) {
        state_.EditIndex = std::to_string(PositionOf(c.node));
        state_.EditData = c.data;
        state_.EditCaption = c.node;
        std::int32_t selected = 0;
        std::string label1;
        std::string command;
        std::string paste;
        Run([&](HWND dialog) {
            selected = SelectedPosition(dialog);
            label1 = WindowText(GetDlgItem(dialog, ActionForm::kLabel1Id));
            command = WindowText(GetDlgItem(dialog, ActionForm::kCommandId));
            paste = WindowText(GetDlgItem(dialog, ActionForm::kPasteId));
            Click(dialog, ActionForm::kOkId);
        });
        EXPECT_EQ(selected, PositionOf(c.node)) << c.node;
        EXPECT_EQ(label1, c.label1) << c.node;
        EXPECT_EQ(command, c.command) << c.node;
        EXPECT_EQ(paste, c.paste) << c.node;
        EXPECT_EQ(state_.EditActionType, c.node) << c.node;
    }
}

TEST_F(ActionFormTest, TheKeyboardChoosesANodeAsAClickDoes) {
    std::int32_t selected = 0;
    std::string command;
    Run([&](HWND dialog) {
        // The key goes straight to the tree, as the focused tree would get it; keystrokes typed
        // at the whole desktop would depend on which window the system made active meanwhile.
        const HWND tree = GetDlgItem(dialog, ActionForm::kTreeId);
        // Only once the editor has chosen its first node is a key a choice of the user's.
        WaitFor([&] { return SelectedPosition(dialog) == 2; });
        PostMessageW(tree, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageW(tree, WM_KEYUP, VK_DOWN, static_cast<LPARAM>(0xC0000001));
        WaitFor([&] {
            selected = SelectedPosition(dialog);
            command = WindowText(GetDlgItem(dialog, ActionForm::kCommandId));
            return selected == 3 && command == "N/A";
        });
        Click(dialog, ActionForm::kOkId);
    });
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(command, "N/A");
    EXPECT_EQ(state_.EditActionType, "Open Add/Remove Programs");
}

TEST_F(ActionFormTest, ACancelledFileDialogEmptiesTheFieldAndSwallowsTheNextNodeClick) {
    std::string afterBrowse;  // what both browses left in the field
    std::int32_t afterFirstClick = 0;
    std::int32_t afterSecondClick = 0;
    std::string afterClickOnChosen = "unread";
    Run([&](HWND dialog) {
        const HWND tree = GetDlgItem(dialog, ActionForm::kTreeId);
        // The field is emptied once the editor has the dialog's answer, and with it its mark.
        const auto browseAndCancel = [&] {
            Type(dialog, ActionForm::kCommandId, "typed");
            Click(dialog, ActionForm::kBrowseFileId);
            HWND open = nullptr;
            WaitFor([&] { return (open = OwnedDialog(dialog)) != nullptr; });
            PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
            std::string field;
            WaitFor([&] {
                return (field = WindowText(GetDlgItem(dialog, ActionForm::kCommandId))).empty();
            });
            afterBrowse += field;
        };
        browseAndCancel();
        Select(dialog, PositionOf("URL"));
        afterFirstClick = SelectedPosition(dialog);

        // This time the swallowed click lands on "File/Folder", the node already chosen, which
        // changes no selection. The choice of "URL" is posted after it, so it comes second.
        browseAndCancel();
        ClickNode(dialog, 2);
        PostMessageW(tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(NodeAt(dialog, PositionOf("URL"))));
        WaitFor([&] { return (afterSecondClick = SelectedPosition(dialog)) != 2; });
        // A click on the chosen node applies its layout again, which empties the field.
        Type(dialog, ActionForm::kCommandId, "typed");
        ClickNode(dialog, PositionOf("URL"));
        WaitFor([&] {
            afterClickOnChosen = WindowText(GetDlgItem(dialog, ActionForm::kCommandId));
            return afterClickOnChosen.empty();
        });
        Click(dialog, ActionForm::kCancelId);
    });
    EXPECT_TRUE(run_.ClosedByItself);
    EXPECT_EQ(afterBrowse, "");
    EXPECT_EQ(afterFirstClick, 2);
    EXPECT_EQ(afterSecondClick, PositionOf("URL"));
    EXPECT_EQ(afterClickOnChosen, "");
}

}  // namespace
}  // namespace tessarin::win32
