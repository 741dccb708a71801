#include "registry/Registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "FakeRawRegistry.h"

namespace tessarin {
namespace {

using fakes::FakeRawRegistry;
using namespace std::string_literals;

const std::string kSection = "Software\\Tessarin Test";

RegistryData Text(std::uint32_t type, std::string text) {
    return {type, std::move(text), {}};
}
RegistryData Bytes(std::uint32_t type, RegistryBytes bytes) {
    return {type, {}, std::move(bytes)};
}

cRegistry At(FakeRawRegistry& fake, std::int32_t root, const std::string& section,
             std::int32_t type) {
    cRegistry registry(fake);
    registry.ClassKey(root);
    registry.SectionKey(section);
    registry.ValueKey("Name");
    registry.ValueType(type);
    return registry;
}

std::optional<RegistryData> Stored(const FakeRawRegistry& fake, std::int32_t root,
                                   const std::string& path, const std::string& name) {
    const RegistryData* stored = fake.Find(root, path, name);
    return stored ? std::optional(*stored) : std::nullopt;
}

// A failure is kept as the last error (the run entry's caller reads it), the member returns as
// documented, and the registry is left as it was with no key open.
TEST(cRegistry, FailuresAreRecordedAndChangeNothing) {
    const struct {
        bool ReadOnly;  // the key is under a root the user may only read
        const char* Failing;
        std::int32_t Type;  // -1: the value is deleted instead
        RegistryVariant Value;
        std::int32_t Number;
    } cases[] = {{true, nullptr, 1, "\"C:\\T.exe\" /m", kRegistryKeyError},
                 {true, nullptr, -1, {}, kRegistryKeyError},
                 {false, nullptr, -1, {}, kRegistryKeyError},
                 {false, nullptr, 3, "0102", kRegistryKeyError},
                 {false, nullptr, 7, "a", kRegistrySetValueError},
                 {false, "SetValue", 4, std::int16_t{1}, kRegistrySetValueError}};
    for (const auto& c : cases) {
        FakeRawRegistry fake;
        fake.Put(reg::kLocalMachine, kSection, "Other", Text(reg::kSz, "x\0"s));
        fake.Put(reg::kCurrentUser, kSection, "Other", Text(reg::kSz, "x\0"s));
        fake.readOnlyRoots.insert(reg::kLocalMachine);
        if (c.Failing != nullptr) {
            fake.failing[c.Failing] = reg::kAccessDenied;
        }
        cRegistry registry =
            At(fake, c.ReadOnly ? reg::kLocalMachine : reg::kCurrentUser, kSection, 1);
        const FakeRawRegistry::Tree before = fake.keys;
        if (c.Type < 0) {
            EXPECT_FALSE(registry.DeleteValue()) << &c - cases;
        } else {
            registry.ValueType(c.Type);
            registry.Value(c.Value);
        }
        EXPECT_EQ(registry.LastError().Number, c.Number) << &c - cases;
        EXPECT_EQ(fake.keys, before) << &c - cases;
        EXPECT_EQ(fake.OpenKeyCount(), 0u) << &c - cases;
    }
}

// Text is stored for expansion only when a second "%" follows the first with a character
// between them; DWORD and binary take only their own kinds.
TEST(cRegistry, AssignmentStoresWhatTheValueTypeCallsFor) {
    const struct {
        std::int32_t ValueType;
        RegistryVariant Value;
        std::optional<RegistryData> Stored;
    } cases[] = {{1, "50%", Text(reg::kSz, "50%\0"s)},
                 {2, "%TEMP%\\x", Text(reg::kExpandSz, "%TEMP%\\x\0"s)},
                 {1, "a%%b", Text(reg::kSz, "a%%b\0"s)},
                 {1, "a%%b%", Text(reg::kExpandSz, "a%%b%\0"s)},
                 {2, std::int32_t{-5}, Text(reg::kSz, "-5\0"s)},
                 {1, RegistryBytes{'h', 'i'}, Text(reg::kSz, "hi\0"s)},
                 {4, std::int16_t{-1}, Bytes(reg::kDword, {0xFF, 0xFF, 0xFF, 0xFF})},
                 {5, std::int32_t{0x12345678}, Bytes(reg::kDword, {0x78, 0x56, 0x34, 0x12})},
                 {4, std::monostate{}, std::nullopt},

                 {3, RegistryBytes{1, 2, 3}, Bytes(reg::kBinary, {1, 2, 3})}};
    for (const auto& c : cases) {
        FakeRawRegistry fake;
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, c.ValueType);
        registry.Value(c.Value);
        EXPECT_EQ(Stored(fake, reg::kCurrentUser, kSection, "name"), c.Stored) << &c - cases;
        EXPECT_EQ(registry.LastError().Number, 0);
        EXPECT_EQ(fake.OpenKeyCount(), 0u);
    }
}

// Reading needs only the right to read. What cannot be read is the default, and the value type
// stays as it was.
TEST(cRegistry, ReadsEachStoredTypeAndTheDefaultForWhatCannotBeRead) {
    const struct {
        std::string Section;
        std::optional<RegistryData> Stored;
        const char* Failing;
        std::optional<RegistryVariant> Read;  // none: the default
    } cases[] = {
        {kSection, Text(reg::kSz, "abc\0"s), nullptr, "abc"},
        {kSection, Text(reg::kSz, "abc"), nullptr, "abc"},
        {kSection, Text(reg::kMultiSz, ""), nullptr, ""},
        {kSection, Text(reg::kExpandSz, "%T%\0"s), nullptr, "expanded %T%"},
        {kSection, Bytes(reg::kDword, {1, 2}), nullptr, std::int32_t{0x201}},
        {kSection, Bytes(reg::kDwordBigEndian, {0, 0, 1, 2, 3}), nullptr, std::int32_t{0x102}},
        {kSection, Bytes(reg::kBinary, {7, 0}), nullptr, RegistryBytes{7, 0}},
        {kSection, std::nullopt, nullptr, std::nullopt},
        {kSection + "\\Gone", Text(reg::kSz, ""), nullptr, std::nullopt},
        {kSection, Text(reg::kSz, ""), "QueryValue", std::nullopt}};
    for (const auto& c : cases) {
        const RegistryVariant fallback = "none";
        FakeRawRegistry fake;
        fake.readOnlyRoots = {reg::kCurrentUser};
        if (c.Stored) {
            fake.Put(reg::kCurrentUser, kSection, "Name", *c.Stored);
        }
        if (c.Failing != nullptr) {
            fake.failing[c.Failing] = reg::kAccessDenied;
        }
        cRegistry registry = At(fake, reg::kCurrentUser, c.Section, 99);
        registry.Default(fallback);
        EXPECT_EQ(registry.Value(), c.Read.value_or(fallback)) << &c - cases;
        EXPECT_EQ(registry.ValueType(), c.Read ? static_cast<std::int32_t>(c.Stored->Type) : 99)
            << &c - cases;
        EXPECT_EQ(fake.OpenKeyCount(), 0u);
    }
}

// The program itself never writes associations: one case.
TEST(cRegistry, WritesFurtherAssociationsInThrees) {
    FakeRawRegistry fake;
    fake.Put(reg::kClassesRoot, "T", "", Text(reg::kSz, "T file\0"s));
    cRegistry registry = At(fake, reg::kClassesRoot, "T", 0);
    registry.CreateAdditionalEXEAssociations("T", {"edit", "&Edit", "e", "more"});
    EXPECT_EQ(registry.LastError().Number, kRegistryAssociationListError);
    registry.CreateAdditionalEXEAssociations("T", {"edit", "&Edit", "e"});
    EXPECT_EQ(Stored(fake, reg::kClassesRoot, "T\\shell\\edit", ""), Text(reg::kSz, "&Edit\0"s));
}

TEST(Variants, ConvertToTextAndNumber) {
    const struct {
        RegistryVariant Value;
        std::string Text;
        std::int32_t Number;
    } cases[] = {{std::monostate{}, "", 0},
                 {" -7 ", " -7 ", -7},
                 {"+5", "+5", 5},
                 {"5x", "5x", 0},
                 {"99999999999", "99999999999", 0},
                 {std::int16_t{-3}, "-3", -3},
                 {std::int32_t{70000}, "70000", 70000},
                 {RegistryBytes{'4', '2'}, "42", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(VariantText(c.Value), c.Text);
        EXPECT_EQ(VariantLong(c.Value), c.Number) << c.Text;
    }
}

}  // namespace
}  // namespace tessarin
