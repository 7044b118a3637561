// The Qt serial control on a real pty pair.
#include "serial/qt_serial_control.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <memory>

#include "event_loop_wait.h"
#include "line_ends.h"

namespace espa::test {
namespace {

// Lets queued work (the close of a lost device) run, or a busy descriptor report again.
void Turns(int count) {
    while (count-- > 0) {
        QCoreApplication::processEvents();
    }
}

class QtSerialControlOnPty : public ::testing::Test {
  protected:
    bool WaitForBytes(int count) {
        return PumpUntil([&] { return m_control.InBufferCount().value_or(0) >= count; });
    }
    // The tty's settings, through the kept slave descriptor that shares them: speed, two stop
    // bits, eight data bits.
    std::tuple<speed_t, bool, bool> Tty() {
        termios tio{};
        EXPECT_EQ(::tcgetattr(m_line.SlaveFd(), &tio), 0);
        return {::cfgetospeed(&tio), (tio.c_cflag & CSTOPB) != 0, (tio.c_cflag & CSIZE) == CS8};
    }

    PtyPair m_line;
    QtSerialControl m_control{[this](int n) {
        return n == 1 ? QString::fromStdString(m_line.SlavePath()) : QString("/nonexistent/tty");
    }};
};

TEST_F(QtSerialControlOnPty, SettingsAreKeptWhileClosedAndAppliedAtOnceWhileOpen) {
    ASSERT_TRUE(m_control.SetCommPort(1) && m_control.SetSettings("19200,N,8,2"));
    EXPECT_FALSE(m_control.SetSettings("9600,X,8,1"));
    ASSERT_TRUE(m_control.SetDTREnable(true) && m_control.SetPortOpen(true));
    EXPECT_TRUE(m_control.VirtualLine());  // a pty has no modem lines: not a failed open
    EXPECT_EQ(Tty(), std::tuple(B19200, true, true));
    ASSERT_TRUE(m_control.SetSettings("2400,N,8,1"));
    EXPECT_EQ(Tty(), std::tuple(B2400, false, true));
}

// Still open as far as the engine is concerned, so closing is an ordinary close.
TEST_F(QtSerialControlOnPty, LostPortIsReportedOnceAndThenGivesNothing) {
    int losses = 0;
    m_control.SetPortLostHandler([&] { ++losses; });
    ASSERT_TRUE(m_control.SetPortOpen(true));
    m_line.Write("x");
    ASSERT_TRUE(WaitForBytes(1));
    m_line.Hangup();
    ASSERT_TRUE(PumpUntil([&] { return losses > 0; }));
    Turns(1000);  // a hung-up descriptor still watched would keep the loop busy and report again
    EXPECT_EQ(losses, 1);
    EXPECT_TRUE(m_control.PortLost() && m_control.PortOpen());
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);
    EXPECT_EQ(m_control.Input(), std::nullopt);
    EXPECT_FALSE(m_control.Output("y"));
    EXPECT_TRUE(m_control.SetPortOpen(false));
    EXPECT_FALSE(m_control.PortLost());
}

// A pty named by its own number is gone for good when its far end closes: the kernel gives the
// number to the next pty opened anywhere, and that line is someone else's.
TEST(LostPortReclaim, PtyNumberHandedToANewPtyIsNotTakenBack) {
    std::unique_ptr<PtyPair> lost, newcomer;
    std::unique_ptr<QtSerialControl> control;
    // The freed number nearly always goes to our next pty; another program may get it first.
    for (int attempt = 0; attempt < 10 && !newcomer; ++attempt) {
        lost = std::make_unique<PtyPair>();
        const std::string path = lost->SlavePath();
        control =
            std::make_unique<QtSerialControl>([path](int) { return QString::fromStdString(path); });
        ASSERT_TRUE(control->SetPortOpen(true));
        lost->Hangup();
        ASSERT_TRUE(PumpUntil([&] { return control->PortLost(); }));
        Turns(10);
        newcomer = std::make_unique<PtyPair>();
        if (newcomer->SlavePath() != path) {
            newcomer.reset();
        }
    }
    ASSERT_NE(newcomer, nullptr) << "no new pty got the freed number";
    EXPECT_FALSE(control->ReclaimLostPort() || control->SetPortOpen(true));
    newcomer->Write("z");
    EXPECT_EQ(control->InBufferCount(), std::nullopt);
}

}  // namespace
}  // namespace espa::test
