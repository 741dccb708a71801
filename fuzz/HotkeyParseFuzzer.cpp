// ParseHotkeyText on any text, through the Western European code page.
//
// Invariants: a parse result always has a modifier and a key code of one byte; and a result
// written back by the notation's own writer (the capture rule, fed the result's modifier keys
// and then its key) parses to the same result again.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "hotkeys/HotkeyNotation.h"
#include "platform/Windows1252CodePage.h"

namespace {

constexpr std::uint32_t kVkShift = 16;
constexpr std::uint32_t kVkControl = 17;
constexpr std::uint32_t kVkAlt = 18;
constexpr std::uint32_t kVkLeftWin = 91;
constexpr std::uint32_t kVkRightWin = 92;

bool IsModifierKey(std::uint32_t code) {
    return code == kVkShift || code == kVkControl || code == kVkAlt || code == kVkLeftWin ||
           code == kVkRightWin;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessarin;
    const Windows1252CodePage codePage;
    const std::string_view text = fuzz::AsText(data, size);

    const std::optional<ParsedHotkey> parsed = ParseHotkeyText(text, codePage);
    if (!parsed) {
        return 0;
    }
    FUZZ_CHECK(parsed->Modifiers != 0);
    FUZZ_CHECK((parsed->Modifiers & ~(kModAlt | kModControl | kModShift | kModWin)) == 0);
    FUZZ_CHECK(parsed->KeyCode <= 0xFF);

    // A modifier key's own code is never written as a key name: pressing it adds its word.
    if (IsModifierKey(parsed->KeyCode)) {
        return 0;
    }
    std::string written;
    const struct {
        std::uint32_t Flag;
        std::uint32_t Key;
    } presses[] = {
        {kModWin, kVkLeftWin}, {kModShift, kVkShift}, {kModControl, kVkControl}, {kModAlt, kVkAlt}};
    for (const auto& press : presses) {
        if ((parsed->Modifiers & press.Flag) != 0) {
            HotkeyTextStep step = AddKeyToHotkeyText(written, press.Key, codePage);
            FUZZ_CHECK(!step.Ignored && !step.Complete);
            written = std::move(step.Text);
        }
    }
    const HotkeyTextStep last = AddKeyToHotkeyText(written, parsed->KeyCode, codePage);
    FUZZ_CHECK(last.Complete);
    const std::optional<ParsedHotkey> again = ParseHotkeyText(last.Text, codePage);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == *parsed);
    return 0;
}
