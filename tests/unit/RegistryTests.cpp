#include "registry/Registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FakeRawRegistry.h"

namespace tessarin {
namespace {

using fakes::FakeRawRegistry;
using namespace std::string_literals;

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSection = "Software\\Tessarin Test";
const std::string kRunCommand = "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m";

RegistryData TextData(std::uint32_t type, std::string text) {
    RegistryData data;
    data.Type = type;
    data.Text = std::move(text);
    return data;
}

RegistryData ByteData(std::uint32_t type, RegistryBytes bytes) {
    RegistryData data;
    data.Type = type;
    data.Bytes = std::move(bytes);
    return data;
}

cRegistry At(FakeRawRegistry& fake, std::int32_t root, const std::string& section,
             const std::string& value, std::int32_t type) {
    cRegistry registry(fake);
    registry.ClassKey(root);
    registry.SectionKey(section);
    registry.ValueKey(value);
    registry.ValueType(type);
    return registry;
}

struct ErrorCase {
    const char* Name;
    std::function<void(FakeRawRegistry&, cRegistry&)> Arrange;
    std::function<bool(cRegistry&)> Act;
    bool Result;
    std::int32_t Number;
    std::string Description;
};

TEST(cRegistryErrors, AreRecordedAndLeaveTheRegistryAsItWas) {
    const auto readOnlyMachine = [](FakeRawRegistry& fake, cRegistry& registry) {
        fake.readOnlyRoots.insert(reg::kLocalMachine);
        registry.ClassKey(reg::kLocalMachine);
        registry.SectionKey(kRun);
    };
    const auto userKey = [](FakeRawRegistry& fake, cRegistry&) {
        fake.Put(reg::kCurrentUser, kSection, "Other", TextData(reg::kSz, "x\0"s));
    };
    const std::string user = "'-2147483647',Section: '" + kSection + "',Key: 'Tessarin";
    const std::string machine = "'-2147483646',Section: '" + kRun;
    const auto assign = [](std::int32_t type, RegistryVariant value) {
        return [=](cRegistry& r) {
            r.ValueType(type);
            r.Value(value);
            return true;
        };
    };
    const auto additional = [](std::vector<std::string> items) {
        return [=](cRegistry& r) {
            r.CreateAdditionalEXEAssociations("Tool", items);
            return true;
        };
    };
    const auto refuseWrites = [&](FakeRawRegistry& fake, cRegistry& registry) {
        userKey(fake, registry);
        fake.failing["SetValue"] = reg::kAccessDenied;
    };
    const ErrorCase cases[] = {
        {"run entry without rights", readOnlyMachine, assign(1, kRunCommand), true, 26001,
         "Failed to set registry value Key: " + machine + "',Key: 'Tessarin' to value: '" +
             kRunCommand + "'"},
        {"create without rights", readOnlyMachine, [](cRegistry& r) { return r.CreateKey(); },
         false, 26001, "Failed to create registry Key: '" + kRun},
        {"delete without rights", readOnlyMachine, [](cRegistry& r) { return r.DeleteValue(); },
         false, 26001, "Failed to open key " + machine + "' for delete access"},
        {"delete a missing value", userKey, [](cRegistry& r) { return r.DeleteValue(); }, false,
         26001, "Failed to delete registry Key: " + user},
        {"binary from text", userKey, assign(3, "0102"), true, 26001, ""},
        {"unsupported type", userKey, assign(7, "a"), true, kRegistrySetValueError,
         "Failed to set registry value Key: " + user + "' to value: 'a'"},
        {"write refused", refuseWrites, assign(4, std::int16_t{1}), true, kRegistrySetValueError,
         "Failed to set registry value Key: " + user + "' to value: '1'"},
        {"association items not in triples", userKey, additional({"edit", "&Edit", "x", "y"}), true,
         kRegistryAssociationListError,
         "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
         "Name/Text/Command"},
        {"association for a missing class", userKey, additional({"edit", "&Edit", "x"}), true,
         kRegistryAssociationClassError,
         "Error - attempt to create additional associations before class defined."},
    };
    for (const ErrorCase& c : cases) {
        FakeRawRegistry fake;
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, "Tessarin", 1);
        c.Arrange(fake, registry);
        const FakeRawRegistry::Tree before = fake.keys;
        EXPECT_EQ(c.Act(registry), c.Result) << c.Name;
        EXPECT_EQ(registry.LastError(),
                  (RegistryError{c.Number, "Tessarin.cRegistry", c.Description}))
            << c.Name;
        EXPECT_EQ(fake.keys, before) << c.Name;
        EXPECT_EQ(fake.OpenKeyCount(), 0u) << c.Name;
    }
    FakeRawRegistry fake;
    cRegistry other(fake, "Other");
    other.ValueType(9);
    other.Value("x");
    EXPECT_EQ(other.LastError().Source, "Other.cRegistry");
}

TEST(cRegistryValue, TextIsStoredForExpansionOnlyBetweenTwoSeparatedPercentSigns) {
    struct Case {
        RegistryVariant Value;
        std::string Stored;
        std::uint32_t Type;
    };
    const Case cases[] = {
        {"50%", "50%\0"s, reg::kSz},           {"%TEMP%\\x", "%TEMP%\\x\0"s, reg::kExpandSz},
        {"a%%b", "a%%b\0"s, reg::kSz},         {"a%%b%", "a%%b%\0"s, reg::kExpandSz},
        {std::int32_t{-5}, "-5\0"s, reg::kSz}, {RegistryBytes{'h', 'i'}, "hi\0"s, reg::kSz},
    };
    for (std::int32_t valueType : {1, 2}) {
        for (const Case& c : cases) {
            FakeRawRegistry fake;
            cRegistry registry = At(fake, reg::kCurrentUser, kSection, "Name", valueType);
            registry.Value(c.Value);
            const RegistryData* stored = fake.Find(reg::kCurrentUser, kSection, "Name");
            ASSERT_NE(stored, nullptr) << c.Stored;
            EXPECT_EQ(*stored, TextData(c.Type, c.Stored)) << c.Stored << " as " << valueType;
            EXPECT_EQ(registry.LastError().Number, 0);
        }
    }
}

TEST(cRegistryValue, DwordAndBinaryTakeOnlyTheirOwnKinds) {
    struct Case {
        const char* Name;
        std::int32_t ValueType;
        RegistryVariant Value;
        std::optional<RegistryData> Stored;
    };
    const Case cases[] = {
        {"16-bit minus one", 4, std::int16_t{-1}, ByteData(reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"32-bit as big-endian", 5, std::int32_t{0x12345678},
         ByteData(reg::kDword, {0x78, 0x56, 0x34, 0x12})},
        {"empty", 4, std::monostate{}, std::nullopt},
        {"bytes as DWORD", 5, RegistryBytes{1}, std::nullopt},
        {"bytes", 3, RegistryBytes{1, 2, 3}, ByteData(reg::kBinary, {1, 2, 3})},
    };
    for (const Case& c : cases) {
        FakeRawRegistry fake;
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, "Hidden", c.ValueType);
        registry.Value(c.Value);
        const RegistryData* stored = fake.Find(reg::kCurrentUser, kSection, "Hidden");
        ASSERT_EQ(stored != nullptr, c.Stored.has_value()) << c.Name;
        if (stored != nullptr) {
            EXPECT_EQ(*stored, *c.Stored) << c.Name;
        }
        EXPECT_EQ(registry.LastError().Number, 0) << c.Name;
    }
}

TEST(cRegistryValue, ReadsEachStoredType) {
    struct Case {
        const char* Name;
        RegistryData Stored;
        RegistryVariant Read;
    };
    const RegistryBytes huge(1u << 20, 0xAB);
    const Case cases[] = {
        {"text", TextData(reg::kSz, "abc\0"s), "abc"},
        {"expandable text", TextData(reg::kExpandSz, "%TEMP%\\x\0"s), "C:\\Temp\\x"},
        {"DWORD", ByteData(reg::kDword, {1, 0, 0, 0}), std::int32_t{1}},
        {"binary", ByteData(reg::kBinary, {0, 1, 2}), RegistryBytes{0, 1, 2}},
        {"a megabyte", ByteData(reg::kBinary, huge), huge},
    };
    for (const Case& c : cases) {
        FakeRawRegistry fake;
        fake.environment["TEMP"] = "C:\\Temp";
        fake.Put(reg::kCurrentUser, kSection, "Name", c.Stored);
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, "Name", 99);
        EXPECT_EQ(registry.Value(), c.Read) << c.Name;
        EXPECT_EQ(registry.ValueType(), static_cast<std::int32_t>(c.Stored.Type)) << c.Name;
        EXPECT_EQ(fake.OpenKeyCount(), 0u) << c.Name;
    }
}

TEST(cRegistryValue, UnreadableValueReadsDefaultAndKeepsTheType) {
    struct Case {
        const char* Name;
        std::int32_t Root;
        std::string Section;
        const char* Failing;
    };
    const Case cases[] = {
        {"missing value", reg::kCurrentUser, kSection, nullptr},
        {"missing key", reg::kCurrentUser, kSection + "\\Gone", nullptr},
        {"root never set", 0, kSection, nullptr},
        {"query refused", reg::kCurrentUser, kSection, "QueryValue"},
    };
    for (const Case& c : cases) {
        for (const RegistryVariant& fallback : {RegistryVariant(), RegistryVariant("none")}) {
            FakeRawRegistry fake;
            fake.Put(reg::kCurrentUser, kSection, "Refused", TextData(reg::kSz, "x"));
            if (c.Failing != nullptr) {
                fake.failing[c.Failing] = reg::kAccessDenied;
            }
            cRegistry registry =
                At(fake, c.Root, c.Section, c.Failing ? "Refused" : "Hidden", reg::kDword);
            registry.Default(fallback);
            EXPECT_EQ(registry.Value(), fallback) << c.Name;
            EXPECT_EQ(registry.ValueType(), 4) << c.Name;
            EXPECT_EQ(fake.OpenKeyCount(), 0u) << c.Name;
        }
    }
}

TEST(cRegistryEnumerate, AListThatCannotBeReadIsAFailure) {
    for (const char* failing : {"OpenKey", "QueryInfoKey", "EnumValue", "EnumKey"}) {
        FakeRawRegistry fake;
        fake.Put(reg::kCurrentUser, kSection, "v", TextData(reg::kSz, ""));
        fake.Put(reg::kCurrentUser, kSection + "\\Sub", "v", TextData(reg::kSz, ""));
        fake.failing[failing] = reg::kAccessDenied;
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, "", 0);
        std::vector<std::string> names{"stale"};
        std::int32_t count = -1;
        const bool listsValues = registry.EnumerateValues(names, count);
        EXPECT_EQ(listsValues, failing == "EnumKey"s) << failing;
        const bool listsSections = registry.EnumerateSections(names, count);
        EXPECT_EQ(listsSections, failing != "OpenKey"s && failing != "EnumKey"s) << failing;
        EXPECT_EQ(fake.OpenKeyCount(), 0u) << failing;
    }
    FakeRawRegistry fake;
    cRegistry registry = At(fake, reg::kCurrentUser, kSection + "\\Gone", "", 0);
    std::vector<std::string> names{"stale"};
    std::int32_t count = -1;
    EXPECT_FALSE(registry.EnumerateValues(names, count));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0);
}

TEST(cRegistryKeys, EveryMemberOpensWithItsAccessMaskAndClosesTheKey) {
    struct Case {
        const char* Name;
        std::function<void(cRegistry&)> Act;
        const char* Opening;
        std::uint32_t Access;
    };
    std::vector<std::string> names;
    std::int32_t count = 0;
    const Case cases[] = {
        {"KeyExists", [](cRegistry& r) { r.KeyExists(); }, "OpenKey", 0x1},
        {"Value read", [](cRegistry& r) { r.Value(); }, "OpenKey", 0x1},
        {"Value assign", [](cRegistry& r) { r.Value(std::int16_t{1}); }, "CreateKey", 0x3F},
        {"CreateKey", [](cRegistry& r) { r.CreateKey(); }, "CreateKey", 0x3F},
        {"DeleteValue", [](cRegistry& r) { r.DeleteValue(); }, "OpenKey", 0x3F},
        {"EnumerateValues", [&](cRegistry& r) { r.EnumerateValues(names, count); }, "OpenKey", 0x1},
        {"EnumerateSections", [&](cRegistry& r) { r.EnumerateSections(names, count); }, "OpenKey",
         0x8},
    };
    for (const Case& c : cases) {
        FakeRawRegistry fake;
        fake.Put(reg::kCurrentUser, kSection, "Hidden", ByteData(reg::kDword, {1, 0, 0, 0}));
        fake.Put(reg::kCurrentUser, kSection + "\\Sub", "", TextData(reg::kSz, ""));
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, "Hidden", 4);
        c.Act(registry);
        ASSERT_EQ(fake.CallsTo(c.Opening).size(), 1u) << c.Name;
        EXPECT_EQ(fake.CallsTo(c.Opening)[0],
                  (FakeRawRegistry::Call{c.Opening, reg::kCurrentUser, "software\\tessarin test",
                                         "", c.Access}))
            << c.Name;
        EXPECT_EQ(fake.CallsTo("CloseKey").size(), 1u) << c.Name;
        EXPECT_EQ(fake.OpenKeyCount(), 0u) << c.Name;
        EXPECT_EQ(fake.badCloses, 0) << c.Name;
        EXPECT_EQ(registry.LastError().Number, 0) << c.Name;
    }
}

using Writes = std::vector<std::pair<std::string, std::string>>;

// Every write of an association lands in both class stores.
void ExpectClassWrites(FakeRawRegistry& fake, const Writes& writes) {
    EXPECT_EQ(fake.CallsTo("SetValue").size(), 2 * writes.size());
    for (const auto& [section, text] : writes) {
        for (const auto& [root, path] : {std::pair{reg::kClassesRoot, section},
                                         {reg::kLocalMachine, "SOFTWARE\\Classes\\" + section}}) {
            const RegistryData* stored = fake.Find(root, path, "");
            EXPECT_EQ(stored == nullptr ? "<none>" : stored->Text, text + '\0') << path;
        }
    }
}

TEST(cRegistryAssociations, WriteEveryVerbUnderBothClassStores) {
    FakeRawRegistry fake;
    cRegistry registry(fake);
    registry.CreateEXEAssociation("  C:\\Apps\\Tool.exe ", "Tool.Document", "Tool document", "tdoc",
                                  "", true, "", true, "Make one", true, "", 3);
    const std::string exe = "\"C:\\Apps\\Tool.exe\"";
    ExpectClassWrites(fake, {{".tdoc", "Tool.Document"},
                             {"Tool.Document", "Tool document"},
                             {"Tool.Document\\shell\\open", "&Open"},
                             {"Tool.Document\\shell\\open\\command", exe + " \"%1\""},
                             {"Tool.Document\\shell\\print", "&Print"},
                             {"Tool.Document\\shell\\print\\command", exe + " /p \"%1\""},
                             {"Tool.Document\\shell\\add", "&Install tdoc"},
                             {"Tool.Document\\shell\\add\\command", exe + " /a \"%1\""},
                             {"Tool.Document\\shell\\new", "Make one"},
                             {"Tool.Document\\shell\\new\\command", exe + " /n \"%1\""},
                             {"Tool.Document\\DefaultIcon", exe + ",3"}});
    EXPECT_EQ(registry.ClassKey(), reg::kLocalMachine);

    FakeRawRegistry plain;
    cRegistry minimal(plain);
    minimal.CreateEXEAssociation("\"C:\\A B\\t.exe", "T", "T file", "t", "&Run");
    ExpectClassWrites(plain, {{".t", "T"},
                              {"T", "T file"},
                              {"T\\shell\\open", "&Run"},
                              {"T\\shell\\open\\command", "\"C:\\A B\\t.exe\" \"%1\""}});

    minimal.ClassKey(reg::kClassesRoot);
    plain.calls.clear();
    minimal.CreateAdditionalEXEAssociations(
        "T", {"edit", "&Edit", "e.exe \"%1\"", "play", "Play", "p.exe"});
    ExpectClassWrites(plain, {{"T\\shell\\edit", "&Edit"},
                              {"T\\shell\\edit\\command", "e.exe \"%1\""},
                              {"T\\shell\\play", "Play"},
                              {"T\\shell\\play\\command", "p.exe"}});
    EXPECT_EQ(minimal.LastError().Number, 0);
}

TEST(Variants, ConvertToTextAndNumber) {
    struct Case {
        RegistryVariant Value;
        std::string Text;
        std::int32_t Number;
    };
    const Case cases[] = {
        {std::monostate{}, "", 0},
        {"12", "12", 12},
        {" -7 ", " -7 ", -7},
        {"99999999999", "99999999999", 0},
        {std::int32_t{70000}, "70000", 70000},
        {RegistryBytes{'4', '2'}, "42", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VariantText(c.Value), c.Text);
        EXPECT_EQ(VariantLong(c.Value), c.Number) << c.Text;
    }
}

}  // namespace
}  // namespace tessarin
