// A lost port getting its device back: the serial control on real pty pairs behind a link in a
// temporary application folder, the way a user points Com1 at a pty or an adapter.
#include <gtest/gtest.h>
#include <termios.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "event_loop_wait.h"
#include "pty_pair.h"
#include "serial/qt_serial_control.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

// Lets queued work (the close of a lost device) run.
void Settle() {
    for (int turn = 0; turn < 10; ++turn) {
        QCoreApplication::processEvents();
    }
}

class LostPortReclaim : public ::testing::Test {
  protected:
    LostPortReclaim()
        : m_link(m_dir.path() / "Com1"), m_control([this](int) {
              ++m_resolved;
              // Like the program's own rule: the link while it is there, else another port.
              const QString link = QString::fromStdString(m_link.string());
              const QFileInfo info(link);
              return info.exists() || info.isSymLink()
                         ? link
                         : QString::fromStdString(m_other.SlavePath());
          }) {
        m_control.SetPortLostHandler([this] { ++m_losses; });
    }

    void PointLinkAt(const PtyPair& line) {
        std::error_code ec;
        std::filesystem::remove(m_link, ec);
        std::filesystem::create_symlink(line.SlavePath(), m_link);
    }

    // The first line goes away and its link is removed.
    void LoseTheLine() {
        PointLinkAt(m_first);
        ASSERT_TRUE(m_control.SetSettings("19200,E,7,2"));
        ASSERT_TRUE(m_control.SetPortOpen(true));
        m_first.Hangup();
        std::filesystem::remove(m_link);
        ASSERT_TRUE(PumpUntil([&] { return m_losses > 0; }));
        Settle();
        ASSERT_TRUE(m_control.PortLost());
    }

    bool WaitForBytes(int count, std::chrono::milliseconds deadline = 5s) {
        return PumpUntil([&] { return m_control.InBufferCount().value_or(0) >= count; }, deadline);
    }

    TempDir m_dir;
    std::filesystem::path m_link;
    PtyPair m_first;
    PtyPair m_other;  // what the port number names once the link is gone
    int m_resolved = 0;
    int m_losses = 0;
    QtSerialControl m_control;
};

TEST_F(LostPortReclaim, NothingIsReclaimedWhileTheLinkIsGone) {
    LoseTheLine();
    EXPECT_FALSE(m_control.ReclaimLostPort());
    EXPECT_FALSE(m_control.ReclaimLostPort());
    EXPECT_TRUE(m_control.PortLost());
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);
}

TEST_F(LostPortReclaim, DanglingLinkIsNotReclaimed) {
    LoseTheLine();
    // An adapter unplugged leaves its link pointing nowhere.
    std::filesystem::create_symlink(m_dir.path() / "ttyUSB9", m_link);
    EXPECT_FALSE(m_control.ReclaimLostPort());
    EXPECT_TRUE(m_control.PortLost());
}

TEST_F(LostPortReclaim, PortNumberIsNotResolvedAgainWhileTheDeviceIsAway) {
    LoseTheLine();
    const int resolvedAtOpen = m_resolved;
    EXPECT_FALSE(m_control.ReclaimLostPort());
    // With the link gone the port number names another line; opening the port again must not
    // take that one.
    EXPECT_FALSE(m_control.SetPortOpen(true));
    EXPECT_EQ(m_resolved, resolvedAtOpen);
    EXPECT_TRUE(m_control.PortLost());
    m_other.Write("x");
    EXPECT_FALSE(WaitForBytes(1, 500ms));
}

TEST_F(LostPortReclaim, NewPtyBehindTheLinkIsReclaimedAndCarriesBytesBothWays) {
    LoseTheLine();
    PtyPair second;
    PointLinkAt(second);
    ASSERT_TRUE(m_control.ReclaimLostPort());
    // Reclaimed, but not the engine's line until the engine opens the port again.
    EXPECT_TRUE(m_control.PortLost());
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);

    ASSERT_TRUE(m_control.SetCommPort(1));
    ASSERT_TRUE(m_control.SetInputLen(1));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_FALSE(m_control.PortLost());
    EXPECT_TRUE(m_control.PortOpen());

    second.Write(std::string("a\0", 2));
    ASSERT_TRUE(WaitForBytes(2));
    EXPECT_EQ(m_control.Input(), std::string("a"));
    EXPECT_EQ(m_control.Input(), std::string(1, '\0'));
    EXPECT_TRUE(m_control.Output("b"));
    EXPECT_EQ(second.Read(1, 2s), "b");
}

TEST_F(LostPortReclaim, ReopenedDeviceGetsTheLineSettingsAskedForMeanwhile) {
    LoseTheLine();
    PtyPair second;
    PointLinkAt(second);
    ASSERT_TRUE(m_control.ReclaimLostPort());
    // The engine's open sequence sets everything again before opening.
    ASSERT_TRUE(m_control.SetSettings("2400,N,8,1"));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    termios tio{};
    ASSERT_EQ(::tcgetattr(second.SlaveFd(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}

TEST_F(LostPortReclaim, ReclaimedPortIsLostAgainWhenItsDeviceGoesAgain) {
    LoseTheLine();
    PtyPair second;
    PointLinkAt(second);
    ASSERT_TRUE(m_control.ReclaimLostPort());
    ASSERT_TRUE(m_control.SetPortOpen(true));
    second.Hangup();
    ASSERT_TRUE(PumpUntil([&] { return m_losses > 1; }));
    Settle();
    EXPECT_EQ(m_losses, 2);
    EXPECT_TRUE(m_control.PortLost());
    EXPECT_FALSE(m_control.Output("y"));
}

TEST_F(LostPortReclaim, ClosingALostPortForgetsTheLossAndOpensByPortNumberAgain) {
    LoseTheLine();
    PtyPair second;
    PointLinkAt(second);
    ASSERT_TRUE(m_control.ReclaimLostPort());
    ASSERT_TRUE(m_control.SetPortOpen(false));
    EXPECT_FALSE(m_control.PortLost());
    EXPECT_FALSE(m_control.ReclaimLostPort());
    ASSERT_TRUE(m_control.SetPortOpen(true));
    second.Write("c");
    ASSERT_TRUE(WaitForBytes(1));
    EXPECT_EQ(m_control.Input(), std::string("c"));
}

TEST_F(LostPortReclaim, PortThatWasNeverLostHasNothingToReclaim) {
    PointLinkAt(m_first);
    EXPECT_FALSE(m_control.ReclaimLostPort());
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_FALSE(m_control.ReclaimLostPort());
    // An open port keeps its number and refuses a second open.
    EXPECT_FALSE(m_control.SetCommPort(1));
    EXPECT_FALSE(m_control.SetPortOpen(true));
}

// A pty named by its own number is gone for good when its far end closes: the kernel gives the
// number to the next pty opened anywhere, and that line is someone else's.
TEST(LostPtyByNumber, NumberHandedToANewPtyIsNotReclaimed) {
    std::unique_ptr<PtyPair> lost;
    std::vector<std::unique_ptr<PtyPair>> newcomers;
    std::unique_ptr<QtSerialControl> control;
    int losses = 0;
    // The freed number goes to the next pty opened on the machine, which is nearly always ours;
    // another program may get it first, so try a few times.
    for (int attempt = 0; attempt < 10 && newcomers.empty(); ++attempt) {
        lost = std::make_unique<PtyPair>();
        const std::string path = lost->SlavePath();
        control =
            std::make_unique<QtSerialControl>([path](int) { return QString::fromStdString(path); });
        control->SetPortLostHandler([&] { ++losses; });
        ASSERT_TRUE(control->SetPortOpen(true));
        lost->Hangup();
        ASSERT_TRUE(PumpUntil([&] { return control->PortLost(); }));
        Settle();
        auto newcomer = std::make_unique<PtyPair>();
        if (newcomer->SlavePath() == path) {
            newcomers.push_back(std::move(newcomer));
        }
    }
    ASSERT_FALSE(newcomers.empty()) << "no new pty got the freed number";
    EXPECT_FALSE(control->ReclaimLostPort());
    EXPECT_FALSE(control->SetPortOpen(true));
    newcomers.front()->Write("z");
    EXPECT_EQ(control->InBufferCount(), std::nullopt);
}

}  // namespace
}  // namespace espa::test
