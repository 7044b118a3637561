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

constexpr int kTickMs = 25;
constexpr long kTicks = 48000;  // 20 simulated minutes

class RecordedLine {
  public:
    explicit RecordedLine(Emulation mode)
        : m_mode(mode),
          m_central(CentralSession::Timing{6000, 2, mode == Emulation::CommTechWireLess ? 6 : 0}) {
        m_emulator.Settings().Emulatie = static_cast<std::int16_t>(mode);
        m_emulator.Settings().Logfile = 1;
        m_emulator.OpenPortFromSettings();
    }

    Conversation Record(long ticks) {
        Conversation line;
        // The last exchange is run to its end: a recording cut off inside one would end in silence.
        for (long t = 0; t < ticks || !m_central.Idle(); ++t) {
            const double ms = static_cast<double>(t * kTickMs);
            if (t < ticks && m_central.Idle() && Chance(20)) {
                StartSomething();
            }
            const std::string asked = m_central.TakeOutput();
            m_control.rx += asked;
            m_emulator.HandlerTick();
            if (t % 40 == 0) {
                m_emulator.BufferTick();
            }
            const std::string answered = m_control.TakeSent();
            for (const char c : answered) {
                m_central.Receive(c);
            }
            m_central.Advance(kTickMs);
            // The answer goes out within the tick that read the question.
            if (!asked.empty()) {
                line.push_back({C, ms, asked});
            }
            if (!answered.empty()) {
                line.push_back({P, ms + 5, answered});
            }
            for (const CentralEvent& e : m_central.TakeEvents()) {
                ++events[e.kind];
            }
        }
        return line;
    }

    std::map<Kind, long> events;

  private:
    bool Chance(int percent) {
        return std::uniform_int_distribution<int>(0, 99)(m_random) < percent;
    }

    void StartSomething() {
        const int pick = std::uniform_int_distribution<int>(0, 99)(m_random);
        if (pick < 40) {
            m_lastCall = {
                {'1', std::to_string(std::uniform_int_distribution<int>(100, 999)(m_random))},
                {'2', "Ward \xE9 " + std::to_string(pick)}};
            m_central.QueueCall(m_lastCall);
        } else if (pick < 50 && m_mode != Emulation::CommTechWireLess) {
            // CommTechWireLess answers no status request: a central for it asks none.
            m_central.QueueStatusRequest(m_lastCall);
        } else {
            static const char* const kChoices[] = {"PAGED", "ABSENT", "QUEUE", "TERMINATED"};
            m_view.selectedStatus = kChoices[pick % 4];
            m_central.QueuePoll();
        }
    }

    Emulation m_mode;
    std::mt19937 m_random{20261207u};
    FakeSerialControl m_control;
    RecordingView m_view;
    FixedClock m_clock;
    TempDir m_dir;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    CentralSession m_central;
    EspaFields m_lastCall{{'1', "100"}};
};

class CleanLine : public ::testing::TestWithParam<Emulation> {};

TEST_P(CleanLine, DecodesWithoutNoiseAgreesWithTheCentralAndGivesNoHint) {
    RecordedLine recorder(GetParam());
    const LineResult line =
        RunLine(recorder.Record(kTicks), GetParam(), {.openedMs = 0, .kind = PortKind::Pty});

    EXPECT_TRUE(line.hints.empty()) << line.hints.front().text;
    std::map<Outcome, long> outcomes;
    for (const Exchange& x : line.exchanges) {
        ++outcomes[x.outcome];
    }
    auto& seen = recorder.events;
    EXPECT_GT(seen[Kind::CallAccepted], 100);
    EXPECT_EQ(outcomes[Outcome::CallAccepted], seen[Kind::CallAccepted]);
    EXPECT_EQ(outcomes[Outcome::RequestFound], seen[Kind::StatusRequestAccepted]);
    EXPECT_EQ(outcomes[Outcome::PollEmpty], seen[Kind::PollEmpty]);
    EXPECT_EQ(outcomes[Outcome::StatusDelivered], seen[Kind::StatusTransfer]);
    // A raised check above 255 is not sent: the central's only silences.
    EXPECT_EQ(outcomes[Outcome::StatusUnanswered], seen[Kind::NoAnswer]);
    for (const Exchange& x : line.exchanges) {
        EXPECT_NE(x.outcome, Outcome::Timeout) << StageName(x.stage);
        EXPECT_NE(x.outcome, Outcome::Broken) << StageName(x.stage);
    }
    for (const Frame& frame : line.frames) {
        ASSERT_NE(frame.kind, FrameKind::Noise) << frame.raw;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryMake, CleanLine,
                         ::testing::Values(Emulation::Philips, Emulation::AscomNira,
                                           Emulation::MediCall, Emulation::DataCall,
                                           Emulation::CommTechWireLess),
                         [](const auto& info) {
                             std::string name(kEmulationNames[static_cast<int>(info.param)]);
                             std::erase(name, '/');
                             return name;
                         });

}  // namespace
}  // namespace espa::test
