#include <gtest/gtest.h>

#include "scripted_central.h"

namespace espa::test {
namespace {

using SelectAndBlock = ScriptedCentral;

TEST_F(SelectAndBlock, WrongCheckCharacterIsAnsweredWithNak) {
    Start();
    std::string block = CallBlock({{'1', "1234"}});
    block.back() = static_cast<char>(block.back() ^ 0x01);
    EXPECT_EQ(SendBlock(block), Ch(NAK));
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_EQ(handler().CurrentPosition(), -1);
    EXPECT_EQ(logged, (std::vector<std::string>{
                          "DEBUG: While testing ESPAstring: [" + block + "] Checksum error!",
                          "DEBUG: Error in Checksum, NACK sent"}));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
}

// A whole block drains in one tick and is answered on the third; its type and fields are taken
// from the last SOH, and a check character may be any byte. Empty `stored`: nothing stored.
TEST_F(SelectAndBlock, BlocksAreAnsweredOnTheThirdTickByTheirType) {
    Start();
    const std::string again = Ch(SOH) + "3" + STX + "1" + US + "55" + CallBlock({{'1', "5678"}});
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {CallBlockWithCheck(ETX), Ch(ACK), CallBlockWithCheck(ETX).substr(5, 4)},
        {CallBlockWithCheck(EOT), Ch(ACK), CallBlockWithCheck(EOT).substr(5, 4)},
        {CallBlockWithCheck(SOH), Ch(ACK), CallBlockWithCheck(SOH).substr(5, 4)},
        {"\x7fxx" + CallBlock({{'1', "1234"}}), Ch(ACK), "1234"},
        {again, Ch(ACK), "5678"},
        {frames::Block('2', frames::Fields({{'1', "1234"}, {'7', "3"}})), "", ""}};
    std::int16_t position = 0;
    for (const auto& [bytes, answer, stored] : cases) {
        SCOPED_TRACE(frames::Visible(bytes));
        Select();
        Feed(bytes);
        std::string sent;
        EXPECT_EQ(StepUntilSent(sent, 10), answer.empty() ? -1 : 3);
        EXPECT_EQ(sent, answer);
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
        if (stored.empty()) {
            EXPECT_TRUE(table()[position].IsFree());
            continue;
        }
        EXPECT_EQ(table()[position].Adres, stored);
        EXPECT_EQ(table()[position].ReturnedStatus, kStatusNew);
        EXPECT_EQ(table()[position].StatusPending, 1);
        EXPECT_EQ(handler().CurrentPosition(), position++);
        EXPECT_TRUE(handler().RxBuffer().empty());
    }
}

// Reading stops at the EOT.
TEST_F(SelectAndBlock, EotDuringABlockOrAWrongCharacterInTheSelectReturnsSilentlyToIdle) {
    Start();
    Select();
    Feed(Ch(SOH) + "1" + STX + "1" + US + "12" + EOT + "junk");
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(handler().RxBuffer().empty());
    EXPECT_EQ(fake.rx, "junk");
    EXPECT_EQ(Ticks(20), "");
    EXPECT_TRUE(table()[0].IsFree());
    EXPECT_TRUE(logged.empty());
    for (const std::string& wrong :
         {std::string("1x"), std::string("1\0", 2), std::string("1") + ENQ + "3" + ENQ,
          std::string("1") + ENQ + "2" + "x"}) {
        SCOPED_TRACE(wrong);
        Feed(wrong);
        EXPECT_EQ(Ticks(static_cast<int>(wrong.size())), "");
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    }
    EXPECT_EQ(SendBlock(CallBlock({{'1', "1"}})), Ch(ACK));
}

// Outside MediCall a select arms no session timer.
TEST_F(SelectAndBlock, SelectMessageIsWrittenAboveLevelOneBeforeTheAck) {
    Start(Emulation::Philips, 1);
    Select();
    EXPECT_TRUE(logged.empty());
    EXPECT_EQ(handler().MediCallTimer(), 0);
    emulator.Settings().Logfile = 2;
    Feed(Ch(EOT));  // ends the session opened above
    Tick();
    Select();
    EXPECT_EQ(logged,
              std::vector<std::string>{"DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent."});
    EXPECT_EQ(sentWhenLogged, std::vector<std::size_t>{0});
}

// The port is open, but only start-up's command starts the handler; the starting step reads
// nothing either, and a later start command is an ordinary tick.
TEST_F(SelectAndBlock, NothingIsReadBeforeTheHandlerIsStarted) {
    emulator.Settings().Logfile = 1;
    ASSERT_EQ(emulator.Port().OpenPort(0, 4, 0, 1, 0, 0), 0);
    Feed(kSelect);
    EXPECT_EQ(Ticks(10), "");
    EXPECT_EQ(fake.rx, kSelect);
    EXPECT_EQ(State(), StateOf(HandlerState::NotStarted));
    handler().EspaHandlerStep(kCommandStart);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(handler().CurrentPosition(), -1);
    EXPECT_EQ(fake.rx, kSelect);
    for (int i = 0; i < 4; ++i) {
        handler().EspaHandlerStep(kCommandStart);
    }
    EXPECT_EQ(fake.TakeSent(), Ch(ACK));
}

}  // namespace
}  // namespace espa::test
