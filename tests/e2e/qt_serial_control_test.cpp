// The Qt serial control on a real pty pair.
#include "serial/qt_serial_control.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <QCoreApplication>
#include <chrono>
#include <functional>

#include "event_loop_wait.h"
#include "pty_pair.h"
#include "test_central.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

class QtSerialControlOnPty : public ::testing::Test {
  protected:
    QtSerialControlOnPty()
        : m_device(m_line.SlavePath()), m_control([this](int n) {
              return n == 1 ? QString::fromStdString(m_device)
                            : QStringLiteral("/nonexistent/espa-tty");
          }) {}

    bool WaitForBytes(int count) {
        return PumpUntil([&] { return m_control.InBufferCount().value_or(0) >= count; });
    }

    PtyPair m_line;
    std::string m_device;  // what port 1 opens
    QtSerialControl m_control;
};

TEST_F(QtSerialControlOnPty, PropertiesSetWhileClosedAreAppliedOnOpen) {
    ASSERT_TRUE(m_control.SetCommPort(1));
    ASSERT_TRUE(m_control.SetSettings("19200,N,8,2"));
    ASSERT_TRUE(m_control.SetHandshaking(0));
    ASSERT_TRUE(m_control.SetDTREnable(true));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_TRUE(m_control.PortOpen());

    // The kept slave descriptor shares the line settings the control put on the tty.
    termios tio{};
    ASSERT_EQ(::tcgetattr(m_line.SlaveFd(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}

TEST_F(QtSerialControlOnPty, SettingsChangedWhileOpenTakeEffectAtOnce) {
    ASSERT_TRUE(m_control.SetPortOpen(true));
    ASSERT_TRUE(m_control.SetSettings("2400,N,8,1"));
    termios tio{};
    ASSERT_EQ(::tcgetattr(m_line.SlaveFd(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
}

TEST_F(QtSerialControlOnPty, MalformedSettingsTextIsRefused) {
    EXPECT_FALSE(m_control.SetSettings("9600,X,8,1"));
}

TEST_F(QtSerialControlOnPty, ParityAndSevenBitsAreAcceptedOnAVirtualLine) {
    ASSERT_TRUE(m_control.SetSettings("19200,E,7,2"));
    EXPECT_TRUE(m_control.SetPortOpen(true));
    EXPECT_TRUE(m_control.VirtualLine());
}

TEST_F(QtSerialControlOnPty, RtsRefusedByPtyIsNotAnOpenFailure) {
    ASSERT_TRUE(m_control.SetRTSEnable(true));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_TRUE(m_control.VirtualLine());
    EXPECT_EQ(m_control.RTSEnable(), true);
    EXPECT_TRUE(m_control.SetRTSEnable(false));
    EXPECT_EQ(m_control.RTSEnable(), false);
}

TEST_F(QtSerialControlOnPty, RtsCtsHandshakeOpensOnAVirtualLine) {
    ASSERT_TRUE(m_control.SetHandshaking(2));
    ASSERT_TRUE(m_control.SetRTSEnable(true));
    EXPECT_TRUE(m_control.SetPortOpen(true));
}

TEST_F(QtSerialControlOnPty, CtsReadsInactiveOnAVirtualLineAndFailsWhileClosed) {
    EXPECT_EQ(m_control.CTSHolding(), std::nullopt);
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_EQ(m_control.CTSHolding(), false);
}

TEST_F(QtSerialControlOnPty, PortNumberCannotChangeWhileOpen) {
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_FALSE(m_control.SetCommPort(2));
    EXPECT_FALSE(m_control.SetPortOpen(true));
}

TEST_F(QtSerialControlOnPty, MissingDeviceFailsToOpen) {
    ASSERT_TRUE(m_control.SetCommPort(2));
    EXPECT_FALSE(m_control.SetPortOpen(true));
    EXPECT_FALSE(m_control.PortOpen());
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);
    EXPECT_EQ(m_control.Input(), std::nullopt);
    EXPECT_FALSE(m_control.Output("x"));
}

TEST_F(QtSerialControlOnPty, PortNumberZeroIsRefused) {
    EXPECT_FALSE(m_control.SetCommPort(0));
}

TEST_F(QtSerialControlOnPty, NulAndFfArriveAsBytesOneAtATime) {
    ASSERT_TRUE(m_control.SetInputLen(1));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    m_line.Write(
        std::string("\0\xFF\x80"
                    "A",
                    4));
    ASSERT_TRUE(WaitForBytes(4));
    EXPECT_EQ(m_control.Input(), std::string(1, '\0'));
    EXPECT_EQ(m_control.Input(), std::string(1, '\xFF'));
    EXPECT_EQ(m_control.Input(), std::string(1, '\x80'));
    EXPECT_EQ(m_control.Input(), std::string("A"));
    EXPECT_EQ(m_control.InBufferCount(), 0);
    EXPECT_EQ(m_control.Input(), std::string());
}

TEST_F(QtSerialControlOnPty, InputLenZeroReadsAllThatWaits) {
    ASSERT_TRUE(m_control.SetInputLen(0));
    ASSERT_TRUE(m_control.SetPortOpen(true));
    m_line.Write("abc");
    ASSERT_TRUE(WaitForBytes(3));
    EXPECT_EQ(m_control.Input(), std::string("abc"));
}

TEST_F(QtSerialControlOnPty, NulAndFfLeaveAsBytes) {
    ASSERT_TRUE(m_control.SetPortOpen(true));
    ASSERT_TRUE(m_control.Output(std::string("\0\xFF", 2)));
    EXPECT_EQ(Visible(m_line.Read(2, 5s)), Visible(std::string("\0\xFF", 2)));
}

TEST_F(QtSerialControlOnPty, NulDiscardAndEofCharacterAreNotOffered) {
    EXPECT_TRUE(m_control.SetNullDiscard(false));
    EXPECT_TRUE(m_control.SetEOFEnable(false));
    EXPECT_FALSE(m_control.SetNullDiscard(true));
    EXPECT_FALSE(m_control.SetEOFEnable(true));
}

TEST_F(QtSerialControlOnPty, ClosingIsAllowedTwiceAndStopsIo) {
    ASSERT_TRUE(m_control.SetPortOpen(true));
    EXPECT_TRUE(m_control.SetPortOpen(false));
    EXPECT_TRUE(m_control.SetPortOpen(false));
    EXPECT_FALSE(m_control.PortOpen());
    EXPECT_FALSE(m_control.Output("x"));
    EXPECT_EQ(m_control.InBufferCount(), std::nullopt);
}

TEST_F(QtSerialControlOnPty, LostPortIsReportedOnceAndThenGivesNothing) {
    int losses = 0;
    m_control.SetPortLostHandler([&] { ++losses; });
    ASSERT_TRUE(m_control.SetPortOpen(true));
    m_line.Write("x");
    ASSERT_TRUE(WaitForBytes(1));

    m_line.Hangup();
    ASSERT_TRUE(PumpUntil([&] { return losses > 0; }));
    // The hung-up descriptor would keep the event loop busy if it were still watched; give it
    // plenty of turns to report again.
    for (int turn = 0; turn < 1000; ++turn) {
        QCoreApplication::processEvents();
    }
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

TEST_F(QtSerialControlOnPty, PortOpensAgainAfterLossOnceTheDeviceIsBack) {
    int losses = 0;
    m_control.SetPortLostHandler([&] { ++losses; });
    ASSERT_TRUE(m_control.SetPortOpen(true));
    m_line.Hangup();
    ASSERT_TRUE(PumpUntil([&] { return losses > 0; }));
    ASSERT_TRUE(m_control.SetPortOpen(false));

    PtyPair replacement;
    m_device = replacement.SlavePath();
    ASSERT_TRUE(m_control.SetPortOpen(true));
    replacement.Write("z");
    ASSERT_TRUE(WaitForBytes(1));
    EXPECT_EQ(m_control.Input(), std::string("z"));

    replacement.Hangup();
    ASSERT_TRUE(PumpUntil([&] { return losses > 1; }));
    EXPECT_EQ(losses, 2);
}

}  // namespace
}  // namespace espa::test
