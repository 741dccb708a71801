// SplitActionData (the editor's split of a data string) and SplitForExecution (the executor's)
// on any bytes, and JoinActionData followed by both splits.
//
// Invariants: with a quote from the second character on, both splits give the head up to that
// quote as the command and the tail as the parameters; without one the editor gives the string
// without its quotes and the executor the tail. Between head and tail one character is dropped:
// a lead byte and only its continuation bytes, none when the quote ends the string. A quoted
// program joined with any parameters (input: program, line break, parameters) splits back into
// the same two.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "actions/Executor.h"
#include "model/ActionData.h"
#include "model/Text.h"

namespace {

using namespace tessarin;

void CheckSplits(std::string_view data) {
    const SplitData editor = SplitActionData(data);
    const ExecutorSplit executor = SplitForExecution(data);
    const std::size_t quote = data.empty() ? std::string_view::npos : data.find('"', 1);
    const std::size_t head = quote == std::string_view::npos ? 0 : quote + 1;
    if (head == 0) {
        FUZZ_CHECK(editor.Command.find('"') == std::string::npos && editor.Parameters.empty());
        FUZZ_CHECK(executor.CommandPart.empty());
    } else {
        FUZZ_CHECK(editor.Command == data.substr(0, head));
        FUZZ_CHECK(executor.CommandPart == editor.Command);
        FUZZ_CHECK(executor.ParameterPart == editor.Parameters);
    }
    const std::string_view tail = executor.ParameterPart;
    FUZZ_CHECK(tail.size() <= data.size() - head && data.ends_with(tail));
    const std::string_view dropped = data.substr(head, data.size() - head - tail.size());
    FUZZ_CHECK(dropped.size() <= 4 && dropped.empty() == (head == data.size()));
    for (std::size_t i = 1; i < dropped.size(); ++i) {
        FUZZ_CHECK((static_cast<unsigned char>(dropped[i]) & 0xC0) == 0x80);
    }
}

void CheckJoinThenSplit(std::string_view input) {
    const std::size_t lineBreak = input.find('\n');
    const std::string program = WithoutQuotes(input.substr(0, lineBreak));
    if (lineBreak == std::string_view::npos || program.empty()) {
        return;
    }
    const std::string command = '"' + program + '"';
    const std::string_view parameters = input.substr(lineBreak + 1);
    const std::string joined = JoinActionData(command, parameters);
    const SplitData editor = SplitActionData(joined);
    const ExecutorSplit executor = SplitForExecution(joined);
    FUZZ_CHECK(editor.Command == command && editor.Parameters == parameters);
    FUZZ_CHECK(executor.CommandPart == command && executor.ParameterPart == parameters);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckSplits(tessarin::fuzz::AsText(data, size));
    CheckJoinThenSplit(tessarin::fuzz::AsText(data, size));
    return 0;
}
