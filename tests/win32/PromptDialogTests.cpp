// The two prompts for real: their own modal loop, text typed or set from a second thread, their
// buttons, Enter, Escape and the close box, and what they leave in the app state and the store.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "TestPrograms.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32SettingsStore.h"
#include "ui/win32/EmailDialog.h"
#include "ui/win32/SearchDialog.h"

namespace tessarin::win32 {
namespace {

using tessarin::testsupport::WaitFor;

using testsupport::SendKeys;

constexpr wchar_t kApplicationKey[] = L"Software\\Tessarin Prompt Tests";

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    return {text, static_cast<std::size_t>(GetWindowTextW(window, text, 256))};
}

// Shows a prompt on this thread while `drive` works it from a second one, once it is in front
// with the focus in `fieldId` (or the edit field inside it). A prompt left open is cancelled, so
// no test can hang; the result says whether it was ready and then closed by itself.
bool RunPrompt(const wchar_t* caption, int fieldId, const std::function<void()>& show,
               const std::function<void(HWND)>& drive) {
    const DWORD uiThread = GetCurrentThreadId();
    bool closedByItself = false;
    std::thread driver([&] {
        HWND dialog = nullptr;
        const bool ready = WaitFor([&] {
            dialog = FindWindowW(L"#32770", caption);
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            const HWND field = GetDlgItem(dialog, fieldId);
            return dialog != nullptr && GetGUIThreadInfo(uiThread, &info) &&
                   (info.hwndFocus == field || GetParent(info.hwndFocus) == field) &&
                   GetForegroundWindow() == dialog;
        });
        if (ready) {
            drive(dialog);
            closedByItself = WaitFor([&] { return !IsWindow(dialog); });
        }
        // An unanswered question would hold the prompt open even after its Cancel.
        if (const HWND box = FindWindowW(L"#32770", L"Delete Confirmation."); box != nullptr) {
            PostMessageW(box, WM_COMMAND, IDNO, 0);
        }
        if (IsWindow(dialog)) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    show();
    driver.join();
    return closedByItself;
}

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
        {L"x y", Close::Enter, "x%20y"},
        {L"   ", Close::Enter, ""},
        {L"x", Close::Cancel, ""},
        {L"x", Close::Escape, ""},
        {L"x", Close::CloseBox, ""},
    };
    Win32CodePage codePage;
    SearchDialog prompt(codePage);
    for (const auto& c : cases) {
        std::string query = "unanswered";
        EXPECT_TRUE(RunPrompt(
            L"Enter Yahoo Search Query", SearchDialog::kTextSearchId,
            [&] { query = prompt.ShowModal(nullptr, "Yahoo"); },
            [&](HWND dialog) {
                SetWindowTextW(GetDlgItem(dialog, SearchDialog::kTextSearchId), c.typed);
                Finish(dialog, c.how);
            }))
            << c.typed;
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
    EXPECT_TRUE(RunPrompt(
        L"Enter Yahoo Search Query", SearchDialog::kTextSearchId,
        [&] { query = prompt.ShowModal(nullptr, "Yahoo"); },
        [&](HWND dialog) {
            WaitFor([] { return nestedAnswered.load(); });
            SetWindowTextW(GetDlgItem(dialog, SearchDialog::kTextSearchId), L"a");
            Finish(dialog, Close::OK);
        }));
    EXPECT_TRUE(nestedAnswered);
    EXPECT_EQ(query, "a");
}

// Waits for the removal question, answers it and returns its texts.
std::wstring AnswerRemoval(int answer) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowW(L"#32770", L"Delete Confirmation.")) != nullptr; });
    std::wstring texts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM all) {
            *reinterpret_cast<std::wstring*>(all) += TextOf(child) + L"|";
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
        const wchar_t* shownFirst;  // "LastEmail" as the previous openings left it
        const char* slot2;
    } cases[] = {
        {L"  bob@x.test  ", Close::Enter, "bob@x.test", L"", ""},
        {L"Bob@x.test", Close::OK, "Bob@x.test", L"bob@x.test", "Bob@x.test"},
        {L"bob@x.test", Close::OK, "bob@x.test", L"Bob@x.test", "Bob@x.test"},
        {L"new", Close::Cancel, "", L"Bob@x.test", "Bob@x.test"},
        {L"new", Close::Escape, "", L"Bob@x.test", "Bob@x.test"},
        {L"new", Close::CloseBox, "", L"Bob@x.test", "Bob@x.test"},
    };
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    Win32SettingsStore store("Tessarin Prompt Tests");
    for (const auto& c : cases) {
        std::wstring shown;
        DWORD selection = 0;
        std::string receiver = "unanswered";
        EXPECT_TRUE(RunPrompt(
            L"Tessarin v1.36", EmailDialog::kComboEmailId,
            [&] { receiver = EmailDialog(store).ShowModal(nullptr); },
            [&](HWND dialog) {
                const HWND combo = GetDlgItem(dialog, EmailDialog::kComboEmailId);
                shown = TextOf(combo);
                selection = static_cast<DWORD>(SendMessageW(combo, CB_GETEDITSEL, 0, 0));
                SetWindowTextW(combo, c.typed);
                Finish(dialog, c.how);
            }))
            << c.typed;
        EXPECT_EQ(shown, c.shownFirst) << c.typed;
        EXPECT_EQ(selection, static_cast<DWORD>(shown.size() << 16)) << c.typed;
        EXPECT_EQ(receiver, c.receiver) << c.typed;
        EXPECT_EQ(store.GetSetting("Settings", "Email1", ""), "bob@x.test") << c.typed;
        EXPECT_EQ(store.GetSetting("Settings", "Email2", ""), c.slot2) << c.typed;
    }

    // Removing the last one keeps the prompt open, reloaded, with nothing in the edit field.
    std::wstring question;
    LRESULT count = 0;
    std::wstring field = L"unread";
    std::string receiver = "unanswered";
    EXPECT_TRUE(RunPrompt(
        L"Tessarin v1.36", EmailDialog::kComboEmailId,
        [&] { receiver = EmailDialog(store).ShowModal(nullptr); },
        [&](HWND dialog) {
            const HWND combo = GetDlgItem(dialog, EmailDialog::kComboEmailId);
            PostMessageW(dialog, WM_COMMAND, EmailDialog::kCommand1Id, 0);
            question = AnswerRemoval(IDYES);
            WaitFor([&] { return SendMessageW(combo, CB_GETCOUNT, 0, 0) == 1; });
            count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
            field = TextOf(combo);
            Finish(dialog, Close::OK);
        }));
    EXPECT_NE(question.find(L"|Are you sure you want to delete Bob@x.test ?|"), std::wstring::npos)
        << question;
    EXPECT_EQ(count, 1);
    EXPECT_EQ(field, L"");
    EXPECT_EQ(receiver, "");
    EXPECT_EQ(store.GetSetting("Settings", "Email2", "none"), "none");
    EXPECT_EQ(store.GetSetting("Settings", "LastEmail", "none"), "none");
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
}

}  // namespace
}  // namespace tessarin::win32
