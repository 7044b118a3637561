#include <gtest/gtest.h>

#include "../line/conversation.h"
#include "judge/central_judge.h"

namespace espa::test {
namespace {

const std::string kCall = FrameBlock('1', {{'1', "5"}});
const std::string kTransfer = FrameBlock('2', {{'1', "1234"}, {'7', "3"}});
const std::string kBadTransfer = WithCheck(kTransfer, static_cast<char>(kTransfer.back() ^ 1));

struct JudgeCase {
    FaultKind kind;
    double ms, endMs;
    Conversation line;
    std::string verdict;  // VerdictText | reaction
};

// clang-format off
const JudgeCase kCases[] = {
    {FaultKind::NakBlock, 60, 60, Selected(0, kCall, NAK) + Selected(100, kCall, ACK) + Eot(170),
     "recovered after 1 try in 100 ms | re-selected and sent again after 40 ms"},
    {FaultKind::NakBlock, 60, 60, Selected(0, kCall, NAK) + Conversation{{C, 100, kCall}},
     "did not recover | sent again without a fresh select, which the paging system ignores as a "
     "real one does"},
    {FaultKind::NakBlock, 60, 60, Selected(0, kCall, NAK) + Selected(100, kCall, NAK) +
         Selected(200, kCall, NAK) + Conversation{{C, 300, kPoll}, {P, 325, Ch(EOT)}},
     "did not recover | re-selected and sent again after 40 ms"},
    {FaultKind::RefuseSelect, 10, 10, Conversation{{C, 0, kSelect}, {P, 10, Ch(NAK)}} +
         Selected(100, kCall, ACK), "recovered after 1 try in 100 ms | selected again after 90 ms"},
    {FaultKind::Silent, 0, 1000, Conversation{{C, 200, kSelect}} + Selected(3200, kCall, ACK),
     "recovered after 2 tries in 3260 ms | made 1 try during the silence; tried again 2200 ms "
     "after it ended"},
    {FaultKind::Silent, 0, 10000, {{C, 200, kSelect}, {C, 4200, kSelect}, {C, 8200, kSelect}},
     "did not recover | made 3 tries during the silence; gave up: nothing after it ended"},
    {FaultKind::Delay, 0, 0, Selected(0, kCall, ACK) + Eot(70),
     "recovered after 0 tries in 60 ms | waited for the late answers; 1 of 1 exchange completed"},
    {FaultKind::BadCheck, 60, 60, Polled(0, kBadTransfer) + Conversation{{C, 70, Ch(NAK)},
         {P, 80, Ch(EOT)}} + Polled(200, kTransfer) + Conversation{{C, 270, Ch(ACK)}},
     "recovered after 1 try in 210 ms | NAKed the status transfer"},
    {FaultKind::BadCheck, 60, 60, Polled(0, kBadTransfer) + Conversation{{C, 70, Ch(ACK)}},
     "did not recover | accepted a wrong check character"},
    {FaultKind::NoEot, 80, 80, Polled(0, kTransfer) + Conversation{{C, 70, Ch(ACK)},
         {C, 3100, kPoll}, {P, 3125, Ch(EOT)}}, "recovered after 1 try in 3045 ms | carried on "
     "after 3020 ms"},
    {FaultKind::Silent, 0, 1000, Conversation{},
     "no reaction | sent nothing during the fault or after it"},
};
// clang-format on

TEST(CentralJudge, JudgesTheCentralsReactionToEachFault) {
    for (const JudgeCase& c : kCases) {
        SCOPED_TRACE(c.verdict);
        const std::vector<FaultVerdict> verdicts =
            JudgeCentral({{{c.kind}, "", Us(c.ms), Us(c.endMs), ""}}, RunLine(c.line).exchanges);
        ASSERT_EQ(verdicts.size(), 1u);
        EXPECT_EQ(VerdictText(verdicts[0]) + " | " + verdicts[0].reaction, c.verdict);
    }
}

TEST(CentralJudge, NamesEachKindOfTheCentralsOwnSlipsWithACount) {
    // clang-format off
    const Conversation line = Selected(0, WithCheck(kCall, 'x'), NAK) + Conversation{{C, 100, kCall}} +
        Selected(4000, kCall, ACK) + Eot(4070) + Conversation{{C, 4200, kPoll},
        {P, 4225, {'1', ENQ}}, {C, 4235, Ch(EOT)}, {C, 4300, kSelect}, {P, 4310, Ch(ACK)}};
    // clang-format on
    EXPECT_EQ(CentralSlips(RunLine(line).exchanges),
              (std::vector<std::string>{
                  "1 block with a wrong check character",
                  "1 exchange broken off: waiting for the central's ACK of the select",
                  "1 exchange where the central fell silent: waiting for the central's block",
                  "1 block sent again without a fresh select"}));
}

}  // namespace
}  // namespace espa::test
