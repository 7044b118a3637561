// The real program, headless, with Com1 as a link in its application folder to a pty: the line
// goes away and comes back as a new pty behind the same link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>

#include "emulator_process.h"
#include "pty_pair.h"
#include "temp_dir.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;
using namespace central;

constexpr auto kDeadline = 5s;
constexpr const char* kOpenedLine = "Com: 1 opened for ESPA emulation with: 9600,N,8,1";
constexpr const char* kLostLine = "ERROR: Comport lost.";
// Emulation Philips, 9600,N,8,1, no handshake, level 2: lines on screen and in the log file.
constexpr const char* kSettings =
    "0        Compoort ->0\r\n10       Emulatie ->0\r\n11       BaudRate ->4\r\n"
    "12       Parity ->0\r\n13       Bits ->1\r\n14       StopBits ->0\r\n"
    "15       HandShake ->0\r\n20       Logfile ->2\r\n";

class PortReturnRun : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(m_dir.path() / "espa.set", kSettings);
        PointLinkAt(*m_line);
        m_program = std::make_unique<EmulatorProcess>(
            std::vector<std::string>{"--headless", "--app-dir", m_dir.path().string()});
        ASSERT_TRUE(m_program->WaitForOutput(kOpenedLine, kDeadline)) << m_program->Output();
    }

    void TearDown() override {
        if (m_program) {
            m_program->Stop(SIGTERM, kDeadline);
        }
    }

    void PointLinkAt(const PtyPair& line) {
        std::error_code ec;
        std::filesystem::remove(m_link, ec);
        std::filesystem::create_symlink(line.SlavePath(), m_link);
    }

    // Until `text` stands `count` times in what the program printed.
    bool WaitForCount(const std::string& text, int count) {
        const auto end = std::chrono::steady_clock::now() + kDeadline;
        while (m_program->CountInOutput(text) < count) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    std::string Send(const std::string& bytes, std::size_t answerLength) {
        m_line->Write(bytes);
        return m_line->Read(answerLength, kDeadline);
    }

    // CPU seconds the program used over `window`, as a share of one core in percent.
    double CpuPercentOver(std::chrono::milliseconds window) {
        const long before = m_program->CpuTicks();
        std::this_thread::sleep_for(window);
        const long after = m_program->CpuTicks();
        EXPECT_GE(before, 0);
        const double seconds = static_cast<double>(after - before) / ::sysconf(_SC_CLK_TCK);
        return seconds * 1000.0 / static_cast<double>(window.count()) * 100.0;
    }

    TempDir m_dir;
    std::filesystem::path m_link = m_dir.path() / "Com1";
    std::unique_ptr<PtyPair> m_line = std::make_unique<PtyPair>();
    std::unique_ptr<EmulatorProcess> m_program;
};

const std::string kCallData = Field('1', "4711") + RS + Field('2', "Back");

TEST_F(PortReturnRun, LineThatComesBackBehindTheLinkIsServedAgain) {
    ASSERT_EQ(Visible(Send(Select(), 1)), Visible(std::string(1, ACK)));
    ASSERT_EQ(Visible(Send(Block('1', kCallData), 1)), Visible(std::string(1, ACK)));

    m_line->Hangup();
    std::filesystem::remove(m_link);
    ASSERT_TRUE(m_program->WaitForOutput(kLostLine, kDeadline)) << m_program->Output();
    const std::string atLoss = m_program->Output();

    // While the line is away the program retries each second: quietly, and without spinning.
    // The window holds at least two retries.
    EXPECT_LT(CpuPercentOver(2500ms), 2.0);
    EXPECT_TRUE(m_program->IsRunning());
    EXPECT_EQ(m_program->Output(), atLoss) << "the retries printed something";

    m_line = std::make_unique<PtyPair>();
    PointLinkAt(*m_line);
    ASSERT_TRUE(WaitForCount(kOpenedLine, 2)) << m_program->Output();
    EXPECT_EQ(m_program->CountInOutput(kLostLine), 1);
    EXPECT_EQ(m_program->CountInOutput("Error opening ComPort"), 0);

    // The call stored before the loss is still owed its status.
    ASSERT_EQ(Visible(Send(Poll(), 2)), Visible(std::string("1") + ENQ));
    const std::string transfer = Block('2', kCallData + RS + Field('7', "3"));
    EXPECT_EQ(Visible(Send(std::string(1, ACK), transfer.size())), Visible(transfer));
    EXPECT_EQ(Visible(Send(std::string(1, ACK), 1)), Visible(std::string(1, EOT)));

    // And new traffic is answered.
    ASSERT_EQ(Visible(Send(Select(), 1)), Visible(std::string(1, ACK)));
    EXPECT_EQ(Visible(Send(Block('1', Field('1', "815")), 1)), Visible(std::string(1, ACK)));
    EXPECT_TRUE(m_program->WaitForOutput("Call (SOH1) to pager: [815]", kDeadline));

    EXPECT_EQ(m_program->Stop(SIGTERM, kDeadline), 0);
    std::string log;
    for (const auto& file : std::filesystem::directory_iterator(m_dir.path() / "Log")) {
        log += ReadFile(file.path());
    }
    EXPECT_NE(log.find(std::string(kLostLine) + "\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Error opening ComPort"), std::string::npos) << log;
}

TEST_F(PortReturnRun, LineLostTwiceIsServedAfterEachReturn) {
    for (int round = 1; round <= 2; ++round) {
        m_line->Hangup();
        std::filesystem::remove(m_link);
        ASSERT_TRUE(WaitForCount(kLostLine, round)) << m_program->Output();

        m_line = std::make_unique<PtyPair>();
        PointLinkAt(*m_line);
        ASSERT_TRUE(WaitForCount(kOpenedLine, round + 1)) << m_program->Output();
        EXPECT_EQ(Visible(Send(Select(), 1)), Visible(std::string(1, ACK)));
        EXPECT_EQ(Visible(Send(Block('1', Field('1', std::to_string(round))), 1)),
                  Visible(std::string(1, ACK)));
    }
    EXPECT_EQ(m_program->CountInOutput(kLostLine), 2);
    EXPECT_EQ(m_program->CountInOutput(kOpenedLine), 3);
}

}  // namespace
}  // namespace espa::test
