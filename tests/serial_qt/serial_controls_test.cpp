// The two real controls: the serial one on a pty pair, the network one against plain sockets on
// the loopback interface.
#include <gtest/gtest.h>
#include <termios.h>

#include "child_process.h"
#include "event_loop_wait.h"
#include "line_ends.h"
#include "serial/qt_serial_control.h"
#include "serial/tcp_address.h"
#include "serial/tcp_serial_control.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

class Controls : public ::testing::Test {
  protected:
    Controls() {
        qt.SetPortLostHandler([this] { ++lost; });
        tcp.SetPortLostHandler([this] { ++lost; });
        tcp.SetConnectedHandler([this](const QString& peer) { peers.push_back(peer); });
        tcp.SetNoticeHandler([this](const std::string& text) { notices += text + "\n"; });
    }
    // Opens the port; the far end of its line, once it is there.
    FdLine& Open(SerialControl& control) {
        EXPECT_TRUE(control.SetPortOpen(true));
        if (&control == &qt) {
            return pty;
        }
        link.reset();
        EXPECT_TRUE(
            PumpUntil([&] { return (link || (link = listener.Accept(0ms))) && tcp.LinkUp(); }));
        return *link;
    }
    // What Input gives until `count` bytes have come.
    static std::string Receive(SerialControl& control, std::size_t count) {
        std::string got;
        PumpUntil([&] { return (got += control.Input().value_or("")).size() >= count; });
        return got;
    }

    PtyPair pty;
    TcpListener listener;
    std::unique_ptr<TcpLink> link;
    QString tcpDevice = QStringLiteral("tcp://127.0.0.1:%1").arg(listener.Port());
    QtSerialControl qt{[this](int n) {
        return n == 1 ? QString::fromStdString(pty.SlavePath()) : QString("/nonexistent/tty");
    }};
    TcpSerialControl tcp{[this](int n) { return n == 1 ? tcpDevice : QString("/dev/ttyS0"); }};
    int lost = 0;
    QStringList peers;
    std::string notices;
};

// Each refuses what it cannot do and has no modem lines; port 2 names no device either takes.
TEST_F(Controls, WhatEitherCannotDoIsRefusedAndModemLinesAreAbsent) {
    for (SerialControl* control : std::initializer_list<SerialControl*>{&qt, &tcp}) {
        SCOPED_TRACE(control == &qt ? "serial" : "tcp");
        EXPECT_EQ(control->CTSHolding(), std::nullopt);
        EXPECT_TRUE(control->SetSettings("19200,E,7,2") && control->SetNullDiscard(false) &&
                    control->SetEOFEnable(false) && control->SetHandshaking(2));
        EXPECT_FALSE(control->SetSettings("9600,X,8,1") || control->SetSettings("9600,N,9,1") ||
                     control->SetNullDiscard(true) || control->SetEOFEnable(true) ||
                     control->SetCommPort(0) || control->SetInputLen(-1));
        ASSERT_TRUE(control->SetRTSEnable(true) && control->SetCommPort(1));
        Open(*control);
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
        EXPECT_FALSE(control->SetPortOpen(true) || control->PortOpen());
    }
    EXPECT_FALSE(tcp.SetHandshaking(4));
    EXPECT_EQ(Count(notices, "Com2 is not a TCP address: /dev/ttyS0"), 1);
}

TEST_F(Controls, EveryByteCrossesEitherAsItIsInEitherDirection) {
    for (SerialControl* control : std::initializer_list<SerialControl*>{&qt, &tcp}) {
        SCOPED_TRACE(control == &qt ? "serial" : "tcp");
        ASSERT_TRUE(control->SetInputLen(1));
        FdLine& far = Open(*control);
        far.Write(
            std::string("\0\xFF\x80"
                        "A",
                        4));
        ASSERT_TRUE(PumpUntil([&] { return control->InBufferCount().value_or(0) >= 4; }));
        for (const char byte : std::string("\0\xFF\x80", 3)) {
            EXPECT_EQ(control->Input(), std::string(1, byte));
        }
        ASSERT_TRUE(control->SetInputLen(0));  // all that waits
        EXPECT_EQ(Receive(*control, 1), "A");
        EXPECT_EQ(control->InBufferCount(), 0);
        EXPECT_EQ(control->Input(), "");
        ASSERT_TRUE(control->Output(std::string("\0\xFF", 2)));
        std::string got;  // the network control writes from the event loop
        PumpUntil([&] { return (got += far.Read(2, 0ms)).size() >= 2; });
        EXPECT_EQ(got, std::string("\0\xFF", 2));
    }
}

// Settings reach the tty at once, through the kept slave descriptor that shares them.
TEST_F(Controls, SerialSettingsAreKeptWhileClosedAndAppliedAtOnceWhileOpen) {
    const auto tty = [this] {
        termios tio{};
        EXPECT_EQ(::tcgetattr(pty.SlaveFd(), &tio), 0);
        return std::tuple(::cfgetospeed(&tio), (tio.c_cflag & CSTOPB) != 0, tio.c_cflag & CSIZE);
    };
    ASSERT_TRUE(qt.SetCommPort(1) && qt.SetSettings("19200,N,8,2"));
    ASSERT_TRUE(qt.SetDTREnable(true) && qt.SetPortOpen(true));
    EXPECT_TRUE(qt.VirtualLine());  // a pty has no modem lines: not a failed open
    EXPECT_EQ(tty(), std::tuple(B19200, true, CS8));
    ASSERT_TRUE(qt.SetSettings("2400,N,8,1"));
    EXPECT_EQ(tty(), std::tuple(B2400, false, CS8));
}

// Still open as far as the engine is concerned, so closing is an ordinary close.
TEST_F(Controls, LostSerialPortIsReportedOnceAndThenGivesNothing) {
    Open(qt).Write("x");
    ASSERT_TRUE(PumpUntil([&] { return qt.InBufferCount().value_or(0) >= 1; }));
    pty.Hangup();
    ASSERT_TRUE(PumpUntil([&] { return lost > 0; }));
    // A hung-up descriptor still watched would keep the loop busy and report again.
    for (int turn = 0; turn < 1000; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(qt.PortLost() && qt.PortOpen());
    EXPECT_EQ(qt.InBufferCount(), std::nullopt);
    EXPECT_EQ(qt.Input(), std::nullopt);
    EXPECT_FALSE(qt.Output("y"));
    EXPECT_TRUE(qt.SetPortOpen(false));
    EXPECT_FALSE(qt.PortLost());
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
        for (int turn = 0; turn < 10; ++turn)  // the close of the lost device runs queued
            QCoreApplication::processEvents();
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

// Each read back as its host and port and its usual text, which reads back the same.
TEST(TcpAddress, DialAndListenFormsAreReadAndMalformedOnesRefused) {
    using enum TcpAddress::Role;
    const std::tuple<const char*, TcpAddress::Role, const char*, const char*> good[] = {
        {"tcp://terminal.local:4001", Connect, "terminal.local:4001", "tcp://terminal.local:4001"},
        {"tcp-listen://:5000", Listen, "*:5000", "tcp-listen://:5000"},
        {"TCP://[::1]:65535", Connect, "[::1]:65535", "tcp://[::1]:65535"},
    };
    for (const auto& [text, role, hostAndPort, usual] : good) {
        const auto address = TcpAddress::Parse(text);
        ASSERT_TRUE(address) << text;
        EXPECT_EQ(std::tuple(address->role, address->HostAndPort(), address->ToText()),
                  std::tuple(role, hostAndPort, usual));
        EXPECT_EQ(TcpAddress::Parse(address->ToText()), address);
    }
    for (const char* text :
         {"tcp://host", "tcp://host:", "tcp://:4001", "tcp://host:0", "tcp://host:65536",
          "tcp://host:+80", "tcp://host: 80", "tcp://host:80x", "tcp://a b:80", "tcp://::1:80",
          "tcp://[::1]80", "tcp://[]:80", "tcp://user@host:80", "tcp://host/x:80",
          "tcp-listen://host", "udp://host:80", "/dev/ttyS0"}) {
        EXPECT_FALSE(TcpAddress::Parse(text)) << text;
    }
    EXPECT_TRUE(TcpAddress::IsTcpDevice("tcp://host") && TcpAddress::IsTcpDevice("Tcp-Listen://x"));
    EXPECT_FALSE(TcpAddress::IsTcpDevice("/dev/tcp/host"));
}

// Bytes the control had not read when the link went are not carried over to the next one; a close
// hangs up without reporting a loss and dials no more.
TEST_F(Controls, DialledLinkIsDialledAgainWhenLost) {
    Open(tcp);
    ASSERT_EQ(peers.size(), 1);
    EXPECT_TRUE(peers[0].startsWith("127.0.0.1:"));
    link->Write("stale");
    link->Close();
    ASSERT_TRUE(PumpUntil([&] { return lost == 1; }));
    EXPECT_FALSE(tcp.LinkUp() || tcp.Output("x"));
    link.reset();
    ASSERT_TRUE(PumpUntil([&] { return (link || (link = listener.Accept(0ms))) && tcp.LinkUp(); }));
    EXPECT_EQ(peers.size(), 2);
    EXPECT_EQ(tcp.InBufferCount(), 0);
    link->Write("new");
    EXPECT_EQ(Receive(tcp, 3), "new");
    EXPECT_EQ(Count(notices, "lost; reconnecting.\n"), 1);

    ASSERT_TRUE(tcp.SetPortOpen(false));
    EXPECT_TRUE(link->WaitClosed(5s));
    EXPECT_EQ(tcp.InBufferCount(), std::nullopt);
    std::unique_ptr<TcpLink> again;  // past the retry second
    EXPECT_FALSE(PumpUntil([&] { return (again = listener.Accept(0ms)) != nullptr; }, 1500ms));
    EXPECT_EQ(lost, 1);
}

// A central that dials in while another has the line is sent away.
TEST_F(Controls, ListeningControlTakesOneCentralAtATime) {
    const int port = FreeLoopbackPort();
    tcpDevice = QStringLiteral("tcp-listen://127.0.0.1:%1").arg(port);
    ASSERT_TRUE(tcp.SetPortOpen(true));
    const std::unique_ptr<TcpLink> first = TcpLink::Connect(port), second = TcpLink::Connect(port);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(PumpUntil([&] { return second->WaitClosed(0ms); }));
    EXPECT_EQ(Count(notices, "A second central from 127.0.0.1:"), 1);
    first->Write("1");
    EXPECT_EQ(Receive(tcp, 1), "1");
    EXPECT_EQ(std::pair(lost, peers.size()), std::pair(0, qsizetype(1)));
}

// Listening on a port in use fails; a dial nobody answers leaves the port open and quiet.
TEST_F(Controls, NetworkOpenFailsOnAPortInUseAndWaitsForACentralThatDoesNotAnswer) {
    tcpDevice = QStringLiteral("tcp-listen://127.0.0.1:%1").arg(listener.Port());
    EXPECT_FALSE(tcp.SetPortOpen(true) || tcp.PortOpen());
    EXPECT_EQ(Count(notices, "Cannot wait for a central on 127.0.0.1:"), 1);
    tcpDevice = QStringLiteral("tcp://127.0.0.1:%1").arg(FreeLoopbackPort());
    ASSERT_TRUE(tcp.SetInputLen(0) && tcp.SetPortOpen(true));
    ASSERT_TRUE(PumpUntil([&] { return Count(notices, "Cannot reach the central") == 1; }));
    EXPECT_TRUE(tcp.PortOpen());
    EXPECT_EQ(tcp.InBufferCount(), 0);
    EXPECT_EQ(tcp.Input(), "");
    EXPECT_FALSE(tcp.Output("x"));
    EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace espa::test
