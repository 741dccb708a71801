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

using Data = RegistryData;

cRegistry At(FakeRawRegistry& fake, std::int32_t root, const std::string& section,
             std::int32_t type) {
    cRegistry registry(fake);
    registry.ClassKey(root);
    registry.SectionKey(section);
    registry.ValueKey("Name");
    registry.ValueType(type);
    return registry;
}

// A failure is kept as the last error (the run entry's caller reads it), the member returns as
// documented, and the registry is left as it was. Text is stored for expansion only when a second
// "%" follows the first with a character between them; DWORD and binary take only their own
// kinds. No key is left open.
TEST(cRegistry, StoresWhatTheValueTypeCallsForAndRecordsFailures) {
    const struct {
        bool ReadOnly;      // the key is under a root the user may only read
        std::int32_t Type;  // -1: the value is deleted instead
        RegistryVariant Value;
        std::optional<RegistryData> Stored;
        std::int32_t Number;
    } cases[] = {{true, 1, "\"C:\\T.exe\" /m", {}, kRegistryKeyError},
                 {true, -1, {}, {}, kRegistryKeyError},
                 {false, -1, {}, {}, kRegistryKeyError},
                 {false, 3, "0102", {}, kRegistryKeyError},
                 {false, 7, "a", {}, kRegistrySetValueError},
                 {false, 4, std::monostate{}, {}, 0},
                 {false, 1, "50%", Data{reg::kSz, "50%\0"s, {}}, 0},
                 {false, 2, "%TEMP%\\x", Data{reg::kExpandSz, "%TEMP%\\x\0"s, {}}, 0},
                 {false, 1, "a%%b", Data{reg::kSz, "a%%b\0"s, {}}, 0},
                 {false, 1, "a%%b%", Data{reg::kExpandSz, "a%%b%\0"s, {}}, 0},
                 {false, 2, std::int32_t{-5}, Data{reg::kSz, "-5\0"s, {}}, 0},
                 {false, 1, RegistryBytes{'h', 'i'}, Data{reg::kSz, "hi\0"s, {}}, 0},
                 {false, 4, std::int16_t{-1}, Data{reg::kDword, {}, {0xFF, 0xFF, 0xFF, 0xFF}}, 0},
                 {false, 5, std::int32_t{0x01020304}, Data{reg::kDword, {}, {4, 3, 2, 1}}, 0},
                 {false, 3, RegistryBytes{1, 2, 3}, Data{reg::kBinary, {}, {1, 2, 3}}, 0}};
    for (const auto& c : cases) {
        FakeRawRegistry fake;
        fake.Put(reg::kCurrentUser, kSection, "Other", Data{reg::kSz, "x\0"s, {}});
        fake.readOnlyRoots.insert(reg::kLocalMachine);
        FakeRawRegistry expected = fake;
        if (c.Stored) {
            expected.Put(reg::kCurrentUser, kSection, "Name", *c.Stored);
        }
        cRegistry registry =
            At(fake, c.ReadOnly ? reg::kLocalMachine : reg::kCurrentUser, kSection, c.Type);
        if (c.Type < 0) {
            EXPECT_FALSE(registry.DeleteValue()) << &c - cases;
        } else {
            registry.Value(c.Value);
        }
        EXPECT_EQ(registry.LastError().Number, c.Number) << &c - cases;
        EXPECT_EQ(fake.keys, expected.keys) << &c - cases;
        EXPECT_EQ(fake.OpenKeyCount(), 0u) << &c - cases;
    }
}

// Reading needs only the right to read. What cannot be read is the default, and the value type
// stays as it was.
TEST(cRegistry, ReadsEachStoredTypeAndTheDefaultForWhatCannotBeRead) {
    const struct {
        std::optional<RegistryData> Stored;   // none: no value of that name
        std::optional<RegistryVariant> Read;  // none: the default
    } cases[] = {{Data{reg::kSz, "abc\0"s, {}}, "abc"},
                 {Data{reg::kSz, "abc", {}}, "abc"},
                 {Data{reg::kMultiSz, "", {}}, ""},
                 {Data{reg::kExpandSz, "%T%\0"s, {}}, "expanded %T%"},
                 {Data{reg::kDword, {}, {1, 2}}, std::int32_t{0x201}},
                 {Data{reg::kDwordBigEndian, {}, {0, 0, 1, 2, 3}}, std::int32_t{0x102}},
                 {Data{reg::kBinary, {}, {7, 0}}, RegistryBytes{7, 0}},
                 {std::nullopt, std::nullopt}};
    for (const auto& c : cases) {
        FakeRawRegistry fake;
        fake.readOnlyRoots = {reg::kCurrentUser};
        fake.Put(reg::kCurrentUser, kSection, c.Stored ? "Name" : "Other",
                 c.Stored.value_or(RegistryData{}));
        cRegistry registry = At(fake, reg::kCurrentUser, kSection, 99);
        registry.Default("none");
        EXPECT_EQ(registry.Value(), c.Read.value_or("none")) << &c - cases;
        EXPECT_EQ(registry.ValueType(), c.Read ? static_cast<std::int32_t>(c.Stored->Type) : 99);
        EXPECT_EQ(fake.OpenKeyCount(), 0u);
    }
}

// The program itself never writes associations: one case.
TEST(cRegistry, WritesFurtherAssociationsInThrees) {
    FakeRawRegistry fake;
    fake.Put(reg::kClassesRoot, "T", "", Data{reg::kSz, "T file\0"s, {}});
    cRegistry registry = At(fake, reg::kClassesRoot, "T", 0);
    registry.CreateAdditionalEXEAssociations("T", {"edit", "&Edit", "e"});
    EXPECT_EQ(*fake.Find(reg::kClassesRoot, "T\\shell\\edit", ""),
              (Data{reg::kSz, "&Edit\0"s, {}}));
}

// Text is read as a number only when all of it is one, blanks around it aside.
TEST(Variants, ReadAsANumber) {
    const std::pair<RegistryVariant, std::int32_t> cases[] = {
        {std::monostate{}, 0}, {" -7 ", -7}, {"+5", 5}, {"5x", 0}, {std::int16_t{-3}, -3}};
    for (const auto& [value, number] : cases) {
        EXPECT_EQ(VariantLong(value), number) << VariantText(value);
    }
}

}  // namespace
}  // namespace tessarin
