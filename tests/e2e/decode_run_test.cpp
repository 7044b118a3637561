// --decode on the real program: frames and hints on standard output, as text and as JSON objects.
#include <csignal>
#include <regex>

#include "emulator_program.h"

namespace espa::test {
namespace {

using namespace frames;

TEST(DecodeRun, PrintsTheFramesAndNamesAWrongCheckRule) {
    const std::tuple<std::vector<std::string>, const char*, const char*> cases[] = {
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
    for (const auto& [options, frame, hint] : cases) {
        SCOPED_TRACE(options.back());
        PtyPair line;
        EmulatorRun run(options, {.com1Link = line.SlavePath().c_str()});
        ASSERT_TRUE(run.process.WaitForOutput(kOpenedLine, kDeadline)) << run.process.Stdout();
        Play(line,
             {{"call", kSelect + CallBlock({{'1', "1234"}, {'2', "Ward 3"}}), {ACK, ACK}},
              {"bad call", kSelect + CheckFlipped(CallBlock({{'1', "1"}}), SOH), {ACK, NAK}},
              {"bad call", kSelect + CheckFlipped(CallBlock({{'1', "22"}}), SOH), {ACK, NAK}}});
        EXPECT_TRUE(run.process.WaitForOutput("SOH included", kDeadline)) << run.process.Stdout();
        EXPECT_EQ(run.process.Stop(SIGTERM, kDeadline), 0);
        for (const char* pattern : {frame, hint}) {
            EXPECT_TRUE(std::regex_search(run.process.Stdout(), std::regex(pattern))) << pattern;
        }
    }
}

}  // namespace
}  // namespace espa::test
