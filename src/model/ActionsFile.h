#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/ActionRecord.h"
#include "platform/CodePage.h"
#include "platform/ProfileFile.h"

// The file that File > Export Actions writes and Import Actions reads: the store's "Actions"
// layout (ActionTypen, Hotkeyn, Datan, ActionIndexn from n = 1) in an [Actions] section, and the
// program's version in a [Tessarin] section.
//
// The system's profile functions would lose blanks and quotes around a value and cannot hold a
// line break, so every value in [Actions] is written inside double quotes, and every control
// character (below 0x20, and 0x7F) and the percent sign itself as %XX, two upper-case hex digits
// of the byte: "Dear Sir,%0D%0A  100%25 sure ". Reading takes off the quotes (the system does)
// and turns %XX back for those characters only; any other percent sign stays as it is, so a
// hand-made file without the encoding reads as written.
namespace tessarin {

inline constexpr const char* kActionsFileSection = "Actions";
inline constexpr const char* kActionsFileProgramSection = "Tessarin";

std::string EncodeActionsFileValue(std::string_view text);
std::string DecodeActionsFileValue(std::string_view text);

// Writes every row of the list, then the version. False when the file refused any value.
bool WriteActionsFile(ProfileFile& file, const ActionList& list);

enum class ActionsFileProblem {
    None,
    NotAnExport,  // no [Actions] section, or no ActionType1 in it
    MissingRow,   // a row's values without its ActionType, or a row after a missing one
    UnknownType,  // a row whose type no action has
};

struct ActionsFileContent {
    ActionsFileProblem Problem = ActionsFileProblem::None;
    std::size_t ProblemRow = 0;  // the 1-based row that MissingRow or UnknownType names
    std::string UnknownType;
    std::vector<ActionRecord> Rows;  // every row, in file order; empty with a problem
};

// Every row of the file, or the first problem: a file with one is never taken in part.
ActionsFileContent ReadActionsFile(const ProfileFile& file);

struct ImportCounts {
    std::size_t Added = 0;
    std::size_t WithoutHotkey = 0;  // added, but their combination was already in the list
    std::size_t LeftOut = 0;        // beyond the list's limit of 200 rows
};

// Appends the rows in order until the list holds 200. A row whose combination a row of the list
// (or one added before it) already has comes without its hotkey: two rows cannot own one
// combination. Combinations are compared, not texts, so "CTRL + ALT + P" matches
// "ALT + CTRL + P".
ImportCounts AppendImportedRows(ActionList& list, const std::vector<ActionRecord>& rows,
                                const CodePage& codePage);

// The messages of the two commands; `file` is the path as the user gave it.
inline constexpr const char* kActionsFileTitle = "Tessarin";
inline constexpr const char* kNothingToExportMessage = "Your list has no actions to export.";
std::string ExportDoneMessage(std::size_t count, std::string_view file);
std::string ExportFailedMessage(std::string_view file);
std::string ImportUnreadableMessage(std::string_view file);
std::string ImportRefusedMessage(const ActionsFileContent& content, std::string_view file);
std::string ImportQuestion(std::size_t count, std::string_view file);
std::string ImportDoneMessage(const ImportCounts& counts, std::string_view file);

}  // namespace tessarin
