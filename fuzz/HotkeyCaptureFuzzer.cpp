// AddKeyToHotkeyText, the capture rule, through the Western European code page.
//
// Each input byte is a key that went down (0xFF takes the next byte as a code above 255). From
// an empty text: a modifier key adds its word and never completes; any other key is ignored
// until a modifier is down, and a completed text parses to exactly the modifiers pressed and
// the key, or (the space bar, the "+" key) to nothing at all, never to another key. The same
// input is also taken as a text built so far, with its first byte as the key: an ignored key
// leaves the text as it was, and a completed text keeps everything up to the last "+ ".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "hotkeys/HotkeyNotation.h"
#include "platform/Windows1252CodePage.h"

namespace {

using namespace tessarin;

constexpr std::uint32_t kVkSpace = 0x20;
constexpr std::uint32_t kVkPlusName = 0x2B;  // the key whose name is "+"

std::uint32_t ModifierOf(std::uint32_t code) {
    switch (code) {
        case 16:
            return kModShift;
        case 17:
            return kModControl;
        case 18:
            return kModAlt;
        case 91:
        case 92:
            return kModWin;
        default:
            return 0;
    }
}

void CaptureFromEmpty(const std::uint8_t* data, std::size_t size, const CodePage& codePage) {
    std::string text;
    std::uint32_t modifiers = 0;
    for (std::size_t i = 0; i < size; ++i) {
        std::uint32_t code = data[i];
        if (code == 0xFF && i + 1 < size) {
            code = 0x100u + data[++i];
        }
        const HotkeyTextStep step = AddKeyToHotkeyText(text, code, codePage);
        if (const std::uint32_t modifier = ModifierOf(code); modifier != 0) {
            FUZZ_CHECK(!step.Ignored && !step.Complete);
            modifiers |= modifier;
            text = step.Text;
            continue;
        }
        if (step.Ignored) {
            FUZZ_CHECK(step.Text == text);
            FUZZ_CHECK(!step.Complete);
            continue;
        }
        FUZZ_CHECK(step.Complete);
        FUZZ_CHECK(modifiers != 0);
        const std::optional<ParsedHotkey> parsed = ParseHotkeyText(step.Text, codePage);
        if (code == kVkSpace || code == kVkPlusName) {
            FUZZ_CHECK(!parsed.has_value());
        } else {
            FUZZ_CHECK(parsed.has_value());
            FUZZ_CHECK(parsed->Modifiers == modifiers);
            FUZZ_CHECK(parsed->KeyCode == code);
        }
        // The capture closes on the first complete combination.
        return;
    }
    // Only modifiers so far: the text names them all and no key.
    const std::optional<ParsedHotkey> parsed = ParseHotkeyText(text, codePage);
    FUZZ_CHECK(!parsed.has_value());
}

void AddToAnyText(const std::uint8_t* data, std::size_t size, const CodePage& codePage) {
    if (size == 0) {
        return;
    }
    const std::string_view built = fuzz::AsText(data + 1, size - 1);
    const HotkeyTextStep step = AddKeyToHotkeyText(built, data[0], codePage);
    if (step.Ignored) {
        FUZZ_CHECK(step.Text == built);
        FUZZ_CHECK(!step.Complete);
    } else if (step.Complete) {
        const std::size_t kept = built.rfind("+ ");
        FUZZ_CHECK(kept != std::string_view::npos);
        FUZZ_CHECK(step.Text.compare(0, kept + 2, built.substr(0, kept + 2)) == 0);
        FUZZ_CHECK(step.Text.size() > kept + 2);
    } else {
        FUZZ_CHECK(ModifierOf(data[0]) != 0);
        FUZZ_CHECK(step.Text.size() >= built.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Windows1252CodePage codePage;
    CaptureFromEmpty(data, size, codePage);
    AddToAnyText(data, size, codePage);
    return 0;
}
