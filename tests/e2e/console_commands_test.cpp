// The operator's commands of a run without a window, on an emulator driven tick by tick.
#include <gtest/gtest.h>

#include <sstream>

#include "console_commands.h"
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

    void StoreCall(const std::string& pager) {
        ASSERT_EQ(Exchange(kSelect), std::string(1, ACK));
        ASSERT_EQ(Exchange(CallBlock({{'1', pager}})), std::string(1, ACK));
    }

    // Poll and take the status transfer through to its EOT; the transfer block.
    std::string PollForStatus() {
        EXPECT_EQ(Exchange(kPoll), std::string("1") + ENQ);
        const std::string block = Exchange(std::string(1, ACK));
        EXPECT_EQ(Exchange(std::string(1, ACK)), std::string(1, EOT));
        return block;
    }

    static std::string PagerOf(const std::string& transfer) {
        const std::size_t start = transfer.find(std::string("1") + US) + 2;
        return transfer.substr(start, transfer.find(RS, start) - start);
    }

    std::string Out() { return std::exchange(m_out, {}); }

    Outcome Run(const std::string& line) {
        const Outcome outcome = commands.Execute(line);
        m_out += out.str();
        out.str("");
        return outcome;
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
    std::string m_out;
};

// Deleting an answered call above the current one moves the current call up a row; the next
// poll must still report on it.
TEST_F(ConsoleCommandsTest, DeleteFollowsTheCurrentCallToItsNewRow) {
    StoreCall("A");
    EXPECT_EQ(PagerOf(PollForStatus()), "A");  // PAGED: answered, deletable
    StoreCall("B");
    ASSERT_EQ(emulator.Handler().CurrentPosition(), 1);

    EXPECT_EQ(Run("delete 0"), Outcome::Done);
    EXPECT_EQ(Out(), "Position 0 deleted.\n");
    EXPECT_EQ(emulator.Table()[0].Adres, "B");
    EXPECT_EQ(PagerOf(PollForStatus()), "B");
}

TEST_F(ConsoleCommandsTest, DeleteRefusesACallStillWaitingAndAnEmptyPosition) {
    StoreCall("A");
    EXPECT_EQ(Run("delete 0"), Outcome::Failed);
    EXPECT_EQ(Run("delete 5"), Outcome::Failed);
    EXPECT_EQ(err.str(),
              "espa-emulator: position 0 still waits for its status; not deleted\n"
              "espa-emulator: position 5 is empty\n");
    EXPECT_EQ(emulator.Table()[0].Adres, "A");
    EXPECT_EQ(PagerOf(PollForStatus()), "A");
}

TEST_F(ConsoleCommandsTest, ClearEmptiesEveryPositionAndNothingIsOwedAfter) {
    StoreCall("A");
    StoreCall("B");
    EXPECT_EQ(Run("clear"), Outcome::Done);
    EXPECT_EQ(Out(), "All positions cleared.\n");
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_TRUE(emulator.Table()[p].IsFree()) << p;
    }
    EXPECT_EQ(Exchange(kPoll), std::string(1, EOT));
    // The next call is reported normally.
    StoreCall("C");
    EXPECT_EQ(PagerOf(PollForStatus()), "C");
}

TEST_F(ConsoleCommandsTest, UnknownAndMalformedCommandsFailWithOneLineEach) {
    const std::vector<std::string> bad{"jump",      "status",    "status lost", "delete",
                                       "delete -1", "delete 12", "calls all",   "quit now"};
    for (const std::string& line : bad) {
        EXPECT_EQ(Run(line), Outcome::Failed) << line;
    }
    const std::string errors = err.str();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), static_cast<long>(bad.size()))
        << errors;
    EXPECT_NE(errors.find("espa-emulator: unknown command 'jump' (try: help)\n"),
              std::string::npos);
    EXPECT_EQ(view.GetSelectedStatus(), "PAGED");
    EXPECT_EQ(Out(), "");
}

TEST_F(ConsoleCommandsTest, UnknownCommandIsEchoedWithControlBytesVisible) {
    EXPECT_EQ(Run(std::string("go\x1B[2J", 6)), Outcome::Failed);
    EXPECT_EQ(err.str(), "espa-emulator: unknown command 'go[ESC][2J' (try: help)\n");
}

TEST_F(ConsoleCommandsTest, BlankLinesAreIgnoredAndQuitIsReported) {
    EXPECT_EQ(Run(""), Outcome::Done);
    EXPECT_EQ(Run(" \t\r"), Outcome::Done);
    EXPECT_EQ(Run("QUIT"), Outcome::Quit);
    EXPECT_EQ(Out(), "");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace espa::test
