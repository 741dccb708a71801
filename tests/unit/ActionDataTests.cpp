#include "model/ActionData.h"

#include <gtest/gtest.h>

#include <string>

namespace tessarin {
namespace {

struct JoinCase {
    const char* Name;
    std::string Command;
    std::string Parameters;
    std::string Data;
};

TEST(JoinActionData, CollapsesQuotePairsAndAlwaysWritesTheSeparator) {
    const JoinCase cases[] = {
        {"quoted program with parameters", R"("C:\Tools\app.exe")", "-x",
         R"("C:\Tools\app.exe" -x)"},
        {"doubled quotes from an edited command", R"(""C:\My Files\a.exe"")", "",
         R"("C:\My Files\a.exe" )"},
        {"nothing at all", "", "", " "},
        {"three quotes become two", R"(""")", "", R"("" )"},
        {"five quotes become three", R"(""""")", "", R"(""" )"},
        {"pairs inside the text", R"(a""b""c)", "", R"(a"b"c )"},
        {"parameters are left alone", "cmd", R"(say ""hi"")", R"(cmd say ""hi"")"},
        {"no pair across the separator", R"("a")", R"("b")", R"("a" "b")"},
        {"blank command keeps its blanks", "  ", "p", "   p"},
        {"multi-byte text passes through", "\"C:\\\xC3\xA9t\xC3\xA9\\\xE2\x82\xAC.exe\"",
         "\xF0\x9F\x98\x80", "\"C:\\\xC3\xA9t\xC3\xA9\\\xE2\x82\xAC.exe\" \xF0\x9F\x98\x80"},
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(JoinActionData(c.Command, c.Parameters), c.Data) << c.Name;
    }
}

struct SplitCase {
    const char* Name;
    std::string Data;
    std::string Command;
    std::string Parameters;
};

TEST(SplitActionData, SplitsAfterTheFirstQuoteFromPositionTwo) {
    const SplitCase cases[] = {
        {"quoted program with parameters", R"("C:\a.exe" -x)", R"("C:\a.exe")", "-x"},
        {"quoted program without separator", R"("C:\a.exe")", R"("C:\a.exe")", ""},
        {"parameters keep their own quotes and blanks", R"("a.exe"  "p q" )", R"("a.exe")",
         R"( "p q" )"},
        {"separator is not checked", R"("C:\a.exe"X-x)", R"("C:\a.exe")", "-x"},
        {"unquoted command swallows its parameters", "mailto:someone ", "mailto:someone ", ""},
        {"only quote is the first character", R"("C:\a.exe -x)", R"(C:\a.exe -x)", ""},
        {"empty data", "", "", ""},
        {"field-less action", " ", " ", ""},
        {"quote at position two", R"(x"y z)", R"(x")", " z"},
        {"paste text with a quote splits there", R"(say "hi" )", R"(say ")", R"(i" )"},
        {"quote after a multi-byte first character", "\xC3\xA9\"x y", "\xC3\xA9\"", " y"},
        // The separator dropped after the closing quote is one whole character.
        {"two-byte character", "\"a\"\xC3\xA9-x", "\"a\"", "-x"},
        {"four-byte character", "\"a\"\xF0\x9F\x98\x80-x", "\"a\"", "-x"},
        {"multi-byte character ends the data", "\"a\"\xF0\x9F\x98\x80", "\"a\"", ""},
        {"stray continuation byte counts alone", "\"a\"\x80-x", "\"a\"", "-x"},
        {"truncated sequence stops at the next character", "\"a\"\xE2\x82-x", "\"a\"", "-x"},
    };
    for (const SplitCase& c : cases) {
        const SplitData split = SplitActionData(c.Data);
        EXPECT_EQ(split.Command, c.Command) << c.Name;
        EXPECT_EQ(split.Parameters, c.Parameters) << c.Name;
    }
}

}  // namespace
}  // namespace tessarin
