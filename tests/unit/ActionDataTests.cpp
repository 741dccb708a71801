#include "model/ActionData.h"

#include <gtest/gtest.h>

#include "actions/Executor.h"

namespace tessarin {
namespace {

TEST(JoinActionData, CollapsesQuotePairsInTheCommandAndAlwaysWritesTheSeparator) {
    const struct {
        std::string Command, Parameters, Data;
    } cases[] = {
        {"", "", " "},
        {R"(a""b""""c)", "", R"(a"b""c )"},
        {"cmd", R"(say ""hi"")", R"(cmd say ""hi"")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinActionData(c.Command, c.Parameters), c.Data) << c.Command;
    }
}

// Both readings cut after the first quote from the second character on and drop the one
// character after it. Without such a quote the editor takes the whole string, less its quotes,
// for the command; the executor takes all but the first character for the parameters.
TEST(SplitActionData, CutsAfterTheFirstQuoteFromTheSecondCharacterOn) {
    const struct {
        std::string Data, Command, Parameters, ExecutorParameters;
    } cases[] = {
        {R"("C:\a.exe"  "p q" )", R"("C:\a.exe")", R"( "p q" )", ""},
        {R"(x"y z)", R"(x")", " z", ""},
        {"\"a\"\xF0\x9F\x98\x80-x", "\"a\"", "-x", ""},
        {"\"a\"\x80\x80-x", "\"a\"", "\x80-x", ""},
        {R"("C:\a.exe -x)", R"(C:\a.exe -x)", "", R"(C:\a.exe -x)"},
        {"mailto:x ", "mailto:x ", "", "ailto:x "},
        {"\xC3\xA9mu", "\xC3\xA9mu", "", "mu"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        const SplitData split = SplitActionData(c.Data);
        EXPECT_EQ(split.Command, c.Command) << c.Data;
        EXPECT_EQ(split.Parameters, c.Parameters) << c.Data;
        const bool quoted = c.Data.find('"', 1) != std::string::npos;
        const ExecutorSplit executor = SplitForExecution(c.Data);
        EXPECT_EQ(executor.CommandPart, quoted ? c.Command : "") << c.Data;
        EXPECT_EQ(executor.ParameterPart, quoted ? c.Parameters : c.ExecutorParameters) << c.Data;
    }
}

}  // namespace
}  // namespace tessarin
