// What the engine may ask of either real control, the serial one on a pty pair and the network
// one dialling a loopback listener: each refuses what it cannot do, has no modem lines, and moves
// every byte as it is.
#include <gtest/gtest.h>

#include "event_loop_wait.h"
#include "line_ends.h"
#include "serial/qt_serial_control.h"
#include "serial/tcp_serial_control.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

class EitherControl : public ::testing::TestWithParam<bool> {
  protected:
    EitherControl() {
        const QString device = GetParam()
                                   ? QStringLiteral("tcp://127.0.0.1:%1").arg(listener.Port())
                                   : QString::fromStdString(pty.SlavePath());
        if (GetParam()) {
            control = std::make_unique<TcpSerialControl>(
                [=](int n) { return n == 1 ? device : QStringLiteral("/dev/ttyS0"); });
        } else {
            control =
                std::make_unique<QtSerialControl>([=](int n) { return n == 1 ? device : ""; });
        }
    }
    // Opens the port; the far end of the line, once it is there.
    FdLine& Open() {
        EXPECT_TRUE(control->SetPortOpen(true));
        if (auto* tcp = dynamic_cast<TcpSerialControl*>(control.get())) {
            EXPECT_TRUE(PumpUntil(
                [&] { return (link || (link = listener.Accept(0ms))) && tcp->LinkUp(); }));
            return *link;
        }
        return pty;
    }
    // What Input gives until `count` bytes have come.
    std::string Receive(std::size_t count) {
        std::string got;
        PumpUntil([&] { return (got += control->Input().value_or("")).size() >= count; });
        return got;
    }

    PtyPair pty;
    TcpListener listener;
    std::unique_ptr<TcpLink> link;
    std::unique_ptr<SerialControl> control;
};

TEST_P(EitherControl, WhatItCannotDoIsRefusedAndModemLinesAreAbsent) {
    EXPECT_EQ(control->CTSHolding(), std::nullopt);
    EXPECT_TRUE(control->SetSettings("19200,E,7,2") && control->SetNullDiscard(false) &&
                control->SetEOFEnable(false) && control->SetHandshaking(2));
    EXPECT_FALSE(control->SetSettings("9600,X,8,1") || control->SetSettings("9600,N,9,1") ||
                 control->SetNullDiscard(true) || control->SetEOFEnable(true) ||
                 control->SetCommPort(0) || control->SetInputLen(-1));
    ASSERT_TRUE(control->SetRTSEnable(true) && control->SetCommPort(1));
    Open();
    EXPECT_FALSE(control->SetCommPort(2) || control->SetPortOpen(true));
    EXPECT_EQ(control->CTSHolding(), false);
    EXPECT_EQ(control->RTSEnable(), true);
    ASSERT_TRUE(control->SetRTSEnable(false));
    EXPECT_EQ(control->RTSEnable(), false);
    EXPECT_TRUE(control->SetPortOpen(false) && control->SetPortOpen(false));
    EXPECT_FALSE(control->PortOpen() || control->Output("x"));
    EXPECT_EQ(control->InBufferCount(), std::nullopt);
    EXPECT_EQ(control->Input(), std::nullopt);
    ASSERT_TRUE(control->SetCommPort(2));
    EXPECT_FALSE(control->SetPortOpen(true) || control->PortOpen());  // no such device
}

TEST_P(EitherControl, EveryByteCrossesAsItIsInEitherDirection) {
    ASSERT_TRUE(control->SetInputLen(1));
    FdLine& far = Open();
    far.Write(
        std::string("\0\xFF\x80"
                    "A",
                    4));
    ASSERT_TRUE(PumpUntil([&] { return control->InBufferCount().value_or(0) >= 4; }));
    for (const char byte : std::string("\0\xFF\x80", 3)) {
        EXPECT_EQ(control->Input(), std::string(1, byte));
    }
    ASSERT_TRUE(control->SetInputLen(0));  // all that waits
    EXPECT_EQ(Receive(1), "A");
    EXPECT_EQ(control->InBufferCount(), 0);
    EXPECT_EQ(control->Input(), "");
    ASSERT_TRUE(control->Output(std::string("\0\xFF", 2)));
    std::string got;  // the network control writes from the event loop
    PumpUntil([&] { return (got += far.Read(2, 0ms)).size() >= 2; });
    EXPECT_EQ(got, std::string("\0\xFF", 2));
}

INSTANTIATE_TEST_SUITE_P(SerialAndTcp, EitherControl, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Tcp" : "Serial"; });

}  // namespace
}  // namespace espa::test
