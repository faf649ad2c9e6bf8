// Windows' splitting rules and the UTF-8 the command-line modes compare and write with.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "cli/command_line_win32.h"

namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLine, SplitsByWindowsRulesIntoUtf8) {
    struct Case { const wchar_t* line; Arguments expected; };
    const Case cases[] = {
        {L"lumibox.exe", {"lumibox.exe"}},
        {L"C:\\Tools\\lumibox.exe --send --value 10", {"C:\\Tools\\lumibox.exe", "--send", "--value", "10"}},
        {L"\"C:\\Program Files\\lumibox.exe\" --listen", {"C:\\Program Files\\lumibox.exe", "--listen"}},
        {L"x --output \"my capture.json\"", {"x", "--output", "my capture.json"}},
        {L"x --ready-file \"\"", {"x", "--ready-file", ""}},
        {L"x a\\\\\\\"b \"c\\\\\"", {"x", "a\\\"b", "c\\"}},  // backslashes before quotes
        {L"x   --send\t\t--pulse  30 ", {"x", "--send", "--pulse", "30"}},
        {L"x --export-icon \u00C4rger\u2192.ico", {"x", "--export-icon", "\xC3\x84rger\xE2\x86\x92.ico"}},
        {L"x --output \U0001F3B9.json", {"x", "--output", "\xF0\x9F\x8E\xB9.json"}},  // a surrogate pair
        {L"x --midi-LIST", {"x", "--midi-LIST"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(splitCommandLine(cases[i].line), cases[i].expected) << "case " << i;
    }
}

TEST(CommandLine, TheProcessLineStartsWithTheProgram) {
    const Arguments arguments = processArguments();
    ASSERT_FALSE(arguments.empty());
    EXPECT_NE(arguments[0].find("cli_unit_tests"), std::string::npos) << arguments[0];
}

}  // namespace
