#include "emulator_runner.h"

#include <gtest/gtest.h>

#include "engine/emulator.h"
#include "espa_frames.h"
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
    // Level 1: the tall window.
    void SetUp() override { WriteFile(m_dir.path() / "espa.set", "20       Logfile ->1\r\n"); }
    long Closes() const { return std::ranges::count(m_control.calls, "PortOpen=0"); }
    TempDir m_dir;
    FakeSerialControl m_control;
    RecordingView m_view;
    FixedClock m_clock;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    EmulatorRunner m_runner{m_emulator};
};

// Each timer reaches the engine (a poll answered, lamps shown, the table aged); only the first
// shutdown after the start acts, and then nothing is read even from a port reopened behind it.
TEST_F(RunnerTest, StartOpensThePortTheTicksDriveTheEngineAndShutdownStopsThem) {
    m_runner.Shutdown();
    EXPECT_EQ(Closes(), 0);
    m_runner.Start();
    EXPECT_TRUE(m_control.open && m_runner.IsRunning());
    EXPECT_EQ(m_view.windowHeightTwips, kTallWindowTwips);
    m_emulator.Table()[0].Adres = "1234";
    m_emulator.Table()[0].BufferTime = 60;
    m_control.rx = kPoll;
    EXPECT_TRUE(PumpUntil([&] {
        return m_control.tx.find(frames::EOT) != std::string::npos && m_view.showLampsCount > 0 &&
               m_emulator.Table()[0].BufferTime < 60;
    }));
    m_runner.Shutdown();
    m_runner.Shutdown();
    EXPECT_FALSE(m_control.open || m_runner.IsRunning());
    EXPECT_EQ(Closes(), 1);
    m_control.open = true;
    m_control.rx = kPoll;
    EXPECT_FALSE(PumpUntil([&] { return m_control.rx.empty(); }, std::chrono::milliseconds(200)));
}

TEST_F(RunnerTest, HandlerStartsWhenThePortFirstOpensAfterAFailedStart) {
    m_control.refuse.insert("PortOpen");
    m_emulator.StartEmulation();
    EXPECT_EQ(m_emulator.Handler().State(), HandlerState::NotStarted);
    m_control.refuse.clear();
    m_emulator.ApplySettings(m_emulator.Settings());
    m_control.rx = kSelect;
    for (int tick = 0; tick < 4; ++tick) {
        m_emulator.HandlerTick();
    }
    EXPECT_EQ(m_control.TakeSent(), Ch(frames::ACK));
}

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
