// A long conversation between the project's own central and a real emulator, recorded in both
// directions as an adapter on each side would, must decode without noise, analyse to the outcomes
// the central itself saw, and give not one hint.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "central/central_session.h"
#include "conversation.h"
#include "engine/emulator.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

using Kind = CentralEvent::Kind;

class CleanLine : public ::testing::TestWithParam<Emulation> {
  protected:
    // 20 simulated minutes of 25 ms ticks. The last exchange is run to its end: a recording cut
    // off inside one would end in silence.
    Conversation Record() {
        emulator.Settings().Emulatie = static_cast<std::int16_t>(GetParam());
        emulator.Settings().Logfile = 1;
        emulator.OpenPortFromSettings();
        Conversation line;
        for (long t = 0; t < 48000 || !central.Idle(); ++t) {
            if (t < 48000 && central.Idle() && Percent() < 20) {
                StartSomething();
            }
            const std::string asked = central.TakeOutput();
            control.rx += asked;
            emulator.HandlerTick();
            if (t % 40 == 0) {
                emulator.BufferTick();
            }
            const std::string answered = control.TakeSent();
            for (const char c : answered) {
                central.Receive(c);
            }
            central.Advance(25);
            // The answer goes out within the tick that read the question.
            for (const Say& say : {Say{C, t * 25.0, asked}, Say{P, t * 25.0 + 5, answered}}) {
                if (!say.bytes.empty()) {
                    line.push_back(say);
                }
            }
            for (const CentralEvent& e : central.TakeEvents()) {
                ++seen[e.kind];
            }
        }
        return line;
    }

    int Percent() { return std::uniform_int_distribution<int>(0, 99)(random); }

    // CommTechWireLess answers no status request: a central for it asks none.
    void StartSomething() {
        const int pick = Percent();
        if (pick < 40) {
            lastCall = {{'1', std::to_string(100 + Percent() * 9)},
                        {'2', "Ward \xE9 " + std::to_string(pick)}};
            central.QueueCall(lastCall);
        } else if (pick < 50 && !commTech) {
            central.QueueStatusRequest(lastCall);
        } else {
            static const char* const kChoices[] = {"PAGED", "ABSENT", "QUEUE", "TERMINATED"};
            view.selectedStatus = kChoices[pick % 4];
            central.QueuePoll();
        }
    }

    const bool commTech = GetParam() == Emulation::CommTechWireLess;
    std::mt19937 random{20261207u};
    FakeSerialControl control;
    RecordingView view;
    FixedClock clock;
    TempDir dir;
    Emulator emulator{control, view, clock, dir.path()};
    CentralSession central{CentralSession::Timing{6000, 2, commTech ? 6 : 0}};
    EspaFields lastCall{{'1', "100"}};
    std::map<Kind, long> seen;
};

TEST_P(CleanLine, DecodesWithoutNoiseAgreesWithTheCentralAndGivesNoHint) {
    const LineResult line = RunLine(Record(), GetParam(), {.openedMs = 0, .kind = PortKind::Pty});
    EXPECT_TRUE(line.hints.empty()) << line.hints.front().text;
    std::map<Outcome, long> outcomes;
    for (const Exchange& x : line.exchanges) {
        ++outcomes[x.outcome];
    }
    EXPECT_GT(seen[Kind::CallAccepted], 100);
    EXPECT_EQ(outcomes[Outcome::CallAccepted], seen[Kind::CallAccepted]);
    EXPECT_EQ(outcomes[Outcome::RequestFound], seen[Kind::StatusRequestAccepted]);
    EXPECT_EQ(outcomes[Outcome::PollEmpty], seen[Kind::PollEmpty]);
    EXPECT_EQ(outcomes[Outcome::StatusDelivered], seen[Kind::StatusTransfer]);
    // A raised check above 255 is not sent: the central's only silences.
    EXPECT_EQ(outcomes[Outcome::StatusUnanswered], seen[Kind::NoAnswer]);
    EXPECT_EQ(outcomes[Outcome::Timeout] + outcomes[Outcome::Broken], 0);
    for (const Frame& frame : line.frames) {
        ASSERT_NE(frame.kind, FrameKind::Noise) << frame.raw;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMake, CleanLine,
                         ::testing::Values(Emulation::Philips, Emulation::AscomNira,
                                           Emulation::MediCall, Emulation::DataCall,
                                           Emulation::CommTechWireLess));

}  // namespace
}  // namespace espa::test
