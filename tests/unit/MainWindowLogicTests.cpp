#include "ui/MainWindowLogic.h"

#include <gtest/gtest.h>

#include "FakeHotkeyPort.h"
#include "FakeRawRegistry.h"
#include "RecordingExecutor.h"
#include "model/ActionStore.h"
#include "model/MemorySettingsStore.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

TEST(LayOutMainWindow, FollowsTheWindowDownToAMinimum) {
    const struct {
        int width, height;
        int listWidth, listHeight, buttonTop, add, edit, hotkey, del;
    } cases[] = {
        {3000, 2000, 5230, 860, 1300, 280, 1480, 2980, 4180},
        {5880, 3060, 5230, 860, 1300, 280, 1480, 2980, 4180},
        {8000, 6000, 7350, 3800, 4240, 1340, 2540, 4040, 5240},
        {8001, 3059, 7351, 860, 1300, 1340, 2540, 4040, 5240},
    };
    for (const auto& c : cases) {
        const MainLayout layout = LayOutMainWindow(c.width, c.height);
        EXPECT_EQ(layout.ListWidth, c.listWidth) << c.width << "x" << c.height;
        EXPECT_EQ(layout.ListHeight, c.listHeight) << c.width << "x" << c.height;
        EXPECT_EQ(layout.ButtonTop, c.buttonTop) << c.width << "x" << c.height;
        EXPECT_EQ(layout.AddLeft, c.add);
        EXPECT_EQ(layout.EditLeft, c.edit);
        EXPECT_EQ(layout.HotkeyLeft, c.hotkey);
        EXPECT_EQ(layout.DeleteLeft, c.del);
    }
}

TEST(StartsInNotificationArea, AnyExactSlashM) {
    const struct {
        const char* line;
        bool hidden;
    } cases[] = {
        {"\"C:\\Tools\\Tessarin.exe\" /m", true}, {"x/my", true}, {"/M", false},
        {"\"C:\\Tools\\Tessarin.exe\"", false},   {"", false},    {"-m", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StartsInNotificationArea(c.line), c.hidden) << c.line;
    }
}

TEST(RunEntryData, QuotesTheProgramPathAndAddsTheSwitch) {
    EXPECT_EQ(RunEntryData("C:\\Tools", "Tessarin.exe"), "\"C:\\Tools\\Tessarin.exe\" /m");
    EXPECT_EQ(RunEntryData("C:\\Program Files\\Tessarin", "Tessarin"),
              "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m");
}

struct RunEntryState {
    bool machine;
    bool user;
};

RunEntryState RunEntries(fakes::FakeRawRegistry& registry) {
    return {registry.Find(reg::kLocalMachine, kRunKey, kRunValue) != nullptr,
            registry.Find(reg::kCurrentUser, kRunKey, kRunValue) != nullptr};
}

TEST(UpdateRunEntry, MachineWideOnlyForAProtectedFileWithTheRightToWriteIt) {
    const std::string data = "\"C:\\T\\Tessarin.exe\" /m";
    const struct {
        bool machineWide, machineWritable, startup;
        const char* machineBefore;  // null: absent
        RunEntryState after;
    } cases[] = {
        {true, true, true, nullptr, {true, false}},
        {true, false, true, nullptr, {false, true}},
        {true, true, false, "old", {false, false}},
        {true, false, false, nullptr, {false, false}},
        // A portable copy, even with the rights: per-user, and its own old machine-wide entry
        // goes; another program's entry of that name stays.
        {false, true, true, nullptr, {false, true}},
        {false, true, true, data.c_str(), {false, true}},
        {false, true, true, "\"C:\\Program Files\\Tessarin\\Tessarin.exe\" /m", {true, true}},
    };
    for (const auto& c : cases) {
        fakes::FakeRawRegistry registry;
        registry.Put(reg::kCurrentUser, kRunKey, kRunValue, RegistryData{reg::kSz, "old", {}});
        if (c.machineBefore != nullptr) {
            registry.Put(reg::kLocalMachine, kRunKey, kRunValue,
                         RegistryData{reg::kSz, c.machineBefore, {}});
        }
        if (!c.machineWritable) {
            registry.readOnlyRoots.insert(reg::kLocalMachine);
        }
        UpdateRunEntry(registry, c.startup, data, c.machineWide);
        const RunEntryState after = RunEntries(registry);
        const std::string label = std::to_string(c.machineWide) +
                                  std::to_string(c.machineWritable) + std::to_string(c.startup);
        EXPECT_EQ(after.machine, c.after.machine) << label;
        EXPECT_EQ(after.user, c.after.user) << label;
        if (c.startup) {
            const RegistryData* written = registry.Find(
                c.after.user ? reg::kCurrentUser : reg::kLocalMachine, kRunKey, kRunValue);
            ASSERT_NE(written, nullptr) << label;
            EXPECT_EQ(written->Type, reg::kSz);
            EXPECT_EQ(std::string(written->Text.c_str()), data) << label;
        }
    }
}

TEST(IsProtectedProgramPath, OnlyInsideAnAdministratorsFolder) {
    const std::vector<std::string> folders = {"C:\\Program Files", "C:\\Program Files (x86)\\",
                                              "C:\\windows", ""};
    const struct {
        const char* path;
        bool protectedPath;
    } cases[] = {
        {"C:\\Program Files\\Tessarin\\Tessarin.exe", true},
        {"c:/program files/tessarin/Tessarin.exe", true},
        {"\\\\?\\C:\\Program Files\\Tessarin\\Tessarin.exe", true},
        {"C:\\Program Files (x86)\\Tessarin.exe", true},
        {"C:\\Windows\\Tessarin.exe", true},
        {"C:\\Program Files Evil\\Tessarin.exe", false},
        {"C:\\Program Files\\", false},
        {"C:\\Program Files\\..\\Tools\\Tessarin.exe", false},
        {"C:\\Program Files\\.\\Tessarin.exe", false},
        {"C:\\Tools\\Tessarin.exe", false},
        {"C:\\Users\\Ann\\Downloads\\Tessarin.exe", false},
        {"D:\\Program Files\\Tessarin.exe", false},
        {"\\\\server\\C$\\Program Files\\Tessarin.exe", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProtectedProgramPath(c.path, folders), c.protectedPath) << c.path;
    }
}

struct DeleteRig {
    explicit DeleteRig(std::size_t rows) {
        for (std::size_t n = 1; n <= rows; ++n) {
            ActionRecord row;
            row.ActionType = "Mute";
            row.Hotkey = "CTRL + " + std::to_string(n);
            row.Data = std::to_string(n);
            list.Add(row);
        }
        hotkeys.RegisterAllHotKeys();
        SaveRegActions(store, list);
    }
    ActionList list;
    fakes::FakeHotkeyPort port;
    fakes::RecordingExecutor executor;
    Windows1252CodePage codePage;
    AppState state;
    Hotkeys hotkeys{list, port, executor, codePage, state};
    MemorySettingsStore store;
};

TEST(DeleteAction, ReleasesTheHotkeySavesAndSelectsTheRowAbove) {
    const struct {
        std::size_t rows, deleted;
        std::optional<std::size_t> selected;
    } cases[] = {{3, 1, 1}, {3, 3, 2}, {3, 2, 1}, {1, 1, std::nullopt}};
    for (const auto& c : cases) {
        DeleteRig rig(c.rows);
        const std::int32_t tag = rig.list.At(c.deleted).Tag;
        EXPECT_EQ(DeleteAction(rig.list, c.deleted, rig.hotkeys, rig.store), c.selected);
        EXPECT_EQ(rig.list.Count(), c.rows - 1);
        EXPECT_EQ(rig.port.live.count(tag), 0u);
        ActionList stored;
        LoadRegActions(rig.store, stored);
        EXPECT_EQ(stored.Count(), c.rows - 1);
    }
}

TEST(DeleteAction, NoSelectionDoesNothing) {
    DeleteRig rig(2);
    EXPECT_EQ(DeleteAction(rig.list, 0, rig.hotkeys, rig.store), std::nullopt);
    EXPECT_EQ(DeleteAction(rig.list, 3, rig.hotkeys, rig.store), std::nullopt);
    EXPECT_EQ(rig.list.Count(), 2u);
}

}  // namespace
}  // namespace tessarin
