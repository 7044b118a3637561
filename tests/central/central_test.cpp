#include <gtest/gtest.h>

#include "central/central_schedule.h"
#include "core/control_chars.h"

namespace espa {
namespace {

using Kind = CentralEvent::Kind;
using Kinds = std::vector<Kind>;

const std::string kSelect{'1', ENQ, '2', ENQ}, kPoll{'2', ENQ}, kEot{EOT}, kAck{ACK}, kNak{NAK};
const std::string kTransfer = FrameBlock('2', {{'1', "1"}, {'7', "3"}});
const std::string kDamaged = kTransfer.substr(0, kTransfer.size() - 1) + char(kTransfer.back() ^ 1);

std::string Block(const std::string& address, char header = '1') {
    return FrameBlock(header, {{'1', address}});
}
Kinds KindsOf(const std::vector<CentralEvent>& events) {
    Kinds kinds;
    for (const CentralEvent& e : events) {
        kinds.push_back(e.kind);
    }
    return kinds;
}

// Time passing, then the paging system's answer, then what the central sends.
struct Step {
    int advanceMs;
    std::string answer, sent;
};

TEST(CentralFraming, BlockCarriesTheExclusiveOrOfEverythingAfterSoh) {
    const std::string body{'1', STX, '1', US, '1', '2', '3', ETX};
    EXPECT_EQ(FrameBlock('1', {{'1', "123"}}),
              SOH + body + char('1' ^ STX ^ '1' ^ US ^ '1' ^ '2' ^ '3' ^ ETX));
    const EspaFields fields{{'1', "1234"}, {'2', "Caf\xE9 \x01x"}, {'7', ""}};
    const std::string data = EncodeFields(fields);
    ASSERT_EQ(data.back(), ETX);
    EXPECT_EQ(DecodeFields(data.substr(0, data.size() - 1)), fields);
}

// Queued first: a call to `pager` (a status request when `request`) and a poll when `poll`.
TEST(CentralSession, EachExchangeSendsItsBytesAndReportsOnce) {
    const struct {
        const char* name;
        const char* pager;  // none: no call
        bool request, poll;
        std::vector<Step> steps;
        Kinds kinds;
        std::optional<CentralEvent> last = {};  // with the fields and detail of the last event
        bool idle = true;
        CentralSession::Timing timing = {1000, 2};
    } cases[] = {
        // clang-format off
        {"call selected, sent and closed with EOT", "12", false, false,
         {{0, "", kSelect}, {0, kAck, Block("12")}, {0, kAck, kEot}}, {Kind::CallAccepted}},
        {"NAKed call retried twice with a fresh select, then refused", "9", false, false,
         {{0, "", kSelect}, {0, kAck, Block("9")}, {0, kNak, kSelect}, {0, kAck, Block("9")},
          {0, kNak, kSelect}, {0, kAck, Block("9")}, {0, kNak, ""}},
         {Kind::Resent, Kind::Resent, Kind::CallRefused}},
        {"status request answered 1 NAK is refused without a retry", "5", true, false,
         {{0, "", kSelect}, {0, kAck, Block("5", '3')}, {0, "1" + kNak, ""}},
         {Kind::StatusRequestRefused}},
        {"poll takes a status transfer and waits for the EOT", nullptr, false, true,
         {{0, "", kPoll}, {0, "1\x05", kAck}, {0, kTransfer, kAck}}, {Kind::StatusTransfer},
         CentralEvent{Kind::StatusTransfer, {{'1', "1"}, {'7', "3"}}, {}}, false},
        {"status transfer with a wrong check is NAKed", nullptr, false, true,
         {{0, "", kPoll}, {0, "1\x05", kAck}, {0, kDamaged, kNak}}, {Kind::BadStatusTransfer}, {},
         false},
        {"unexpected answer ends the exchange", "1", false, false,
         {{0, "", kSelect}, {0, kEot, ""}}, {Kind::UnexpectedAnswer},
         CentralEvent{Kind::UnexpectedAnswer, {{'1', "1"}}, kEot}},
        // The retries as set: NAKs, reselect or not, silence and the interval before a retry.
        {"NAK retry without a select meets silence", "9", false, false, {{0, "", kSelect},
         {0, kAck, Block("9")}, {0, kNak, Block("9")}, {999, "", ""}, {1, "", ""}},
         {Kind::Resent, Kind::NoAnswer}, {}, true, {1000, 1, 0, false}},
        {"silence retried twice after the interval, then given up", "9", false, false,
         {{0, "", kSelect}, {300, "", ""}, {499, "", ""}, {1, "", kSelect}, {300, "", ""},
          {500, "", kSelect}, {300, "", ""}}, {Kind::Retry, Kind::Retry, Kind::NoAnswer}, {}, true,
         {300, 2, 0, true, 2, 500}},
        {"a byte in the interval changes nothing; the retry is answered", "9", false, false,
         {{0, "", kSelect}, {300, "", ""}, {250, kAck, ""}, {250, "", kSelect},
          {0, kAck, Block("9")}, {0, kAck, kEot}}, {Kind::Retry, Kind::CallAccepted}, {}, true,
         {300, 2, 0, true, 1, 500}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CentralSession central{c.timing};
        if (c.pager != nullptr) {
            c.request ? central.QueueStatusRequest({{'1', c.pager}})
                      : central.QueueCall({{'1', c.pager}});
        }
        if (c.poll) {
            central.QueuePoll();
        }
        std::vector<CentralEvent> events;
        for (const Step& step : c.steps) {
            central.Advance(step.advanceMs);
            for (char byte : step.answer) {
                central.Receive(byte);
            }
            EXPECT_EQ(central.TakeOutput(), step.sent);
            std::ranges::move(central.TakeEvents(), std::back_inserter(events));
        }
        EXPECT_EQ(KindsOf(events), c.kinds);
        if (c.last) {
            EXPECT_EQ(std::pair(events.back().fields, events.back().detail),
                      std::pair(c.last->fields, c.last->detail));
        }
        EXPECT_EQ(central.Idle(), c.idle);
    }
}

CentralJob Call(const std::string& address) {
    return {CentralJob::Kind::Call, {{'1', address}}};
}

const CentralSchedule::Plan kOneCall{{Call("1")}, 0, 0, std::nullopt};
const CentralSchedule::Plan kTwoCalls{{Call("1"), Call("2")}, 0, 0, std::nullopt};
const CentralSchedule::Plan kOneRequest{
    {{CentralJob::Kind::StatusRequest, {{'1', "9"}}}}, 0, 0, {}};
const CentralSchedule::Plan kOnePoll{{}, 0, 1, std::nullopt};
const CentralSchedule::Plan kOneCallPolled{{Call("1")}, 1000, {}, {}};

// Call 1 accepted, a poll a second answered QUEUE (code 2), then one answered `lastCode`.
std::vector<Step> QueuedCall(const char* lastCode) {
    const auto answer = [](const char* code) {
        return "1\x05" + FrameBlock('2', {{'1', "1"}, {'7', code}}) + kEot;
    };
    return {{0, "", kSelect},
            {0, kAck, Block("1")},
            {0, kAck, kEot},
            {1000, "", kPoll},
            {0, answer("2"), kAck + kAck},
            {1000, "", kPoll},
            {0, answer(lastCode), kAck + kAck},
            {500, "", ""}};
}

class CentralScheduleTest : public ::testing::Test {
  protected:
    void Make(CentralSchedule::Plan plan, int timeoutMs = 1000,
              std::optional<CentralSchedule::MoreJobs> more = {}) {
        m_schedule.emplace(std::move(plan), CentralSession::Timing{timeoutMs, 2, 0},
                           std::move(more));
    }
    void Play(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE(&step - steps.data());
            m_schedule->Advance(step.advanceMs);
            m_schedule->Receive(step.answer);
            EXPECT_EQ(m_schedule->TakeOutput(), step.sent);
        }
    }
    Kinds TakeKinds() { return KindsOf(m_schedule->TakeEvents()); }

    std::optional<CentralSchedule> m_schedule;
};

TEST_F(CentralScheduleTest, EachPlanSendsItsJobsAndPollsInTimeAndEndsAsPlanned) {
    const struct {
        const char* name;
        CentralSchedule::Plan plan;
        int timeoutMs;
        std::vector<Step> steps;
        Kinds kinds;
        bool done, failed;
        const char* awaited = nullptr;        // what a "no answer" report says it waited for
        std::optional<int> finalWaitMs = {};  // polling until each call has a final status
    } cases[] = {
        // clang-format off
        {"first call at once, first poll one interval later", {{Call("1")}, 100, 1, {}}, 1000,
         {{0, "", kSelect}, {0, kAck, Block("1")}, {0, kAck, kEot}, {99, "", ""}, {1, "", kPoll},
          {0, kEot, ""}},
         {Kind::CallAccepted, Kind::PollEmpty}, true, false},
        {"poll due while a call is slow goes next; the interval counts from the poll's end",
         {{Call("1"), Call("2")}, 10, {}, {}}, 1000,
         {{50, "", kSelect}, {0, kAck, Block("1")}, {0, kAck, kEot + kPoll}, {0, kEot, kSelect}},
         {Kind::CallAccepted, Kind::PollEmpty}, false, false},
        {"polling ends after the duration", {{}, 100, {}, 250}, 1000,
         {{100, "", kPoll}, {0, kEot, ""}, {100, "", kPoll}, {0, kEot, ""}, {60, "", ""}},
         {Kind::PollEmpty, Kind::PollEmpty}, true, false},
        // Neither the second call nor a poll goes out on a dead line.
        {"silent line ends the run at the first timeout", {{Call("1"), Call("2")}, 100, {}, {}},
         300, {{0, "", kSelect}, {299, "", ""}, {1, "", ""}, {1000, "", ""}}, {Kind::NoAnswer},
         true, true},
        // A status transfer the central refused stays open until the paging system closes it with
        // EOT, sends it again, or falls silent; a call queued behind it waits for that.
        {"refused transfer closed with EOT", {{Call("2")}, 0, 1, {}}, 1000,
         {{0, "", kPoll}, {0, "1\x05" + kDamaged, {ACK, NAK}}, {0, kEot, kSelect}},
         {Kind::BadStatusTransfer}, false, true},
        {"refused transfer sent again", {{Call("2")}, 0, 1, {}}, 1000,
         {{0, "", kPoll}, {0, "1\x05" + kDamaged, {ACK, NAK}}, {0, kTransfer, kAck},
          {999, "", ""}, {1, "", kSelect}},
         {Kind::BadStatusTransfer, Kind::StatusTransfer, Kind::NoEot}, false, true},
        {"refused transfer left silent", {{Call("2")}, 0, 1, {}}, 1000,
         {{0, "", kPoll}, {0, "1\x05" + kDamaged, {ACK, NAK}}, {999, "", ""}, {1, "", kSelect}},
         {Kind::BadStatusTransfer}, false, true},
        // What fails a run: every answer the paging system may give, and the verdict on it.
        {"accepted call", kOneCall, 1000, {{0, kAck + kAck, kSelect + Block("1") + kEot}},
         {Kind::CallAccepted}, true, false},
        {"call NAKed three times", kOneCall, 1000, {{0, kAck + kNak + kAck + kNak + kAck + kNak,
         kSelect + Block("1") + kSelect + Block("1") + kSelect + Block("1")}},
         {Kind::Resent, Kind::Resent, Kind::CallRefused}, true, true},
        {"refused request is an answer", kOneRequest, 1000,
         {{0, kAck + kNak, kSelect + Block("9", '3')}}, {Kind::StatusRequestRefused}, true, false},
        {"unexpected answer", kTwoCalls, 1000, {{0, kEot, kSelect + kSelect}},
         {Kind::UnexpectedAnswer}, false, true},
        {"status transfer", kOnePoll, 1000, {{0, "1\x05" + kTransfer + kEot, kPoll + kAck + kAck}},
         {Kind::StatusTransfer}, true, false},
        {"damaged status transfer", kOnePoll, 1000,
         {{0, "1\x05" + kDamaged + kEot, kPoll + kAck + kNak}}, {Kind::BadStatusTransfer}, true,
         true},
        // The operator reading a "no answer" report learns which step of the exchange fell silent.
        {"silent select", kOneCall, 200, {{0, "", kSelect}, {200, "", ""}}, {Kind::NoAnswer}, true,
         true, "ACK of the select"},
        {"silent block", kOneCall, 200, {{0, kAck, kSelect + Block("1")}, {200, "", ""}},
         {Kind::NoAnswer}, true, true, "ACK or NAK of the block"},
        {"silent poll", kOnePoll, 200, {{0, "", kPoll}, {200, "", ""}}, {Kind::NoAnswer}, true,
         true, "answer to the poll"},
        {"half a select", kOnePoll, 200, {{0, "1", kPoll}, {200, "", ""}}, {Kind::NoAnswer}, true,
         true, "ENQ of the paging system's select"},
        {"no transfer", kOnePoll, 200, {{0, "1\x05", kPoll + kAck}, {200, "", ""}},
         {Kind::NoAnswer}, true, true, "status transfer block"},
        {"no check character", kOnePoll, 200,
         {{0, "1\x05" + kTransfer.substr(0, kTransfer.size() - 1), kPoll + kAck}, {200, "", ""}},
         {Kind::NoAnswer}, true, true, "check character of the status transfer"},
        // The transfer came: the central takes the line back and polls on.
        {"no EOT", {{}, 0, 2, {}}, 200,
         {{0, "1\x05" + kTransfer, kPoll + kAck + kAck}, {200, "", kPoll}},
         {Kind::StatusTransfer, Kind::NoEot}, false, true},
        // QUEUE is not final; the wait for a final status counts from the last job's start.
        {"polls past QUEUE until PAGED", kOneCallPolled, 1000, QueuedCall("3"),
         {Kind::CallAccepted, Kind::StatusTransfer, Kind::StatusTransfer}, true, false, "", 2500},
        {"no final status in time", kOneCallPolled, 1000, QueuedCall("2"),
         {Kind::CallAccepted, Kind::StatusTransfer, Kind::StatusTransfer, Kind::StatusTimeout},
         true, true, "no final status within 2500 ms for 1", 2500},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.plan, c.timeoutMs);
        if (c.finalWaitMs) {
            m_schedule->EndWhenCallsAnswered(*c.finalWaitMs);
        }
        Play(c.steps);
        const std::vector<CentralEvent> events = m_schedule->TakeEvents();
        EXPECT_EQ(KindsOf(events), c.kinds);
        EXPECT_EQ(std::pair(m_schedule->Done(), m_schedule->Failed()), std::pair(c.done, c.failed));
        EXPECT_TRUE(!c.awaited || (!events.empty() && events.back().detail == c.awaited));
    }
}

// The demo's plan: a job every interval from a source without end, polls in between, and a line
// that falls silent for a while does not end it.
TEST_F(CentralScheduleTest, EndlessJobsStartOneIntervalApartAndOutliveASilentLine) {
    int asked = 0;
    Make({{}, 1000, std::nullopt, std::nullopt}, 300,
         CentralSchedule::MoreJobs{[&] { return Call(std::to_string(++asked)); }, 4000, 1000});
    // Due together, the poll goes first; the second call four seconds after the first started.
    // clang-format off
    Play({{999, "", ""}, {1, "", kPoll}, {0, kEot, kSelect}, {0, kAck, Block("1")}, {0, kAck, kEot},
          {1000, "", kPoll}, {300, "", ""}, {2699, "", kPoll}, {0, kEot, ""}, {1, "", kSelect}});
    // clang-format on
    EXPECT_EQ(TakeKinds(),
              (Kinds{Kind::PollEmpty, Kind::CallAccepted, Kind::NoAnswer, Kind::PollEmpty}));
    EXPECT_FALSE(m_schedule->Done());
    EXPECT_EQ(asked, 2);
}

TEST_F(CentralScheduleTest, NewTimingTakesOverAtTheNextExchangeAndNothingUnsentIsLost) {
    Make(kTwoCalls, 300);
    m_schedule->SetTiming({100, 2, 0});
    Play({{100, "", kSelect}, {0, kAck, Block("1")}, {0, kAck, kEot + kSelect}, {100, "", ""}});
    EXPECT_EQ(TakeKinds(), (Kinds{Kind::CallAccepted, Kind::NoAnswer}));  // the first kept 300 ms
}

}  // namespace
}  // namespace espa
