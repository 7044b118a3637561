#include <gtest/gtest.h>

#include <string>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

const std::string kAck(1, ACK);
const std::string kNak(1, NAK);

class SelectAndBlock : public ScriptedCentral {};

TEST_F(SelectAndBlock, SelectThatArrivedAtOnceIsAcknowledgedOnTheFourthTick) {
    Start();
    Feed(kSelect);
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SelectEnq1));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SelectAddress2));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SelectEnq2));
    EXPECT_EQ(Tick(), kAck);
    EXPECT_EQ(State(), StateOf(HandlerState::ReceiveBlock));
    EXPECT_EQ(handler().ExchangeTimer, kExchangeTimeoutTicks);
}

TEST_F(SelectAndBlock, CallIsAcknowledgedOneTickAfterItsCheckCharacterIsRead) {
    Start();
    Select();
    const std::string block = CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}});
    Feed(block.substr(0, block.size() - 1));
    EXPECT_EQ(Tick(), "");  // drains up to ETX
    EXPECT_EQ(State(), StateOf(HandlerState::ReceiveCheck));
    EXPECT_EQ(Tick(), "");  // nothing yet: waits for the check character
    Feed(block.substr(block.size() - 1));
    EXPECT_EQ(Tick(), "");  // reads it
    EXPECT_EQ(State(), StateOf(HandlerState::ProcessBlock));
    EXPECT_EQ(Tick(), kAck);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));

    EXPECT_EQ(table()[0].Adres, "1234");
    EXPECT_EQ(table()[0].Info, "Hello");
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusNew);
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_EQ(handler().CurrentPosition, 0);
    EXPECT_TRUE(handler().RxBuffer.empty());
}

TEST_F(SelectAndBlock, BlockFedByteByByteIsCollectedAcrossTicks) {
    Start();
    Select();
    const std::string block = CallBlock({{'1', "77"}});
    std::string sent;
    for (const char c : block) {
        Feed(std::string(1, c));
        sent += Tick();
    }
    EXPECT_EQ(sent, "");
    EXPECT_EQ(Tick(), kAck);
    EXPECT_EQ(table()[0].Adres, "77");
}

TEST_F(SelectAndBlock, SecondCallGoesToTheNextPositionAndBecomesCurrent) {
    Start();
    EXPECT_EQ(SendBlock(CallBlock({{'1', "100"}})), kAck);
    EXPECT_EQ(SendBlock(CallBlock({{'1', "200"}})), kAck);
    EXPECT_EQ(table()[1].Adres, "200");
    EXPECT_EQ(handler().CurrentPosition, 1);
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_EQ(table()[1].StatusPending, 1);
}

TEST_F(SelectAndBlock, WrongCheckCharacterIsAnsweredWithNak) {
    Start();
    std::string block = CallBlock({{'1', "1234"}});
    block.back() = static_cast<char>(block.back() ^ 0x01);
    EXPECT_EQ(SendBlock(block), kNak);
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_EQ(handler().CurrentPosition, -1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "DEBUG: While testing ESPAstring: [" + block + "] Checksum error!");
    EXPECT_EQ(logged[1], "DEBUG: Error in Checksum, NACK sent");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
}

TEST_F(SelectAndBlock, CheckCharacterEqualToEtxEotOrSohIsStillAccepted) {
    Start();
    int position = 0;
    for (const char wanted : {ETX, EOT, SOH}) {
        const std::string block = CallBlockWithCheck(wanted);
        ASSERT_EQ(block.back(), wanted);
        EXPECT_EQ(SendBlock(block), kAck) << "check character " << int(wanted);
        EXPECT_EQ(table()[position].Adres, block.substr(5, 4));
        ++position;
    }
}

TEST_F(SelectAndBlock, NoiseBeforeTheBlockDoesNotSpoilIt) {
    Start();
    Select();
    Feed(
        "\x7f"
        "xx" +
        CallBlock({{'1', "1234"}}));
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent, 10), 3);
    EXPECT_EQ(sent, kAck);
    EXPECT_EQ(table()[0].Adres, "1234");
}

TEST_F(SelectAndBlock, BlockIsJudgedOnlyFromTheLastSoh) {
    Start();
    const std::string broken = std::string(1, SOH) + "1" + STX + "1" + US + "99";
    EXPECT_EQ(SendBlock(broken + CallBlock({{'1', "1234"}})), kAck);
    // The fields come from the judged block too, not from the broken one before it.
    EXPECT_EQ(table()[0].Adres, "1234");

    // A check character right over everything received, but wrong from the last SOH, is refused.
    std::string whole = broken + CallBlock({{'1', "5678"}});
    whole.back() = XorOf(whole.substr(1, whole.size() - 2));
    ASSERT_NE(whole.back(), CallBlock({{'1', "5678"}}).back());
    EXPECT_EQ(SendBlock(whole), kNak);
}

TEST_F(SelectAndBlock, TypeOfABlockSentAgainComesFromTheLastSoh) {
    Start();
    const std::string brokenRequest = std::string(1, SOH) + "3" + STX + "1" + US + "55";
    EXPECT_EQ(SendBlock(brokenRequest + CallBlock({{'1', "1234"}})), kAck);
    EXPECT_EQ(table()[0].Adres, "1234");
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusNew);
    EXPECT_FALSE(WasLogged("DEBUG: StatusRequest for Pager [55] Not found!"));
}

TEST_F(SelectAndBlock, EotDuringABlockReturnsSilentlyToIdle) {
    Start();
    Select();
    Feed(std::string(1, SOH) + "1" + STX + "1" + US + "12" + EOT + "junk");
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(handler().RxBuffer.empty());
    EXPECT_EQ(fake.rx, "junk");  // reading stopped at EOT
    EXPECT_EQ(Ticks(20), "");
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_TRUE(logged.empty());
}

TEST_F(SelectAndBlock, BlockOfTypeTwoGetsNoAnswer) {
    Start();
    EXPECT_EQ(SendBlock(Block('2', DataPart({{'1', "1234"}, {'7', "3"}}))), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_EQ(handler().CurrentPosition, -1);
}

TEST_F(SelectAndBlock, WrongCharacterInTheSelectIsDropped) {
    Start();
    Feed(std::string("1") + ENQ + "3" + ENQ);
    EXPECT_EQ(Ticks(3), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(Ticks(5), "");  // the stray ENQ is dropped in idle as well
    EXPECT_EQ(SendBlock(CallBlock({{'1', "1"}})), kAck);
}

TEST_F(SelectAndBlock, SelectMessageIsWrittenAboveLevelOneBeforeTheAck) {
    Start(Emulation::Philips, 2);
    Select();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.");
    EXPECT_EQ(sentWhenLogged[0], 0u);
}

TEST_F(SelectAndBlock, SelectMessageIsNotWrittenAtLevelOne) {
    Start(Emulation::Philips, 1);
    Select();
    EXPECT_TRUE(logged.empty());
}

TEST_F(SelectAndBlock, CallIsLoggedByTheCallRecords) {
    Start();
    EXPECT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Hello"}})), kAck);
    EXPECT_TRUE(WasLogged("Call (SOH1) to pager: [1234] Info: [Hello]"));
}

TEST_F(SelectAndBlock, NothingIsReadBeforeTheHandlerIsStarted) {
    emulator.Settings().Logfile = 1;
    // The port is open, but only start-up's command starts the handler.
    ASSERT_EQ(emulator.Port().OpenPort(0, 4, 0, 1, 0, 0), 0);
    Feed(kSelect);
    EXPECT_EQ(Ticks(10), "");
    EXPECT_EQ(fake.rx, kSelect);
    EXPECT_EQ(State(), StateOf(HandlerState::NotStarted));

    handler().EspaHandlerStep(kCommandStart);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(handler().CurrentPosition, -1);
    EXPECT_EQ(fake.rx, kSelect);  // the starting step reads nothing either
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent, 10), 4);
    EXPECT_EQ(sent, kAck);
}

TEST_F(SelectAndBlock, LaterStartCommandIsAnOrdinaryTick) {
    Start();
    Feed(kSelect);
    handler().EspaHandlerStep(kCommandStart);
    EXPECT_EQ(State(), StateOf(HandlerState::SelectEnq1));
    handler().EspaHandlerStep(kCommandStart);
    handler().EspaHandlerStep(kCommandStart);
    handler().EspaHandlerStep(kCommandStart);
    EXPECT_EQ(fake.TakeSent(), kAck);
}

TEST_F(SelectAndBlock, UnknownStateIsResetToIdleWithAMessage) {
    Start();
    handler().State = 55;
    Feed("1");
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "ERROR: Software into unknown handler status. Reset.");
    EXPECT_EQ(fake.rx, "1");  // the resetting step reads nothing
    Tick();
    EXPECT_EQ(State(), StateOf(HandlerState::SelectEnq1));
}

}  // namespace
}  // namespace espa::test
