#include <gtest/gtest.h>

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
    const std::tuple<Emulation, std::int16_t, std::vector<std::string>> cases[] = {
        {Emulation::Philips, 4, {kPollReceived, kLineCheck}},
        {Emulation::Philips, 3, {kPollReceived}},
        {Emulation::Philips, 2, {}},
        {Emulation::DataCall, 4, {kPollReceived}}};
    for (const auto& [mode, level, messages] : cases) {
        SCOPED_TRACE(level);
        emulator.Settings().Emulatie = static_cast<std::int16_t>(mode);
        emulator.Settings().Logfile = level;
        logged.clear();
        Feed(kPoll);
        EXPECT_EQ(Tick(), "");
        EXPECT_EQ(State(), StateOf(HandlerState::PollEnq));
        EXPECT_EQ(Tick(), "");
        EXPECT_EQ(State(), StateOf(HandlerState::AnswerPoll));
        EXPECT_EQ(Tick(), Ch(EOT));
        EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
        EXPECT_EQ(handler().CurrentPosition(), -1);
        EXPECT_EQ(logged, messages);
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
    EXPECT_EQ(Tick(), Transfer(frames::Fields({{'1', "1234"}, {'2', "Hello"}, {'3', "2"}}), '3'));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitStatusAck));
    Feed(Ch(ACK));
    EXPECT_EQ(Tick(), Ch(EOT));
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
}

// QUEUE keeps the call current; a final word releases it, and the next poll reports the lowest
// position still pending. The ACK is found behind other characters.
TEST_F(PollAndStatus, OnlyAFinalStatusReleasesTheCallFromThePoll) {
    Start(Emulation::Philips, 4);
    for (const char* adres : {"100", "200", "300"}) {
        StoreCall(adres);
    }
    const std::tuple<const char*, const char*, char, std::int16_t> cases[] = {
        {kStatusQueue, "300", '2', 2},
        {kStatusAbsent, "300", '4', -1},
        {kStatusTerminated, "100", '5', -1},
        {kStatusPaged, "200", '3', -1}};
    for (const auto& [word, adres, code, currentAfter] : cases) {
        SCOPED_TRACE(word);
        logged.clear();
        view.selectedStatus = word;
        EXPECT_EQ(PollForStatusTransfer(), Transfer(frames::Field('1', adres), code));
        Feed("abc" + Ch(ACK));
        EXPECT_EQ(Tick(), Ch(EOT));
        EXPECT_EQ(handler().CurrentPosition(), currentAfter);
        const int p = adres[0] - '1';
        EXPECT_EQ(table()[p].ReturnedStatus, word);
        EXPECT_EQ(table()[p].StatusPending, currentAfter < 0 ? 0 : 1);
        EXPECT_EQ(WasLogged(std::string("DEBUG: Status ") + word +
                            " sent. 2 ENQ no longer points to this call."),
                  currentAfter < 0);
    }
    EXPECT_EQ(Poll(), Ch(EOT));
}

// The operator clears the current call: the poll gets EOT while the others wait.
TEST_F(PollAndStatus, ClearedCurrentPositionIsAnsweredWithEotWhileOthersWait) {
    Start();
    StoreCall("100");
    StoreCall("200");
    table().ClearPosition(1);
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

// EOT instead of the ACK of our select ends the session before a transfer is built; an ACK after
// the operator deleted the call is answered with one EOT.
TEST_F(PollAndStatus, EotForOurSelectOrAnAckAfterTheCallWentEndsTheSession) {
    Start(Emulation::Philips, 4);
    StoreCall("100");
    EXPECT_EQ(Poll(), kEmulatorSelect);
    Feed(Ch(EOT));
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_TRUE(WasLogged("DEBUG: Expected ACK, received EOT."));
    EXPECT_EQ(table()[0].ReturnedStatus, kStatusNew);
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

// A plan answers instead of the operator's PAGED: by the polls that report on the call, or by
// the seconds the one-second tick counts from its storing (one tick after each poll here).
TEST_F(PollAndStatus, StatusPlansAnswerByPollsOrBySecondsInPlaceOfTheChoice) {
    Start();
    std::string error;
    emulator.Status().SetStatusPlans({*StatusPlan::Parse("9*=queue:2,absent", error),
                                      *StatusPlan::Parse("queue:2s,terminated", error)});
    for (const auto& [adres, codes] : {std::pair("900", "224"), std::pair("100", "225")}) {
        StoreCall(adres);
        for (const char* code = codes; *code != 0; ++code) {
            EXPECT_EQ(PollForStatusTransfer(), Transfer(frames::Field('1', adres), *code));
            EXPECT_EQ(AcknowledgeTransfer(), Ch(EOT));
            emulator.BufferTick();
        }
    }
    EXPECT_TRUE(WasLogged("StatusSend QUEUE for Adres [900] (status plan 9*=queue:2,absent)"));
}

}  // namespace
}  // namespace espa::test
