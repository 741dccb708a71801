// The registry and the actions file as the system keeps them: the encodings other tools read and
// write, and what the system does to a key or a file meanwhile. All below a key of the tests' own
// under HKEY_CURRENT_USER, removed before and after every test.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "RegistryTree.h"
#include "TestPrograms.h"
#include "TestRegistry.h"
#include "model/ActionsFile.h"
#include "platform/win32/Win32ProfileFile.h"
#include "platform/win32/Win32RawRegistry.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/WideString.h"
#include "registry/Registry.h"

namespace tessarin {
namespace {

using namespace std::string_literals;

constexpr char kApplication[] = "Tessarin Store Tests";
const std::wstring kRoot = L"Software\\Tessarin Store Tests";

using Raw = testsupport::RegistryValue;

// The characters' bytes, with no terminator unless the text holds one.
std::vector<BYTE> Utf16(std::wstring_view text) {
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    return {first, first + text.size() * sizeof(wchar_t)};
}

// A value below the tests' key exactly as stored; REG_NONE when there is none.
Raw Get(const std::wstring& section, const std::wstring& name) {
    return testsupport::ReadRegistryTree(HKEY_CURRENT_USER, kRoot)[section + L"\\" + name];
}

class Store : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }

    win32::Win32SettingsStore store_{kApplication};
};

// What the program writes, and what other writers leave: terminated or not, NUL inside, odd
// lengths, other types. The registry reads every type; a setting is text only, never expanded.
TEST_F(Store, RegistryValuesAreWrittenAndReadInTheSystemsEncoding) {
    wchar_t expanded[MAX_PATH * 2] = {};
    ASSERT_NE(ExpandEnvironmentStringsW(L"%TEMP%\\x", expanded, MAX_PATH * 2), 0u);
    const std::string omega = "\xCE\xA9 \xE6\x97\xA5";
    const std::string temp = win32::Narrow(expanded);
    const std::string longText(600, 'q');  // longer than a first read
    const struct {
        RegistryVariant Written;  // nothing: another writer stored the value
        std::int32_t Type;
        Raw Stored;
        RegistryVariant Read;
        std::string Setting;  // "-": not text
    } cases[] = {
        {"50%", 1, {REG_SZ, Utf16(L"50%\0"s)}, "50%", "50%"},
        {"%TEMP%\\x", 1, {REG_EXPAND_SZ, Utf16(L"%TEMP%\\x\0"s)}, temp, "%TEMP%\\x"},
        {omega, 1, {REG_SZ, Utf16(L"\u03A9 \u65E5\0"s)}, omega, omega},
        {std::int32_t{0x01020304}, 4, {REG_DWORD, {4, 3, 2, 1}}, std::int32_t{0x01020304}, "-"},
        {{}, 0, {REG_MULTI_SZ, Utf16(L"a\0b\0\0"s)}, "a\0b\0"s, "-"},
        {{}, 0, {REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4}}, std::int32_t{0x01020304}, "-"},
        {{}, 0, {REG_DWORD, {7, 1}}, std::int32_t{0x0107}, "-"},
        {{}, 0, {REG_BINARY, {'M', 0, 0, 0}}, RegistryBytes{'M', 0, 0, 0}, "-"},
        {{}, 0, {REG_SZ, Utf16(L"ab")}, "ab", "ab"},
        {{}, 0, {REG_SZ, {'a', 0, 'b'}}, "a", "a"},
        {{}, 0, {REG_SZ, {}}, "", ""},
        {{}, 0, {REG_SZ, Utf16(L"Mu\0te\0\0"s)}, "Mu\0te\0"s, "Mu\0te\0"s},
        {{}, 0, {REG_SZ, Utf16(L"a\xD800z")}, "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz"},
        {{}, 0, {REG_SZ, Utf16(std::wstring(600, L'q'))}, longText, longText},
    };
    win32::Win32RawRegistry port;
    for (const auto& c : cases) {
        cRegistry registry(port);
        registry.ClassKey(reg::kCurrentUser);
        registry.SectionKey(win32::Narrow(kRoot + L"\\Settings"));
        registry.ValueKey("Value \xCE\xA9");
        registry.ValueType(c.Type);
        if (c.Written.index() == 0) {
            RegSetKeyValueW(HKEY_CURRENT_USER, (kRoot + L"\\Settings").c_str(), L"Value \u03A9",
                            c.Stored.Type, c.Stored.Data.data(),
                            static_cast<DWORD>(c.Stored.Data.size()));
        } else {
            registry.Value(c.Written);
            EXPECT_EQ(Get(L"\\Settings", L"Value \u03A9"), c.Stored) << VariantText(c.Read);
        }
        EXPECT_EQ(registry.Value(), c.Read) << VariantText(c.Read);
        EXPECT_EQ(store_.GetSetting("Settings", "Value \xCE\xA9", "-"), c.Setting)
            << VariantText(c.Read);
    }
    for (const std::size_t length : {0u, 511u, 512u, 513u, 1u << 20}) {
        const std::string text = std::string(length, 'q') + "\xC3\xA9\0x"s;
        store_.SaveSetting("Actions", "Data1", text);
        EXPECT_EQ(store_.GetSetting("Actions", "Data1", "?"), text) << length;
    }
    EXPECT_EQ(Get(L"\\Actions", L"Data1"),
              (Raw{REG_SZ, Utf16(std::wstring(1u << 20, L'q') + L"\u00E9\0x\0"s)}));
}

// The store keeps a section's key open between requests; what other programs do to the key
// meanwhile (a user importing a backup, the uninstaller) shows at the next request.
TEST_F(Store, SettingsFollowWhatOthersDoToTheKeys) {
    store_.SaveSetting("Settings", "Icon", "mine");
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Settings", L"Icon", L"theirs");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "theirs") << "value changed";
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "?") << "key deleted";
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Settings", L"Icon", L"imported");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "imported") << "key made again";

    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    store_.SaveSetting("Settings", "Icon", "after");
    EXPECT_EQ(Get(L"\\Settings", L"Icon"), (Raw{REG_SZ, Utf16(L"after\0"s)}))
        << "a save after the key was deleted went nowhere";
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Settings", L"Icon", L"again");
    store_.DeleteSetting("Settings", "Icon");
    EXPECT_EQ(Get(L"\\Settings", L"Icon"), Raw{}) << "delete after the key was made again";

    // A section goes with whatever another writer put below it, as a half-written journal.
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Actions Journal\\Below", L"x", L"");
    store_.DeleteSection("Actions Journal");
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CURRENT_USER, (kRoot + L"\\Actions Journal").c_str()));
}

// The system's own reader gets every character of the file back; a target that cannot be
// replaced stays as it was, and no temporary file is left.
TEST(ActionsFileWin32, IsUtf16AndIsReplacedWholeOrNotAtAll) {
    const std::wstring folder = testsupport::TempFolder() + L"tessarin actions file\\";
    const std::wstring target = folder + L"\u03A9 actions.ini";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"a folder").c_str(), nullptr);
    ActionList list;
    ActionRecord record;
    record.ActionType = "Paste Text";
    record.Data = "\xCE\xA9 \xE6\x97\xA5\r\n  \"x\" " + std::string(5000, 'q');
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
    for (const auto& c : cases) {
        SetFileAttributesW(target.c_str(), c.ReadOnly ? FILE_ATTRIBUTE_READONLY : 0);
        list.At(1).ActionIndex = static_cast<std::int32_t>(std::string_view(c.Name).size());
        const bool done = win32::ReplaceProfileFile(
            c.Target, [&](ProfileFile& file) { return WriteActionsFile(file, list); });
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(done, c.Done) << c.Name;
        // Beside the target, only the folder of the tests: no temporary file is left.
        const std::filesystem::directory_iterator files(folder);
        EXPECT_EQ(std::distance(begin(files), end(files)), 2) << c.Name;

        const ActionsFileContent content = ReadActionsFile(win32::Win32ProfileFile(target));
        ASSERT_EQ(content.Rows.size(), 1u) << c.Name;
        EXPECT_EQ(content.Rows[0].Data, record.Data) << c.Name;
        // A failed replacement leaves the file of the row before.
        EXPECT_EQ(content.Rows[0].ActionIndex, c.Done ? list.At(1).ActionIndex : 13) << c.Name;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessarin
