#include <gtest/gtest.h>

#include <string>

#include "central/central_session.h"
#include "core/control_chars.h"

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

std::string Bytes(std::initializer_list<char> bytes) {
    return std::string(bytes);
}

class CentralSessionTest : public ::testing::Test {
  protected:
    void Answer(const std::string& bytes) {
        for (char c : bytes) {
            central.Receive(c);
        }
    }

    CentralSession central{CentralSession::Timing{1000, 2}};
};

TEST(CentralFraming, BlockCarriesTheExclusiveOrOfEverythingAfterSoh) {
    const std::string block = FrameBlock('1', {{'1', "123"}});
    const std::string body = Bytes({'1', STX, '1', US, '1', '2', '3', ETX});
    char check = 0;
    for (char c : body) {
        check ^= c;
    }
    EXPECT_EQ(block, SOH + body + check);
}

TEST(CentralFraming, FieldsRoundTripWithEightBitValues) {
    const EspaFields fields{{'1', "1234"}, {'2', "Caf\xE9 \x01x"}, {'7', ""}};
    const std::string data = EncodeFields(fields);
    ASSERT_EQ(data.back(), ETX);
    EXPECT_EQ(DecodeFields(data.substr(0, data.size() - 1)), fields);
}

TEST_F(CentralSessionTest, CallIsSelectedSentAndClosedWithEot) {
    central.QueueCall({{'1', "1234"}});
    EXPECT_EQ(central.TakeOutput(), Bytes({'1', ENQ, '2', ENQ}));
    Answer({ACK});
    EXPECT_EQ(central.TakeOutput(), FrameBlock('1', {{'1', "1234"}}));
    Answer({ACK});
    EXPECT_EQ(central.TakeOutput(), std::string(1, EOT));
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::CallAccepted);
    EXPECT_TRUE(central.Idle());
}

TEST_F(CentralSessionTest, NakedCallIsRetriedTwiceWithAFreshSelectThenRefused) {
    central.QueueCall({{'1', "9"}});
    central.TakeOutput();
    for (int attempt = 0; attempt < 3; ++attempt) {
        Answer({ACK});
        EXPECT_EQ(central.TakeOutput(), FrameBlock('1', {{'1', "9"}})) << attempt;
        Answer({NAK});
        if (attempt < 2) {
            EXPECT_EQ(central.TakeOutput(), Bytes({'1', ENQ, '2', ENQ})) << attempt;
        }
    }
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::CallRefused);
}

TEST_F(CentralSessionTest, StatusRequestNakMeansRefusedWithoutRetry) {
    central.QueueStatusRequest({{'1', "5"}});
    central.TakeOutput();
    Answer({ACK});
    EXPECT_EQ(central.TakeOutput(), FrameBlock('3', {{'1', "5"}}));
    Answer({'1', NAK});
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::StatusRequestRefused);
    EXPECT_EQ(central.TakeOutput(), "");
}

TEST_F(CentralSessionTest, PollReceivesAndAcknowledgesAStatusTransfer) {
    central.QueuePoll();
    EXPECT_EQ(central.TakeOutput(), Bytes({'2', ENQ}));
    Answer({'1', ENQ});
    EXPECT_EQ(central.TakeOutput(), std::string(1, ACK));
    Answer(FrameBlock('2', {{'1', "1234"}, {'7', "3"}}));
    EXPECT_EQ(central.TakeOutput(), std::string(1, ACK));
    EXPECT_FALSE(central.Idle());  // until the EOT
    Answer({EOT});
    EXPECT_TRUE(central.Idle());
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::StatusTransfer);
    EXPECT_EQ(events[0].fields, (EspaFields{{'1', "1234"}, {'7', "3"}}));
}

TEST_F(CentralSessionTest, StatusTransferWithWrongCheckIsNaked) {
    central.QueuePoll();
    Answer({'1', ENQ});
    central.TakeOutput();
    std::string block = FrameBlock('2', {{'7', "3"}});
    block.back() ^= 0x40;
    Answer(block);
    EXPECT_EQ(central.TakeOutput(), std::string(1, NAK));
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::BadStatusTransfer);
}

TEST_F(CentralSessionTest, EmptyPollAndSilenceAreReported) {
    central.QueuePoll();
    Answer({EOT});
    central.QueuePoll();
    central.Advance(999);
    EXPECT_TRUE(central.TakeEvents().size() == 1);
    central.Advance(1);
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::NoAnswer);
    EXPECT_TRUE(central.Idle());
}

TEST_F(CentralSessionTest, QueuedJobsRunOneAfterAnother) {
    central.QueueCall({{'1', "1"}});
    central.QueuePoll();
    EXPECT_EQ(central.TakeOutput(), Bytes({'1', ENQ, '2', ENQ}));
    Answer({ACK});
    central.TakeOutput();
    Answer({ACK});
    EXPECT_EQ(central.TakeOutput(), Bytes({EOT, '2', ENQ}));
}

TEST_F(CentralSessionTest, UnexpectedAnswerEndsTheExchange) {
    central.QueueCall({{'1', "1"}});
    Answer({EOT});
    const auto events = central.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::UnexpectedAnswer);
    EXPECT_EQ(events[0].detail, std::string(1, EOT));
    EXPECT_TRUE(central.Idle());
}

}  // namespace
}  // namespace espa
