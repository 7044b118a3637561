#include "monitor/leg_merger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "espa_frames.h"

namespace espa::test {
namespace {

using namespace frames;

struct TapRead {
    Leg leg;
    std::int64_t ms;
    std::string bytes;
};

// The chunks in the order released, as "C:bytes" and "P:bytes".
std::vector<std::string> Released(const std::vector<LineChunk>& chunks) {
    std::vector<std::string> out;
    for (const LineChunk& chunk : chunks) {
        out.push_back((chunk.from == Side::Central ? "C:" : "P:") + Visible(chunk.bytes));
    }
    return out;
}

// A call the central sends (select, block, EOT) with the paging system's ACKs between: each tap
// read as `central` and `paging` leg, the central's arriving `centralLateMs` after it was sent.
std::vector<TapRead> CallExchange(Leg central, std::int64_t centralLateMs) {
    const Leg paging = OtherLeg(central);
    const std::string call = Block('1', Fields({{'1', "1001"}}));
    return {{paging, 2, Ch(ACK)},
            {central, centralLateMs, kSelect},
            {central, 4 + centralLateMs, call.substr(0, 5)},
            {central, 6 + centralLateMs, call.substr(5)},
            {paging, 12, Ch(ACK)},
            {central, 14 + centralLateMs, Ch(EOT)}};
}

TEST(LegMerger, PutsTheTwoTapsBackInTheOrderTheLineCarriedThem) {
    const std::string call = Block('1', Fields({{'1', "1001"}}));
    const std::vector<std::string> inOrder{
        "C:" + Visible(kSelect),        "P:" + Visible(Ch(ACK)), "C:" + Visible(call.substr(0, 5)),
        "C:" + Visible(call.substr(5)), "P:" + Visible(Ch(ACK)), "C:" + Visible(Ch(EOT))};
    // The central's tap on port A in step, or 20 ms late; on port B 60 ms late.
    for (const auto& [central, lateMs] : {std::pair{Leg::A, 0}, {Leg::A, 20}, {Leg::B, 60}}) {
        SCOPED_TRACE(lateMs);
        LegMerger merger(Emulation::Philips);
        for (const TapRead& read : CallExchange(central, lateMs)) {
            merger.Add(read.leg, read.ms * 1000, read.bytes);
        }
        EXPECT_EQ(Released(merger.ReleaseAll()), inOrder);
        EXPECT_EQ(merger.CentralLeg(), central);
        EXPECT_TRUE(merger.CentralLegSeen());
    }
}

TEST(LegMerger, HoldsAChunkUntilTheOtherTapCanNoLongerBringOneBeforeIt) {
    LegMerger merger(Emulation::Philips);
    merger.Add(Leg::A, 0, kPoll);
    EXPECT_TRUE(merger.Release(LegMerger::kDefaultHoldUs - 1).empty());
    EXPECT_EQ(Released(merger.Release(LegMerger::kDefaultHoldUs)),
              std::vector<std::string>{"C:" + Visible(kPoll)});
}

// Without a poll or a select the taps are known only by waiting: a tap that alone carried bytes
// is the paging system's, since a central would have polled.
TEST(LegMerger, ATapWithoutPollsIsTakenForThePagingSystemsAfterTheWait) {
    // What each tap read, and the tap then taken for the central's.
    const std::pair<std::vector<TapRead>, Leg> cases[] = {
        {{{Leg::A, 0, Ch(EOT)}}, Leg::B},
        {{{Leg::B, 0, Ch(EOT)}}, Leg::A},
        {{{Leg::A, 0, Ch(ACK)}, {Leg::B, 1, Ch(EOT)}}, Leg::A},
    };
    for (const auto& [reads, central] : cases) {
        SCOPED_TRACE(reads.size());
        LegMerger merger(Emulation::Philips);
        for (const TapRead& read : reads) {
            merger.Add(read.leg, read.ms * 1000, read.bytes);
        }
        EXPECT_TRUE(merger.Release(LegMerger::kIdentifyUs - 1).empty());
        EXPECT_EQ(merger.Release(LegMerger::kIdentifyUs).size(), reads.size());
        EXPECT_EQ(merger.CentralLeg(), central);
        EXPECT_FALSE(merger.CentralLegSeen());
    }
}

}  // namespace
}  // namespace espa::test
