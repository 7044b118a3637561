#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

const std::string kAck(1, ACK);
const std::string kNak(1, NAK);
const std::string kEot(1, EOT);
const std::string kEmulatorSelect = std::string("1") + ENQ;
const std::string kMediCallEot = "Medicall800 No EOT received. Session closed.";
const std::string kMediCallArmed = "STATUS: 1 ENQ 2 ENQ received, timeout set.";
const std::string kLineCheck =
    "DEBUG: Error StatusRequest. No status available. Just received 2 ENQ. LineCheck?";

std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

class EmulationModes : public ScriptedCentral {
  protected:
    void StoreCall(const std::string& adres) {
        ASSERT_EQ(SendBlock(CallBlock({{'1', adres}})), kAck);
    }
};

class PlainModes : public ScriptedCentral, public ::testing::WithParamInterface<Emulation> {};

TEST_P(PlainModes, CallAndPagedStatusTransferGoThroughUnchanged) {
    Start(GetParam(), 1);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "42"}, {'4', "1"}})), kAck);
    const std::string body =
        std::string("2") + STX + "1" + US + "42" + RS + "4" + US + "1" + RS + "7" + US + "3" + ETX;
    EXPECT_EQ(PollForStatusTransfer(), std::string(1, SOH) + body + XorOf(body));
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(handler().MediCallTimer, 0);
    EXPECT_EQ(view.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(PhilipsAndAscom, PlainModes,
                         ::testing::Values(Emulation::Philips, Emulation::AscomNira));

TEST_F(EmulationModes, MediCallSendsEotSixtySecondsAfterTheSelectAtLevelFour) {
    Start(Emulation::MediCall, 4);
    Select();
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[0], kMediCallArmed);
    EXPECT_EQ(logged[1], "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.");
    EXPECT_EQ(handler().MediCallTimer, kMediCallTimeoutTicks);

    // A block in between does not stop it.
    Feed(CallBlock({{'1', "1234"}}));
    std::string sent;
    ASSERT_EQ(StepUntilSent(sent, 10), 3);
    ASSERT_EQ(sent, kAck);
    logged.clear();

    EXPECT_EQ(StepUntilSent(sent), kMediCallTimeoutTicks - 3);
    EXPECT_EQ(sent, kEot);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], kMediCallEot);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(handler().MediCallTimer, 0);
    EXPECT_EQ(Ticks(3000), "");  // once only
}

TEST_F(EmulationModes, MediCallSelectReArmsTheTimer) {
    Start(Emulation::MediCall, 4);
    Select();
    EXPECT_EQ(Ticks(1000), "");  // the unfinished block times out silently meanwhile
    Select();
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent), kMediCallTimeoutTicks);
    EXPECT_EQ(sent, kEot);
}

TEST_F(EmulationModes, MediCallSendsNoEotBelowLevelFour) {
    Start(Emulation::MediCall, 3);
    Select();
    EXPECT_TRUE(WasLogged(kMediCallArmed));
    EXPECT_EQ(Ticks(kMediCallTimeoutTicks + 10), "");
    EXPECT_FALSE(WasLogged(kMediCallEot));
    EXPECT_EQ(handler().MediCallTimer, 0);
}

TEST_F(EmulationModes, MediCallArmedMessageNeedsLevelThree) {
    Start(Emulation::MediCall, 2);
    Select();
    EXPECT_FALSE(WasLogged(kMediCallArmed));
    EXPECT_EQ(handler().MediCallTimer, kMediCallTimeoutTicks);
}

TEST_F(EmulationModes, DataCallAnswersAnEmptyPollWithoutTheLineCheckMessage) {
    Start(Emulation::DataCall, 4);
    EXPECT_EQ(Poll(), kEot);
    EXPECT_TRUE(WasLogged("DEBUG: Statusrequest (2 ENQ) received."));
    EXPECT_FALSE(WasLogged(kLineCheck));
}

TEST_F(EmulationModes, DataCallTransferLeavesAnEmptyWordAndTheNextPollGetsEot) {
    Start(Emulation::DataCall, 4);
    StoreCall("100");
    view.selectedStatus = kStatusPaged;
    const std::string body = std::string("2") + STX + "1" + US + "100" + RS + "7" + US + "2" + ETX;
    EXPECT_EQ(PollForStatusTransfer(), std::string(1, SOH) + body + XorOf(body));
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(table()[0].ReturnedStatus, "");
    EXPECT_EQ(handler().CurrentPosition, 0);
    EXPECT_EQ(Poll(), kEot);
}

TEST_F(EmulationModes, CommTechWireLessAcceptsABlockWithAWrongCheckCharacter) {
    Start(Emulation::CommTechWireLess, 1);
    std::string block = CallBlock({{'1', "1234"}});
    block.back() = static_cast<char>(block.back() ^ 0x55);
    EXPECT_EQ(SendBlock(block), kAck);
    EXPECT_EQ(table()[0].Adres, "1234");
    EXPECT_TRUE(
        WasLogged("DEBUG: CommtechWireLess ignores checksum. So does the emulator.. Just send a "
                  "character.."));
    EXPECT_FALSE(WasLogged("DEBUG: Error in Checksum, NACK sent"));
}

TEST_F(EmulationModes, CommTechWireLessAnswersAStatusRequestWithOneNakAndABeep) {
    Start(Emulation::CommTechWireLess, 1);
    StoreCall("100");
    ASSERT_EQ(handler().CurrentPosition, 0);
    logged.clear();
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "100"}})), std::string("1") + NAK);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(handler().CurrentPosition, -1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1], "DEBUG: CommtechWireLess reacts STRANGE on SOH3 call. DO NOT USE THAT.");
}

TEST_F(EmulationModes, CommTechWireLessRaisesTheCheckCharacterOfItsTransferBySix) {
    Start(Emulation::CommTechWireLess, 1);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Hi"}, {'3', "9"}})), kAck);
    const std::string body = std::string("2") + STX + "1" + US + "1234" + RS + "2" + US + "Hi" +
                             RS + "7" + US + "3" + ETX;
    const int check = static_cast<unsigned char>(XorOf(body));
    ASSERT_LT(check, 250);
    EXPECT_EQ(PollForStatusTransfer(), std::string(1, SOH) + body + static_cast<char>(check + 6));
    EXPECT_TRUE(WasLogged("DEBUG: CommTechWireLess Checksum should be " + Hex(check) +
                          " now changed to: " + Hex(check + 6)));
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(handler().CurrentPosition, -1);  // always reported PAGED
}

// The pager number "12" + one byte chosen so that the transfer's check character is `wanted`.
std::string AdresForCommTechCheck(int wanted) {
    const std::string before = std::string("2") + STX + "1" + US + "12";
    const std::string after = std::string(1, RS) + "7" + US + "3" + ETX;
    const auto last = static_cast<char>(XorOf(before + after) ^ wanted);
    return std::string("12") + last;
}

TEST_F(EmulationModes, CommTechWireLessSendsCheckCharacter255) {
    Start(Emulation::CommTechWireLess, 1);
    const std::string adres = AdresForCommTechCheck(249);
    ASSERT_EQ(SendBlock(CallBlock({{'1', adres}})), kAck);
    const std::string transfer = PollForStatusTransfer();
    ASSERT_FALSE(transfer.empty());
    EXPECT_EQ(static_cast<unsigned char>(transfer.back()), 255);
    EXPECT_TRUE(WasLogged("DEBUG: CommTechWireLess Checksum should be 0xF9 now changed to: 0xFF"));
}

TEST_F(EmulationModes, CommTechWireLessSendsNoCheckCharacterAbove255) {
    Start(Emulation::CommTechWireLess, 1);
    const std::string adres = AdresForCommTechCheck(250);
    ASSERT_EQ(SendBlock(CallBlock({{'1', adres}})), kAck);
    const std::string body = std::string("2") + STX + "1" + US + adres + RS + "7" + US + "3" + ETX;
    ASSERT_EQ(static_cast<unsigned char>(XorOf(body)), 250);
    EXPECT_EQ(PollForStatusTransfer(), std::string(1, SOH) + body);
    EXPECT_TRUE(WasLogged("DEBUG: CommTechWireLess Checksum should be 0xFA now changed to: 0xxx"));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitStatusAck));
}

}  // namespace
}  // namespace espa::test
