#include <gtest/gtest.h>

#include "conversation.h"

namespace espa::test {
namespace {

const std::string kCall = Block('1', {{'1', "1234"}});
const std::string kRequest = Block('3', {{'1', "1234"}});
const std::string kTransfer = Block('2', {{'1', "1234"}, {'7', "3"}});
const std::string kWrongCall = WithCheck(kCall, 'x');

// The central's poll at `ms`, answered with our select, and the status transfer.
Conversation Polled(double ms, const std::string& transfer) {
    return {
        {C, ms, kPoll}, {P, ms + 25, {'1', ENQ}}, {C, ms + 35, Ch(ACK)}, {P, ms + 60, transfer}};
}

// "call accepted, retries 1 | 10 20 30": the outcome, where it stopped, retries, status code and
// the answer times in ms.
std::string Summary(const Exchange& x) {
    std::string text = OutcomeName(x.outcome);
    if (x.outcome == Outcome::Timeout || x.outcome == Outcome::StatusUnanswered ||
        x.outcome == Outcome::Broken) {
        text += std::string(" (") + StageName(x.stage) + ")";
    }
    text += x.retries ? ", retries " + std::to_string(x.retries) : "";
    text += (x.statusCode.empty() ? "" : ", status " + x.statusCode) + " |";
    for (const Answer& answer : x.answers) {
        text += " " + std::to_string(answer.us / 1000);
    }
    return text;
}

struct AnalyseCase {
    Emulation make;
    Conversation conversation;
    std::vector<std::string> exchanges;
};

constexpr Emulation kPhilips = Emulation::Philips, kCommTech = Emulation::CommTechWireLess;

// clang-format off
const AnalyseCase kCases[] = {
    {kPhilips, Selected(0, kCall, ACK) + Eot(70), {"call accepted | 10 20 30"}},
    {kPhilips, Selected(0, kWrongCall, NAK) + Selected(100, kCall, ACK) + Eot(170),
     {"call accepted, retries 1 | 10 20 30 10 20 30"}},
    // Sent again without a select.
    {kPhilips, Selected(0, kWrongCall, NAK) + Conversation{{C, 100, kCall}, {P, 120, Ch(ACK)}} +
         Eot(130),
     {"call accepted, retries 1 | 10 20 30 20"}},
    {kPhilips, Selected(0, kWrongCall, NAK) + Eot(70), {"call refused (NAK) | 10 20 30"}},
    {kPhilips, Selected(0, kRequest, ACK) + Eot(70), {"status request found | 10 20 30"}},
    {kCommTech, {{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 30, kRequest}, {P, 60, {'1', NAK}}},
     {"status request not found (NAK) | 10 20 30"}},
    {kPhilips, {{C, 0, kPoll}, {P, 25, Ch(EOT)}}, {"poll answered empty | 25"}},
    {kPhilips, Polled(0, kTransfer) + Conversation{{C, 70, Ch(ACK)}, {P, 80, Ch(EOT)}},
     {"status transfer delivered, status 3 | 25 10 25 10"}},
    {kPhilips, Polled(0, kTransfer) + Conversation{{C, 70, Ch(NAK)}, {P, 80, Ch(EOT)}},
     {"status transfer refused (NAK), status 3 | 25 10 25 10"}},
    // A transfer without its check character.
    {kCommTech, Polled(0, BlockWithCheck('2', "1", '\xFF').substr(0, 12)),
     {"status transfer unanswered (waiting for the central's answer to the status transfer) | "
      "25 10 25"}},
    {kPhilips, {{C, 0, kSelect}, {C, 5000, kPoll}, {P, 5025, Ch(EOT)}},
     {"timeout (waiting for the ACK of the select) |", "poll answered empty | 25"}},
    // A call without EOT, then the next.
    {kPhilips, Selected(0, kCall, ACK) + Selected(100, kCall, ACK),
     {"call accepted | 10 20 30", "call accepted | 10 20 30"}},
    {kPhilips, {{C, 0, kPoll}, {P, 25, {'1', ENQ}}, {C, 35, Ch(EOT)}},
     {"broken off (waiting for the central's ACK of the select) | 25"}},
    {kPhilips, {{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 20, Ch(EOT)}},
     {"broken off (waiting for the central's block) | 10"}},
    // Answers stamped before their questions.
    {kPhilips,
     {{P, 95, Ch(ACK)}, {C, 100, kSelect}, {P, 125, Ch(ACK)}, {C, 130, kCall}, {C, 150, Ch(EOT)}},
     {"call accepted | -5 35 -5"}},
};
// clang-format on

class AnalyseTable : public ::testing::TestWithParam<AnalyseCase> {};

TEST_P(AnalyseTable, ExchangesHaveTheirOutcomeAndAnswerTimes) {
    std::vector<std::string> summaries;
    for (const Exchange& x : RunLine(GetParam().conversation, GetParam().make).exchanges) {
        summaries.push_back(Summary(x));
    }
    EXPECT_EQ(summaries, GetParam().exchanges);
}

INSTANTIATE_TEST_SUITE_P(Line, AnalyseTable, ::testing::ValuesIn(kCases));

TEST(LineTotals, CountEveryKindOfExchangeAndFault) {
    Conversation all;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        for (Say say : kCases[i].conversation) {
            say.ms += 10000.0 * static_cast<double>(i);
            all.push_back(say);
        }
    }
    const LineTotals t = RunLine(all).totals;
    EXPECT_EQ((std::vector<long>{t.calls, t.statusRequests, t.polls, t.naksByPagingSystem,
                                 t.naksByCentral, t.timeouts, t.checkErrors}),
              (std::vector<long>{7, 2, 6, 4, 1, 2, 4}));
    EXPECT_EQ(t.transfersByCode, (std::map<std::string, long>{{"3", 2}, {"", 1}}));
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
