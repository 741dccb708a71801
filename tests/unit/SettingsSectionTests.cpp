#include "model/SettingsSection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/MemorySettingsStore.h"

namespace tessarin {
namespace {

// Remembers the order in which keys were written.
class OrderedStore : public MemorySettingsStore {
  public:
    void SaveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (section == kSettingsSection) {
            written.push_back(key + "=" + value);
        }
        MemorySettingsStore::SaveSetting(section, key, value);
    }
    std::vector<std::string> written;
};

TEST(ParseStoredFlag, WordsInAnyCaseAndNumbers) {
    const struct {
        const char* text;
        std::optional<bool> flag;
    } cases[] = {
        {"True", true},     {"TRUE", true},          {"false", false}, {"0", false},
        {"7", true},        {"0.0", false},          {"0.4", true},    {"garbage", std::nullopt},
        {"", std::nullopt}, {"Truex", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseStoredFlag(c.text), c.flag) << '"' << c.text << '"';
    }
}

TEST(ReadStartupSettings, EmptyStoreGivesTheDesignStateAndDamagedFlagsKeepTheirDefaults) {
    const StartupSettings empty = ReadStartupSettings(MemorySettingsStore{});
    EXPECT_FALSE(empty.OpenMaximized);
    EXPECT_TRUE(empty.OpenNormal);
    EXPECT_FALSE(empty.OpenMinimized);
    EXPECT_TRUE(empty.Startup);
    EXPECT_TRUE(empty.DoNotReuse);
    EXPECT_FALSE(empty.HasSize());
    EXPECT_FALSE(empty.HasState());
    EXPECT_EQ(empty.Icon, "#DEFAULT#");

    MemorySettingsStore store;
    store.SaveSetting("Settings", "Startup", "garbage");
    store.SaveSetting("Settings", "NewFolder", "0");
    EXPECT_TRUE(ReadStartupSettings(store).Startup);
    EXPECT_FALSE(ReadStartupSettings(store).DoNotReuse);
}

TEST(ReadStartupSettings, OpenModeFallsBackToDefaultOnlyWhenNoneIsSet) {
    const struct {
        const char* maximized;
        const char* normal;
        const char* minimized;
        bool expectMaximized, expectNormal, expectMinimized;
    } cases[] = {
        {nullptr, nullptr, nullptr, false, true, false},
        {"False", "False", "False", false, true, false},
        {"True", "False", "False", true, false, false},
        {"False", "False", "1", false, false, true},
        {"True", "True", "False", true, true, false},  // stored as found, even two at once
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        if (c.maximized)
            store.SaveSetting("Settings", "WindowsMaximized", c.maximized);
        if (c.normal)
            store.SaveSetting("Settings", "WindowsNormal", c.normal);
        if (c.minimized)
            store.SaveSetting("Settings", "WindowsMinimized", c.minimized);
        const StartupSettings settings = ReadStartupSettings(store);
        EXPECT_EQ(settings.OpenMaximized, c.expectMaximized);
        EXPECT_EQ(settings.OpenNormal, c.expectNormal);
        EXPECT_EQ(settings.OpenMinimized, c.expectMinimized);
    }
}

TEST(ReadStartupSettings, GeometryNeedsBothSizesAndAValidState) {
    const struct {
        const char* width;
        const char* height;
        const char* state;
        bool hasSize;
        std::int32_t expectWidth;
        std::int32_t expectState;
    } cases[] = {
        {"7000", "5000", "0", true, 7000, 0},         {"4535.5", "5000", "2", true, 4536, 2},
        {"7000", nullptr, "1", false, 7000, 1},       {nullptr, "5000", nullptr, false, -500, -500},
        {"abc", "5000", "7", false, -500, -500},      {"-500", "5000", "-1", false, -500, -500},
        {"99999999999", "5000", "2", false, -500, 2}, {"0", "5000", "0", false, 0, 0},
        {"7000", "-1", "0", false, 7000, 0},          {"1", "1", "0", true, 1, 0},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        if (c.width)
            store.SaveSetting("Settings", "MainWindowWidth", c.width);
        if (c.height)
            store.SaveSetting("Settings", "MainWindowHeight", c.height);
        if (c.state)
            store.SaveSetting("Settings", "MainWindowState", c.state);
        const StartupSettings settings = ReadStartupSettings(store);
        EXPECT_EQ(settings.HasSize(), c.hasSize) << c.width;
        EXPECT_EQ(settings.Width, c.expectWidth) << c.width;
        EXPECT_EQ(settings.State, c.expectState) << c.state;
    }
}

ActionList OneAction() {
    ActionList list;
    ActionRecord row;
    row.ActionType = "Mute";
    row.Data = " ";
    list.Add(row);
    return list;
}

TEST(SaveSettingsAtExit, WritesEveryKeyInOrderThenTheActions) {
    OrderedStore store;
    ExitSettings settings;
    settings.IconPath = "C:\\Icons\\a.ico";
    settings.OpenMaximized = true;
    settings.OpenNormal = false;
    settings.Startup = false;
    settings.Width = 7000;
    settings.Height = 5000;
    settings.State = 0;
    SaveSettingsAtExit(store, settings, OneAction());
    EXPECT_EQ(store.written,
              (std::vector<std::string>{"Icon=C:\\Icons\\a.ico", "WindowsMaximized=True",
                                        "WindowsNormal=False", "WindowsMinimized=False",
                                        "Startup=False", "NewFolder=True", "MainWindowWidth=7000",
                                        "MainWindowHeight=5000", "MainWindowState=0"}));
    EXPECT_EQ(store.GetSetting("Actions", "ActionType1", "absent"), "Mute");
}

TEST(SaveSettingsAtExit, MaximizedOrMinimizedKeepsTheLastNormalSize) {
    for (std::int32_t state : {1, 2}) {
        MemorySettingsStore store;
        store.SaveSetting("Settings", "MainWindowWidth", "6000");
        store.SaveSetting("Settings", "MainWindowHeight", "4000");
        ExitSettings settings;
        settings.Width = 20000;
        settings.Height = 15000;
        settings.State = state;
        SaveSettingsAtExit(store, settings, ActionList{});
        EXPECT_EQ(store.GetSetting("Settings", "MainWindowWidth", ""), "6000");
        EXPECT_EQ(store.GetSetting("Settings", "MainWindowHeight", ""), "4000");
        EXPECT_EQ(store.GetSetting("Settings", "MainWindowState", ""), std::to_string(state));
    }
}

TEST(SaveSettingsAtExit, WritesNothingWhenSaveSettingsIsCleared) {
    MemorySettingsStore store;
    ExitSettings settings;
    settings.SaveSettings = false;
    SaveSettingsAtExit(store, settings, OneAction());
    EXPECT_TRUE(store.AllSections().empty());
}

TEST(RememberedIconPath, KeepsOnlyAPathThatLoadsAsAnIcon) {
    int loads = 0;
    auto loader = [&](const std::string& path) {
        ++loads;
        return path == "C:\\good.ico";
    };
    EXPECT_EQ(RememberedIconPath("#DEFAULT#", loader), "#DEFAULT#");
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(RememberedIconPath("C:\\good.ico", loader), "C:\\good.ico");
    EXPECT_EQ(RememberedIconPath("C:\\missing.ico", loader), "#DEFAULT#");
}

}  // namespace
}  // namespace tessarin
