// The core's text rules on any bytes.
//
// SplitActionData (the editor's split of a data string) and SplitForExecution (the executor's):
// with a quote from the second character on, both splits give the head up to that quote as the
// command and the same tail as the parameters; without one the editor gives no quotes and no
// parameters, the executor no command. Between head and tail one character is dropped: a lead
// byte and only its continuation bytes, none when the quote ends the string.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "actions/Executor.h"
#include "model/ActionData.h"

// A broken invariant is a finding like a crash: name it, then trap so that libFuzzer keeps the
// input.
#define FUZZ_CHECK(condition)                                                               \
    ((condition) ? void()                                                                   \
                 : (std::fprintf(stderr, "\n*** invariant failed at %s:%d: %s\n", __FILE__, \
                                 __LINE__, #condition),                                     \
                    __builtin_trap()))

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view data{reinterpret_cast<const char*>(bytes), size};
    const SplitData editor = SplitActionData(data);
    const ExecutorSplit executor = SplitForExecution(data);
    const std::size_t quote = data.empty() ? std::string_view::npos : data.find('"', 1);
    const std::size_t head = quote == std::string_view::npos ? 0 : quote + 1;
    FUZZ_CHECK(head != 0 || (editor.Command.find('"') == std::string::npos &&
                             editor.Parameters.empty() && executor.CommandPart.empty()));
    FUZZ_CHECK(head == 0 ||
               (editor.Command == data.substr(0, head) && executor.CommandPart == editor.Command &&
                executor.ParameterPart == editor.Parameters));
    const std::string_view tail = executor.ParameterPart;
    FUZZ_CHECK(tail.size() <= data.size() - head && data.ends_with(tail));
    const std::string_view dropped = data.substr(head, data.size() - head - tail.size());
    FUZZ_CHECK(dropped.size() <= 4 && dropped.empty() == (head == data.size()));
    for (std::size_t i = 1; i < dropped.size(); ++i) {
        FUZZ_CHECK((static_cast<unsigned char>(dropped[i]) & 0xC0) == 0x80);
    }
    return 0;
}
