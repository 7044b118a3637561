#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_central.h"

namespace espa::test {
namespace {

const std::string kEmulatorSelect = std::string("1") + ENQ;
const std::string kPollReceived = "DEBUG: Statusrequest (2 ENQ) received.";
const std::string kLineCheck =
    "DEBUG: Error StatusRequest. No status available. Just received 2 ENQ. LineCheck?";

using PollAndStatus = ScriptedCentral;

// The LineCheck message is written in every mode but DataCall.
TEST_F(PollAndStatus, PollWithNothingOwedIsAnsweredWithEotOnTheThirdTickAsIsAWrongPoll) {
    Start();
    struct Case {
        Emulation mode;
        std::int16_t level;
        std::vector<std::string> messages;
    };
    const Case cases[] = {{Emulation::Philips, 4, {kPollReceived, kLineCheck}},
                          {Emulation::Philips, 3, {kPollReceived}},
                          {Emulation::Philips, 2, {}},
                          {Emulation::DataCall, 4, {kPollReceived}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        emulator.Settings().Emulatie = static_cast<std::int16_t>(c.mode);
        emulator.Settings().Logfile = c.level;
        logged.clear();
        Feed(kPoll);
        EXPECT_EQ(Tick(), "");
        EXPECT_EQ(State(), StateOf(HandlerState::PollEnq));
        EXPECT_EQ(Tick(), "");
        EXPECT_EQ(State(), StateOf(HandlerState::AnswerPoll));
        EXPECT_EQ(Tick(), Ch(EOT));
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
        EXPECT_EQ(handler().CurrentPosition(), -1);
        EXPECT_EQ(logged, c.messages);
    }
    for (const std::string& notAPoll : {std::string("2x"), std::string("2\0", 2)}) {
        Feed(notAPoll);
        EXPECT_EQ(Ticks(2), Ch(EOT));
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    }
}

TEST_F(PollAndStatus, FullStatusTransferCarriesTheRightCheckCharacter) {
    Start(Emulation::Philips, 4);
    ASSERT_EQ(SendBlock(CallBlock({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}})), Ch(ACK));
    view.selectedStatus = kStatusPaged;

    Feed(kPoll);
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent, 10), 3);
    EXPECT_EQ(sent, kEmulatorSelect);
    EXPECT_EQ(State(), StateOf(HandlerState::WaitSelectAck));

    Feed(Ch(ACK));
    EXPECT_EQ(Tick(), "");  // reads the ACK
    EXPECT_EQ(State(), StateOf(HandlerState::SendStatus));
    const std::string fields =
        std::string("1") + US + "1234" + RS + "2" + US + "Hello" + RS + "3" + US + "2";
    EXPECT_EQ(Tick(), Transfer(fields, '3'));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitStatusAck));

    Feed(Ch(ACK));
    EXPECT_EQ(Tick(), Ch(EOT));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
}

// QUEUE keeps the call current; a final word releases it, and the next poll reports the lowest
// position still pending.
TEST_F(PollAndStatus, OnlyAFinalStatusReleasesTheCallFromThePoll) {
    Start(Emulation::Philips, 4);
    for (const char* adres : {"100", "200", "300"}) {
        StoreCall(adres);
    }
    struct Case {
        const char* word;
        const char* adres;
        char code;
        std::int16_t currentAfter;
    };
    const Case cases[] = {{kStatusQueue, "300", '2', 2},
                          {kStatusAbsent, "300", '4', -1},
                          {kStatusTerminated, "100", '5', -1},
                          {kStatusPaged, "200", '3', -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        logged.clear();
        view.selectedStatus = c.word;
        EXPECT_EQ(PollForStatusTransfer(), Transfer(std::string("1") + US + c.adres, c.code));
        Feed("abc" + Ch(ACK));  // the ACK is found behind other characters
        EXPECT_EQ(Tick(), Ch(EOT));
        EXPECT_EQ(handler().CurrentPosition(), c.currentAfter);
        const int p = c.adres[0] - '1';
        EXPECT_EQ(table()[p].ReturnedStatus, c.word);
        EXPECT_EQ(table()[p].StatusPending, c.currentAfter < 0 ? 0 : 1);
        EXPECT_EQ(WasLogged(std::string("DEBUG: Status ") + c.word +
                            " sent. 2 ENQ no longer points to this call."),
                  c.currentAfter < 0);
    }
    EXPECT_EQ(Poll(), Ch(EOT));
}

TEST_F(PollAndStatus, ClearedCurrentPositionIsAnsweredWithEotWhileOthersWait) {
    Start();
    StoreCall("100");
    StoreCall("200");
    table().ClearPosition(1);  // the operator clears the current call
    EXPECT_EQ(Poll(), Ch(EOT));
    EXPECT_EQ(handler().CurrentPosition(), 1);
    EXPECT_EQ(table()[0].StatusPending, 1);
}

TEST_F(PollAndStatus, StatusRequestMakesAFoundCallCurrentAndPendingAndRefusesAnUnknownOne) {
    Start();
    StoreCall("100");
    ASSERT_FALSE(PollForStatusTransfer().empty());
    ASSERT_EQ(AcknowledgeTransfer(), Ch(EOT));  // PAGED: no longer pending
    StoreCall("200");

    EXPECT_EQ(SendBlock(RequestBlock({{'1', "100"}})), Ch(ACK));
    EXPECT_EQ(handler().CurrentPosition(), 0);
    EXPECT_EQ(table()[0].StatusPending, 1);
    EXPECT_NE(PollForStatusTransfer().find(std::string(1, US) + "100"), std::string::npos);
    EXPECT_EQ(AcknowledgeTransfer(), Ch(EOT));

    EXPECT_EQ(SendBlock(RequestBlock({{'1', "999"}})), Ch(NAK));
    EXPECT_EQ(handler().CurrentPosition(), -1);
}

TEST_F(PollAndStatus, EotInsteadOfTheAckOfOurSelectEndsTheSession) {
    Start(Emulation::Philips, 4);
    StoreCall("100");
    EXPECT_EQ(Poll(), kEmulatorSelect);
    Feed(Ch(EOT));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(WasLogged("DEBUG: Expected ACK, received EOT."));
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusNew);  // no transfer was built
}

// The operator deleted the call while the central was taking our select.
TEST_F(PollAndStatus, SelectAckedAfterTheCallWentIsAnsweredWithOneEot) {
    Start();
    StoreCall("100");
    EXPECT_EQ(Poll(), kEmulatorSelect);
    table()[0].ReturnedStatus = kStatusPaged;
    ASSERT_EQ(emulator.DeleteAnsweredCall(0), Emulator::DeleteResult::Deleted);
    Feed(Ch(ACK));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(Tick(), Ch(EOT));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(Ticks(5), "");
}

TEST_F(PollAndStatus, EotOrNakAfterTheTransferIsAnsweredWithEotAndTheCallStaysOwed) {
    Start();
    StoreCall("100");
    for (const std::string& refusal : {"noise" + Ch(EOT), Ch(NAK)}) {
        SCOPED_TRACE(refusal);
        ASSERT_NE(PollForStatusTransfer().find(std::string(1, US) + "100"), std::string::npos);
        logged.clear();
        Feed(refusal);
        EXPECT_EQ(Tick(), Ch(EOT));
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
        EXPECT_EQ(logged, std::vector<std::string>{
                              "ERROR: After StatusTransfer no ACK received, only EOT/NAK."});
        EXPECT_EQ(table()[0].StatusPending, 1);
        EXPECT_EQ(handler().CurrentPosition(), 0);
    }
}

}  // namespace
}  // namespace espa::test
