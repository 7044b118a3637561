// The real espa-central on its own: refused starts, help, a silent line, a lost line, Ctrl-C.
#include <gtest/gtest.h>

#include <csignal>

#include "central_harness.h"

namespace espa::test {
namespace {

// Status 2 and one error line for a refused option, device or TCP host; at the first silence the
// central gives up instead of waiting out every call. What reached the pty is checked too.
TEST(CentralProgram, EachStartEndsWithItsStatusAndReport) {
    const std::string tcp = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    const struct {
        std::vector<std::string> args;  // after --port and the pty unless they name a port
        int exitCode;
        std::string out, err, sent;  // out and err: how they start
    } cases[] = {
        // clang-format off
        {{"--call", "1", "--bogus"}, 2, "", "espa-central: Unknown option 'bogus'.\n", ""},
        {{"--port", "/dev/espa-no-such", "--call", "1"}, 2, "", "espa-central: cannot open /dev/espa-no-such: ", ""},
        {{"--port", "/dev/null", "--call", "1"}, 2, "", "espa-central: cannot open /dev/null: ", ""},
        {{"--port", tcp, "--call", "1"}, 2, "", "espa-central: cannot connect to " + tcp + ": ", ""},
        {{"--help"}, 0, "Usage:", "", ""},
        {{"--json", "--timeout", "400", "--call", "1001", "--call", "1002"}, 1,
         R"({"event":"no-answer","fields":{"1":"1001"},"detail":"ACK of the select","ms":)", "", "1\x05" "2\x05"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err + c.out);
        PtyPair pty;
        std::vector<std::string> args = c.args;
        if (args[0] != "--port") {
            args.insert(args.begin(), {"--port", pty.SlavePath()});
        }
        const ProgramResult run = RunToEnd(kCentral, args, kDeadline);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.out.starts_with(c.out) && run.out.empty() == c.out.empty()) << run.out;
        EXPECT_TRUE(run.err.starts_with(c.err) && Count(run.err, "\n") == (c.err.empty() ? 0 : 1))
            << run.err;
        EXPECT_EQ(pty.ReadFor(50ms), c.sent);
    }
}

TEST(CentralProgram, LostLineEndsTheRunWithFailure) {
    PtyPair line;
    ChildProcess central(kCentral,
                         {"--port", line.SlavePath(), "--timeout", "60000", "--call", "1001"});
    ASSERT_EQ(line.Read(2, kDeadline), "1\x05");  // waiting for the answer now
    line.Hangup();
    EXPECT_EQ(central.WaitForExit(kDeadline), 1) << central.Stdout() << central.Stderr();
    EXPECT_NE(central.Stderr().find("espa-central: line lost:"), std::string::npos);
}

// Without a call (a refused status request is an answer) nothing ends the polling.
TEST(CentralProgram, InterruptedEndlessPollingEndsWithTheRunsVerdict) {
    NullModem line;
    EmulatorRun emulator({"--port", "Com1=" + line.PathB()});
    ASSERT_TRUE(emulator.process.WaitForOutput(kOpenedLine, kDeadline));
    ChildProcess central(
        kCentral, {"--port", line.PathA(), "--poll-interval", "50", "--status-request", "1001"});
    ASSERT_TRUE(central.WaitForOutput("poll-empty", kDeadline)) << central.Stdout();
    EXPECT_EQ(central.Stop(SIGINT, kDeadline), 0) << central.Stderr();
    EXPECT_TRUE(central.Stdout().starts_with("status-request-refused: address [1001]\n"));
}

}  // namespace
}  // namespace espa::test
