// The report's figures over a whole run, from what the watches hand over in batches.
#include "engine/run_collector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "../line/conversation.h"

namespace espa::test {
namespace {

// A call, a call refused for its check character and sent again, a status request, a status
// transfer the central NAKs, an empty poll.
const std::string kCall = FrameBlock('1', {{'1', "1234"}});
const Conversation kRun =
    Selected(0, kCall, ACK) + Eot(80) + Selected(200, WithCheck(kCall, 'x'), NAK) +
    Conversation{{C, 290, kCall}, {P, 300, Ch(ACK)}} + Eot(310) +
    Selected(400, FrameBlock('3', {{'1', "1234"}}), ACK) + Eot(480) +
    Conversation{{C, 600, kPoll},   {P, 610, {'1', ENQ}},
                 {C, 620, Ch(ACK)}, {P, 640, FrameBlock('2', {{'1', "1234"}, {'7', "3"}})},
                 {C, 660, Ch(NAK)}, {P, 670, Ch(EOT)},
                 {C, 800, kPoll},   {P, 810, Ch(EOT)}};

// Two watches (a make changed halfway) or two lamp ticks: the figures are those of the whole run.
TEST(RunCollector, FiguresOfTheWholeRunFromBatchesWithTheHeaderAndVerdictsAsGiven) {
    const LineResult line = RunLine(kRun);
    ASSERT_EQ(line.exchanges.size(), 5u);
    RunCollector collector;
    collector.Mark(Us(-5));
    const std::size_t half = 2;
    collector.Add({line.exchanges.begin(), line.exchanges.begin() + half}, {}, Us(300));
    const Hint hint{HintCause::SilentLine, Us(700), "quiet", ""};
    collector.Add({line.exchanges.begin() + half, line.exchanges.end()}, {hint}, Us(900));

    const ReportHeader header{"Ward 3", "Acme", "2.1", "J. Doe", "first run"};
    FaultVerdict verdict;
    verdict.reaction = "sent again";
    const RunReport report = collector.Build(header, {verdict}, {"slip"});
    EXPECT_EQ(report.totals, line.totals);
    EXPECT_EQ(report.totals, (LineTotals{2, 1, 2, {{"3", 1}}, 1, 1, 0, 1}));
    EXPECT_EQ(std::tuple(report.startUs, report.endUs), std::tuple(Us(-5), Us(900)));
    EXPECT_EQ(report.header, header);
    ASSERT_EQ(report.faults.size(), 1u);
    EXPECT_EQ(report.faults[0].reaction, "sent again");
    EXPECT_EQ(report.centralSlips, std::vector<std::string>{"slip"});
    ASSERT_EQ(report.hints.size(), 1u);
    EXPECT_EQ(report.hints[0].text, "quiet");
    EXPECT_EQ(collector.Exchanges().size(), line.exchanges.size());

    // Every kind timed, with every time in the order the exchanges closed.
    std::map<AnswerKind, std::vector<std::int64_t>> timed;
    for (const Exchange& exchange : line.exchanges) {
        for (const Answer& answer : exchange.answers) {
            timed[answer.kind].push_back(answer.us);
        }
    }
    ASSERT_EQ(report.answers.size(), timed.size());
    for (const AnswerTimes& times : report.answers) {
        SCOPED_TRACE(AnswerName(times.kind));
        EXPECT_EQ(times.samplesUs, timed[times.kind]);
        EXPECT_EQ(
            std::tuple(times.times.count, times.times.maxUs),
            std::tuple(timed[times.kind].size(), *std::ranges::max_element(timed[times.kind])));
    }
}

}  // namespace
}  // namespace espa::test
