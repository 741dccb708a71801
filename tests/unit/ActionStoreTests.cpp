#include "model/ActionStore.h"

#include <gtest/gtest.h>

#include <string>

#include "model/MemorySettingsStore.h"

namespace tessarin {
namespace {

void Store(MemorySettingsStore& store, int n, const std::string& type, const std::string& hotkey,
           const std::string& data, const char* actionIndex) {
    const std::string number = std::to_string(n);
    store.SaveSetting("Actions", "ActionType" + number, type);
    store.SaveSetting("Actions", "Hotkey" + number, hotkey);
    store.SaveSetting("Actions", "Data" + number, data);
    if (actionIndex != nullptr) {
        store.SaveSetting("Actions", "ActionIndex" + number, actionIndex);
    }
}

TEST(LoadRegActions, ReadsEveryFieldAndStopsAtTheFirstGap) {
    MemorySettingsStore store;
    Store(store, 1, "Open File/Folder", "CTRL + K", "\"C:\\a.exe\" -x", "2");
    Store(store, 2, "Mute", "", " ", nullptr);
    Store(store, 4, "Logoff", "ALT + L", " ", "21");

    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.At(1).ActionType, "Open File/Folder");
    EXPECT_EQ(list.At(1).Hotkey, "CTRL + K");
    EXPECT_EQ(list.At(1).Data, "\"C:\\a.exe\" -x");
    EXPECT_EQ(list.At(2).ActionIndex, 2);  // absent
    EXPECT_EQ(list.At(2).Tag, 0);
}

TEST(LoadRegActions, OnlyLowerCaseNullEndsTheLoad) {
    MemorySettingsStore store;
    Store(store, 1, "NULL", "", "", "5");
    Store(store, 2, "Null", "", "", "5");
    Store(store, 3, "null", "", "", "5");
    Store(store, 4, "Mute", "", "", "5");
    ActionList list;
    LoadRegActions(store, list);
    EXPECT_EQ(list.Count(), 2u);
}

TEST(LoadRegActions, AbsentHotkeyAndDataShowAsNull) {
    MemorySettingsStore store;
    store.SaveSetting("Actions", "ActionType1", "Mute");
    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(1).Hotkey, "null");
    EXPECT_EQ(list.At(1).Data, "null");
}

TEST(LoadRegActions, ReadsAtMostTwoHundredEntries) {
    MemorySettingsStore store;
    for (int n = 1; n <= 205; ++n) {
        Store(store, n, "Mute", "", std::to_string(n), "28");
    }
    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 200u);
    EXPECT_EQ(list.At(200).Data, "200");
}

TEST(ParseStoredInteger, AcceptsWhatTheProgramWritesAndRoundsFractions) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"-500", -500},
        {" 7 ", 7},
        {"+3", 3},
        {"4535.5", 4536},  // halves go to the even neighbour
        {"4534.5", 4534},
        {"-2.5", -2},
        {"2.51", 3},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"12abc", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseStoredInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(LoadRegActions, ANonNumericActionIndexLoadsAsTwo) {
    MemorySettingsStore store;
    Store(store, 1, "Mute", "", " ", "garbage");
    Store(store, 2, "Mute", "", " ", "30.5");
    ActionList list;
    LoadRegActions(store, list);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.At(1).ActionIndex, 2);
    EXPECT_EQ(list.At(2).ActionIndex, 30);
}

}  // namespace
}  // namespace tessarin
