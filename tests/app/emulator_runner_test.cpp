#include "emulator_runner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/control_chars.h"
#include "engine/emulator.h"
#include "event_loop_wait.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "port_caption_view.h"
#include "recording_view.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

class RunnerTest : public ::testing::Test {
  protected:
    // Level 1 so event lines reach the store the test reads.
    void SetUp() override { WriteFile(m_dir.path() / "espa.set", "20       Logfile ->1\r\n"); }
    long Closes() const { return std::ranges::count(m_control.calls, "PortOpen=0"); }

    TempDir m_dir;
    FakeSerialControl m_control;
    RecordingView m_view;
    FixedClock m_clock;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    EmulatorRunner m_runner{m_emulator};
};

// Each of the three timers reaches the engine: the handler answers a poll, the lamps are shown,
// the call table ages. Only the first shutdown after the start does anything, and a stopped
// runner reads nothing even from a port reopened behind its back.
TEST_F(RunnerTest, StartOpensThePortTheTicksDriveTheEngineAndShutdownStopsThem) {
    m_runner.Shutdown();
    EXPECT_EQ(Closes(), 0);
    m_runner.Start();
    EXPECT_TRUE(m_control.open && m_runner.IsRunning());
    EXPECT_EQ(m_view.windowHeightTwips, kTallWindowTwips);
    m_emulator.Table()[0].Adres = "1234";
    m_emulator.Table()[0].BufferTime = 60;
    m_control.rx = {'2', ENQ};
    EXPECT_TRUE(PumpUntil([&] {
        return m_control.tx.find(EOT) != std::string::npos && m_view.showLampsCount > 0 &&
               m_emulator.Table()[0].BufferTime < 60;
    }));
    m_runner.Shutdown();
    m_runner.Shutdown();
    EXPECT_FALSE(m_control.open || m_runner.IsRunning());
    EXPECT_EQ(Closes(), 1);
    m_control.open = true;
    m_control.rx = {'2', ENQ};
    EXPECT_FALSE(PumpUntil([&] { return m_control.rx.empty(); }, std::chrono::milliseconds(200)));
}

// A port that failed at start-up and is opened later through the settings: the handler starts
// then, so the line is answered.
TEST_F(RunnerTest, HandlerStartsWhenThePortFirstOpensAfterAFailedStart) {
    m_control.refuse.insert("PortOpen");
    m_emulator.StartEmulation();
    EXPECT_EQ(m_emulator.Handler().State(), HandlerState::NotStarted);
    EXPECT_NE(m_emulator.Lines().Line(0).find("Error opening ComPort:  1"), std::string::npos);
    m_control.refuse.clear();
    m_emulator.ApplySettings(m_emulator.Settings());
    ASSERT_TRUE(m_control.open);
    m_control.rx = {'1', ENQ, '2', ENQ};
    for (int tick = 0; tick < 4; ++tick) {
        m_emulator.HandlerTick();
    }
    EXPECT_EQ(m_control.TakeSent(), std::string(1, ACK));
}

// The engine's caption stays as it is; a network line adds its address after it.
TEST(PortCaptionView, SuffixFollowsTheEnginesCaptionWhenThereIsOne) {
    RecordingView window;
    std::string suffix;
    PortCaptionView view(window, [&] { return suffix; });
    view.SetPortCaption(" Serial Port Com1:  9600,N,8,1");
    EXPECT_EQ(window.portCaption, " Serial Port Com1:  9600,N,8,1");
    suffix = "  tcp-listen://127.0.0.1:4001";
    view.SetPortCaption(" Serial Port Com2:  9600,N,8,1");
    EXPECT_EQ(window.portCaption, " Serial Port Com2:  9600,N,8,1  tcp-listen://127.0.0.1:4001");
}

}  // namespace
}  // namespace espa::test
