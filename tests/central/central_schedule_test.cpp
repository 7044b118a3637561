#include "central/central_schedule.h"

#include <gtest/gtest.h>

#include "core/control_chars.h"

namespace espa {
namespace {

using Kind = CentralEvent::Kind;

const std::string kSelect{'1', ENQ, '2', ENQ};
const std::string kPoll{'2', ENQ};
const std::string kTransfer = FrameBlock('2', {{'1', "1"}, {'7', "3"}});

CentralJob Call(const std::string& address) {
    return {CentralJob::Kind::Call, {{'1', address}}};
}

CentralJob Request(const std::string& address) {
    return {CentralJob::Kind::StatusRequest, {{'1', address}}};
}

std::string Damaged(std::string block) {
    block.back() ^= 0x01;
    return block;
}

// Plans without polls, and one that polls once at the start.
const CentralSchedule::Plan kOneCall{{Call("1")}, 0, 0, std::nullopt};
const CentralSchedule::Plan kTwoCalls{{Call("1"), Call("2")}, 0, 0, std::nullopt};
const CentralSchedule::Plan kOneRequest{{Request("9")}, 0, 0, std::nullopt};
const CentralSchedule::Plan kOnePoll{{}, 0, 1, std::nullopt};

class CentralScheduleTest : public ::testing::Test {
  protected:
    void Make(CentralSchedule::Plan plan, int timeoutMs = 1000,
              std::optional<CentralSchedule::MoreJobs> more = {}) {
        m_schedule.emplace(std::move(plan), CentralSession::Timing{timeoutMs, 2, 0},
                           std::move(more));
    }
    std::string Sent() { return m_schedule->TakeOutput(); }
    void Answer(const std::string& bytes) { m_schedule->Receive(bytes); }
    std::vector<Kind> Kinds() {
        std::vector<Kind> kinds;
        for (const CentralEvent& e : m_schedule->TakeEvents()) {
            kinds.push_back(e.kind);
        }
        return kinds;
    }
    // The paging system takes the call: ACK to the select, ACK to the block.
    void AcceptCall(const std::string& address) {
        ASSERT_EQ(Sent(), kSelect);
        Answer({ACK});
        ASSERT_EQ(Sent(), FrameBlock('1', {{'1', address}}));
        Answer({ACK});
    }

    std::optional<CentralSchedule> m_schedule;
};

TEST_F(CentralScheduleTest, FirstCallGoesAtOnceAndTheFirstPollOneIntervalLater) {
    Make({{Call("1")}, 100, 1, std::nullopt});
    AcceptCall("1");
    EXPECT_EQ(Sent(), std::string(1, EOT));
    m_schedule->Advance(99);
    EXPECT_EQ(Sent(), "");
    m_schedule->Advance(1);
    EXPECT_EQ(Sent(), kPoll);
    EXPECT_FALSE(m_schedule->Done());
    Answer({EOT});
    EXPECT_TRUE(m_schedule->Done());
    EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::CallAccepted, Kind::PollEmpty}));
}

TEST_F(CentralScheduleTest, DuePollGoesBetweenTwoCallsAndTheNextCallRightAfterIt) {
    Make({{Call("1"), Call("2")}, 10, std::nullopt, std::nullopt});
    m_schedule->Advance(50);  // the first call is slow: the poll falls due meanwhile
    AcceptCall("1");
    EXPECT_EQ(Sent(), std::string(1, EOT) + kPoll);
    Answer({EOT});
    // The interval counts from the end of the poll, so the waiting call goes first.
    EXPECT_EQ(Sent(), kSelect);
}

TEST_F(CentralScheduleTest, PollingEndsAfterTheDuration) {
    Make({{}, 100, std::nullopt, 250});
    for (int poll = 0; poll < 2; ++poll) {
        m_schedule->Advance(100);
        EXPECT_EQ(Sent(), kPoll);
        Answer({EOT});
    }
    EXPECT_FALSE(m_schedule->Done());
    m_schedule->Advance(60);
    EXPECT_EQ(Sent(), "");
    EXPECT_TRUE(m_schedule->Done());
}

TEST_F(CentralScheduleTest, SilentLineEndsTheRunAtTheFirstTimeout) {
    Make({{Call("1"), Call("2")}, 100, std::nullopt, std::nullopt}, 300);
    EXPECT_EQ(Sent(), kSelect);
    m_schedule->Advance(299);
    EXPECT_FALSE(m_schedule->Done());
    m_schedule->Advance(1);
    EXPECT_TRUE(m_schedule->Done());
    EXPECT_TRUE(m_schedule->Failed());
    EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::NoAnswer}));
    // Neither the second call nor a poll goes out on a dead line.
    m_schedule->Advance(1000);
    EXPECT_EQ(Sent(), "");
}

// The demo's plan: a job every interval from a source without end, polls in between, and a line
// that falls silent for a while does not end it.
TEST_F(CentralScheduleTest, EndlessJobsStartOneIntervalApartAndOutliveASilentLine) {
    int asked = 0;
    Make({{}, 1000, std::nullopt, std::nullopt}, 300,
         CentralSchedule::MoreJobs{[&] { return Call(std::to_string(++asked)); }, 4000, 1000});
    m_schedule->Advance(999);
    EXPECT_EQ(Sent(), "");
    m_schedule->Advance(1);
    EXPECT_EQ(Sent(), kPoll);  // due together: the poll goes first
    Answer({EOT});
    AcceptCall("1");
    EXPECT_EQ(Sent(), std::string(1, EOT));

    m_schedule->Advance(1000);
    EXPECT_EQ(Sent(), kPoll);
    m_schedule->Advance(300);
    EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::PollEmpty, Kind::CallAccepted, Kind::NoAnswer}));
    EXPECT_FALSE(m_schedule->Done());
    m_schedule->Advance(2699);
    EXPECT_EQ(Sent(), kPoll);
    Answer({EOT});
    EXPECT_EQ(Sent(), "");  // four seconds after the first call started, not before
    m_schedule->Advance(1);
    EXPECT_EQ(Sent(), kSelect);
    EXPECT_EQ(asked, 2);
}

TEST_F(CentralScheduleTest, NewTimingTakesOverAtTheNextExchangeAndNothingUnsentIsLost) {
    Make(kTwoCalls, 300);
    m_schedule->SetTiming({100, 2, 0});
    m_schedule->Advance(100);  // the running exchange keeps its 300 ms
    AcceptCall("1");
    EXPECT_EQ(Sent(), std::string(1, EOT) + kSelect);
    m_schedule->Advance(100);
    EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::CallAccepted, Kind::NoAnswer}));
}

// What fails a run: every answer the paging system may give, and the run's verdict on it.
TEST_F(CentralScheduleTest, OnlyFailedExchangesFailTheRun) {
    struct Case {
        const char* name;
        CentralSchedule::Plan plan;
        std::string answers;
        Kind kind;
        bool failed;
        bool done;  // false: a later job is still running
    };
    const std::string accept{ACK, ACK}, refuse{ACK, NAK}, select{'1', ENQ};
    const Case cases[] = {
        {"AcceptedCall", kOneCall, accept, Kind::CallAccepted, false, true},
        {"CallNakedThreeTimes", kOneCall, refuse + refuse + refuse, Kind::CallRefused, true, true},
        {"RefusedRequestIsAnAnswer", kOneRequest, refuse, Kind::StatusRequestRefused, false, true},
        {"UnexpectedAnswerLetsTheNextCallGo", kTwoCalls, "\x04", Kind::UnexpectedAnswer, true,
         false},
        {"StatusTransfer", kOnePoll, select + kTransfer + EOT, Kind::StatusTransfer, false, true},
        {"DamagedStatusTransfer", kOnePoll, select + Damaged(kTransfer) + EOT,
         Kind::BadStatusTransfer, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.plan);
        Answer(c.answers);
        EXPECT_EQ(Kinds(), (std::vector<Kind>{c.kind}));
        EXPECT_EQ(m_schedule->Failed(), c.failed);
        EXPECT_EQ(m_schedule->Done(), c.done);
    }
}

// The operator reading a "no answer" report learns which step of the exchange fell silent.
TEST_F(CentralScheduleTest, NoAnswerNamesTheStepThatFellSilent) {
    const std::string select{'1', ENQ};
    const struct {
        const CentralSchedule::Plan& plan;
        std::string answers;
        const char* awaited;
    } cases[] = {
        {kOneCall, "", "ACK of the select"},
        {kOneCall, {ACK}, "ACK or NAK of the block"},
        {kOnePoll, "", "answer to the poll"},
        {kOnePoll, "1", "ENQ of the paging system's select"},
        {kOnePoll, select, "status transfer block"},
        {kOnePoll, select + kTransfer.substr(0, kTransfer.size() - 1),
         "check character of the status transfer"},
        {kOnePoll, select + kTransfer, "EOT after the status transfer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.awaited);
        Make(c.plan, 200);
        Answer(c.answers);
        m_schedule->Advance(200);
        const auto events = m_schedule->TakeEvents();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, Kind::NoAnswer);
        EXPECT_EQ(events.back().detail, c.awaited);
    }
}

// A status transfer the central refused stays open until the paging system closes it with EOT,
// sends it again, or falls silent; a call queued behind it waits for that.
class RefusedTransfer : public CentralScheduleTest {
  protected:
    void SetUp() override {
        Make({{Call("2")}, 0, 1, std::nullopt});
        ASSERT_EQ(Sent(), kPoll);
        Answer("1\x05" + Damaged(kTransfer));
        ASSERT_EQ(Sent(), (std::string{ACK, NAK}));
        ASSERT_EQ(Kinds(), (std::vector<Kind>{Kind::BadStatusTransfer}));
    }
};

TEST_F(RefusedTransfer, NextJobWaitsForTheClosingEot) {
    Answer({EOT});
    EXPECT_EQ(Sent(), kSelect);
    EXPECT_TRUE(Kinds().empty());
}

TEST_F(RefusedTransfer, BlockSentAgainIsAcceptedAndReported) {
    Answer(kTransfer);
    EXPECT_EQ(Sent(), std::string(1, ACK));
    const auto events = m_schedule->TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Kind::StatusTransfer);
    EXPECT_EQ(events[0].fields, (EspaFields{{'1', "1"}, {'7', "3"}}));
    // Accepted now, so a missing EOT is the paging system's fault again.
    m_schedule->Advance(1000);
    EXPECT_EQ(Kinds(), (std::vector<Kind>{Kind::NoAnswer}));
}

TEST_F(RefusedTransfer, SilenceClosesItWithoutASecondReport) {
    m_schedule->Advance(999);
    EXPECT_EQ(Sent(), "");
    m_schedule->Advance(1);
    EXPECT_TRUE(Kinds().empty());
    EXPECT_EQ(Sent(), kSelect);
}

}  // namespace
}  // namespace espa
