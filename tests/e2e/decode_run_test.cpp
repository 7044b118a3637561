// --decode on the real program: the line's frames and the doctor's hints on standard output, as
// text and as JSON objects. What each frame and hint says is the line suite's.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>

#include "emulator_program.h"
#include "line_ends.h"

namespace espa::test {
namespace {

using namespace frames;

TEST(DecodeRun, PrintsTheFramesAndNamesAWrongCheckRule) {
    struct Case {
        std::vector<std::string> options;
        const char* frame;  // a line of standard output matches these
        const char* hint;
    };
    const Case cases[] = {
        {{"--decode"},
         R"(\n\d\d:\d\d:\d\d\.\d{3} C->P call 1234 "Ward 3", check right, after \d+ ms\n)",
         R"(\nHINT: The central computes its check character with SOH included: .* \[01 31 02 )"
         R"(31 1F 32 32 03 [0-9A-F]{2}\]\n)"},
        {{"--decode", "--json"},
         R"(\n\{"event":"frame","time":"[-0-9T:.]+","direction":"C->P","kind":"block",)"
         R"("bytes":"01 31 02 31 1F 31 32 33 34 1E 32 1F 57 61 72 64 20 33 03 [0-9A-F]{2}",)"
         R"("type":"1","fields":\[\{"id":"1","value":"1234"\},\{"id":"2","value":"Ward 3"\}\],)"
         R"("check":"right","gap_ms":\d+\}\n)",
         R"(\n\{"event":"hint","time":"[-0-9T:.]+","cause":"check_rule","text":"The central )"
         R"(computes its check character with SOH included: [^"]*","evidence":"01 31 02 31 1F )"
         R"(32 32 03 [0-9A-F]{2}"\}\n)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.back());
        PtyPair line;
        std::vector<std::string> arguments{"--port", "Com1=" + line.SlavePath()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        EmulatorRun emulator(arguments);
        ChildProcess& program = emulator.process;
        ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline)) << program.Stdout();
        Play(line, {{"select", kSelect, Ch(ACK)},
                    {"call", Block('1', Fields({{'1', "1234"}, {'2', "Ward 3"}})), Ch(ACK)},
                    {"select", kSelect, Ch(ACK)},
                    {"bad call", CheckFlipped(Block('1', Field('1', "1")), SOH), Ch(NAK)},
                    {"select", kSelect, Ch(ACK)},
                    {"bad call", CheckFlipped(Block('1', Field('1', "22")), SOH), Ch(NAK)}});
        EXPECT_TRUE(program.WaitForOutput("SOH included", kDeadline)) << program.Stdout();
        EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
        EXPECT_TRUE(std::regex_search(program.Stdout(), std::regex(c.frame))) << program.Stdout();
        EXPECT_TRUE(std::regex_search(program.Stdout(), std::regex(c.hint))) << program.Stdout();
    }
}

}  // namespace
}  // namespace espa::test
