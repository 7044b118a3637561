// The operator's commands of a run without a window, on an emulator driven tick by tick.
#include "console_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console_view.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

using Outcome = ConsoleCommands::Outcome;

class ConsoleCommandsTest : public ::testing::Test {
  protected:
    ConsoleCommandsTest() {
        emulator.Settings().Logfile = 0;
        EXPECT_EQ(emulator.OpenPortFromSettings(), 0);
        fake.TakeSent();
    }

    // Ticks until the emulator sends something; what it sent.
    std::string Exchange(const std::string& bytes) {
        fake.rx += bytes;
        for (int tick = 0; tick < 20; ++tick) {
            emulator.HandlerTick();
            if (!fake.tx.empty()) {
                return fake.TakeSent();
            }
        }
        return {};
    }

    void StoreCall(std::initializer_list<Field> fields) {
        ASSERT_EQ(Exchange(kSelect), Ch(ACK));
        ASSERT_EQ(Exchange(CallBlock(fields)), Ch(ACK));
    }

    // Poll and take the status transfer through to its EOT; its pager and status code.
    std::string PollForStatus() {
        EXPECT_EQ(Exchange(kPoll), std::string("1") + ENQ);
        const std::string block = Exchange(Ch(ACK));
        EXPECT_EQ(Exchange(Ch(ACK)), Ch(EOT));
        const std::size_t pager = block.find(std::string("1") + US) + 2;
        const std::size_t code = block.find(std::string("7") + US) + 2;
        return block.substr(pager, block.find(RS, pager) - pager) + " " + block.substr(code, 1);
    }

    Outcome Run(const std::string& line) { return commands.Execute(line); }
    std::string Take(std::ostringstream& stream) {
        const std::string text = stream.str();
        stream.str("");
        return text;
    }

    TempDir dir;
    FixedClock clock;
    FakeSerialControl fake;
    std::ostringstream screen;
    std::ostringstream out;
    std::ostringstream err;
    ConsoleView view{"PAGED", screen};
    Emulator emulator{fake, view, clock, dir.path()};
    ConsoleCommands commands{emulator, view, out, err};
};

TEST_F(ConsoleCommandsTest, StatusCommandSetsTheCodeOfTheNextStatusTransfers) {
    StoreCall({{'1', "A"}});
    EXPECT_EQ(Run("status absent"), Outcome::Done);
    EXPECT_EQ(Run("STATUS  Terminated "), Outcome::Done);
    EXPECT_EQ(Take(out), "Status ABSENT selected.\nStatus TERMINATED selected.\n");
    EXPECT_EQ(PollForStatus(), "A 5");
}

TEST_F(ConsoleCommandsTest, CallsListsOneLinePerOccupiedPosition) {
    EXPECT_EQ(Run("calls"), Outcome::Done);
    EXPECT_EQ(Take(out), "No calls stored.\n");
    StoreCall({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}});
    EXPECT_EQ(PollForStatus(), "1234 3");
    StoreCall({{'1', "77"}, {'2', "Caf\xE9"}, {'4', "1"}, {'5', "3"}, {'6', "9"}});
    EXPECT_EQ(Run("calls"), Outcome::Done);
    EXPECT_EQ(Take(out),
              "Position 0: PAGED [1234] Info: [Hello] Bleep: [2]\n"
              "Position 1: NIEUW [77] Info: [Caf\xC3\xA9] Calltype: [1] NrOfTx: [3] Priority: "
              "[9] pending\n");
}

// Deleting an answered call above the current one moves the current call up a row; the next
// poll must still report on it.
TEST_F(ConsoleCommandsTest, DeleteFollowsTheCurrentCallToItsNewRow) {
    StoreCall({{'1', "A"}});
    EXPECT_EQ(PollForStatus(), "A 3");  // PAGED: answered, deletable
    StoreCall({{'1', "B"}});
    ASSERT_EQ(emulator.Handler().CurrentPosition, 1);

    EXPECT_EQ(Run("delete 0"), Outcome::Done);
    EXPECT_EQ(Take(out), "Position 0 deleted.\n");
    EXPECT_EQ(emulator.Table()[0].Adres, "B");
    EXPECT_EQ(PollForStatus(), "B 3");
}

TEST_F(ConsoleCommandsTest, DeleteRefusesACallStillWaitingAndAnEmptyPosition) {
    StoreCall({{'1', "A"}});
    EXPECT_EQ(Run("delete 0"), Outcome::Failed);
    EXPECT_EQ(Run("delete 5"), Outcome::Failed);
    EXPECT_EQ(Take(err),
              "espa-emulator: position 0 still waits for its status; not deleted\n"
              "espa-emulator: position 5 is empty\n");
    EXPECT_EQ(PollForStatus(), "A 3");
}

TEST_F(ConsoleCommandsTest, ClearEmptiesEveryPositionAndNothingIsOwedAfter) {
    StoreCall({{'1', "A"}});
    StoreCall({{'1', "B"}});
    EXPECT_EQ(Run("clear"), Outcome::Done);
    EXPECT_EQ(Take(out), "All positions cleared.\n");
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_TRUE(emulator.Table()[p].IsFree()) << p;
    }
    EXPECT_EQ(Exchange(kPoll), Ch(EOT));
    StoreCall({{'1', "C"}});
    EXPECT_EQ(PollForStatus(), "C 3");
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
    StoreCall({{'1', "A"}});
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.line), Outcome::Failed) << c.line;
        EXPECT_EQ(Take(err), std::string("espa-emulator: ") + c.error + "\n");
    }
    EXPECT_EQ(Take(out), "");
    EXPECT_EQ(PollForStatus(), "A 3");
}

TEST_F(ConsoleCommandsTest, BlankLinesDoNothingHelpListsTheCommandsAndQuitEnds) {
    EXPECT_EQ(Run(""), Outcome::Done);
    EXPECT_EQ(Run(" \t\r"), Outcome::Done);
    EXPECT_EQ(Take(out), "");
    EXPECT_EQ(Run("help"), Outcome::Done);
    const std::string help = Take(out);
    for (const char* command :
         {"status paged|absent|queue|terminated", "delete N", "clear", "calls", "quit"}) {
        EXPECT_NE(help.find("\n  " + std::string(command) + " "), std::string::npos) << command;
    }
    EXPECT_EQ(Run("QUIT"), Outcome::Quit);
    EXPECT_EQ(Take(out) + Take(err), "");
}

}  // namespace
}  // namespace espa::test
