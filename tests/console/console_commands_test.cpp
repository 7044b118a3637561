// The operator's commands of a run without a window, on an emulator driven tick by tick.
#include "console_commands.h"

#include <gtest/gtest.h>

#include <sstream>

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

    static std::string Take(std::ostringstream& stream) {
        const std::string text = stream.str();
        stream.str("");
        return text;
    }

    std::ostringstream screen, out, err;
    ConsoleView console{"PAGED", screen};
    ConsoleCommands commands{emulator, console, out, err};
};

TEST_F(ConsoleCommandsTest, StatusCommandChoosesEachStatusInAnyCase) {
    for (const auto& [line, word] : {std::pair{"status absent", "ABSENT"},
                                     {"STATUS  Terminated ", "TERMINATED"},
                                     {"status Queue", "QUEUE"},
                                     {"Status PAGED", "PAGED"}}) {
        EXPECT_EQ(commands.Execute(line), Outcome::Done) << line;
        EXPECT_EQ(console.GetSelectedStatus(), word);
        EXPECT_EQ(Take(out), "Status " + std::string(word) + " selected.\n");
    }
}

TEST_F(ConsoleCommandsTest, CallsListsOneLinePerOccupiedPosition) {
    EXPECT_EQ(commands.Execute("calls"), Outcome::Done);
    EXPECT_EQ(Take(out), "No calls stored.\n");
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}})), Ch(ACK));
    EXPECT_EQ(PollForStatus(), "1234");
    ASSERT_EQ(
        SendBlock(CallBlock({{'1', "77"}, {'2', "Caf\xE9"}, {'4', "1"}, {'5', "3"}, {'6', "9"}})),
        Ch(ACK));
    EXPECT_EQ(commands.Execute("calls"), Outcome::Done);
    EXPECT_EQ(Take(out),
              "Position 0: PAGED [1234] Info: [Hello] Bleep: [2]\n"
              "Position 1: NIEUW [77] Info: [Caf\xC3\xA9] Calltype: [1] NrOfTx: [3] Priority: "
              "[9] pending\n");
}

// Deleting an answered call above the current one moves the current call up a row; the next
// poll must still report on it.
TEST_F(ConsoleCommandsTest, DeleteFollowsTheCurrentCallToItsNewRow) {
    StoreCall("A");
    EXPECT_EQ(PollForStatus(), "A");  // PAGED: answered, deletable
    StoreCall("B");
    ASSERT_EQ(handler().CurrentPosition(), 1);

    EXPECT_EQ(commands.Execute("delete 0"), Outcome::Done);
    EXPECT_EQ(Take(out), "Position 0 deleted.\n");
    EXPECT_EQ(table()[0].Adres, "B");
    EXPECT_EQ(PollForStatus(), "B");
}

TEST_F(ConsoleCommandsTest, DeleteRefusesACallStillWaitingAndAnEmptyPosition) {
    StoreCall("A");
    EXPECT_EQ(commands.Execute("delete 0"), Outcome::Failed);
    EXPECT_EQ(commands.Execute("delete 5"), Outcome::Failed);
    EXPECT_EQ(Take(err),
              "espa-emulator: position 0 still waits for its status; not deleted\n"
              "espa-emulator: position 5 is empty\n");
    EXPECT_EQ(PollForStatus(), "A");
}

TEST_F(ConsoleCommandsTest, ClearEmptiesEveryPositionAndNothingIsOwedAfter) {
    StoreCall("A");
    StoreCall("B");
    EXPECT_EQ(commands.Execute("clear"), Outcome::Done);
    EXPECT_EQ(Take(out), "All positions cleared.\n");
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_TRUE(table()[p].IsFree()) << p;
    }
    EXPECT_EQ(Poll(), Ch(EOT));
    StoreCall("C");
    EXPECT_EQ(PollForStatus(), "C");
}

TEST_F(ConsoleCommandsTest, WrongCommandsFailWithOneLineEachAndChangeNothing) {
    const struct {
        std::string line;
        const char* error;
    } cases[] = {
        {"jump", "unknown command 'jump' (try: help)"},
        {std::string("go\x1B[2J now", 10), "unknown command 'go[ESC][2J' (try: help)"},
        {"status", "usage: status paged|absent|queue|terminated"},
        {"status lost", "usage: status paged|absent|queue|terminated"},
        {"delete", "usage: delete N, N a position 0-9"},
        {"delete -1", "usage: delete N, N a position 0-9"},
        {"delete 12", "usage: delete N, N a position 0-9"},
        {"calls all", "'calls' takes no argument"},
        {"clear now", "'clear' takes no argument"},
        {"help me", "'help' takes no argument"},
        {"quit now", "'quit' takes no argument"},
    };
    StoreCall("A");
    for (const auto& c : cases) {
        EXPECT_EQ(commands.Execute(c.line), Outcome::Failed) << c.line;
        EXPECT_EQ(Take(err), std::string("espa-emulator: ") + c.error + "\n");
    }
    EXPECT_EQ(Take(out), "");
    EXPECT_EQ(console.GetSelectedStatus(), "PAGED");
    EXPECT_EQ(PollForStatus(), "A");
}

TEST_F(ConsoleCommandsTest, BlankLinesDoNothingHelpListsTheCommandsAndQuitEnds) {
    EXPECT_EQ(commands.Execute(""), Outcome::Done);
    EXPECT_EQ(commands.Execute(" \t\r"), Outcome::Done);
    EXPECT_EQ(Take(out), "");
    EXPECT_EQ(commands.Execute("help"), Outcome::Done);
    const std::string help = Take(out);
    for (const char* command :
         {"status paged|absent|queue|terminated", "delete N", "clear", "calls", "quit"}) {
        EXPECT_NE(help.find("\n  " + std::string(command) + " "), std::string::npos) << command;
    }
    EXPECT_EQ(commands.Execute("QUIT"), Outcome::Quit);
    EXPECT_EQ(Take(out) + Take(err), "");
}

}  // namespace
}  // namespace espa::test
