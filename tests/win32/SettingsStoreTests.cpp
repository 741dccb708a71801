// The action list through the real registry: what goes in comes back, in the layout other
// tools read (HKEY_CURRENT_USER\Software\<application>\<section>, one REG_SZ per key). And
// through the real profile functions into an actions file.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPrograms.h"
#include "model/ActionStore.h"
#include "model/ActionsFile.h"
#include "platform/win32/Win32ProfileFile.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/WideString.h"

namespace tessarin {
namespace {

// Never the user's own store: the same layout under an application name of the tests' own.
constexpr const char* kApplication = "Tessarin Store Tests";
constexpr wchar_t kApplicationKey[] = L"Software\\Tessarin Store Tests";

class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey); }

    static bool KeyExists(const std::wstring& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    win32::Win32SettingsStore store_{kApplication};
};

TEST_F(RegistryStore, ActionListRoundTripsThroughTheRegistry) {
    ActionList list;
    const std::string longText(10000, 'x');
    const struct {
        const char* type;
        const char* hotkey;
        std::string data;
        std::int32_t index;
    } rows[] = {
        {"Open File/Folder", "CTRL + ALT + K", "\"C:\\Program Files\\Ω ü 日本\\a.exe\" -x \"y\"",
         2},
        {"Paste Text", "WIN + SHIFT + [LARROW]", longText + "\r\nend", 30},
        {"Mute", "", "", 28},
        {"Go to URL", "ALT + F5", "http://example.test/?q=\"é\" ", 6},
    };
    for (const auto& row : rows) {
        ActionRecord record;
        record.ActionType = row.type;
        record.Hotkey = row.hotkey;
        record.Data = row.data;
        record.ActionIndex = row.index;
        list.Add(record);
    }
    SaveRegActions(store_, list);

    ActionList loaded;
    LoadRegActions(store_, loaded);
    ASSERT_EQ(loaded.Count(), list.Count());
    for (std::size_t n = 1; n <= list.Count(); ++n) {
        EXPECT_EQ(loaded.At(n).ActionType, list.At(n).ActionType) << n;
        EXPECT_EQ(loaded.At(n).Hotkey, list.At(n).Hotkey) << n;
        EXPECT_EQ(loaded.At(n).Data, list.At(n).Data) << n;
        EXPECT_EQ(loaded.At(n).ActionIndex, list.At(n).ActionIndex) << n;
    }
    EXPECT_FALSE(KeyExists(std::wstring(kApplicationKey) + L"\\Actions Journal"));
}

TEST_F(RegistryStore, ValuesAreNamedByKeyAndStoredAsRegSz) {
    ActionList list;
    ActionRecord record;
    record.ActionType = "Logoff";
    record.Hotkey = "CTRL + L";
    record.Data = " ";
    record.ActionIndex = 21;
    list.Add(record);
    SaveRegActions(store_, list);

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } expected[] = {
        {L"ActionType1", L"Logoff"},
        {L"Hotkey1", L"CTRL + L"},
        {L"Data1", L" "},
        {L"ActionIndex1", L"21"},
    };
    const std::wstring section = std::wstring(kApplicationKey) + L"\\Actions";
    for (const auto& e : expected) {
        wchar_t buffer[64] = {};
        DWORD size = sizeof(buffer);
        DWORD type = 0;
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, section.c_str(), e.name, RRF_RT_ANY, &type,
                               buffer, &size),
                  ERROR_SUCCESS)
            << win32::Narrow(e.name);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_STREQ(buffer, e.value);
    }
}

TEST_F(RegistryStore, AbsentValuesReadAsTheDefaultAndDeletesAreQuiet) {
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "#DEFAULT#"), "#DEFAULT#");
    store_.DeleteSetting("Settings", "Icon");
    store_.DeleteSection("Nothing Here");
    store_.SaveSetting("Settings", "Icon", "");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "#DEFAULT#"), "");
    store_.DeleteSetting("Settings", "Icon");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "#DEFAULT#"), "#DEFAULT#");
}

// The store keeps a section's key open between requests; what other programs do to the key
// meanwhile (a user importing a backup, the uninstaller, a test) must show at the next request.
TEST_F(RegistryStore, ChangesMadeByOthersBetweenRequestsAreSeen) {
    const std::wstring section = std::wstring(kApplicationKey) + L"\\Settings";
    const auto setOutside = [&](const wchar_t* value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"Icon", REG_SZ, value,
                        static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    };
    store_.SaveSetting("Settings", "Icon", "mine");
    ASSERT_EQ(store_.GetSetting("Settings", "Icon", "?"), "mine");

    setOutside(L"theirs");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "theirs") << "value changed";

    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "?") << "key deleted";

    setOutside(L"imported");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "imported") << "key made again";

    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    store_.SaveSetting("Settings", "Icon", "after");
    wchar_t buffer[32] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, section.c_str(), L"Icon", RRF_RT_REG_SZ, nullptr,
                           buffer, &size),
              ERROR_SUCCESS)
        << "a save after the key was deleted went nowhere";
    EXPECT_STREQ(buffer, L"after");

    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    setOutside(L"again");
    store_.DeleteSetting("Settings", "Icon");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "?")
        << "delete after the key was made again";
}

// A long value is read whole, whatever its length against the first read's room.
TEST_F(RegistryStore, ValuesOfEveryLengthComeBackWhole) {
    for (const std::size_t length : {0u, 1u, 510u, 511u, 512u, 513u, 4096u, 100000u}) {
        const std::string text(length, 'q');
        store_.SaveSetting("Actions", "Data1", text + "\xc3\xa9");
        EXPECT_EQ(store_.GetSetting("Actions", "Data1", "?"), text + "\xc3\xa9") << length;
    }
}

// Every file in a folder, by name.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.emplace_back(found.cFileName);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return names;
}

// The file is UTF-16 with a byte-order mark, so the system's own reader gets every character
// back; a target that cannot be replaced stays as it was, and no temporary file is left.
TEST(ActionsFileWin32, IsUtf16AndIsReplacedWholeOrNotAtAll) {
    const std::wstring folder = testsupport::TempFolder() + L"tessarin actions file\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"Ω actions.ini";
    ActionList list;
    ActionRecord record;
    record.ActionType = "Paste Text";
    record.Hotkey = "CTRL + ALT + P";
    record.Data = "Ω 日本\r\n  \"x\" " + std::string(5000, 'q');
    list.Add(record);
    const struct {
        const char* Name;
        std::wstring Target;
        bool ReadOnly;
        bool Done;
    } cases[] = {
        {"new file", target, false, true},
        {"replaced file", target, false, true},
        {"read-only target", target, true, false},
        {"folder that does not exist", folder + L"missing\\a.ini", false, false},
        {"target that is a folder", folder + L"a folder", false, false},
    };
    CreateDirectoryW((folder + L"a folder").c_str(), nullptr);
    for (const auto& c : cases) {
        SetFileAttributesW(target.c_str(), c.ReadOnly ? FILE_ATTRIBUTE_READONLY : 0);
        list.At(1).ActionIndex = static_cast<std::int32_t>(std::string_view(c.Name).size());
        const bool done = win32::ReplaceProfileFile(
            c.Target, [&](ProfileFile& file) { return WriteActionsFile(file, list); });
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(done, c.Done) << c.Name;
        EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"Ω actions.ini"}) << c.Name;

        HANDLE file = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << c.Name;
        unsigned char mark[2] = {};
        DWORD read = 0;
        ReadFile(file, mark, 2, &read, nullptr);
        CloseHandle(file);
        EXPECT_TRUE(mark[0] == 0xFF && mark[1] == 0xFE) << c.Name;
        wchar_t type[32] = {};
        GetPrivateProfileStringW(L"Actions", L"ActionType1", L"", type, 32, target.c_str());
        EXPECT_STREQ(type, L"Paste Text") << c.Name;

        const ActionsFileContent content = ReadActionsFile(win32::Win32ProfileFile(target));
        ASSERT_EQ(content.Rows.size(), 1u) << c.Name;
        EXPECT_EQ(content.Rows[0].Data, record.Data) << c.Name;
        // A failed replacement leaves the file of the row before.
        EXPECT_EQ(content.Rows[0].ActionIndex, c.Done ? list.At(1).ActionIndex : 13) << c.Name;
    }
    DeleteFileW(target.c_str());
    RemoveDirectoryW((folder + L"a folder").c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace tessarin
