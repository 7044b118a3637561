#include "console_commands.h"

#include <sstream>

#include "common/emulator_report.h"
#include "console_view.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

using Outcome = ConsoleCommands::Outcome;

class ConsoleCommandsTest : public ScriptedCentral {
  protected:
    ConsoleCommandsTest() { Start(Emulation::Philips, 0); }

    // Poll and take the status transfer through to its EOT; the pager it was for.
    std::string PollForStatus() {
        const std::string block = PollForStatusTransfer();
        EXPECT_EQ(AcknowledgeTransfer(), Ch(EOT));
        const std::size_t pager = block.find(std::string("1") + US) + 2;
        return block.substr(pager, block.find(RS, pager) - pager);
    }
    static std::string Take(std::ostringstream& stream) { return std::exchange(stream, {}).str(); }

    std::ostringstream screen, out, err;
    ConsoleView console{"PAGED", screen};
    EmulatorReport report{emulator, false, [](int) { return std::string(); }};
    ConsoleCommands commands{emulator, console, out, err, &report};
};

// Each line on its own, in order, with a call at position 0 still waiting for its status.
TEST_F(ConsoleCommandsTest, EachLineWritesItsAnswerOrOneErrorLine) {
    // The line, its outcome, standard output and error.
    const std::tuple<std::string, Outcome, std::string, std::string> cases[] = {
        // clang-format off
        {"status absent", Outcome::Done, "Status ABSENT selected.\n", ""},
        {"STATUS  Terminated ", Outcome::Done, "Status TERMINATED selected.\n", ""},
        {"status Queue", Outcome::Done, "Status QUEUE selected.\n", ""},
        {"Status PAGED", Outcome::Done, "Status PAGED selected.\n", ""},
        {" \t\r", Outcome::Done, "", ""},
        {"delete 0", Outcome::Failed, "", "position 0 still waits for its status; not deleted"},
        {"delete 5", Outcome::Failed, "", "position 5 is empty"},
        {"jump", Outcome::Failed, "", "unknown command 'jump' (try: help)"},
        {std::string("go\x1B[2J now", 10), Outcome::Failed, "", "unknown command 'go[ESC][2J' (try: help)"},
        {"status lost", Outcome::Failed, "", "usage: status paged|absent|queue|terminated"},
        {"delete", Outcome::Failed, "", "usage: delete N, N a position 0-9"},
        {"delete 12", Outcome::Failed, "", "usage: delete N, N a position 0-9"},
        {"calls all", Outcome::Failed, "", "'calls' takes no argument"},
        {"status-plan 1*=Queue:1,absent", Outcome::Done, "Status plan 1: 1*=queue:1,absent\n", ""},
        {"status-plan queue:2", Outcome::Failed, "",
         "status-plan: 'queue:2' is the last step and holds from then on: leave out its length"},
        {"status-plan", Outcome::Done, "Status plan 1: 1*=queue:1,absent\n", ""},
        {"status-plan CLEAR", Outcome::Done, "Status plans cleared.\n", ""},
        {"status-plan", Outcome::Done, "No status plan: the chosen status is reported.\n", ""},
        {"faults", Outcome::Done, "No faults.\n", ""},
        {"fault nak-block:0", Outcome::Failed, "", "nak-block needs a count above 0: \"nak-block:0\""},
        {"fault drop-line:500", Outcome::Failed, "", "drop-line needs a TCP line (--port ComN=tcp://HOST:PORT or tcp-listen://[HOST]:PORT); this port is not one"},
        {"fault at exchange 9 silent:100", Outcome::Done, "Fault at exchange 9 silent:100 set.\n", ""},
        {"fault delay:25", Outcome::Done, "Fault delay:25 set.\n", ""},
        {"faults", Outcome::Done, "waiting: at exchange 9 silent:100\nacting: delay:25\ntaken: delay:25: every byte sent from now on goes out 25 ms late\n", ""},
        {"fault clear", Outcome::Done, "Faults cleared.\n", ""},
        {"faults now", Outcome::Failed, "", "'faults' takes no argument"},
        {"Central-Make  Acme \xC3\xA9", Outcome::Done, "Report header: central-make [Acme \xC3\xA9].\n", ""},
        {"report run.html", Outcome::Failed, "",
         "report: this run keeps no figures: start it with --report FILE.html"},
        {"QUIT", Outcome::Quit, "", ""},
        // clang-format on
    };
    StoreCall("A");
    std::string selected = "PAGED";
    for (const auto& [line, outcome, written, error] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(commands.Execute(line), outcome);
        EXPECT_EQ(Take(out), written);
        EXPECT_EQ(Take(err), error.empty() ? "" : "espa-emulator: " + error + "\n");
        if (written.ends_with(" selected.\n")) {
            selected = written.substr(7, written.find(' ', 7) - 7);
        }
        EXPECT_EQ(console.GetSelectedStatus(), selected);
    }
    EXPECT_EQ(PollForStatus(), "A");
    EXPECT_EQ(report.Header().centralMake, "Acme \xE9");
    EXPECT_EQ(commands.Execute("help"), Outcome::Done);
    const std::string help = Take(out);
    for (const char* command :
         {"status paged|absent|queue|terminated", "status-plan [PLAN|clear]", "delete N", "clear",
          "calls", "fault [WHEN] SPEC", "fault clear", "faults", "report FILE.html", "quit"}) {
        EXPECT_NE(help.find("\n  " + std::string(command) + " "), std::string::npos) << command;
    }
}

// Where the current call goes is the engine's; clear leaves nothing owed.
TEST_F(ConsoleCommandsTest, CallsListsTheOccupiedPositionsDeleteAndClearEmptyThem) {
    EXPECT_EQ(commands.Execute("calls"), Outcome::Done);
    EXPECT_EQ(Take(out), "No calls stored.\n");
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}})), Ch(ACK));
    EXPECT_EQ(PollForStatus(), "1234");  // PAGED: answered, deletable
    ASSERT_EQ(
        SendBlock(CallBlock({{'1', "77"}, {'2', "Caf\xE9"}, {'4', "1"}, {'5', "3"}, {'6', "9"}})),
        Ch(ACK));
    EXPECT_EQ(commands.Execute("calls"), Outcome::Done);
    EXPECT_EQ(Take(out),
              "Position 0: PAGED [1234] Info: [Hello] Bleep: [2]\n"
              "Position 1: NIEUW [77] Info: [Caf\xC3\xA9] Calltype: [1] NrOfTx: [3] Priority: [9] "
              "pending\n");
    EXPECT_EQ(commands.Execute("delete 0"), Outcome::Done);
    EXPECT_EQ(Take(out), "Position 0 deleted.\n");
    EXPECT_NE(table()[0].Adres, "1234");
    EXPECT_EQ(commands.Execute("clear"), Outcome::Done);
    EXPECT_EQ(Take(out), "All positions cleared.\n");
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_EQ(Poll(), Ch(EOT));
}

}  // namespace
}  // namespace espa::test
