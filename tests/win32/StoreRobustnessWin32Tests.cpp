// The registry as another tool, a .reg import or a damaged hive may leave it: values with NUL
// characters, very long values, values of a type other than text, sections that are missing.
// Each case reads as a defined result through the store and the action load, and the next save
// writes the layout the program always writes.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "model/ActionStore.h"
#include "model/SettingsSection.h"
#include "platform/win32/Win32SettingsStore.h"

namespace tessarin {
namespace {

using namespace std::string_literals;

// Never the user's own store: the same layout under an application name of the tests' own.
constexpr const char* kApplication = "Tessarin Robustness Tests";
constexpr wchar_t kApplicationKey[] = L"Software\\Tessarin Robustness Tests";

std::wstring SectionKey(const wchar_t* section) {
    return std::wstring(kApplicationKey) + L"\\" + section;
}

void SetRaw(const wchar_t* section, const wchar_t* name, DWORD type, const void* data,
            std::size_t bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(bytes)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// A REG_SZ whose data is exactly these characters: a terminator is there only if the text has one.
void SetText(const wchar_t* section, const wchar_t* name, const std::wstring& text) {
    SetRaw(section, name, REG_SZ, text.data(), text.size() * sizeof(wchar_t));
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The value's type and bytes exactly as stored; REG_NONE when there is no such value.
RawValue GetRaw(const wchar_t* section, const wchar_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return value;
    }
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
        value.data.resize(bytes);
        RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &bytes);
        value.data.resize(bytes);
    }
    RegCloseKey(key);
    return value;
}

std::vector<BYTE> BytesOf(const std::wstring& text) {
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    return {first, first + text.size() * sizeof(wchar_t)};
}

class StoreRobustnessWin32 : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey); }

    std::vector<std::vector<std::string>> Load() {
        ActionList list;
        LoadRegActions(store_, list);
        std::vector<std::vector<std::string>> rows;
        for (const ActionRecord& row : list) {
            rows.push_back({row.ActionType, row.Hotkey, row.Data, std::to_string(row.ActionIndex)});
        }
        return rows;
    }

    win32::Win32SettingsStore store_{kApplication};
};

// What a REG_SZ holds up to its last character is the text; one stored terminator is not part
// of it, anything before that is, NUL characters included.
TEST_F(StoreRobustnessWin32, TextValuesReadAsTheirCharactersUpToOneTerminator) {
    struct Case {
        const char* name;
        std::wstring stored;
        std::string read;
    };
    const Case cases[] = {
        {"terminated", L"Mute\0"s, "Mute"},
        {"not terminated", L"Mute", "Mute"},
        {"NUL inside", L"Mu\0te\0"s, "Mu\0te"s},
        {"two terminators: the first is text", L"null\0\0"s, "null\0"s},
        {"only a terminator", L"\0"s, ""},
        {"no data at all", L"", ""},
        {"a lone surrogate becomes U+FFFD", L"a\xD800z", "a\xEF\xBF\xBDz"},
    };
    for (const Case& c : cases) {
        SetText(L"Settings", L"Icon", c.stored);
        EXPECT_EQ(store_.GetSetting("Settings", "Icon", "default"), c.read) << c.name;
    }

    // An odd number of bytes: the half character at the end is dropped.
    SetRaw(L"Settings", L"Icon", REG_SZ, L"Mute", 7);
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "default"), "Mut");

    // And written back with the NUL inside and one terminator.
    store_.SaveSetting("Settings", "Icon", "a\0b"s);
    const RawValue raw = GetRaw(L"Settings", L"Icon");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.data, BytesOf(L"a\0b\0"s));
}

// A value of another type cannot be read as text: it reads as absent, and the next save replaces
// or removes it as it would an absent value.
TEST_F(StoreRobustnessWin32, ValuesOfAnotherTypeReadAsAbsent) {
    const DWORD number = 30;
    const DWORD zero = 0;
    const DWORD two = 2;
    const BYTE binary[] = {'M', 0, 'u', 0, 't', 0, 'e', 0, 0, 0};
    const wchar_t multi[] = L"Mute\0Logoff\0";
    const wchar_t expandable[] = L"%TEMP%\\x";
    SetText(L"Actions", L"ActionType1", L"Mute");
    SetRaw(L"Actions", L"Hotkey1", REG_BINARY, binary, sizeof(binary));
    SetRaw(L"Actions", L"Data1", REG_MULTI_SZ, multi, sizeof(multi));
    SetRaw(L"Actions", L"ActionIndex1", REG_DWORD, &number, sizeof(number));
    SetText(L"Actions", L"ActionType2", L"Open File/Folder");
    SetText(L"Actions", L"Hotkey2", L"");
    SetRaw(L"Actions", L"Data2", REG_EXPAND_SZ, expandable, sizeof(expandable));
    SetText(L"Actions", L"ActionIndex2", L"2");
    // A caption that cannot be read ends the list like an absent one.
    SetRaw(L"Actions", L"ActionType3", REG_DWORD, &number, sizeof(number));
    SetText(L"Actions", L"ActionType4", L"Logoff");
    // Numbers the program would accept as text.
    SetRaw(L"Settings", L"MainWindowState", REG_DWORD, &two, sizeof(two));
    SetRaw(L"Settings", L"NewFolder", REG_DWORD, &zero, sizeof(zero));

    const std::vector<std::vector<std::string>> expected = {
        {"Mute", "null", "null", "2"},
        // Text that may be expanded is still text, and it is not expanded.
        {"Open File/Folder", "", "%TEMP%\\x", "2"},
    };
    EXPECT_EQ(Load(), expected);
    EXPECT_EQ(ReadStartupSettings(store_).State, kNotStored);
    EXPECT_TRUE(ReadStartupSettings(store_).DoNotReuse);

    ActionList list;
    LoadRegActions(store_, list);
    SaveRegActions(store_, list);
    EXPECT_EQ(GetRaw(L"Actions", L"ActionIndex1").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(GetRaw(L"Actions", L"ActionIndex1").data, BytesOf(L"2\0"s));
    EXPECT_EQ(GetRaw(L"Actions", L"Hotkey1").data, BytesOf(L"null\0"s));
    EXPECT_EQ(GetRaw(L"Actions", L"Data2").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(GetRaw(L"Actions", L"ActionType3").type, static_cast<DWORD>(REG_NONE))
        << "the unreadable caption goes with the positions behind the list";
    EXPECT_EQ(GetRaw(L"Actions", L"ActionType4").type, static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(Load(), expected);
}

TEST_F(StoreRobustnessWin32, MissingSectionsReadAsAnEmptyStore) {
    const auto expectEmpty = [&](const char* name) {
        EXPECT_TRUE(Load().empty()) << name;
        const StartupSettings settings = ReadStartupSettings(store_);
        EXPECT_TRUE(settings.OpenNormal && settings.Startup && settings.DoNotReuse) << name;
        EXPECT_FALSE(settings.HasSize() || settings.HasState()) << name;
        EXPECT_EQ(settings.Icon, kDefaultIcon) << name;
    };
    expectEmpty("no application key");

    HKEY key = nullptr;
    for (const wchar_t* section : {L"Actions", L"Settings", L"Actions Journal"}) {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // A journal with a key below it, as no version writes: removed with the rest of it.
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(L"Actions Journal\\Below").c_str(), 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    expectEmpty("empty sections");
    EXPECT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(L"Actions Journal").c_str(), 0, KEY_READ, &key),
        ERROR_FILE_NOT_FOUND);

    // A save into a store whose sections are gone creates them.
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    ActionList list;
    ActionRecord row;
    row.ActionType = "Mute";
    list.Add(row);
    SaveRegActions(store_, list);
    EXPECT_EQ(Load().size(), 1u);
}

// A megabyte of text (two megabytes in the registry) goes in and comes back whole, through the
// crash-safe save and the load, in well under a second.
TEST_F(StoreRobustnessWin32, AMegabyteValueRoundTrips) {
    std::string big(1 << 20, ' ');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>('!' + i % 90);
    }
    ActionList list;
    ActionRecord row;
    row.ActionType = "Paste Text";
    row.Data = big;
    row.ActionIndex = 30;
    list.Add(row);
    row.ActionType = "Mute";
    row.Data = " ";
    list.Add(row);

    const auto start = std::chrono::steady_clock::now();
    SaveRegActions(store_, list);
    const auto loaded = Load();
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded[0][2] == big) << "read back " << loaded[0][2].size() << " bytes";
    EXPECT_EQ(loaded[1][0], "Mute");
    EXPECT_EQ(GetRaw(L"Actions", L"Data1").data.size(), (big.size() + 1) * sizeof(wchar_t));
    EXPECT_LT(took, std::chrono::seconds(5));
    std::printf("[          ] 1 MB value saved and loaded in %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

}  // namespace
}  // namespace tessarin
