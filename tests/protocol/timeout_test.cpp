#include <gtest/gtest.h>

#include <functional>

#include "scripted_central.h"

namespace espa::test {
namespace {

using Timeouts = ScriptedCentral;

// 120 silent ticks are waited out; the 121st returns to idle without a word.
TEST_F(Timeouts, SilenceInTheSelectOrPollEndsItOnTheHundredAndTwentyFirstTick) {
    Start(Emulation::Philips, 4);
    const std::pair<std::string, HandlerState> cases[] = {
        {"1", HandlerState::SelectEnq1},
        {std::string("1") + ENQ, HandlerState::SelectAddress2},
        {std::string("1") + ENQ + "2", HandlerState::SelectEnq2},
        {"2", HandlerState::PollEnq}};
    for (const auto& [received, state] : cases) {
        SCOPED_TRACE(StateOf(state));
        Feed(received);
        EXPECT_EQ(Ticks(static_cast<int>(received.size()) + kCharTimeoutTicks), "");
        EXPECT_EQ(State(), StateOf(state));
        EXPECT_EQ(Tick(), "");
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    }
    EXPECT_TRUE(logged.empty());
}

TEST_F(Timeouts, EachCharacterOfTheSelectRestartsTheCharTimerAndCountsOnItsLastTick) {
    Start();
    Feed("1");
    Ticks(101);
    Feed(Ch(ENQ));
    Tick();
    EXPECT_EQ(Ticks(kCharTimeoutTicks), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SelectAddress2));
    Feed(std::string("2") + ENQ);
    EXPECT_EQ(Ticks(2), Ch(ACK));
}

// Each exchange timeout: silent (or only noise, which must not extend the time) for `wait` ticks
// keeps the state, the next tick returns to idle with its message and sends nothing; a call owed a
// status stays owed. The time is tested before reading: a check character arriving then is late.
TEST_F(Timeouts, ExchangeTimeoutsReturnToIdleWithTheirMessage) {
    Start();
    StoreCall("100");
    const std::string block = CallBlock({{'1', "1234"}});
    const std::string check = block.substr(block.size() - 1);
    const std::tuple<HandlerState, std::function<void()>, int, bool, std::string> cases[] = {
        {HandlerState::ReceiveBlock, [&] { Select(); }, kExchangeTimeoutTicks - 1, true,
         "Timeout while receiving data from master."},
        {HandlerState::ReceiveCheck,
         [&] { Select(), Feed(block.substr(0, block.size() - 1)), Tick(); },
         kChecksumTimeoutTicks - 1, false, "TimeOut while receiving Checksum from master."},
        {HandlerState::WaitSelectAck, [&] { ASSERT_EQ(Poll(), std::string("1") + ENQ); },
         kCharTimeoutTicks, false, "TimeOut receiving ACK from central after 2 ENQ 1 ENQ"},
        {HandlerState::WaitStatusAck, [&] { ASSERT_FALSE(PollForStatusTransfer().empty()); },
         kExchangeTimeoutTicks - 1, true,
         "TimeOut receiving ACK from Central after sending status."}};
    for (const auto& [state, reach, wait, noise, message] : cases) {
        SCOPED_TRACE(message);
        reach();
        logged.clear();
        std::string sent;
        for (int tick = 1; tick <= wait; ++tick) {
            Feed(noise && tick % 50 == 0 ? "x" : "");
            sent += Tick();
        }
        EXPECT_EQ(sent, "");
        EXPECT_EQ(State(), StateOf(state));
        EXPECT_TRUE(logged.empty());
        const bool late = state == HandlerState::ReceiveCheck;
        Feed(late ? check : "");
        EXPECT_EQ(Tick(), "");
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
        EXPECT_TRUE(handler().RxBuffer().empty());
        EXPECT_EQ(logged, std::vector<std::string>{"DEBUG: " + message});
        EXPECT_EQ(fake.rx, late ? check : "");  // not read when late
        EXPECT_EQ(Ticks(5), "");                // a late answer is dropped in idle
        EXPECT_EQ(handler().CurrentPosition(), 0);
        EXPECT_EQ(table()[0].StatusPending, 1);
        EXPECT_TRUE(table()[1].IsFree());
    }
}

// The block itself may come in pieces over several ticks.
TEST_F(Timeouts, CheckCharacterOnTheHundredAndNineteenthTickAfterEtxIsStillRead) {
    Start();
    Select();
    const std::string block = CallBlock({{'1', "1234"}});
    Feed(block.substr(0, 4));
    EXPECT_EQ(Tick(), "");
    Feed(block.substr(4, block.size() - 5));
    EXPECT_EQ(Ticks(1 + kChecksumTimeoutTicks - 2), "");
    Feed(block.substr(block.size() - 1));
    EXPECT_EQ(Ticks(2), Ch(ACK));
    EXPECT_EQ(table()[0].Adres, "1234");
}

// Other characters are dropped there and do not count as silence.
TEST_F(Timeouts, OtherCharactersWhileWaitingForOurAckNeitherEndNorShortenTheWait) {
    Start();
    StoreCall("100");
    EXPECT_EQ(Poll(), std::string("1") + ENQ);
    Feed("xy");
    EXPECT_EQ(Ticks(kCharTimeoutTicks + 2), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitSelectAck));
    Feed(Ch(ACK));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SendStatus));
}

}  // namespace
}  // namespace espa::test
