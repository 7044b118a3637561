// The real program, headless, as a user runs it with the central played by the test, or with --demo
// and standard input: what only a running process shows.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "emulator_program.h"

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
    // Headless, the window module and the widget and GUI libraries are never loaded.
    const std::string maps = ReadFile("/proc/" + std::to_string(program.Pid()) + "/maps");
    ASSERT_NE(maps.find("libQt6SerialPort"), std::string::npos) << maps;
    for (const char* library : {"libQt6Widgets", "libQt6Gui", "espa-emulator-window"}) {
        EXPECT_EQ(maps.find(library), std::string::npos) << library;
    }

    const std::string call = Fields({{'1', "1234"}, {'2', "Caf\xE9"}, {'3', "2"}});
    std::string damaged = Block('1', call);
    damaged.back() = static_cast<char>(damaged.back() ^ 0x01);
    std::vector<Turn> script = CallAndStatus(call, "4");
    script.insert(script.end(),
                  {{"select", kSelect, Ch(ACK)},
                   {"status request for nobody", Block('3', Field('1', "999")), Ch(NAK)},
                   {"select", kSelect, Ch(ACK)},
                   {"call with a wrong check character", damaged, Ch(NAK)},
                   {"poll with nothing owed", kPoll, Ch(EOT)}});
    Play(line, script);
    // On screen 8-bit text reads as UTF-8; in the files it stays the byte that came.
    EXPECT_TRUE(program.WaitForOutput("Call (SOH1) to pager: [1234] Info: [Caf\xC3\xA9] Bleep: [2]",
                                      kDeadline))
        << program.Stdout();
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
    EXPECT_EQ(Count(program.Stdout(), "Comport closed by software."), 1);

    const std::string log = emulator.Log();
    for (const char* logged :
         {kOpenedLine, "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.",
          "Call (SOH1) to pager: [1234] Info: [Caf\xE9] Bleep: [2]",
          "StatusSend ABSENT for Adres [1234]", "DEBUG: StatusRequest for Pager [999] Not found!",
          "DEBUG: Error in Checksum, NACK sent", "Comport closed by software."}) {
        EXPECT_NE(log.find(std::string(logged) + "\r\n"), std::string::npos) << logged << " in\n"
                                                                             << log;
    }
    const std::string trace = ReadLogFolder(emulator.dir.path() / "DebugLog");
    EXPECT_EQ(Count(trace, "TxD: [ACK] 6     0x06  \r\n"),
              std::ranges::count(script, Ch(ACK), &Turn::answer));
}

// What reaches main() on the command line: the version the build defines, or one error line.
TEST(HeadlessRun, CommandLineIsAnsweredWithItsExitStatus) {
    TempDir dir;
    const std::vector<std::string> headless{"--headless", "--app-dir", dir.path().string()};
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out, err;
    } cases[] = {
        // clang-format off
        {{"--version"}, 0, std::string("espa-emulator ") + ESPA_VERSION_TEXT + "\n", ""},
        {{"--status", "lost"}, 2, "", "Unknown --status: lost"},
        {{"--demo", "--capture", dir.path().string() + "/no/line.pcap"}, 2, "",
         "cannot create " + dir.path().string() + "/no/line.pcap: No such file or directory"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        std::vector<std::string> arguments = headless;
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ProgramResult run = RunToEnd(kEmulator, arguments, kDeadline);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err.empty() ? "" : "espa-emulator: " + c.err + "\n");
    }
}

TEST(ConsoleRun, DemoFollowsTheCommandsOnStandardInputAndReportsInJson) {
    EmulatorRun emulator({"--demo", "--json"}, {.logfile = 0, .inputPipe = true});
    ChildProcess& program = emulator.process;
    program.WriteInput("frobnicate\nstatus absent\n");
    EXPECT_TRUE(program.WaitForOutput(
        "Demo central: status ABSENT (code 4) received for pager [1001].", kDeadline))
        << program.Stdout();
    const std::string& out = program.Stdout();
    const std::size_t stored = out.find(R"({"event":"call_stored")");
    ASSERT_NE(stored, std::string::npos) << out;
    EXPECT_LT(out.find(R"("pager":"1001")", stored), out.find('\n', stored)) << out;
    EXPECT_EQ(program.Stderr(), "espa-emulator: unknown command 'frobnicate' (try: help)\n");
    program.WriteInput("quit\n");
    EXPECT_EQ(program.WaitForExit(kDeadline), 0);
    EXPECT_NE(program.Stdout().find("\n{\"event\":\"port_closed\""), std::string::npos);
}

// Dialling out or listening, a central is served again after its link drops.
TEST(NetworkRun, CentralIsServedOverTcpDialledOrDialledInAndAgainAfterTheLinkDrops) {
    for (const bool listen : {false, true}) {
        SCOPED_TRACE(listen);
        TcpListener central;
        const int port = listen ? FreeLoopbackPort() : central.Port();
        const std::string address = "127.0.0.1:" + std::to_string(port);
        EmulatorRun emulator({"--port", (listen ? "Com1=tcp-listen://" : "Com1=tcp://") + address});
        ChildProcess& program = emulator.process;
        ASSERT_TRUE(!listen ||
                    program.WaitForOutput("waiting for a central on " + address, kDeadline));
        const std::string linked = listen ? "Central connected from 127.0.0.1:"
                                          : "Connected to the central at " + address + ".";
        const std::string lost =
            listen ? " disconnected; waiting for the next."
                   : "ERROR: Connection to the central at " + address + " lost; reconnecting.";
        for (int round = 1; round <= 2; ++round) {
            auto link = listen ? TcpLink::Connect(port) : central.Accept(kDeadline);
            ASSERT_NE(link, nullptr) << program.Stdout();
            Play(*link, CallAndStatus(Fields({{'1', "4711"}, {'2', "Net call"}}), "3"));
            EXPECT_TRUE(program.WaitForOutput(linked, kDeadline, round)) << program.Stdout();
            link->Close();
            ASSERT_TRUE(program.WaitForOutput(lost, kDeadline, round)) << program.Stdout();
        }
        EXPECT_EQ(program.Stop(SIGINT, kDeadline), 0);
    }
}

// Com1 as a link in the application folder to a pty, as a user points it at an adapter: the line
// goes away and comes back as a new pty behind the same link.
TEST(PortReturnRun, LineThatComesBackBehindTheLinkIsServedAgainWithItsCallsKept) {
    auto line = std::make_unique<PtyPair>();
    EmulatorRun emulator({}, {.logfile = 2, .com1Link = line->SlavePath().c_str()});
    ChildProcess& program = emulator.process;
    const std::filesystem::path link = emulator.dir.path() / "Com1";
    ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline)) << program.Stdout();
    const std::string call = Fields({{'1', "4711"}, {'2', "Back"}});
    Play(*line, {{"select", kSelect, Ch(ACK)}, {"call", Block('1', call), Ch(ACK)}});

    line->Hangup();
    std::filesystem::remove(link);
    ASSERT_TRUE(program.WaitForOutput("ERROR: Comport lost.", kDeadline)) << program.Stdout();
    const std::string atLoss = program.Stdout();
    // Nothing to wait for but time: the program retries once a second while the device is away,
    // and must do so quietly. The window holds two retries.
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_EQ(program.Stdout(), atLoss) << "the retries printed something";

    line = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(line->SlavePath(), link);
    ASSERT_TRUE(program.WaitForOutput(kOpenedLine, kDeadline, 2)) << program.Stdout();
    // The call stored before the loss is still owed its status.
    Play(*line, {{"poll", kPoll, std::string("1") + ENQ},
                 {"take the select", Ch(ACK), Block('2', call + RS + Field('7', "3"))},
                 {"acknowledge the transfer", Ch(ACK), Ch(EOT)}});
    EXPECT_EQ(program.Stop(SIGTERM, kDeadline), 0);
    const std::string log = emulator.Log();
    EXPECT_EQ(Count(log, "ERROR: Comport lost.\r\n"), 1) << log;
    EXPECT_EQ(log.find("Error opening ComPort"), std::string::npos) << log;
}

}  // namespace
}  // namespace espa::test
