// The real program, headless, with Com1 on a pty and the central played by the test, or playing
// its own central with --demo and driven through standard input: what only a running process
// shows. Protocol cases one by one are the protocol suite's, each command and JSON field the
// console suite's.
#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

#include "emulator_program.h"
#include "line_script.h"
#include "pty_pair.h"

namespace espa::test {
namespace {

using namespace frames;

// Its standard input is /dev/null: an end of input that must not stop it.
TEST(HeadlessRun, AnswersTheCentralOnAPtyAndKeepsEveryLineInItsFiles) {
    PtyPair line;
    EmulatorRun emulator({"--port", "Com1=" + line.SlavePath(), "--status", "absent"},
                         {.logfile = 3});
    ChildProcess& program = emulator.process;
    ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline)) << program.Stdout();

    const std::string call = Fields({{'1', "1234"}, {'2', "Caf\xE9"}, {'3', "2"}});
    std::string damaged = Block('1', call);
    damaged.back() = static_cast<char>(damaged.back() ^ 0x01);
    std::vector<Turn> script = CallAndStatus(call, "4");
    script.insert(script.end(),
                  {{"select", Select(), Ch(ACK)},
                   {"status request for the call", Block('3', call), Ch(ACK)},
                   {"select", Select(), Ch(ACK)},
                   {"status request for nobody", Block('3', Field('1', "999")), Ch(NAK)},
                   {"select", Select(), Ch(ACK)},
                   {"call with a wrong check character", damaged, Ch(NAK)},
                   {"poll", Poll(), std::string("1") + ENQ},
                   {"take the select", Ch(ACK), Block('2', call + RS + Field('7', "4"))},
                   {"acknowledge the transfer", Ch(ACK), Ch(EOT)},
                   {"poll with nothing owed", Poll(), Ch(EOT)}});
    Play(line, script);
    // On screen 8-bit text reads as UTF-8; in the files it stays the byte that came.
    EXPECT_TRUE(program.WaitForOutput("Call (SOH1) to pager: [1234] Info: [Caf\xC3\xA9] Bleep: [2]",
                                      kDeadline))
        << program.Stdout();
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
    EXPECT_EQ(program.CountInOutput("Comport closed by software."), 1);

    const std::string log = emulator.Log();
    for (const char* logged :
         {kOpenedLine, "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.",
          "Call (SOH1) to pager: [1234] Info: [Caf\xE9] Bleep: [2]",
          "StatusSend ABSENT for Adres [1234]",
          "StatusRequest (SOH3) for Pager: [1234] found on Position  0",
          "DEBUG: StatusRequest for Pager [999] Not found!", "DEBUG: Error in Checksum, NACK sent",
          "Comport closed by software."}) {
        EXPECT_NE(log.find(std::string(logged) + "\r\n"), std::string::npos) << logged << " in\n"
                                                                             << log;
    }
    const std::string trace = ReadLogFolder(emulator.dir.path() / "DebugLog");
    EXPECT_NE(trace.find("RxD: " + std::string(18, ' ') + "[ENQ] 5     0x05  \r\n"),
              std::string::npos)
        << trace;
    int acks = 0;
    for (const Turn& turn : script) {
        acks += turn.answer == Ch(ACK) ? 1 : 0;
    }
    EXPECT_EQ(ChildProcess::CountOf(trace, "TxD: [ACK] 6     0x06  \r\n"), acks);
}

// What reaches main() on the command line: the version the build defines, and one line and exit
// status 2 for each refusal.
TEST(HeadlessRun, CommandLineIsAnsweredWithItsExitStatus) {
    struct Case {
        std::vector<std::string> arguments;
        std::string out;  // what standard output holds on success; a refusal prints nothing there
    };
    TempDir dir;
    const std::string folder = dir.path().string();
    for (const Case& c : std::vector<Case>{
             {{"--version"}, std::string("espa-emulator ") + ESPA_VERSION_TEXT + "\n"},
             {{"--help"}, "--headless"},
             {{"--headless", "--app-dir", folder, "--status", "lost"}, ""},
             {{"--headless", "--app-dir", folder, "--port", "Com1=tcp://host:70000"}, ""},
             {{"--demo", "--headless", "--app-dir", folder, "--port", "Com1=/dev/null"}, ""},
             {{"--demo", "--headless", "--app-dir", folder, "--capture", folder + "/no/line.pcap"},
              ""}}) {
        SCOPED_TRACE(c.arguments.back());
        const ProgramResult run = RunToEnd(EmulatorPath(), c.arguments, kDeadline);
        if (c.out.empty()) {
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err.rfind("espa-emulator: ", 0), 0u) << run.err;
            EXPECT_EQ(ChildProcess::CountOf(run.err, "\n"), 1) << run.err;
        } else {
            EXPECT_EQ(run.exitCode, 0) << run.err;
            EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
            EXPECT_EQ(run.err, "");
        }
    }
}

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
