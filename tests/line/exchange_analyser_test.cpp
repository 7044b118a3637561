#include <gtest/gtest.h>

#include "conversation.h"
#include "core/control_chars.h"

namespace espa::test {
namespace {

const std::string kCall = Block('1', {{'1', "1234"}});
const std::string kRequest = Block('3', {{'1', "1234"}});
const std::string kTransfer = Block('2', {{'1', "1234"}, {'7', "3"}});

// The central's select at `ms`, acknowledged, and its block sent and answered.
Conversation Selected(double ms, const std::string& block, char answer) {
    return {{C, ms, kSelect}, {P, ms + 10, Ch(ACK)}, {C, ms + 30, block}, {P, ms + 60, Ch(answer)}};
}

// The central's poll at `ms`, answered with our select, and the status transfer.
Conversation Polled(double ms, const std::string& transfer) {
    return {
        {C, ms, kPoll}, {P, ms + 25, {'1', ENQ}}, {C, ms + 35, Ch(ACK)}, {P, ms + 60, transfer}};
}

// "call accepted, retries 1 | 10 20 30": outcome, where it stopped, retries, status code and the
// answer times in ms.
std::string Summary(const Exchange& x) {
    std::string text = OutcomeName(x.outcome);
    if (x.outcome == Outcome::Timeout || x.outcome == Outcome::StatusUnanswered ||
        x.outcome == Outcome::Broken) {
        text += std::string(" (") + StageName(x.stage) + ")";
    }
    text += x.retries ? ", retries " + std::to_string(x.retries) : "";
    text += x.statusCode.empty() ? "" : ", status " + x.statusCode;
    text += " |";
    for (const Answer& answer : x.answers) {
        text += " " + std::to_string(answer.us / 1000);
    }
    return text;
}

struct AnalyseCase {
    const char* name;
    Emulation make;
    Conversation conversation;
    std::vector<std::string> exchanges;
};

// clang-format off
const AnalyseCase kCases[] = {
    {"call accepted", Emulation::Philips,
     Selected(0, kCall, ACK) + Conversation{{C, 70, Ch(EOT)}},
     {"call accepted | 10 20 30"}},
    {"call retried with a fresh select", Emulation::Philips,
     Selected(0, WithCheck(kCall, 'x'), NAK) + Selected(100, kCall, ACK) +
         Conversation{{C, 170, Ch(EOT)}},
     {"call accepted, retries 1 | 10 20 30 10 20 30"}},
    {"call sent again without a select", Emulation::Philips,
     Selected(0, WithCheck(kCall, 'x'), NAK) +
         Conversation{{C, 100, kCall}, {P, 120, Ch(ACK)}, {C, 130, Ch(EOT)}},
     {"call accepted, retries 1 | 10 20 30 20"}},
    {"call refused", Emulation::Philips,
     Selected(0, WithCheck(kCall, 'x'), NAK) + Conversation{{C, 70, Ch(EOT)}},
     {"call refused (NAK) | 10 20 30"}},
    {"status request found", Emulation::Philips,
     Selected(0, kRequest, ACK) + Conversation{{C, 70, Ch(EOT)}},
     {"status request found | 10 20 30"}},
    {"status request answered 1 NAK", Emulation::CommTechWireLess,
     Conversation{{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 30, kRequest}, {P, 60, {'1', NAK}}},
     {"status request not found (NAK) | 10 20 30"}},
    {"poll answered empty", Emulation::Philips,
     {{C, 0, kPoll}, {P, 25, Ch(EOT)}},
     {"poll answered empty | 25"}},
    {"status transfer delivered", Emulation::Philips,
     Polled(0, kTransfer) + Conversation{{C, 70, Ch(ACK)}, {P, 80, Ch(EOT)}},
     {"status transfer delivered, status 3 | 25 10 25 10"}},
    {"status transfer refused", Emulation::Philips,
     Polled(0, kTransfer) + Conversation{{C, 70, Ch(NAK)}, {P, 80, Ch(EOT)}},
     {"status transfer refused (NAK), status 3 | 25 10 25 10"}},
    {"status transfer without its check", Emulation::CommTechWireLess,
     Polled(0, BlockWithCheck('2', "1", '\xFF').substr(0, 12)),
     {"status transfer unanswered (waiting for the central's answer to the status transfer) | "
      "25 10 25"}},
    {"silence after the select, then a poll", Emulation::Philips,
     {{C, 0, kSelect}, {C, 5000, kPoll}, {P, 5025, Ch(EOT)}},
     {"timeout (waiting for the ACK of the select) |", "poll answered empty | 25"}},
    {"a call without EOT, then the next", Emulation::Philips,
     Selected(0, kCall, ACK) + Selected(100, kCall, ACK),
     {"call accepted | 10 20 30", "call accepted | 10 20 30"}},
    {"the central refuses our select", Emulation::Philips,
     {{C, 0, kPoll}, {P, 25, {'1', ENQ}}, {C, 35, Ch(EOT)}},
     {"broken off (waiting for the central's ACK of the select) | 25"}},
    {"the central ends before its block", Emulation::Philips,
     {{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 20, Ch(EOT)}},
     {"broken off (waiting for the central's block) | 10"}},
    {"answers stamped before their questions", Emulation::Philips,
     {{P, 95, Ch(ACK)}, {C, 100, kSelect}, {P, 125, Ch(ACK)}, {C, 130, kCall}, {C, 150, Ch(EOT)}},
     {"call accepted | -5 35 -5"}},
};
// clang-format on

class AnalyseTable : public ::testing::TestWithParam<AnalyseCase> {};

TEST_P(AnalyseTable, ExchangesHaveTheirOutcomeAndAnswerTimes) {
    const AnalyseCase& c = GetParam();
    std::vector<std::string> summaries;
    for (const Exchange& x : RunLine(c.conversation, c.make).exchanges) {
        summaries.push_back(Summary(x));
    }
    EXPECT_EQ(summaries, c.exchanges);
}

INSTANTIATE_TEST_SUITE_P(Line, AnalyseTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(LineTotals, CountEveryKindOfExchangeAndFault) {
    Conversation all;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        for (Say say : kCases[i].conversation) {
            say.ms += 10000.0 * static_cast<double>(i);
            all.push_back(say);
        }
    }
    const LineTotals totals = RunLine(all).totals;
    EXPECT_EQ(totals.calls, 7);
    EXPECT_EQ(totals.statusRequests, 2);
    EXPECT_EQ(totals.polls, 6);
    EXPECT_EQ(totals.transfersByCode, (std::map<std::string, long>{{"3", 2}, {"", 1}}));
    EXPECT_EQ(totals.naksByPagingSystem, 4);
    EXPECT_EQ(totals.naksByCentral, 1);
    EXPECT_EQ(totals.timeouts, 2);
    EXPECT_EQ(totals.checkErrors, 4);
}

TEST(AnswerStats, GiveMinMedianP95AndMaxByNearestRank) {
    Exchange x;
    for (int ms = 100; ms >= 1; --ms) {
        x.answers.push_back({AnswerKind::PagingAnswerToPoll, ms * 1000});
    }
    AnswerStats stats;
    stats.Add(x);
    const auto d = stats.Of(AnswerKind::PagingAnswerToPoll);
    ASSERT_TRUE(d);
    EXPECT_EQ(std::vector<std::int64_t>(
                  {static_cast<std::int64_t>(d->count), d->minUs, d->medianUs, d->p95Us, d->maxUs}),
              std::vector<std::int64_t>({100, 1000, 50000, 95000, 100000}));
    EXPECT_FALSE(stats.Of(AnswerKind::CentralAckOfSelect));
}

}  // namespace
}  // namespace espa::test
