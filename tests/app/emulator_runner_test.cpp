#include "emulator_runner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/control_chars.h"
#include "engine/emulator.h"
#include "event_loop_wait.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

const std::string kPoll{'2', ENQ};

class RunnerWithFakePort : public ::testing::Test {
  protected:
    void SetUp() override {
        // Level 1 so event lines reach the store the test reads.
        WriteFile(m_dir.path() / "espa.set", "20       Logfile ->1\r\n");
    }

    int Closes() const {
        return static_cast<int>(
            std::count(m_control.calls.begin(), m_control.calls.end(), "PortOpen=0"));
    }

    TempDir m_dir;
    FakeSerialControl m_control;
    RecordingView m_view;
    FixedClock m_clock;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    EmulatorRunner m_runner{m_emulator};
};

// Start-up opens the port; then each of the three timers reaches the engine: the handler answers
// a poll, the lamps are shown, the call table ages.
TEST_F(RunnerWithFakePort, StartOpensThePortAndTheThreeTicksDriveTheEngine) {
    m_runner.Start();
    EXPECT_TRUE(m_control.open);
    EXPECT_EQ(m_view.windowHeightTwips, kTallWindowTwips);
    EXPECT_TRUE(m_runner.IsRunning());
    m_emulator.Table()[0].Adres = "1234";
    m_emulator.Table()[0].BufferTime = 60;
    m_control.rx = kPoll;
    EXPECT_TRUE(PumpUntil([&] {
        return m_control.tx.find(EOT) != std::string::npos && m_view.showLampsCount > 0 &&
               m_emulator.Table()[0].BufferTime < 60;
    }));
}

TEST_F(RunnerWithFakePort, ShutdownClosesThePortOnceAndStopsTheTicks) {
    m_runner.Shutdown();
    EXPECT_EQ(Closes(), 0);  // nothing to shut down before the start
    m_runner.Start();
    m_runner.Shutdown();
    m_runner.Shutdown();
    EXPECT_FALSE(m_control.open);
    EXPECT_EQ(Closes(), 1);
    EXPECT_FALSE(m_runner.IsRunning());

    // With the port reopened behind its back, a stopped runner still reads nothing.
    m_control.open = true;
    m_control.rx = kPoll;
    EXPECT_FALSE(PumpUntil([&] { return m_control.rx.empty(); }, 200ms));
}

// A port that failed at start-up and is opened later through the settings: the handler starts
// then, so the line is answered once the log says the port is open.
TEST_F(RunnerWithFakePort, HandlerStartsWhenThePortFirstOpensAfterAFailedStart) {
    m_control.refuse.insert("PortOpen");
    m_emulator.StartEmulation();
    EXPECT_EQ(m_emulator.Handler().State(), HandlerState::NotStarted);
    EXPECT_NE(m_emulator.Lines().Line(0).find("Error opening ComPort:  1"), std::string::npos);

    // The adapter turns up; the operator saves the settings unchanged.
    m_control.refuse.clear();
    m_emulator.ApplySettings(m_emulator.Settings());
    ASSERT_TRUE(m_control.open);
    EXPECT_EQ(m_emulator.Handler().State(), HandlerState::WaitAddress);
    m_control.rx = std::string{'1', ENQ, '2', ENQ};
    for (int tick = 0; tick < 4; ++tick) {
        m_emulator.HandlerTick();
    }
    EXPECT_EQ(m_control.TakeSent(), std::string(1, ACK));
}

}  // namespace
}  // namespace espa::test
