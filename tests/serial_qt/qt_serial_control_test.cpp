// The Qt serial control on a real pty pair.
#include "serial/qt_serial_control.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <QCoreApplication>
#include <memory>

#include "event_loop_wait.h"
#include "pty_pair.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

// Lets queued work (the close of a lost device) run, or a busy descriptor report again.
void Turns(int count) {
    for (int turn = 0; turn < count; ++turn) {
        QCoreApplication::processEvents();
    }
}

class QtSerialControlOnPty : public ::testing::Test {
  protected:
    bool WaitForBytes(int count) {
        return PumpUntil([&] { return m_control.InBufferCount().value_or(0) >= count; });
    }
    // The line settings on the tty, through the kept slave descriptor that shares them.
    termios Tty() {
        termios tio{};
        EXPECT_EQ(::tcgetattr(m_line.SlaveFd(), &tio), 0);
        return tio;
    }

    PtyPair m_line;
    QtSerialControl m_control{[this](int n) {
        return n == 1 ? QString::fromStdString(m_line.SlavePath()) : QString("/nonexistent/tty");
    }};
};

TEST_F(QtSerialControlOnPty, SettingsAreKeptWhileClosedAndAppliedAtOnceWhileOpen) {
    ASSERT_TRUE(m_control.SetCommPort(1));
    ASSERT_TRUE(m_control.SetSettings("19200,N,8,2"));
    EXPECT_FALSE(m_control.SetSettings("9600,X,8,1"));
    ASSERT_TRUE(m_control.SetDTREnable(true));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    termios tio = Tty();
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    ASSERT_TRUE(m_control.SetSettings("2400,N,8,1"));
    tio = Tty();
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
}

// A pty has no modem-control lines and refuses what needs them: that is a virtual line, not a
// failed open, with or without RTS/CTS handshake.
TEST_F(QtSerialControlOnPty, VirtualLineOpensWithWhateverSettingsAndHasNoModemLines) {
    for (const int handshaking : {0, 2}) {
        SCOPED_TRACE(handshaking);
        ASSERT_TRUE(m_control.SetSettings("19200,E,7,2"));
        ASSERT_TRUE(m_control.SetHandshaking(handshaking));
        ASSERT_TRUE(m_control.SetRTSEnable(true));
        EXPECT_EQ(m_control.CTSHolding(), std::nullopt);
        ASSERT_TRUE(m_control.SetPortOpen(true));
        EXPECT_TRUE(m_control.VirtualLine());
        EXPECT_EQ(m_control.CTSHolding(), false);
        EXPECT_EQ(m_control.RTSEnable(), true);
        EXPECT_TRUE(m_control.SetRTSEnable(false));
        EXPECT_EQ(m_control.RTSEnable(), false);
        ASSERT_TRUE(m_control.SetPortOpen(false));
    }
}

TEST_F(QtSerialControlOnPty, WhatTheControlCannotDoIsRefused) {
    EXPECT_FALSE(m_control.SetCommPort(0) || m_control.SetNullDiscard(true) ||
                 m_control.SetEOFEnable(true));
    EXPECT_TRUE(m_control.SetNullDiscard(false) && m_control.SetEOFEnable(false));
    ASSERT_TRUE(m_control.SetCommPort(2));
    EXPECT_FALSE(m_control.SetPortOpen(true));  // no such device
    EXPECT_FALSE(m_control.PortOpen());
    ASSERT_TRUE(m_control.SetCommPort(1));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_FALSE(m_control.SetCommPort(2) || m_control.SetPortOpen(true));
    EXPECT_TRUE(m_control.SetPortOpen(false) && m_control.SetPortOpen(false));
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);
    EXPECT_EQ(m_control.Input(), std::nullopt);
    EXPECT_FALSE(m_control.Output("x"));
}

TEST_F(QtSerialControlOnPty, EveryByteCrossesAsItIsInEitherDirection) {
    ASSERT_TRUE(m_control.SetInputLen(1));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    m_line.Write(
        std::string("\0\xFF\x80"
                    "A",
                    4));
    ASSERT_TRUE(WaitForBytes(4));
    for (const char byte : std::string("\0\xFF\x80", 3)) {
        EXPECT_EQ(m_control.Input(), std::string(1, byte));
    }
    ASSERT_TRUE(m_control.SetInputLen(0));  // all that waits
    EXPECT_EQ(m_control.Input(), std::string("A"));
    EXPECT_EQ(m_control.InBufferCount(), 0);
    EXPECT_EQ(m_control.Input(), std::string());
    ASSERT_TRUE(m_control.Output(std::string("\0\xFF", 2)));
    EXPECT_EQ(m_line.Read(2, 5s), std::string("\0\xFF", 2));
}

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
    EXPECT_TRUE(m_control.PortLost());
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);
    EXPECT_EQ(m_control.Input(), std::nullopt);
    EXPECT_FALSE(m_control.Output("y"));
    // Still open as far as the engine is concerned, so closing is an ordinary close.
    EXPECT_TRUE(m_control.PortOpen());
    EXPECT_TRUE(m_control.SetPortOpen(false));
    EXPECT_FALSE(m_control.PortLost());
}

// A pty named by its own number is gone for good when its far end closes: the kernel gives the
// number to the next pty opened anywhere, and that line is someone else's. (A device coming back
// behind its link is the program's run to show.)
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
    EXPECT_FALSE(control->ReclaimLostPort());
    EXPECT_FALSE(control->SetPortOpen(true));
    newcomer->Write("z");
    EXPECT_EQ(control->InBufferCount(), std::nullopt);
}

}  // namespace
}  // namespace espa::test
