#include <gtest/gtest.h>

#include <string>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

const std::string kAck(1, ACK);
const std::string kEmulatorSelect = std::string("1") + ENQ;

class Timeouts : public ScriptedCentral {};

struct SilentState {
    std::string name;
    std::string received;
    HandlerState state;
};

class CharTimerTimeout : public ScriptedCentral,
                         public ::testing::WithParamInterface<SilentState> {};

// 120 silent ticks are waited out; the 121st returns to idle without a word.
TEST_P(CharTimerTimeout, ReturnsToIdleOnTheHundredAndTwentyFirstSilentTick) {
    Start(Emulation::Philips, 4);
    const SilentState& param = GetParam();
    Feed(param.received);
    EXPECT_EQ(Ticks(static_cast<int>(param.received.size())), "");
    ASSERT_EQ(State(), StateOf(param.state));
    logged.clear();

    EXPECT_EQ(Ticks(kCharTimeoutTicks), "");
    EXPECT_EQ(State(), StateOf(param.state));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(logged.empty());
}

INSTANTIATE_TEST_SUITE_P(SelectAndPoll, CharTimerTimeout,
                         ::testing::Values(SilentState{"SelectEnq1", "1", HandlerState::SelectEnq1},
                                           SilentState{"SelectAddress2", std::string("1") + ENQ,
                                                       HandlerState::SelectAddress2},
                                           SilentState{"SelectEnq2", std::string("1") + ENQ + "2",
                                                       HandlerState::SelectEnq2},
                                           SilentState{"PollEnq", "2", HandlerState::PollEnq}),
                         [](const ::testing::TestParamInfo<SilentState>& info) {
                             return info.param.name;
                         });

TEST_F(Timeouts, CharacterAfterOneHundredTwentySilentTicksStillCounts) {
    Start();
    Feed("1");
    Tick();
    EXPECT_EQ(Ticks(kCharTimeoutTicks), "");
    Feed(std::string(1, ENQ) + "2" + ENQ);
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent, 10), 3);
    EXPECT_EQ(sent, kAck);
}

TEST_F(Timeouts, EachCharacterOfTheSelectRestartsTheCharTimer) {
    Start();
    Feed("1");
    Tick();
    Ticks(100);
    Feed(std::string(1, ENQ));
    Tick();
    EXPECT_EQ(Ticks(kCharTimeoutTicks), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SelectAddress2));
}

TEST_F(Timeouts, BlockNotCompleteTwoHundredTicksAfterTheAckIsDropped) {
    Start();
    Select();
    // Characters keep coming, but the block has to be complete within the exchange time.
    std::string sent;
    for (int tick = 1; tick < kExchangeTimeoutTicks; ++tick) {
        if (tick % 50 == 0) {
            Feed("x");
        }
        sent += Tick();
    }
    EXPECT_EQ(sent, "");
    EXPECT_EQ(State(), StateOf(HandlerState::ReceiveBlock));
    EXPECT_TRUE(logged.empty());

    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(handler().RxBuffer.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: Timeout while receiving data from master.");
}

TEST_F(Timeouts, CheckCharacterOnTheHundredAndNineteenthTickIsStillRead) {
    Start();
    Select();
    const std::string block = CallBlock({{'1', "1234"}});
    Feed(block.substr(0, block.size() - 1));
    Tick();  // reads up to ETX
    ASSERT_EQ(State(), StateOf(HandlerState::ReceiveCheck));
    EXPECT_EQ(Ticks(kChecksumTimeoutTicks - 2), "");
    Feed(block.substr(block.size() - 1));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::ProcessBlock));
    EXPECT_EQ(Tick(), kAck);
}

TEST_F(Timeouts, NoCheckCharacterWithinOneHundredTwentyTicksOfEtxIsATimeout) {
    Start();
    Select();
    const std::string block = CallBlock({{'1', "1234"}});
    Feed(block.substr(0, block.size() - 1));
    Tick();
    EXPECT_EQ(Ticks(kChecksumTimeoutTicks - 1), "");
    EXPECT_EQ(State(), StateOf(HandlerState::ReceiveCheck));
    // Arriving on the 120th tick is too late: the time is tested before reading.
    Feed(block.substr(block.size() - 1));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(fake.rx, block.substr(block.size() - 1));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: TimeOut while receiving Checksum from master.");
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_EQ(Ticks(5), "");  // the late check character is dropped in idle
}

TEST_F(Timeouts, NoAckForOurSelectWithinOneHundredTwentySilentTicks) {
    Start();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "100"}})), kAck);
    logged.clear();
    EXPECT_EQ(Poll(), kEmulatorSelect);
    EXPECT_EQ(Ticks(kCharTimeoutTicks), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitSelectAck));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: TimeOut receiving ACK from central after 2 ENQ 1 ENQ");
    EXPECT_EQ(table()[0].StatusPending, 1);
}

TEST_F(Timeouts, IgnoredCharactersDoNotCountAsSilenceWhileWaitingForOurAck) {
    Start();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "100"}})), kAck);
    EXPECT_EQ(Poll(), kEmulatorSelect);
    Feed("xy");
    EXPECT_EQ(Ticks(kCharTimeoutTicks + 2), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitSelectAck));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
}

TEST_F(Timeouts, NoAckForTheStatusTransferWithinTwoHundredTicks) {
    Start();
    ASSERT_EQ(SendBlock(CallBlock({{'1', "100"}})), kAck);
    ASSERT_FALSE(PollForStatusTransfer().empty());
    logged.clear();
    EXPECT_EQ(Ticks(kExchangeTimeoutTicks - 1), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitStatusAck));
    EXPECT_EQ(Tick(), "");  // nothing is sent on this timeout
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: TimeOut receiving ACK from Central after sending status.");
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_EQ(handler().CurrentPosition, 0);
}

TEST_F(Timeouts, ExchangeTimerRunsDownInIdleAndStopsAtZero) {
    Start();
    handler().ExchangeTimer = 3;
    Ticks(5);
    EXPECT_EQ(handler().ExchangeTimer, 0);
}

}  // namespace
}  // namespace espa::test
