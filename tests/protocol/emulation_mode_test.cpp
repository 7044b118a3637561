#include <gtest/gtest.h>

#include "scripted_central.h"

namespace espa::test {
namespace {

const std::string kMediCallEot = "Medicall800 No EOT received. Session closed.";
const std::string kMediCallArmed = "STATUS: 1 ENQ 2 ENQ received, timeout set.";

using EmulationModes = ScriptedCentral;

// Nothing but a new select stops or re-arms the timer; when it runs out EOT goes out once. Its
// messages need their levels.
TEST_F(EmulationModes, MediCallSendsEotSixtySecondsAfterTheLastSelect) {
    Start(Emulation::MediCall, 4);
    Select();
    EXPECT_EQ(logged, (std::vector<std::string>{
                          kMediCallArmed, "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent."}));
    EXPECT_EQ(Ticks(1000), "");  // the unfinished block times out silently meanwhile
    EXPECT_EQ(SendBlock(CallBlock({{'1', "1234"}})), Ch(ACK));
    logged.clear();
    std::string sent;
    EXPECT_EQ(StepUntilSent(sent), kMediCallTimeoutTicks - 3);
    EXPECT_EQ(sent, Ch(EOT));
    EXPECT_EQ(logged, std::vector<std::string>{kMediCallEot});
    EXPECT_EQ(State(), StateOf(HandlerState::WaitAddress));
    EXPECT_EQ(Ticks(3000), "");
    for (const std::int16_t level : {2, 3}) {
        SCOPED_TRACE(level);
        emulator.Settings().Logfile = level;
        logged.clear();
        Select();
        EXPECT_EQ(WasLogged(kMediCallArmed), level == 3);
        EXPECT_EQ(handler().MediCallTimer(), kMediCallTimeoutTicks);
        EXPECT_EQ(Ticks(kMediCallTimeoutTicks + 10), "");
        EXPECT_FALSE(WasLogged(kMediCallEot));
        EXPECT_EQ(handler().MediCallTimer(), 0);
    }
}

// Its transfers leave an empty word, so the current call is owed nothing more.
TEST_F(EmulationModes, DataCallTransferLeavesAnEmptyWordAndTheNextPollGetsEot) {
    Start(Emulation::DataCall, 4);
    StoreCall("100");
    view.selectedStatus = kStatusPaged;
    EXPECT_EQ(PollForStatusTransfer(), Transfer(frames::Field('1', "100"), '2'));
    EXPECT_EQ(AcknowledgeTransfer(), Ch(EOT));
    EXPECT_EQ(table()[0].ReturnedStatus, "");
    EXPECT_EQ(handler().CurrentPosition(), 0);
    EXPECT_EQ(Poll(), Ch(EOT));
}

TEST_F(EmulationModes, CommTechWireLessIgnoresTheCheckCharacterAndRefusesStatusRequests) {
    Start(Emulation::CommTechWireLess, 1);
    std::string block = CallBlock({{'1', "1234"}});
    block.back() = static_cast<char>(block.back() ^ 0x55);
    EXPECT_EQ(SendBlock(block), Ch(ACK));
    EXPECT_EQ(table()[0].Adres, "1234");
    EXPECT_TRUE(
        WasLogged("DEBUG: CommtechWireLess ignores checksum. So does the emulator.. Just send a "
                  "character.."));
    ASSERT_EQ(handler().CurrentPosition(), 0);
    logged.clear();
    EXPECT_EQ(SendBlock(RequestBlock({{'1', "1234"}})), std::string("1") + NAK);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(handler().CurrentPosition(), -1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[1], "DEBUG: CommtechWireLess reacts STRANGE on SOH3 call. DO NOT USE THAT.");
}

// From a check of 250 on, the raised value is refused by the port: no check character goes out.
// The pager number is "12" and one byte chosen to give the wanted check character.
TEST_F(EmulationModes, CommTechWireLessRaisesTheCheckCharacterOfItsTransferBySix) {
    Start(Emulation::CommTechWireLess, 1);
    const std::string kRaised = "DEBUG: CommTechWireLess Checksum should be ";
    const std::tuple<int, std::string, std::string> cases[] = {
        {0x41, "G", "0x41 now changed to: 0x47"},
        {249, "\xFF", "0xF9 now changed to: 0xFF"},
        {250, "", "0xFA now changed to: 0xxx"}};
    for (const auto& [check, sentCheck, message] : cases) {
        SCOPED_TRACE(check);
        const auto last = static_cast<char>(Transfer(frames::Field('1', "12"), '3').back() ^ check);
        const std::string adres = std::string("12") + last;
        std::string transfer = Transfer(frames::Field('1', adres), '3');
        ASSERT_EQ(static_cast<unsigned char>(transfer.back()), check);
        transfer.pop_back();
        StoreCall(adres);
        EXPECT_EQ(PollForStatusTransfer(), transfer + sentCheck);
        EXPECT_TRUE(WasLogged(kRaised + message));
        EXPECT_EQ(State(), StateOf(HandlerState::WaitStatusAck));
        EXPECT_EQ(AcknowledgeTransfer(), Ch(EOT));
        EXPECT_EQ(handler().CurrentPosition(), -1);  // always reported PAGED
    }
}

}  // namespace
}  // namespace espa::test
