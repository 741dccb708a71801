#include "model/ActionData.h"

#include <gtest/gtest.h>

#include "actions/Executor.h"

namespace tessarin {
namespace {

TEST(JoinActionData, CollapsesQuotePairsInTheCommandAndAlwaysWritesTheSeparator) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"", "", " "},
        {R"(a""b""""c)", "", R"(a"b""c )"},
        {"cmd", R"(say ""hi"")", R"(cmd say ""hi"")"},
    };
    for (const auto& [command, parameters, data] : cases) {
        EXPECT_EQ(JoinActionData(command, parameters), data) << command;
    }
}

// Both readings cut after the first quote from the second character on and drop the one
// character after it. Without such a quote the editor takes the whole string, less its quotes,
// for the command; the executor takes all but the first character for the parameters.
TEST(SplitActionData, CutsAfterTheFirstQuoteFromTheSecondCharacterOn) {
    // data, the editor's command and parameters, the executor's parameters without a quote
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {R"("C:\a.exe"  "p q" )", R"("C:\a.exe")", R"( "p q" )", ""},
        {R"(x"y z)", R"(x")", " z", ""},
        {"\"a\"\xF0\x9F\x98\x80-x", "\"a\"", "-x", ""},
        {"\"a\"\x80\x80-x", "\"a\"", "\x80-x", ""},
        {R"("C:\a.exe -x)", R"(C:\a.exe -x)", "", R"(C:\a.exe -x)"},
        {"mailto:x ", "mailto:x ", "", "ailto:x "},
        {"\xC3\xA9mu", "\xC3\xA9mu", "", "mu"},
        {"", "", "", ""},
    };
    for (const auto& [data, command, parameters, executorParameters] : cases) {
        const SplitData split = SplitActionData(data);
        EXPECT_EQ(split.Command, command) << data;
        EXPECT_EQ(split.Parameters, parameters) << data;
        const bool quoted = data.find('"', 1) != std::string::npos;
        const ExecutorSplit executor = SplitForExecution(data);
        EXPECT_EQ(executor.CommandPart, quoted ? command : "") << data;
        EXPECT_EQ(executor.ParameterPart, quoted ? parameters : executorParameters) << data;
    }
}

}  // namespace
}  // namespace tessarin
