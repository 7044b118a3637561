// The serial control over TCP, against peers made of plain sockets on the loopback interface.
#include <gtest/gtest.h>

#include "child_process.h"
#include "event_loop_wait.h"
#include "line_ends.h"
#include "serial/tcp_address.h"
#include "serial/tcp_serial_control.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

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

class TcpControl : public ::testing::Test {
  protected:
    TcpControl() {
        control.SetPortLostHandler([this] { ++lost; });
        control.SetConnectedHandler([this](const QString& peer) { peers.push_back(peer); });
        control.SetNoticeHandler([this](const std::string& text) { notices += text + "\n"; });
    }
    void OpenOn(const std::string& scheme, int port) {
        m_device = QString::fromStdString(scheme + "127.0.0.1:" + std::to_string(port));
        ASSERT_TRUE(control.SetCommPort(1) && control.SetInputLen(0) && control.SetPortOpen(true));
    }
    // The next link the control dials in to `listener`, once the control has it up too.
    std::unique_ptr<TcpLink> AcceptFrom(TcpListener& listener) {
        std::unique_ptr<TcpLink> link;
        PumpUntil(
            [&] { return (link = link ? std::move(link) : listener.Accept(0ms)) != nullptr; });
        PumpUntil([&] { return control.LinkUp(); });
        return link;
    }
    std::string Receive(std::size_t count) {
        std::string got;
        PumpUntil([&] { return (got += control.Input().value_or("")).size() >= count; });
        return got;
    }

    QString m_device;
    TcpSerialControl control{[this](int) { return m_device; }};
    int lost = 0;
    QStringList peers;
    std::string notices;
};

// Bytes the control had not read when the link went are not carried over to the next one; a close
// hangs up without reporting a loss and dials no more.
TEST_F(TcpControl, DialledLinkIsDialledAgainWhenLost) {
    TcpListener central;
    OpenOn("tcp://", central.Port());
    std::unique_ptr<TcpLink> link = AcceptFrom(central);
    ASSERT_NE(link, nullptr);
    ASSERT_EQ(peers.size(), 1);
    EXPECT_TRUE(peers[0].startsWith("127.0.0.1:"));

    link->Write("stale");
    link->Close();
    ASSERT_TRUE(PumpUntil([&] { return lost == 1; }));
    EXPECT_FALSE(control.LinkUp() || control.Output("x"));
    link = AcceptFrom(central);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(peers.size(), 2);
    EXPECT_EQ(control.InBufferCount(), 0);
    link->Write("new");
    EXPECT_EQ(Receive(3), "new");
    EXPECT_EQ(Count(notices, "lost; reconnecting.\n"), 1);

    ASSERT_TRUE(control.SetPortOpen(false));
    EXPECT_TRUE(link->WaitClosed(5s));
    EXPECT_FALSE(control.PortOpen());
    EXPECT_EQ(control.InBufferCount(), std::nullopt);
    EXPECT_EQ(control.Input(), std::nullopt);
    std::unique_ptr<TcpLink> again;  // past the retry second
    EXPECT_FALSE(PumpUntil([&] { return (again = central.Accept(0ms)) != nullptr; }, 1500ms));
    EXPECT_EQ(lost, 1);
}

// A central that dials in while another has the line is sent away.
TEST_F(TcpControl, ListeningControlTakesOneCentralAtATime) {
    const int port = FreeLoopbackPort();
    OpenOn("tcp-listen://", port);
    const std::unique_ptr<TcpLink> first = TcpLink::Connect(port);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return control.LinkUp(); }));
    const std::unique_ptr<TcpLink> second = TcpLink::Connect(port);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return second->WaitClosed(0ms); }));
    EXPECT_EQ(Count(notices, "A second central from 127.0.0.1:"), 1);
    first->Write("1");
    EXPECT_EQ(Receive(1), "1");
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(peers.size(), 1);
}

TEST_F(TcpControl, OpenFailsOnAPortInUse) {
    TcpListener other;
    m_device = QStringLiteral("tcp-listen://127.0.0.1:%1").arg(other.Port());
    EXPECT_FALSE(control.SetPortOpen(true) || control.PortOpen());
    EXPECT_EQ(Count(notices, "Cannot wait for a central on 127.0.0.1:"), 1);
}

// Nothing moves while no central answers, and the port stays open.
TEST_F(TcpControl, UnansweredDialLeavesThePortOpenAndQuiet) {
    EXPECT_FALSE(control.SetHandshaking(4));
    OpenOn("tcp://", FreeLoopbackPort());
    ASSERT_TRUE(PumpUntil([&] { return Count(notices, "Cannot reach the central") == 1; }));
    EXPECT_TRUE(control.PortOpen());
    EXPECT_EQ(control.InBufferCount(), 0);
    EXPECT_EQ(control.Input(), "");
    EXPECT_FALSE(control.Output("x"));
    EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace espa::test
