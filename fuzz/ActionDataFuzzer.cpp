// SplitActionData (the editor's split of a data string) and SplitForExecution (the executor's)
// on any data string, and JoinActionData followed by the split.
//
// Invariants: both splits cut the string at the first quote from the second character on, keep
// the command part as written and the parameters as the string's tail after one dropped
// character; well-formed UTF-8 stays well-formed (the dropped character is a whole one); with a
// quote the two splits agree; and a quoted command joined with any parameters splits back into
// the same command and parameters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "actions/Executor.h"
#include "model/ActionData.h"

namespace {

using namespace tessarin;

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

void CheckSplits(std::string_view data) {
    const SplitData editor = SplitActionData(data);
    const ExecutorSplit executor = SplitForExecution(data);
    const bool wellFormed = fuzz::IsValidUtf8(data);
    const std::size_t quote = data.empty() ? std::string_view::npos : data.find('"', 1);

    if (quote == std::string_view::npos) {
        std::string unquoted;
        for (const char c : data) {
            if (c != '"') {
                unquoted += c;
            }
        }
        FUZZ_CHECK(editor.Command == unquoted);
        FUZZ_CHECK(editor.Parameters.empty());
        FUZZ_CHECK(executor.CommandPart.empty());
        // The executor drops the first character and keeps the rest as parameters.
        FUZZ_CHECK(data.empty() || executor.ParameterPart.size() < data.size());
        FUZZ_CHECK(EndsWith(data, executor.ParameterPart));
        FUZZ_CHECK(data.size() - executor.ParameterPart.size() <= 4);
        if (wellFormed) {
            FUZZ_CHECK(fuzz::IsValidUtf8(executor.ParameterPart));
        }
        return;
    }

    FUZZ_CHECK(editor.Command == data.substr(0, quote + 1));
    FUZZ_CHECK(EndsWith(data, editor.Parameters));
    const std::size_t dropped = data.size() - editor.Command.size() - editor.Parameters.size();
    FUZZ_CHECK(editor.Command.size() + editor.Parameters.size() <= data.size());
    FUZZ_CHECK(quote + 1 == data.size() ? dropped == 0 : (dropped >= 1 && dropped <= 4));
    if (wellFormed) {
        FUZZ_CHECK(fuzz::IsValidUtf8(editor.Command));
        FUZZ_CHECK(fuzz::IsValidUtf8(editor.Parameters));
        // The dropped separator is exactly one character.
        const std::string_view separator = data.substr(quote + 1, dropped);
        FUZZ_CHECK(fuzz::IsValidUtf8(separator));
    }
    FUZZ_CHECK(executor.CommandPart == editor.Command);
    FUZZ_CHECK(executor.ParameterPart == editor.Parameters);
}

// The input up to its first line break is the program (its quotes removed), the rest the
// parameters.
void CheckJoinThenSplit(std::string_view input) {
    const std::size_t lineBreak = input.find('\n');
    if (lineBreak == std::string_view::npos) {
        return;
    }
    std::string program;
    for (const char c : input.substr(0, lineBreak)) {
        if (c != '"') {
            program += c;
        }
    }
    if (program.empty()) {
        return;
    }
    const std::string command = '"' + program + '"';
    const std::string_view parameters = input.substr(lineBreak + 1);
    const std::string joined = JoinActionData(command, parameters);
    FUZZ_CHECK(joined == command + ' ' + std::string(parameters));

    const SplitData editor = SplitActionData(joined);
    FUZZ_CHECK(editor.Command == command);
    FUZZ_CHECK(editor.Parameters == parameters);
    const ExecutorSplit executor = SplitForExecution(joined);
    FUZZ_CHECK(executor.CommandPart == command);
    FUZZ_CHECK(executor.ParameterPart == parameters);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = tessarin::fuzz::AsText(data, size);
    CheckSplits(input);
    CheckJoinThenSplit(input);
    return 0;
}
