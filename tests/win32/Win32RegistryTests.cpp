// cRegistry over the real registry, in a key of its own below HKEY_CURRENT_USER that is removed
// before and after every test. What the class stored is checked with the registry functions.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/WideString.h"
#include "platform/win32/Win32RawRegistry.h"
#include "registry/Registry.h"

namespace tessarin {
namespace {

using namespace std::string_literals;

const std::string kTestSection = "Software\\Tessarin Registry Tests";
const wchar_t* const kTestKey = L"Software\\Tessarin Registry Tests";

struct Stored {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Bytes;
    LONG Status = ERROR_SUCCESS;
};

class Win32Registry : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }

    cRegistry Object(const std::string& value, std::int32_t type) {
        cRegistry registry(port_);
        registry.ClassKey(reg::kCurrentUser);
        registry.SectionKey(kTestSection);
        registry.ValueKey(value);
        registry.ValueType(type);
        return registry;
    }

    Stored Read(const std::string& name) const {
        Stored stored;
        DWORD size = 0;
        const std::wstring wide = win32::Widen(name);
        stored.Status = RegQueryValueExW(key_, wide.c_str(), nullptr, &stored.Type, nullptr, &size);
        stored.Bytes.resize(size);
        if (stored.Status == ERROR_SUCCESS && size > 0) {
            RegQueryValueExW(key_, wide.c_str(), nullptr, nullptr, stored.Bytes.data(), &size);
        }
        return stored;
    }

    void Write(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    static std::vector<BYTE> Utf16Bytes(const std::wstring& text) {
        const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    }

    win32::Win32RawRegistry port_;
    HKEY key_ = nullptr;
};

TEST_F(Win32Registry, TextIsStoredAsUtf16WithTheTypeItsPercentSignsCallFor) {
    struct Case {
        std::string Text;
        std::wstring Wide;
        DWORD Type;
    };
    const Case cases[] = {
        {"50%", L"50%", REG_SZ},
        {"%TEMP%\\x", L"%TEMP%\\x", REG_EXPAND_SZ},
        {"a%%b", L"a%%b", REG_SZ},
        {"\xCE\xA9 \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC", L"\u03A9 \u00FC \u65E5\u672C", REG_SZ},
    };
    for (const Case& c : cases) {
        cRegistry registry = Object("Text \xCE\xA9", 1);
        registry.Value(c.Text);
        const Stored stored = Read("Text \xCE\xA9");
        EXPECT_EQ(stored.Type, c.Type) << c.Text;
        EXPECT_EQ(stored.Bytes, Utf16Bytes(c.Wide)) << c.Text;
        if (c.Type == REG_SZ) {
            EXPECT_EQ(registry.Value(), RegistryVariant(c.Text));
        }
    }
    wchar_t expanded[MAX_PATH * 2] = {};
    ASSERT_NE(ExpandEnvironmentStringsW(L"%TEMP%\\x", expanded, MAX_PATH * 2), 0u);
    ASSERT_EQ(std::wstring(expanded).find(L'%'), std::wstring::npos);
    cRegistry registry = Object("Text \xCE\xA9", 1);
    registry.Value("%TEMP%\\x");
    EXPECT_EQ(registry.Value(), RegistryVariant(win32::Narrow(expanded)));
    EXPECT_EQ(registry.ValueType(), 2);
    EXPECT_EQ(registry.LastError().Number, 0);
}

TEST_F(Win32Registry, DwordsComeOnlyFromIntegers) {
    cRegistry registry = Object("Hidden", 4);
    registry.Value("1");
    EXPECT_EQ(Read("Hidden").Status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.LastError().Number, 0);

    registry.Value(std::int16_t{1});
    Stored stored = Read("Hidden");
    EXPECT_EQ(stored.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored.Bytes, (std::vector<BYTE>{1, 0, 0, 0}));

    registry.ValueType(5);
    registry.Value(std::int32_t{0x01020304});
    stored = Read("Hidden");
    EXPECT_EQ(stored.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(registry.Value(), RegistryVariant(std::int32_t{0x01020304}));
    EXPECT_EQ(registry.ValueType(), 4);
}

TEST_F(Win32Registry, ReadsWhatOtherWritersStored) {
    const wchar_t multi[] = L"a\0b\0";  // with the array's own NUL: a, NUL, b, NUL, NUL
    Write(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    const BYTE bigEndian[] = {1, 2, 3, 4};
    Write(L"Big", REG_DWORD_BIG_ENDIAN, bigEndian, sizeof(bigEndian));
    const wchar_t unterminated[] = L"ab";
    Write(L"Unterminated", REG_SZ, unterminated, 2 * sizeof(wchar_t));
    const BYTE odd[] = {'a', 0, 'b'};
    Write(L"Odd", REG_SZ, odd, sizeof(odd));
    Write(L"Empty", REG_SZ, L"", 0);
    const BYTE shortDword[] = {7, 1};
    Write(L"Short", REG_DWORD, shortDword, sizeof(shortDword));

    const std::pair<std::string, RegistryVariant> cases[] = {
        {"Multi", "a\0b\0"s},   {"Big", std::int32_t{0x01020304}},
        {"Unterminated", "ab"}, {"Odd", "a"},
        {"Empty", ""},          {"Short", std::int32_t{0x0107}},
    };
    for (const auto& [name, expected] : cases) {
        cRegistry registry = Object(name, 0);
        EXPECT_EQ(registry.Value(), expected) << name;
    }
    cRegistry registry = Object("Multi", 0);
    registry.Value();
    EXPECT_EQ(registry.ValueType(), 7);
}

TEST_F(Win32Registry, MissingValuesReadDefaultAndCannotBeDeleted) {
    cRegistry registry = Object("Missing", 4);
    EXPECT_EQ(registry.Value(), RegistryVariant());
    registry.Default("none");
    EXPECT_EQ(registry.Value(), RegistryVariant("none"));
    EXPECT_EQ(registry.ValueType(), 4);

    EXPECT_FALSE(registry.DeleteValue());
    EXPECT_EQ(registry.LastError(),
              (RegistryError{26001, "Tessarin.cRegistry",
                             "Failed to delete registry Key: '-2147483647',Section: '" +
                                 kTestSection + "',Key: 'Missing"}));

    registry.ValueType(1);
    registry.Value("x");
    EXPECT_TRUE(registry.DeleteValue());
    EXPECT_EQ(Read("Missing").Status, ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32Registry, ListsAndManagesKeys) {
    for (const char* name : {"", "One", "Zwei \xCE\xA9"}) {
        cRegistry registry = Object(name, 1);
        registry.Value("v");
    }
    cRegistry registry = Object("", 0);
    const std::string longest(255, '0');  // the longest name a key can have
    for (const std::string& section : {"\\B"s, "\\A \xE6\x97\xA5"s, "\\B\\Deep"s, "\\" + longest}) {
        registry.SectionKey(kTestSection + section);
        EXPECT_TRUE(registry.CreateKey()) << section;
        EXPECT_TRUE(registry.KeyExists()) << section;
    }
    registry.SectionKey(kTestSection);
    std::vector<std::string> names;
    std::int32_t count = 0;
    EXPECT_TRUE(registry.EnumerateValues(names, count));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"", "One", "Zwei \xCE\xA9"}));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(registry.EnumerateSections(names, count));
    EXPECT_EQ(names, (std::vector<std::string>{"", longest, "A \xE6\x97\xA5", "B"}));
    EXPECT_EQ(count, 3);

    registry.SectionKey(kTestSection + "\\B");
    EXPECT_FALSE(registry.DeleteKey());
    registry.SectionKey(kTestSection + "\\B\\Deep");
    EXPECT_TRUE(registry.DeleteKey());
    EXPECT_FALSE(registry.KeyExists());
}

}  // namespace
}  // namespace tessarin
