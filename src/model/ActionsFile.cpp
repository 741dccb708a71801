#include "model/ActionsFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "Version.h"
#include "hotkeys/HotkeyNotation.h"
#include "model/ActionCaptions.h"
#include "model/ActionStore.h"

namespace tessarin {
namespace {

constexpr const char* kVersionKey = "Version";
constexpr std::array<std::string_view, 4> kRowKeys = {"ActionType", "Hotkey", "Data",
                                                      "ActionIndex"};

bool Escaped(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '%';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

struct RowKey {
    std::size_t Kind = 0;  // index into kRowKeys
    std::size_t Row = 0;
};

// "Hotkey12" to its kind and row; none for a key that names no row value. The system compares
// key names without regard to case, and so does this. A number too long to be a row counts as
// a row beyond every other.
std::optional<RowKey> ParseRowKey(std::string_view key) {
    for (std::size_t kind = 0; kind < kRowKeys.size(); ++kind) {
        const std::string_view name = kRowKeys[kind];
        if (key.size() <= name.size() ||
            !EqualIgnoringAsciiCase(key.substr(0, name.size()), name)) {
            continue;
        }
        const std::string_view digits = key.substr(name.size());
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        std::size_t row = 0;
        for (const char c : digits) {
            row =
                std::min<std::size_t>(row * 10 + static_cast<std::size_t>(c - '0'), SIZE_MAX / 16);
        }
        return RowKey{kind, row};
    }
    return std::nullopt;
}

std::string Decoded(const ProfileFile& file, const std::string& key) {
    return DecodeActionsFileValue(file.Read(kActionsFileSection, key).value_or(""));
}

bool IsKnownType(std::string_view type) {
    return std::find(std::begin(captions::kAll), std::end(captions::kAll), type) !=
           std::end(captions::kAll);
}

// "1 action", "2 actions".
std::string Actions(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " action" : " actions");
}

}  // namespace

std::string EncodeActionsFileValue(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (Escaped(byte)) {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded + "\"";
}

std::string DecodeActionsFileValue(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            const auto byte =
                static_cast<unsigned char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            // NUL would end the text at the system's next call; it never comes from the encoder.
            if (byte != 0 && Escaped(byte)) {
                decoded += static_cast<char>(byte);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

bool WriteActionsFile(ProfileFile& file, const ActionList& list) {
    bool written = file.Write(kActionsFileProgramSection, kVersionKey, kVersion);
    std::size_t n = 0;
    for (const ActionRecord& row : list) {
        const std::string number = std::to_string(++n);
        const std::string values[] = {row.ActionType, row.Hotkey, row.Data,
                                      std::to_string(row.ActionIndex)};
        for (std::size_t kind = 0; kind < kRowKeys.size(); ++kind) {
            written = file.Write(kActionsFileSection, std::string(kRowKeys[kind]) + number,
                                 EncodeActionsFileValue(values[kind])) &&
                      written;
        }
    }
    return written;
}

ActionsFileContent ReadActionsFile(const ProfileFile& file) {
    std::vector<bool> typed;  // typed[n - 1]: the file has ActionTypen
    std::size_t lastRow = 0;
    for (const std::string& key : file.Keys(kActionsFileSection)) {
        if (const std::optional<RowKey> parsed = ParseRowKey(key); parsed && parsed->Row > 0) {
            lastRow = std::max(lastRow, parsed->Row);
            if (parsed->Kind == 0 && parsed->Row <= kMaxStoredActions * 1000) {
                typed.resize(std::max(typed.size(), parsed->Row));
                typed[parsed->Row - 1] = true;
            }
        }
    }
    const std::size_t count =
        static_cast<std::size_t>(std::find(typed.begin(), typed.end(), false) - typed.begin());
    ActionsFileContent content;
    if (count == 0) {
        content.Problem = ActionsFileProblem::NotAnExport;
        return content;
    }
    if (lastRow > count) {
        content.Problem = ActionsFileProblem::MissingRow;
        content.ProblemRow = count + 1;
        return content;
    }
    for (std::size_t n = 1; n <= count; ++n) {
        const std::string number = std::to_string(n);
        ActionRecord row;
        row.ActionType = Decoded(file, "ActionType" + number);
        if (!IsKnownType(row.ActionType)) {
            content.Problem = ActionsFileProblem::UnknownType;
            content.ProblemRow = n;
            content.UnknownType = row.ActionType;
            content.Rows.clear();
            return content;
        }
        row.Hotkey = Decoded(file, "Hotkey" + number);
        row.Data = Decoded(file, "Data" + number);
        // As the store's loader: anything but a number preselects the first action node.
        row.ActionIndex = ParseStoredInteger(Decoded(file, "ActionIndex" + number)).value_or(2);
        content.Rows.push_back(std::move(row));
    }
    return content;
}

ImportCounts AppendImportedRows(ActionList& list, const std::vector<ActionRecord>& rows,
                                const CodePage& codePage) {
    std::vector<ParsedHotkey> taken;
    for (const ActionRecord& row : list) {
        if (const auto parsed = ParseHotkeyText(row.Hotkey, codePage)) {
            taken.push_back(*parsed);
        }
    }
    ImportCounts counts;
    for (const ActionRecord& imported : rows) {
        if (list.Count() >= kMaxStoredActions) {
            ++counts.LeftOut;
            continue;
        }
        ActionRecord row;
        row.ActionType = imported.ActionType;
        row.Hotkey = imported.Hotkey;
        row.Data = imported.Data;
        row.ActionIndex = imported.ActionIndex;
        if (const auto parsed = ParseHotkeyText(row.Hotkey, codePage)) {
            if (std::find(taken.begin(), taken.end(), *parsed) != taken.end()) {
                row.Hotkey.clear();
                ++counts.WithoutHotkey;
            } else {
                taken.push_back(*parsed);
            }
        }
        list.Add(std::move(row));
        ++counts.Added;
    }
    return counts;
}

std::string ExportDoneMessage(std::size_t count, std::string_view file) {
    return "Exported " + Actions(count) + " to " + std::string(file) + ".";
}

std::string ExportFailedMessage(std::string_view file) {
    return "Tessarin could not write " + std::string(file) +
           ". Check that the folder exists and that you may write there. A file of that name "
           "that was there before is unchanged.";
}

std::string ImportUnreadableMessage(std::string_view file) {
    return "Tessarin could not read " + std::string(file) + ". Nothing was imported.";
}

std::string ImportRefusedMessage(const ActionsFileContent& content, std::string_view file) {
    const std::string row = std::to_string(content.ProblemRow);
    switch (content.Problem) {
        case ActionsFileProblem::NotAnExport:
            return std::string(file) +
                   " holds no Tessarin actions: it has no [Actions] section with an ActionType1 "
                   "value. Nothing was imported.";
        case ActionsFileProblem::MissingRow:
            return "Action " + row + " in " + std::string(file) + " has no ActionType" + row +
                   " value, though the file goes on after it. Nothing was imported.";
        case ActionsFileProblem::UnknownType:
            return "Action " + row + " in " + std::string(file) + " has the type \"" +
                   content.UnknownType + "\", which Tessarin does not know. Nothing was imported.";
        case ActionsFileProblem::None:
            break;
    }
    return {};
}

std::string ImportQuestion(std::size_t count, std::string_view file) {
    return "Add the " + Actions(count) + " from " + std::string(file) + " to your list?";
}

std::string ImportDoneMessage(const ImportCounts& counts, std::string_view file) {
    if (counts.Added == 0) {
        return "No action was added from " + std::string(file) +
               ": Tessarin keeps up to 200 actions, and your list is full.";
    }
    std::string message = "Added " + Actions(counts.Added) + " from " + std::string(file) + ".";
    if (counts.WithoutHotkey == 1) {
        message +=
            " 1 of them came without its hotkey, as your list already uses that "
            "combination.";
    } else if (counts.WithoutHotkey > 1) {
        message += " " + std::to_string(counts.WithoutHotkey) +
                   " of them came without their hotkeys, as your list already uses those "
                   "combinations.";
    }
    if (counts.LeftOut > 0) {
        message += " " + Actions(counts.LeftOut) + (counts.LeftOut == 1 ? " was" : " were") +
                   " not added: Tessarin keeps up to 200 actions.";
    }
    return message;
}

}  // namespace tessarin
