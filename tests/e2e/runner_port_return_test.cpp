// The runner bringing a lost port back: the real serial control behind a link in a temporary
// application folder, the engine driven by the runner's own timers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "emulator_runner.h"
#include "engine/emulator.h"
#include "event_loop_wait.h"
#include "fixed_clock.h"
#include "pty_pair.h"
#include "recording_view.h"
#include "serial/qt_serial_control.h"
#include "temp_dir.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using namespace central;

constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";
constexpr int kSpare = 9;  // a call position used only to count the runner's 1000 ms ticks

int CountLines(const LogLines& lines, const std::string& part) {
    int count = 0;
    for (const std::string& line : lines.Lines()) {
        count += line.find(part) != std::string::npos ? 1 : 0;
    }
    return count;
}

class RunnerPortReturn : public ::testing::Test {
  protected:
    RunnerPortReturn()
        : m_link(m_dir.path() / "Com1"),
          m_control([this](int) { return QString::fromStdString(m_link.string()); }) {
        // 9600,N,8,1, no handshake; level 1, so event lines reach the line store the test reads.
        WriteFile(m_dir.path() / "espa.set",
                  "11       BaudRate ->4\r\n13       Bits ->1\r\n20       Logfile ->1\r\n");
        m_control.SetPortLostHandler([this] { m_emulator.Log().WriteLog("ERROR: Comport lost."); });
    }

    void PointLinkAt(const PtyPair& line) {
        std::error_code ec;
        std::filesystem::remove(m_link, ec);
        std::filesystem::create_symlink(line.SlavePath(), m_link);
    }

    // What the emulator answers on `line` to `bytes`, while the runner's timers run.
    std::string Exchange(PtyPair& line, const std::string& bytes, std::size_t answerLength) {
        line.Write(bytes);
        std::string answer;
        PumpUntil([&] {
            answer += line.Read(answerLength - answer.size(), 10ms);
            return answer.size() >= answerLength;
        });
        return answer;
    }

    int BufferTicksSoFar() { return 1000 - m_emulator.Table()[kSpare].BufferTime; }

    TempDir m_dir;
    std::filesystem::path m_link;
    QtSerialControl m_control;
    RecordingView m_view;
    FixedClock m_clock;
    Emulator m_emulator{m_control, m_view, m_clock, m_dir.path()};
    EmulatorRunner m_runner{m_emulator};
};

TEST_F(RunnerPortReturn, SessionGoesOnOnTheNewLineWithTableAndHandlerUntouched) {
    PtyPair first;
    PointLinkAt(first);
    m_runner.Start();
    ASSERT_TRUE(m_control.PortOpen());
    const std::string data = Field('1', "1234") + RS + Field('2', "Hi");
    ASSERT_EQ(Visible(Exchange(first, Select(), 1)), Visible(std::string(1, ACK)));
    ASSERT_EQ(Visible(Exchange(first, Block('1', data), 1)), Visible(std::string(1, ACK)));
    const std::int16_t current = m_emulator.Handler().CurrentPosition();
    ASSERT_GE(current, 0);

    first.Hangup();
    std::filesystem::remove(m_link);
    ASSERT_TRUE(PumpUntil([&] { return m_control.PortLost(); }));
    // Two retries with the device away: neither says anything.
    m_emulator.Table()[kSpare].BufferTime = 1000;
    ASSERT_TRUE(PumpUntil([&] { return BufferTicksSoFar() >= 2; }));
    EXPECT_TRUE(m_control.PortLost());
    EXPECT_EQ(CountLines(m_emulator.Lines(), "ERROR: Comport lost."), 1);
    EXPECT_EQ(CountLines(m_emulator.Lines(), "Error opening ComPort"), 0);
    EXPECT_EQ(CountLines(m_emulator.Lines(), kOpenedLine), 1);

    m_view.portCaption.clear();
    m_view.rtsToolTip.clear();
    PtyPair second;
    PointLinkAt(second);
    ASSERT_TRUE(PumpUntil([&] { return !m_control.PortLost(); }, 3s));
    EXPECT_EQ(CountLines(m_emulator.Lines(), kOpenedLine), 2);
    EXPECT_EQ(CountLines(m_emulator.Lines(), "Error opening ComPort"), 0);
    EXPECT_EQ(m_view.portCaption, " Serial Port Com1:  9600,N,8,1");
    EXPECT_EQ(m_view.rtsToolTip, "RTS status, click here to change");

    // The call stored before the loss is still current and owed its status.
    EXPECT_EQ(m_emulator.Handler().CurrentPosition(), current);
    EXPECT_EQ(m_emulator.Table()[current].Adres, "1234");
    ASSERT_EQ(Visible(Exchange(second, Poll(), 2)), Visible(std::string("1") + ENQ));
    const std::string transfer = Block('2', data + RS + Field('7', "3"));
    EXPECT_EQ(Visible(Exchange(second, std::string(1, ACK), transfer.size())), Visible(transfer));
    EXPECT_EQ(Visible(Exchange(second, std::string(1, ACK), 1)), Visible(std::string(1, EOT)));
}

}  // namespace
}  // namespace espa::test
