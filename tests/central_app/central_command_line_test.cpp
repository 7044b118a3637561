// The real espa-central on its own: refused starts, help, a silent line, a lost line, Ctrl-C.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include "central_harness.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

// Refused by the option parser, by a device, by a TCP host: status 2, one error line, nothing
// sent. The option texts themselves are the unit suite's.
TEST(CentralProgram, StartIsRefusedWithOneLineOrHelpIsShown) {
    const std::string tcp = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    const struct {
        std::vector<std::string> args;  // "PTY" stands for a pty that exists
        std::string says;               // refused: the error line after "espa-central: "
    } cases[] = {
        {{"--port", "PTY", "--call", "1", "--bogus"}, "Unknown option 'bogus'."},
        {{"--port", "/dev/espa-no-such-device", "--call", "1"},
         "cannot open /dev/espa-no-such-device: "},
        {{"--port", "/dev/null", "--call", "1"}, "cannot open /dev/null: "},
        {{"--port", tcp, "--call", "1"}, "cannot connect to " + tcp + ": "},
        {{"--help"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        PtyPair pty;
        std::vector<std::string> args = c.args;
        std::replace(args.begin(), args.end(), std::string("PTY"), pty.SlavePath());
        const ProgramResult run = RunToEnd(kCentral, args, kDeadline);
        if (c.says.empty()) {
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_NE(run.out.find("--call 1001 --text \"Ward 3\" --beep 2 --call 1002"),
                      std::string::npos)
                << run.out;
            EXPECT_NE(run.out.find("--status-request <ADDRESS>"), std::string::npos);
            continue;
        }
        EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
        EXPECT_EQ(run.out, "");
        const auto lines = Lines(run.err);
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_EQ(lines[0].rfind("espa-central: " + c.says, 0), 0u) << lines[0];
        EXPECT_EQ(pty.ReadFor(20ms), "");
    }
}

// The central gives up at the first silence instead of waiting out every call.
TEST(CentralProgram, SilentLineFailsTheRunAfterTheTimeout) {
    PtyPair line;
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult run = RunToEnd(kCentral,
                                       {"--port", line.SlavePath(), "--json", "--timeout", "400",
                                        "--call", "1001", "--call", "1002"},
                                       kDeadline);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    const std::string event =
        R"({"event":"no-answer","fields":{"1":"1001"},"detail":"ACK of the select","ms":)";
    ASSERT_EQ(run.out.rfind(event, 0), 0u) << run.out;
    EXPECT_GE(std::stoi(run.out.substr(event.size())), 400);
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
    EXPECT_EQ(line.ReadFor(50ms), std::string("1\x05"
                                              "2\x05"));
}

TEST(CentralProgram, LostLineEndsTheRunWithFailure) {
    PtyPair line;
    ChildProcess central(kCentral,
                         {"--port", line.SlavePath(), "--timeout", "60000", "--call", "1001"});
    ASSERT_EQ(line.Read(2, kDeadline), std::string("1\x05"));  // waiting for the answer now
    line.Hangup();
    EXPECT_EQ(central.WaitForExit(kDeadline), 1) << central.Stdout() << central.Stderr();
    EXPECT_NE(central.Stderr().find("espa-central: line lost:"), std::string::npos)
        << central.Stderr();
}

TEST(CentralProgram, InterruptedEndlessPollingEndsWithTheRunsVerdict) {
    NullModem line;
    EmulatorOnLine emulator(Mode::Philips, "paged", line.PathB());
    ChildProcess central(kCentral,
                         {"--port", line.PathA(), "--poll-interval", "50", "--call", "1001"});
    ASSERT_TRUE(central.WaitForOutput("poll-empty", kDeadline)) << central.Stdout();
    EXPECT_EQ(central.Stop(SIGINT, kDeadline), 0) << central.Stderr();
    EXPECT_EQ(Lines(central.Stdout()).at(0), "call-accepted: address [1001]");
}

}  // namespace
}  // namespace espa::test
