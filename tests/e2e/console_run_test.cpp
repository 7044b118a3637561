// The real program, headless, playing its own central with --demo and driven through its
// standard input: the wiring between them. Each command and each JSON field is the console and
// JSON suites'.
#include <gtest/gtest.h>

#include <sstream>

#include "emulator_program.h"

namespace espa::test {
namespace {

// The first JSON line printed for `event`.
std::string JsonLine(const std::string& output, const std::string& event) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("{\"event\":\"" + event + "\"", 0) == 0) {
            return line;
        }
    }
    return "";
}

TEST(ConsoleRun, DemoFollowsTheCommandsOnStandardInputAndReportsInJson) {
    EmulatorRun emulator({"--demo", "--json"}, {.logfile = 0, .inputPipe = true});
    ChildProcess& program = emulator.process;
    program.WriteInput("frobnicate\nstatus absent\n");
    EXPECT_TRUE(program.WaitForOutput(
        "Demo central: status ABSENT (code 4) received for pager [1001].", kDeadline))
        << program.Stdout();
    const std::string stored = JsonLine(program.Stdout(), "call_stored");
    EXPECT_NE(stored.find("\"pager\":\"1001\""), std::string::npos) << program.Stdout();
    EXPECT_EQ(program.Stderr(), "espa-emulator: unknown command 'frobnicate' (try: help)\n");

    program.WriteInput("quit\n");
    EXPECT_EQ(program.WaitForExit(kDeadline), 0);
    EXPECT_NE(JsonLine(program.Stdout(), "port_closed"), "") << program.Stdout();
}

}  // namespace
}  // namespace espa::test
