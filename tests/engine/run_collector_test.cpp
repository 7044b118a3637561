// The report's figures over a whole run, from what the watches hand over in batches.
#include "engine/run_collector.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    ASSERT_EQ(line.totals, (LineTotals{2, 1, 2, {{"3", 1}}, 1, 1, 0, 1}));
    RunCollector collector;
    collector.Mark(Us(-5));
    collector.Add({line.exchanges.begin(), line.exchanges.begin() + 2}, {}, Us(300));
    const Hint hint{HintCause::SilentLine, Us(700), "quiet", ""};
    collector.Add({line.exchanges.begin() + 2, line.exchanges.end()}, {hint}, Us(900));

    RunReport expected;
    expected.header = {"Ward 3", "Acme", "2.1", "J. Doe", "first run"};
    expected.startUs = Us(-5);
    expected.endUs = Us(900);
    expected.totals = line.totals;
    expected.faults = {FaultVerdict{}};
    expected.centralSlips = {"slip"};
    expected.hints = {hint};
    AnswerStats whole;
    std::ranges::for_each(line.exchanges, [&](const Exchange& x) { whole.Add(x); });
    for (int k = 0; k < kAnswerKinds; ++k) {
        if (const auto kind = static_cast<AnswerKind>(k); whole.Of(kind)) {
            expected.answers.push_back({kind, *whole.Of(kind), whole.Samples(kind)});
        }
    }
    EXPECT_EQ(collector.Build(expected.header, expected.faults, expected.centralSlips), expected);
    EXPECT_EQ(collector.Exchanges().size(), line.exchanges.size());
}

}  // namespace
}  // namespace espa::test
