#include <gtest/gtest.h>

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

class PollAndStatus : public ScriptedCentral {
  protected:
    void StoreCall(const std::string& adres) {
        ASSERT_EQ(SendBlock(CallBlock({{'1', adres}})), kAck);
    }
};

TEST_F(PollAndStatus, PollWithNothingOwedIsAnsweredWithEotOnTheThirdTick) {
    Start(Emulation::Philips, 4);
    Feed(kPoll);
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::PollEnq));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::AnswerPoll));
    EXPECT_EQ(Tick(), kEot);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(handler().CurrentPosition, -1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "DEBUG: Statusrequest (2 ENQ) received.");
    EXPECT_EQ(logged[1],
              "DEBUG: Error StatusRequest. No status available. Just received 2 ENQ. LineCheck?");
}

TEST_F(PollAndStatus, PollMessagesNeedTheirLevels) {
    Start(Emulation::Philips, 3);
    EXPECT_EQ(Poll(), kEot);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "DEBUG: Statusrequest (2 ENQ) received.");

    emulator.Settings().Logfile = 2;
    EXPECT_EQ(Poll(), kEot);
    EXPECT_EQ(logged.size(), 1u);
}

TEST_F(PollAndStatus, OtherCharacterAfterTheTwoIsAnsweredWithEot) {
    Start();
    Feed("2x");
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(Tick(), kEot);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
}

TEST_F(PollAndStatus, FullStatusTransferCarriesTheRightCheckCharacter) {
    Start(Emulation::Philips, 4);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}})), kAck);
    view.selectedStatus = kStatusPaged;

    Feed(kPoll);
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent, 10), 3);
    EXPECT_EQ(sent, kEmulatorSelect);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitSelectAck));

    Feed(kAck);
    EXPECT_EQ(Tick(), "");  // reads the ACK
    EXPECT_EQ(State(), StateOf(HandlerState::SendStatus));
    const std::string body = std::string("2") + STX + "1" + US + "1234" + RS + "2" + US + "Hello" +
                             RS + "3" + US + "2" + RS + "7" + US + "3" + ETX;
    EXPECT_EQ(Tick(), std::string(1, SOH) + body + XorOf(body));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitStatusAck));

    Feed(kAck);
    EXPECT_EQ(Tick(), kEot);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusPaged);
    EXPECT_EQ(table()[0].StatusPending, 0);
    EXPECT_EQ(handler().CurrentPosition, -1);
    EXPECT_TRUE(WasLogged("DEBUG: Status PAGED sent. 2 ENQ no longer points to this call."));

    EXPECT_EQ(Poll(), kEot);  // nothing owed any more
}

TEST_F(PollAndStatus, QueueIsReportedAgainAtTheNextPoll) {
    Start(Emulation::Philips, 4);
    StoreCall("1234");
    view.selectedStatus = kStatusQueue;
    const std::string body = std::string("2") + STX + "1" + US + "1234" + RS + "7" + US + "2" + ETX;
    EXPECT_EQ(PollForStatusTransfer(), std::string(1, SOH) + body + XorOf(body));
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(handler().CurrentPosition, 0);
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusQueue);

    view.selectedStatus = kStatusAbsent;
    const std::string absent =
        std::string("2") + STX + "1" + US + "1234" + RS + "7" + US + "4" + ETX;
    EXPECT_EQ(PollForStatusTransfer(), std::string(1, SOH) + absent + XorOf(absent));
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(handler().CurrentPosition, -1);
    EXPECT_EQ(table()[0].StatusPending, 0);
    EXPECT_TRUE(WasLogged("DEBUG: Status ABSENT sent. 2 ENQ no longer points to this call."));
}

TEST_F(PollAndStatus, FinalStatusLeavesTheNextPollToTheLowestPendingCall) {
    Start();
    StoreCall("100");
    StoreCall("200");
    ASSERT_EQ(handler().CurrentPosition, 1);
    view.selectedStatus = kStatusTerminated;

    EXPECT_NE(PollForStatusTransfer().find("200"), std::string::npos);
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(table()[1].StatusPending, 0);

    const std::string next = PollForStatusTransfer();
    EXPECT_NE(next.find(std::string(1, US) + "100"), std::string::npos) << next;
    EXPECT_EQ(handler().CurrentPosition, 0);
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    EXPECT_EQ(Poll(), kEot);
}

TEST_F(PollAndStatus, ClearedCurrentPositionIsAnsweredWithEotWhileOthersWait) {
    Start();
    StoreCall("100");
    StoreCall("200");
    table().ClearPosition(1);  // the operator clears the current call
    EXPECT_EQ(Poll(), kEot);
    EXPECT_EQ(handler().CurrentPosition, 1);
    EXPECT_EQ(table()[0].StatusPending, 1);
}

TEST_F(PollAndStatus, StatusRequestFoundIsAcknowledgedAndReportedAtTheNextPoll) {
    Start(Emulation::Philips, 1);
    StoreCall("100");
    StoreCall("200");
    ASSERT_EQ(handler().CurrentPosition, 1);

    EXPECT_EQ(SendBlock(RequestBlock({{'1', "100"}})), kAck);
    EXPECT_EQ(handler().CurrentPosition, 0);
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_TRUE(WasLogged("StatusRequest (SOH3) for Pager: [100] found on Position  0"));

    EXPECT_NE(PollForStatusTransfer().find(std::string(1, US) + "100"), std::string::npos);
}

TEST_F(PollAndStatus, StatusRequestForAnAnsweredCallMakesItPendingAgain) {
    Start();
    StoreCall("100");
    EXPECT_NE(PollForStatusTransfer().find("100"), std::string::npos);
    EXPECT_EQ(AcknowledgeTransfer(), kEot);
    ASSERT_EQ(table()[0].StatusPending, 0);

    EXPECT_EQ(SendBlock(RequestBlock({{'1', "100"}})), kAck);
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_EQ(handler().CurrentPosition, 0);
}

TEST_F(PollAndStatus, StatusRequestNotFoundIsAnsweredWithNak) {
    Start();
    StoreCall("100");
    ASSERT_EQ(handler().CurrentPosition, 0);
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "999"}})), kNak);
    EXPECT_EQ(handler().CurrentPosition, -1);
    EXPECT_TRUE(WasLogged("DEBUG: StatusRequest for Pager [999] Not found!"));
}

TEST_F(PollAndStatus, EotInsteadOfTheAckOfOurSelectEndsTheSession) {
    Start(Emulation::Philips, 4);
    StoreCall("100");
    EXPECT_EQ(Poll(), kEmulatorSelect);
    Feed(kEot);
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(WasLogged("DEBUG: Expected ACK, received EOT."));
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusNew);  // no transfer was built
}

TEST_F(PollAndStatus, OtherCharactersWhileWaitingForTheAckAreDropped) {
    Start();
    StoreCall("100");
    EXPECT_EQ(Poll(), kEmulatorSelect);
    Feed("xy" + kAck);
    EXPECT_EQ(Ticks(2), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitSelectAck));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::SendStatus));
}

TEST_F(PollAndStatus, EotAfterTheTransferIsAnsweredWithEotAndTheCallStaysOwed) {
    Start();
    StoreCall("100");
    ASSERT_FALSE(PollForStatusTransfer().empty());
    Feed("noise" + kEot);
    EXPECT_EQ(Tick(), kEot);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(WasLogged("ERROR: After StatusTransfer no ACK received, only EOT/NAK."));
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_EQ(handler().CurrentPosition, 0);
}

TEST_F(PollAndStatus, NakAfterTheTransferIsAnsweredWithEotAndTheCallStaysOwed) {
    Start();
    StoreCall("100");
    ASSERT_FALSE(PollForStatusTransfer().empty());
    Feed(kNak);
    EXPECT_EQ(Tick(), kEot);
    EXPECT_TRUE(WasLogged("ERROR: After StatusTransfer no ACK received, only EOT/NAK."));
    EXPECT_EQ(table()[0].StatusPending, 1);
    // Still owed: the next poll reports the same call again.
    EXPECT_NE(PollForStatusTransfer().find("100"), std::string::npos);
}

TEST_F(PollAndStatus, AckOfTheTransferIsFoundBehindOtherCharacters) {
    Start();
    StoreCall("100");
    ASSERT_FALSE(PollForStatusTransfer().empty());
    Feed("abc" + kAck);
    EXPECT_EQ(Tick(), kEot);
    EXPECT_EQ(handler().CurrentPosition, -1);
}

}  // namespace
}  // namespace espa::test
