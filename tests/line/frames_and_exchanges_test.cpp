#include <gtest/gtest.h>

#include "conversation.h"

namespace espa::test {
namespace {

const std::string kCall =
    FrameBlock('1', {{'1', "1234"}, {'2', "Ward 3 bed 2"}, {'3', "2"}, {'6', "1"}});
const std::string kCall5 = FrameBlock('1', {{'1', "5"}});  // right check 0x2B
const std::string kTransfer = FrameBlock('2', {{'1', "1234"}, {'7', "3"}});
const std::string kCut{SOH, '1', STX, '1', US, '1', '2'};

std::string Raised(const std::string& block) {
    return WithCheck(block, static_cast<char>(block.back() + 6));
}

struct DecodeCase {
    Conversation conversation;
    std::vector<std::string> frames;  // the side and FrameContent of each
    Emulation make = Emulation::Philips;
};

// clang-format off
const DecodeCase kDecodeCases[] = {
    {{{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 30, kCall}, {P, 60, Ch(ACK)}, {C, 70, Ch(EOT)},
      {C, 100, kPoll}, {P, 110, {'1', ENQ}}, {C, 120, Ch(ACK)}, {P, 130, kTransfer},
      {C, 140, Ch(NAK)}, {P, 150, Ch(EOT)}},
     {"C select 12", "P ACK", "C call 1234 \"Ward 3 bed 2\" beep 2 priority 1, check right",
      "P ACK", "C EOT", "C poll 2", "P select of the central 1", "C ACK",
      "P status transfer 1234 status 3 (paged), check right", "C NAK", "P EOT"}},
    // Check characters that are SOH, EOT and ETX.
    {{{C, 0, BlockWithCheck('1', "1", SOH) + BlockWithCheck('1', "2", EOT) +
             BlockWithCheck('1', "3", ETX)}},
     {"C call 1 \"" + FillerFor('1', "1", SOH) + "\", check right",
      "C call 2 \"" + FillerFor('1', "2", EOT) + "\", check right",
      "C call 3 \"" + FillerFor('1', "3", ETX) + "\", check right"}},
    {{{P, 0, FrameBlock('2', {{'1', "77"}, {'2', "Caf\xE9 \x85"}, {'9', "x"}, {'7', "4"}})}},
     {"P status transfer 77 \"Caf\xE9 [0x85]\" field 9 \"x\" status 4 (not paged), check right"},
     Emulation::DataCall},
    {{{C, 0, "\x7Fzz" + kPoll + "3x"}, {C, 20, kPoll}},
     {"C noise [DEL]zz", "C poll 2", "C noise 3x", "C poll 2"}},
    {{{C, 0, std::string(257, 'z')}}, {"C noise " + std::string(256, 'z'), "C noise z"}},
    {{{C, 0, WithCheck(kCall5, 'A')}}, {"C call 5, check wrong 0x41, expected 0x2B"}},
    // The line goes quiet before the check, or the other side moves on.
    {{{C, 0, kCall5.substr(0, kCall5.size() - 1)}}, {"C call 5, check missing, expected 0x2B"}},
    {{{C, 0, kCall5.substr(0, kCall5.size() - 1)}, {P, 1500, Ch(ACK)}, {C, 1600, "x"}},
     {"C call 5, check missing, expected 0x2B", "P ACK", "C noise x"}},
    {{{C, 0, kCut + kCall5}},
     {"C block broken off by SOH [SOH]1[STX]1[US]12", "C call 5, check right"}},
    {{{C, 0, kCut + EOT}}, {"C block cut short [SOH]1[STX]1[US]12", "C EOT"}},
    {{{C, 0, {'1', ENQ, 'x'}}, {C, 100, kPoll + "1" + ENQ}},
     {"C select cut short 1[ENQ]", "C noise x", "C poll 2", "C select cut short 1[ENQ]"}},
    // CommTechWireLess raises the check of its status transfers, sends none above 255, and 1 NAK.
    {{{P, 0, Raised(kTransfer)}, {C, 10, Raised(kCall5)}},
     {"P status transfer 1234 status 3 (paged), check right",
      "C call 5, check wrong 0x31, expected 0x2B"}, Emulation::CommTechWireLess},
    {{{P, 0, BlockWithCheck('2', "1", '\xFF').substr(0, 12)}, {P, 10, {EOT, '1', NAK}}},
     {"P status transfer 1 \"" + FillerFor('2', "1", '\xFF') +
          "\", check not sent (raised above 255)",
      "P EOT", "P noise 1", "P NAK"}, Emulation::CommTechWireLess},
};
// clang-format on

std::vector<std::string> Contents(const Conversation& conversation, Emulation make,
                                  double quietMs = 10000) {
    std::vector<std::string> out;
    for (const Frame& frame : RunLine(conversation, make, {}, quietMs).frames) {
        out.push_back((frame.side == C ? "C " : "P ") + FrameContent(frame, make));
    }
    return out;
}

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, FramesAreTheSameHoweverTheBytesAreSplit) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(Contents(c.conversation, c.make), c.frames);
    Conversation byteByByte;
    for (const Say& say : c.conversation) {
        for (const char byte : say.bytes) {
            byteByByte.push_back({say.side, say.ms, Ch(byte)});
        }
    }
    EXPECT_EQ(Contents(byteByByte, c.make, 0), c.frames);  // the end of the capture closes all
}

INSTANTIATE_TEST_SUITE_P(Line, DecodeTable, ::testing::ValuesIn(kDecodeCases));

TEST(FrameLine, CarriesTheFirstByteTimeTheDirectionAndTheGap) {
    const LineResult line = RunLine({{C, 100, kCall5.substr(0, 4)},
                                     {C, 130, kCall5.substr(4)},
                                     {P, 150, Ch(ACK)},
                                     {C, 86'400'000 + 3'720'000, kPoll}});
    ASSERT_EQ(line.frames.size(), 3u);
    EXPECT_EQ(line.frames[0].endUs, 130'000);
    std::vector<std::string> lines;
    for (const Frame& frame : line.frames) {
        lines.push_back(FrameLine(frame, Emulation::Philips));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"00:00:00.100 C->P call 5, check right",
                                               "00:00:00.150 P->C ACK, after 20 ms",
                                               "01:02:00.000 C->P poll 2, after 90119850 ms"}));
}

const std::string kRequest = FrameBlock('3', {{'1', "1234"}});
const std::string kWrongCall = WithCheck(kCall5, 'x');

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
    Conversation conversation;
    std::vector<std::string> exchanges;
    Emulation make = Emulation::Philips;
};

// clang-format off
const AnalyseCase kCases[] = {
    {Selected(0, kCall5, ACK) + Eot(70), {"call accepted | 10 20 30"}},
    {Selected(0, kWrongCall, NAK) + Selected(100, kCall5, ACK) + Eot(170),
     {"call accepted, retries 1 | 10 20 30 10 20 30"}},
    {Selected(0, kWrongCall, NAK) + Conversation{{C, 100, kCall5}, {P, 120, Ch(ACK)}} + Eot(130),
     {"call accepted, retries 1 | 10 20 30 20"}},  // sent again without a select
    {Selected(0, kWrongCall, NAK) + Eot(70), {"call refused (NAK) | 10 20 30"}},
    {Selected(0, kRequest, ACK) + Eot(70), {"status request found | 10 20 30"}},
    {{{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 30, kRequest}, {P, 60, {'1', NAK}}},
     {"status request not found (NAK) | 10 20 30"}, Emulation::CommTechWireLess},
    {{{C, 0, kPoll}, {P, 25, Ch(EOT)}}, {"poll answered empty | 25"}},
    {Polled(0, kTransfer) + Conversation{{C, 70, Ch(ACK)}, {P, 80, Ch(EOT)}},
     {"status transfer delivered, status 3 | 25 10 25 10"}},
    {Polled(0, kTransfer) + Conversation{{C, 70, Ch(NAK)}, {P, 80, Ch(EOT)}},
     {"status transfer refused (NAK), status 3 | 25 10 25 10"}},
    {Polled(0, BlockWithCheck('2', "1", '\xFF').substr(0, 12)),  // no check character
     {"status transfer unanswered (waiting for the central's answer to the status transfer) | "
      "25 10 25"}, Emulation::CommTechWireLess},
    {{{C, 0, kSelect}, {C, 3000, kPoll}, {P, 3025, Ch(EOT)}},  // a new try as the timeout ends
     {"timeout (waiting for the ACK of the select) |", "poll answered empty | 25"}},
    {Selected(0, kCall5, ACK) + Selected(100, kCall5, ACK),  // no EOT before the next
     {"call accepted | 10 20 30", "call accepted | 10 20 30"}},
    {{{C, 0, kPoll}, {P, 25, {'1', ENQ}}, {C, 35, Ch(EOT)}},
     {"broken off (waiting for the central's ACK of the select) | 25"}},
    {{{C, 0, kSelect}, {P, 10, Ch(ACK)}, {C, 20, Ch(EOT)}},
     {"broken off (waiting for the central's block) | 10"}},
    // Answers stamped before their questions.
    {{{P, 95, Ch(ACK)}, {C, 100, kSelect}, {P, 125, Ch(ACK)}, {C, 130, kCall5}, {C, 150, Ch(EOT)}},
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
    EXPECT_EQ((std::vector<std::int64_t>{d->minUs, d->medianUs, d->p95Us, d->maxUs}),
              (std::vector<std::int64_t>{1000, 50000, 95000, 100000}));
    EXPECT_EQ(d->count, 100);
    EXPECT_FALSE(stats.Of(AnswerKind::CentralAckOfSelect));
}

}  // namespace
}  // namespace espa::test
