// Each fault at the point where it changes the line, tick by tick: what goes out, when, and the
// one FAULT line it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "faults/fault_plan.h"
#include "scripted_central.h"

namespace espa::test {
namespace {

const std::string kCall = CallBlock({{'1', "12"}});
// PAGED for pager 12, as the Philips make reports it.
const std::string kTransfer =
    frames::Block('2', frames::Field('1', "12") + frames::RS + frames::Field('7', "3"));

struct FaultCase {
    const char* name;
    const char* plan;
    std::vector<std::pair<std::string, int>> script;  // bytes from the central, ticks after them
    std::string sent;                                 // "tick:bytes" for each tick that sent
    int stored;                                       // calls in the table at the end
    std::string fault;                                // its FAULT line, "" for none
    bool runEnds = false;                             // the run ends after the script
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

std::string At(int tick, const std::string& bytes) {
    return " " + std::to_string(tick) + ":" + frames::Visible(bytes);
}

const std::string kStoredAndPolled = At(4, Ch(ACK)) + At(7, Ch(ACK)) + At(10, "1\x05");

// clang-format off
const FaultCase kCases[] = {
    {"NakBlockRefusesTheGoodCallOnce", "nak-block:1", {{kSelect, 4}, {kCall, 3}, {kSelect, 4}, {kCall, 3}},
     At(4, Ch(ACK)) + At(7, Ch(NAK)) + At(11, Ch(ACK)) + At(14, Ch(ACK)), 1,
     "nak-block:1: call block answered with NAK (1 of 1)"},
    {"NakBlockEverySecond", "nak-block:every=2",
     {{kSelect, 4}, {kCall, 3}, {kSelect, 4}, {kCall, 3}, {kSelect, 4}, {kCall, 3}},
     At(4, Ch(ACK)) + At(7, Ch(ACK)) + At(11, Ch(ACK)) + At(14, Ch(NAK)) + At(18, Ch(ACK)) + At(21, Ch(ACK)), 2,
     "nak-block:every=2: call block answered with NAK (block 2)"},
    {"RefuseSelectAtTheSecondExchange", "at exchange 2 refuse-select:1", {{kPoll, 3}, {kSelect, 4}, {kSelect, 4}},
     At(3, Ch(EOT)) + At(7, Ch(NAK)) + At(11, Ch(ACK)), 0, "refuse-select:1: select answered with NAK (1 of 1)"},
    {"RefuseSelectDueOnTheTickOfTheSelect", "after 100ms refuse-select:1", {{kSelect, 4}}, At(4, Ch(NAK)), 0,
     "refuse-select:1: select answered with NAK (1 of 1)"},
    {"RefuseSelectDueATickAfterIt", "after 125ms refuse-select:1", {{kSelect, 4}}, At(4, Ch(ACK)), 0, ""},
    {"BadCheckIsNakedThenTheSameStatusComesRight", "bad-check:1",
     {{kSelect, 4}, {kCall, 3}, {kPoll, 3}, {Ch(ACK), 2}, {Ch(NAK), 1}, {kPoll, 3}, {Ch(ACK), 2}, {Ch(ACK), 1}},
     kStoredAndPolled + At(12, frames::CheckFlipped(kTransfer, 1)) + At(13, Ch(EOT)) + At(16, "1\x05") +
         At(18, kTransfer) + At(19, Ch(EOT)), 1,
     "bad-check:1: status transfer sent with check character 0x1A instead of 0x1B (1 of 1)"},
    {"NoEotAfterTheAcknowledgedTransfer", "no-eot:1",
     {{kSelect, 4}, {kCall, 3}, {kPoll, 3}, {Ch(ACK), 2}, {Ch(ACK), 1}, {kPoll, 3}},
     kStoredAndPolled + At(12, kTransfer) + At(16, Ch(EOT)), 1,
     "no-eot:1: EOT after the status transfer left out (1 of 1)"},
    {"SilentDropsWhatComesAndHearsAgainAfterIt", "silent:100", {{kPoll, 3}, {kPoll, 3}}, At(6, Ch(EOT)), 0,
     "silent:100: deaf and mute for 100 ms, 2 bytes dropped"},
    {"SilentSwallowsTheAnswer", "at exchange 1 silent:50", {{kPoll, 4}}, "", 0,
     "silent:50: deaf and mute for 50 ms, 0 bytes dropped"},
    {"SilentCutShortByTheEndOfTheRun", "silent:1000", {{kPoll, 4}}, "", 0,
     "silent:1000: deaf and mute for 100 of 1000 ms, 2 bytes dropped", true},
    {"DelayHoldsTheAnswerBackTwoTicks", "delay:50", {{kPoll, 5}}, At(5, Ch(EOT)), 0,
     "delay:50: every byte sent from now on goes out 50 ms late"},
};
// clang-format on

class HandlerFaults : public ScriptedCentral, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(HandlerFaults, ChangeTheLineAtTheirTickAndSayItOnce) {
    Start();
    const FaultCase& c = GetParam();
    std::string error;
    ASSERT_TRUE(emulator.AddFaults({ParsePlanLine(c.plan, error).value()}, error)) << error;
    std::string sent;
    int tick = 0;
    for (const auto& [bytes, ticks] : c.script) {
        Feed(bytes);
        for (int i = 0; i < ticks; ++i) {
            if (const std::string out = Tick(); ++tick, !out.empty()) {
                sent += At(tick, out);
            }
        }
    }
    if (c.runEnds) {
        emulator.Shutdown();
    }
    EXPECT_EQ(sent, c.sent);
    int stored = 0;
    for (int p = 0; p < CallTable::kPositions; ++p) {
        stored += table()[p].IsFree() ? 0 : 1;
    }
    EXPECT_EQ(stored, c.stored);
    // The log line and what the run's record keeps say the same.
    std::vector<std::string> faultLines, taken;
    std::copy_if(logged.begin(), logged.end(), std::back_inserter(faultLines),
                 [](const std::string& line) { return line.starts_with("FAULT: "); });
    for (const FaultEvent& fault : emulator.FaultsTaken()) {
        taken.push_back("FAULT: " + fault.text + ": " + fault.detail);
    }
    const auto expected = c.fault.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{"FAULT: " + c.fault};
    EXPECT_EQ(faultLines, expected);
    EXPECT_EQ(taken, expected);
}

INSTANTIATE_TEST_SUITE_P(EachFault, HandlerFaults, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A hang-up closes the port at once and opens it again when its time is up, line clock stamped.
TEST_F(ScriptedCentral, DropLineHangsUpATcpLineForItsTimeAndIsRefusedOnAnyOther) {
    Start();
    std::string error;
    const std::vector<PlannedFault> drop{{{}, {FaultKind::DropLine, 0, 0, 50}}};
    EXPECT_FALSE(emulator.AddFaults(drop, error));
    EXPECT_TRUE(error.starts_with("drop-line needs a TCP line")) << error;
    EXPECT_TRUE(fake.open);
    fake.device = PortDevice::Tcp;
    std::int64_t now = 1'000'000;
    emulator.SetLineClock([&now] { return now; });
    ASSERT_TRUE(emulator.AddFaults(drop, error));
    EXPECT_FALSE(fake.open);
    now += 50'000;
    Ticks(1);
    EXPECT_FALSE(fake.open);
    Ticks(1);
    EXPECT_TRUE(fake.open);
    ASSERT_EQ(emulator.FaultsTaken().size(), 1u);
    EXPECT_EQ(std::pair(emulator.FaultsTaken()[0].timeUs, emulator.FaultsTaken()[0].endUs),
              std::pair(std::int64_t{1'000'000}, std::int64_t{1'050'000}));
}

}  // namespace
}  // namespace espa::test
