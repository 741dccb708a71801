// The two prompts for real: their own modal loop, text typed or set from a second thread, their
// buttons, Enter, Escape and the close box, the answer they return and what they leave in the
// store.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "DialogDriver.h"
#include "TestPrograms.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32SettingsStore.h"
#include "ui/win32/EmailDialog.h"
#include "ui/win32/SearchDialog.h"

namespace tessarin::win32 {
namespace {

using testsupport::DriveDialog;
using testsupport::WaitFor;

using testsupport::SendKeys;

constexpr wchar_t kApplicationKey[] = L"Software\\Tessarin Prompt Tests";

enum class Close { OK, Enter, Cancel, Escape, CloseBox };

void Finish(HWND dialog, Close how) {
    if (how == Close::OK || how == Close::Cancel) {
        SendMessageW(GetDlgItem(dialog, how == Close::OK ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
    } else if (how == Close::CloseBox) {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
        SendKeys({static_cast<UINT>(how == Close::Enter ? VK_RETURN : VK_ESCAPE)});
    }
}

TEST(SearchPrompt, AnswersTheEncodedQueryOnlyThroughOK) {
    const struct {
        const wchar_t* typed;
        Close how;
        const char* query;
    } cases[] = {
        {L" a-b ", Close::OK, "%20a%2Db%20"},
        // Cancel and the close box follow accepted queries: no answer outlives its showing.
        {L"x", Close::Cancel, ""},
        {L"x y", Close::Enter, "x%20y"},
        {L"x", Close::CloseBox, ""},
        {L"   ", Close::Enter, ""},
        {L"x", Close::Escape, ""},
    };
    Win32CodePage codePage;
    SearchDialog prompt(codePage);
    for (const auto& c : cases) {
        std::string query = "unanswered";
        const testsupport::DialogRun run = DriveDialog(
            L"Enter Yahoo Search Query", SearchDialog::kTextSearchId,
            [&] { query = prompt.ShowModal(nullptr, "Yahoo"); },
            [&](HWND dialog) {
                SetWindowTextW(GetDlgItem(dialog, SearchDialog::kTextSearchId), c.typed);
                Finish(dialog, c.how);
            });
        EXPECT_TRUE(run.ClosedByItself) << c.typed;
        EXPECT_EQ(query, c.query) << c.typed;
    }

    // A second search started from the prompt's loop, as by a hotkey, gets no query of its own
    // and leaves the open prompt working.
    static SearchDialog* const open = &prompt;
    static std::atomic<bool> nestedAnswered{false};
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        nestedAnswered = open->ShowModal(nullptr, "Google").empty();
    });
    std::string query;
    const testsupport::DialogRun run = DriveDialog(
        L"Enter Yahoo Search Query", SearchDialog::kTextSearchId,
        [&] { query = prompt.ShowModal(nullptr, "Yahoo"); },
        [&](HWND dialog) {
            WaitFor([] { return nestedAnswered.load(); });
            SetWindowTextW(GetDlgItem(dialog, SearchDialog::kTextSearchId), L"a");
            Finish(dialog, Close::OK);
        });
    EXPECT_TRUE(run.ClosedByItself);
    EXPECT_TRUE(nestedAnswered);
    EXPECT_EQ(query, "a");
}

// Waits for the removal question, answers it and returns its texts.
std::string AnswerRemoval(int answer) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowW(L"#32770", L"Delete Confirmation.")) != nullptr; });
    std::string texts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM all) {
            *reinterpret_cast<std::string*>(all) += WindowText(child) + "|";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    WaitFor([&] { return !IsWindow(box); });
    return texts;
}

TEST(EmailPrompt, RemembersAndForgetsReceiversAcrossOpeningsInTheRealStore) {
    const struct {
        const wchar_t* typed;
        Close how;
        const char* receiver;
        const char* shownFirst;  // "LastEmail" as the previous openings left it
        const char* slot2;
    } cases[] = {
        {L"  bob@x.test  ", Close::Enter, "bob@x.test", "", ""},
        {L"Bob@x.test", Close::OK, "Bob@x.test", "bob@x.test", "Bob@x.test"},
        {L"bob@x.test", Close::OK, "bob@x.test", "Bob@x.test", "Bob@x.test"},
        {L"new", Close::Cancel, "", "Bob@x.test", "Bob@x.test"},
        {L"new", Close::Escape, "", "Bob@x.test", "Bob@x.test"},
        {L"new", Close::CloseBox, "", "Bob@x.test", "Bob@x.test"},
    };
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    Win32SettingsStore store("Tessarin Prompt Tests");
    EmailDialog prompt(store);  // one for all openings, as the program has
    for (const auto& c : cases) {
        std::string shown;
        DWORD selection = 0;
        std::string receiver = "unanswered";
        const testsupport::DialogRun run = DriveDialog(
            L"Tessarin v1.36", EmailDialog::kComboEmailId,
            [&] { receiver = prompt.ShowModal(nullptr); },
            [&](HWND dialog) {
                const HWND combo = GetDlgItem(dialog, EmailDialog::kComboEmailId);
                shown = WindowText(combo);
                selection = static_cast<DWORD>(SendMessageW(combo, CB_GETEDITSEL, 0, 0));
                SetWindowTextW(combo, c.typed);
                Finish(dialog, c.how);
            });
        EXPECT_TRUE(run.ClosedByItself) << c.typed;
        EXPECT_EQ(shown, c.shownFirst) << c.typed;
        EXPECT_EQ(selection, static_cast<DWORD>(shown.size() << 16)) << c.typed;
        EXPECT_EQ(receiver, c.receiver) << c.typed;
        EXPECT_EQ(store.GetSetting("Settings", "Email1", ""), "bob@x.test") << c.typed;
        EXPECT_EQ(store.GetSetting("Settings", "Email2", ""), c.slot2) << c.typed;
    }

    // Removing the last one keeps the prompt open, reloaded, with nothing in the edit field.
    std::string question;
    LRESULT count = 0;
    std::string field = "unread";
    std::string receiver = "unanswered";
    const testsupport::DialogRun run = DriveDialog(
        L"Tessarin v1.36", EmailDialog::kComboEmailId,
        [&] { receiver = prompt.ShowModal(nullptr); },
        [&](HWND dialog) {
            const HWND combo = GetDlgItem(dialog, EmailDialog::kComboEmailId);
            PostMessageW(dialog, WM_COMMAND, EmailDialog::kCommand1Id, 0);
            question = AnswerRemoval(IDYES);
            WaitFor([&] { return SendMessageW(combo, CB_GETCOUNT, 0, 0) == 1; });
            count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
            field = WindowText(combo);
            Finish(dialog, Close::OK);
        });
    EXPECT_TRUE(run.ClosedByItself);
    EXPECT_NE(question.find("|Are you sure you want to delete Bob@x.test ?|"), std::string::npos)
        << question;
    EXPECT_EQ(count, 1);
    EXPECT_EQ(field, "");
    EXPECT_EQ(receiver, "");
    EXPECT_EQ(store.GetSetting("Settings", "Email2", "none"), "none");
    EXPECT_EQ(store.GetSetting("Settings", "LastEmail", "none"), "none");
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
}

}  // namespace
}  // namespace tessarin::win32
