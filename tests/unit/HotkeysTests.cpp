#include "hotkeys/Hotkeys.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "FakeHotkeyPort.h"
#include "RecordingExecutor.h"
#include "hotkeys/HotkeyNotation.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

using fakes::FakeHotkeyPort;
using fakes::RecordingExecutor;
using Runs = std::vector<std::pair<std::string, std::string>>;

struct Rig {
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;
    Rig(std::initializer_list<std::pair<const char*, const char*>> rows) {
        for (const auto& [hotkey, data] : rows) {
            ActionRecord record;
            record.ActionType = "Go to URL";
            record.Hotkey = hotkey;
            record.Data = data;
            list.Add(std::move(record));
        }
    }

    // What the system would deliver for a combination typed as hotkey text.
    void Press(const std::string& hotkeyText) {
        const auto parsed = ParseHotkeyText(hotkeyText, codePage);
        ASSERT_TRUE(parsed.has_value()) << hotkeyText;
        hotkeys.DoHotkey(port.Press(parsed->Modifiers, parsed->KeyCode));
    }

    ActionList list;
    FakeHotkeyPort port;
    RecordingExecutor executor;
    Windows1252CodePage codePage;
    AppState state;
    Hotkeys hotkeys{list, port, executor, codePage, state};
};

TEST(Hotkeys, RegistersRowsWhoseTextNamesACombinationUnderTheAtomOfTheirPosition) {
    Rig rig({{"CTRL + K", "a"}, {"", "b"}, {"ALT + B", "c"}, {"ctrl + k", "d"}, {"CTRL +  ", "e"}});
    rig.hotkeys.RegisterAllHotKeys();

    std::vector<std::string> names;
    for (const auto& call : rig.port.calls) {
        if (call.What == "AddAtom") {
            names.push_back(call.Name);
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"TessarinAtom1", "TessarinAtom3"}));
    ASSERT_EQ(rig.port.CountCalls("Register"), 2u);
    EXPECT_EQ(rig.port.calls.back(),
              (FakeHotkeyPort::Call{"Register", {}, rig.list.At(3).Tag, kModAlt, 'B'}));
    for (std::size_t n : {2u, 4u, 5u}) {
        EXPECT_EQ(rig.list.At(n).Tag, 0) << "row " << n;
        EXPECT_FALSE(rig.list.At(n).Registration.Held) << "row " << n;
    }
    for (std::size_t n : {1u, 3u}) {
        EXPECT_GE(rig.list.At(n).Tag, -16384);
        EXPECT_LE(rig.list.At(n).Tag, -1);
    }
    EXPECT_NE(rig.list.At(1).Tag, rig.list.At(3).Tag);
    EXPECT_TRUE(rig.state.HotkeysEnabled);
}

TEST(Hotkeys, AtomIdConversionCoversTheWholeNameRange) {
    struct Case {
        std::uint16_t atom;
        std::int32_t id;
    };
    for (const Case& c : {Case{0xC000, -16384}, Case{0xFFFF, -1}, Case{0xC001, -16383},
                          Case{0x0001, 1}, Case{0x7FFF, 32767}}) {
        EXPECT_EQ(HotkeyIdFromAtom(c.atom), c.id);
        EXPECT_EQ(AtomFromHotkeyId(c.id), c.atom);
    }
}

TEST(Hotkeys, SameCombinationTwiceRunsOnlyTheFirstRow) {
    Rig rig({{"CTRL + K", "first"}, {"CTRL + K", "second"}});
    rig.hotkeys.RegisterAllHotKeys();

    // The refused row still looks registered: it has a tag and holds its atom.
    EXPECT_NE(rig.list.At(2).Tag, 0);
    EXPECT_TRUE(rig.list.At(2).Registration.Held);
    EXPECT_FALSE(rig.list.At(2).Registration.Accepted);
    EXPECT_TRUE(rig.list.At(1).Registration.Accepted);

    rig.Press("CTRL + K");
    EXPECT_EQ(rig.executor.runs, (Runs{{"Go to URL", "first"}}));
}

TEST(Hotkeys, DisableKeepsTagsAndReleasesEveryAtomExactlyOnce) {
    Rig rig({{"CTRL + A", "a"}, {"CTRL + B", "b"}, {"", "c"}});
    rig.hotkeys.RegisterAllHotKeys();
    const std::int32_t tag1 = rig.list.At(1).Tag;
    const std::int32_t tag2 = rig.list.At(2).Tag;

    rig.hotkeys.ToggleHotkeys();  // disable
    EXPECT_FALSE(rig.state.HotkeysEnabled);
    EXPECT_EQ(rig.hotkeys.ToggleCaption(), std::string("Enable All Hotkeys"));
    EXPECT_EQ(rig.list.At(1).Tag, tag1);
    EXPECT_EQ(rig.list.At(2).Tag, tag2);
    EXPECT_TRUE(rig.port.live.empty());
    EXPECT_TRUE(rig.port.useCounts.empty());

    rig.Press("CTRL + A");
    EXPECT_TRUE(rig.executor.runs.empty());

    rig.hotkeys.UnregisterAllHotKeys();  // the exit after a disable
    EXPECT_EQ(rig.port.CountCalls("DeleteAtom"), 2u);
    EXPECT_EQ(rig.port.CountCalls("Unregister"), 2u);
    EXPECT_EQ(rig.port.overReleasedAtoms, 0);
}

TEST(Hotkeys, EnableRegistersAgainFromTheCurrentTexts) {
    Rig rig({{"CTRL + A", "a"}});
    rig.hotkeys.RegisterAllHotKeys();
    rig.hotkeys.ToggleHotkeys();
    rig.list.At(1).Hotkey = "ALT + F5";
    rig.hotkeys.ToggleHotkeys();

    EXPECT_TRUE(rig.state.HotkeysEnabled);
    EXPECT_EQ(rig.hotkeys.ToggleCaption(), std::string("Disable All Hotkeys"));
    rig.Press("ALT + F5");
    EXPECT_EQ(rig.executor.runs, (Runs{{"Go to URL", "a"}}));
    EXPECT_EQ(rig.port.Press(kModControl, 'A'), 0);
}

TEST(Hotkeys, EmptyListLeavesTheFlagAlone) {
    Rig rig{};
    EXPECT_EQ(rig.hotkeys.ToggleCaption(), std::string("Enable All Hotkeys"));
    rig.hotkeys.ToggleHotkeys();
    EXPECT_FALSE(rig.state.HotkeysEnabled);
    EXPECT_TRUE(rig.port.calls.empty());

    rig.state.HotkeysEnabled = true;
    rig.hotkeys.UnregisterAllHotKeys();
    EXPECT_TRUE(rig.state.HotkeysEnabled);
}

TEST(Hotkeys, MessageWithIdZeroOrAStrangerIdRunsNothing) {
    Rig rig({{"", "untagged"}, {"CTRL + K", "tagged"}});
    rig.hotkeys.RegisterAllHotKeys();
    rig.hotkeys.DoHotkey(0);
    rig.hotkeys.DoHotkey(12345);
    rig.hotkeys.DoHotkey(-1);
    EXPECT_TRUE(rig.executor.runs.empty());
}

TEST(Hotkeys, RowsKeepWorkingAfterTheFirstOfThreeIsDeleted) {
    Rig rig({{"CTRL + A", "a"}, {"CTRL + B", "b"}, {"CTRL + C", "c"}});
    rig.hotkeys.RegisterAllHotKeys();

    rig.hotkeys.UnregisterOneHotKey(rig.list.At(1));
    rig.list.Remove(1);

    rig.Press("CTRL + B");
    rig.Press("CTRL + C");
    rig.Press("CTRL + A");
    EXPECT_EQ(rig.executor.runs, (Runs{{"Go to URL", "b"}, {"Go to URL", "c"}}));

    // The held registrations moved with their rows: a full release frees every atom once.
    rig.hotkeys.UnregisterAllHotKeys();
    EXPECT_TRUE(rig.port.useCounts.empty());
    EXPECT_EQ(rig.port.overReleasedAtoms, 0);
}

TEST(Hotkeys, EveryRowWithTheFiringTagRunsInListOrder) {
    Rig rig({{"", "a"}, {"", "b"}, {"", "c"}});
    rig.list.At(1).Tag = -5;
    rig.list.At(3).Tag = -5;
    rig.list.At(1).ActionType = "Mute";
    rig.hotkeys.DoHotkey(-5);
    EXPECT_EQ(rig.executor.runs, (Runs{{"Mute", "a"}, {"Go to URL", "c"}}));
}

TEST(Hotkeys, FullAtomTableRegistersNothing) {
    Rig rig({{"CTRL + K", "a"}});
    rig.port.atomTableFull = true;
    rig.hotkeys.RegisterAllHotKeys();

    EXPECT_EQ(rig.port.CountCalls("Register"), 0u);
    EXPECT_EQ(rig.list.At(1).Tag, 0);
    EXPECT_FALSE(rig.list.At(1).Registration.Held);
    rig.hotkeys.UnregisterAllHotKeys();
    EXPECT_EQ(rig.port.CountCalls("DeleteAtom"), 0u);
}

TEST(Hotkeys, AnActionThatRemovesRowsWhileRunningEndsTheScanSafely) {
    Rig rig({{"", "a"}, {"", "b"}, {"", "c"}});
    for (ActionRecord& row : rig.list) {
        row.Tag = -7;
    }
    // A nested hotkey deleting rows while the first action still runs.
    rig.executor.onRun = [&](const std::string&, const std::string& data) {
        if (data == "a") {
            rig.list.Remove(3);
            rig.list.Remove(2);
        }
    };
    rig.hotkeys.DoHotkey(-7);
    EXPECT_EQ(rig.executor.runs, (Runs{{"Go to URL", "a"}}));
}

}  // namespace
}  // namespace tessarin
