#include "emulator_runner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include "engine/emulator.h"
#include "event_loop_wait.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "pty_pair.h"
#include "recording_view.h"
#include "serial/qt_serial_control.h"
#include "temp_dir.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

int CountCalls(const FakeSerialControl& control, const std::string& call) {
    return static_cast<int>(std::count(control.calls.begin(), control.calls.end(), call));
}

class RunnerWithFakePort : public ::testing::Test {
  protected:
    void SetUp() override {
        // Level 1 so event lines reach the store the test reads.
        WriteFile(m_dir.path() / "espa.set", "20       Logfile ->1\r\n");
    }

    TempDir m_dir;
    FakeSerialControl m_control;
    RecordingView m_view;
    FixedClock m_clock;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    EmulatorRunner m_runner{m_emulator};
};

TEST_F(RunnerWithFakePort, StartRunsStartUpAndOpensThePort) {
    m_runner.Start();
    EXPECT_TRUE(m_control.open);
    EXPECT_EQ(m_emulator.Handler().State(), HandlerState::WaitAddress);
    EXPECT_EQ(m_view.windowHeightTwips, kTallWindowTwips);
    EXPECT_TRUE(m_runner.IsRunning());
}

TEST_F(RunnerWithFakePort, HandlerTicksAnswerThePoll) {
    m_runner.Start();
    m_control.rx = std::string("2") + central::ENQ;
    EXPECT_TRUE(PumpUntil([&] { return m_control.tx.find(central::EOT) != std::string::npos; }));
}

TEST_F(RunnerWithFakePort, LampTicksReachTheView) {
    m_runner.Start();
    EXPECT_TRUE(PumpUntil([&] { return m_view.showLampsCount > 0; }));
}

TEST_F(RunnerWithFakePort, BufferTicksAgeTheCallTable) {
    m_runner.Start();
    m_emulator.Table()[0].Adres = "1234";
    m_emulator.Table()[0].BufferTime = 60;
    EXPECT_TRUE(PumpUntil([&] { return m_emulator.Table()[0].BufferTime < 60; }));
}

TEST_F(RunnerWithFakePort, ShutdownClosesThePortOnceAndStopsTheTicks) {
    m_runner.Start();
    m_runner.Shutdown();
    m_runner.Shutdown();
    EXPECT_FALSE(m_control.open);
    EXPECT_EQ(CountCalls(m_control, "PortOpen=0"), 1);
    EXPECT_FALSE(m_runner.IsRunning());

    // With the port reopened behind its back, a stopped runner still reads nothing.
    m_control.open = true;
    m_control.rx = std::string("2") + central::ENQ;
    EXPECT_FALSE(PumpUntil([&] { return m_control.rx.empty(); }, 200ms));
}

TEST_F(RunnerWithFakePort, ShutdownBeforeStartDoesNothing) {
    m_runner.Shutdown();
    EXPECT_EQ(CountCalls(m_control, "PortOpen=0"), 0);
}

// A port that failed at start-up and is opened later through the settings: the handler starts
// then, so the line is answered once the log says the port is open.
TEST(RunnerOnPty, HandlerStartsWhenThePortFirstOpensAfterAFailedStart) {
    TempDir dir;
    PtyPair line;
    const std::filesystem::path link = dir.path() / "Com1";
    QtSerialControl control([&](int) { return QString::fromStdString(link.string()); });
    RecordingView view;
    FixedClock clock;
    WriteFile(dir.path() / "espa.set", "20       Logfile ->1\r\n");
    Emulator emulator(control, view, clock, dir.path());

    emulator.StartEmulation();
    ASSERT_FALSE(control.PortOpen());
    EXPECT_EQ(emulator.Handler().State(), HandlerState::NotStarted);
    EXPECT_NE(emulator.Lines().Line(0).find("Error opening ComPort:  1"), std::string::npos);

    // The adapter turns up; the operator saves the settings unchanged.
    std::filesystem::create_symlink(line.SlavePath(), link);
    emulator.ApplySettings(emulator.Settings());
    ASSERT_TRUE(control.PortOpen());
    EXPECT_EQ(emulator.Handler().State(), HandlerState::WaitAddress);

    line.Write(central::Select());
    std::string answer;
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (answer.empty() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        emulator.HandlerTick();
        answer = line.Read(1, 25ms);
    }
    EXPECT_EQ(Visible(answer), Visible(std::string(1, central::ACK)));
}

}  // namespace
}  // namespace espa::test
