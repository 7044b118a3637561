// The serial control over TCP, against peers made of plain sockets on the loopback interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "event_loop_wait.h"
#include "serial/tcp_address.h"
#include "serial/tcp_serial_control.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kDeadline = 5s;

TEST(TcpAddress, DialAndListenFormsAreReadAndMalformedOnesRefused) {
    const struct {
        const char* text;
        TcpAddress::Role role;
        const char* host;
        quint16 port;
        const char* hostAndPort;
        const char* usual;
    } cases[] = {
        {"tcp://terminal.local:4001", TcpAddress::Role::Connect, "terminal.local", 4001,
         "terminal.local:4001", "tcp://terminal.local:4001"},
        {"tcp-listen://:5000", TcpAddress::Role::Listen, "", 5000, "*:5000", "tcp-listen://:5000"},
        {"TCP://[::1]:65535", TcpAddress::Role::Connect, "::1", 65535, "[::1]:65535",
         "tcp://[::1]:65535"},
    };
    for (const auto& c : cases) {
        const auto address = TcpAddress::Parse(c.text);
        ASSERT_TRUE(address) << c.text;
        EXPECT_EQ(std::tuple(address->role, address->host, address->port, address->HostAndPort(),
                             address->ToText()),
                  std::tuple(c.role, c.host, c.port, c.hostAndPort, c.usual));
        EXPECT_EQ(TcpAddress::Parse(address->ToText()), address);
    }
    for (const char* text :
         {"tcp://host", "tcp://host:", "tcp://:4001", "tcp://host:0", "tcp://host:65536",
          "tcp://host:+80", "tcp://host: 80", "tcp://host:80x", "tcp://a b:80", "tcp://::1:80",
          "tcp://[::1]80", "tcp://[]:80", "tcp://user@host:80", "tcp://host/x:80",
          "tcp-listen://host", "udp://host:80", "/dev/ttyS0"}) {
        EXPECT_FALSE(TcpAddress::Parse(text)) << text;
    }
    EXPECT_TRUE(TcpAddress::IsTcpDevice("tcp://host"));
    EXPECT_TRUE(TcpAddress::IsTcpDevice("Tcp-Listen://x"));
    EXPECT_FALSE(TcpAddress::IsTcpDevice("/dev/tcp/host"));
}

class TcpControl : public ::testing::Test {
  protected:
    TcpControl() {
        control.SetPortLostHandler([this] { ++lost; });
        control.SetConnectedHandler(
            [this](const QString& peer) { peers.push_back(peer.toStdString()); });
        control.SetNoticeHandler([this](const std::string& text) { notices.push_back(text); });
    }
    void OpenOn(const std::string& scheme, int port) {
        m_device = QString::fromStdString(scheme + "127.0.0.1:" + std::to_string(port));
        ASSERT_TRUE(control.SetCommPort(1));
        ASSERT_TRUE(control.SetInputLen(0));
        ASSERT_TRUE(control.SetPortOpen(true));
    }

    // The next link the control dials in to `listener`, once the control has it up too.
    std::unique_ptr<TcpLink> AcceptFrom(TcpListener& listener) {
        std::unique_ptr<TcpLink> link;
        SpinUntil([&] { return (link = link ? std::move(link) : listener.Accept(0ms)) != nullptr; },
                  kDeadline);
        SpinUntil([&] { return control.LinkUp(); }, kDeadline);
        return link;
    }

    // What `read` gives until `count` bytes have come.
    static std::string Gather(const std::function<std::string()>& read, std::size_t count) {
        std::string got;
        SpinUntil([&] { return (got += read()).size() >= count; }, kDeadline);
        return got;
    }
    std::string Receive(std::size_t count) {
        return Gather([this] { return control.Input().value_or(""); }, count);
    }
    static std::string ReadFrom(TcpLink& link, std::size_t count) {
        return Gather([&] { return link.Read(count, 0ms); }, count);
    }

    long Count(const std::string& part) const {
        return std::count_if(notices.begin(), notices.end(), [&](const std::string& notice) {
            return notice.find(part) != std::string::npos;
        });
    }

    QString m_device;
    TcpSerialControl control{[this](int) { return m_device; }};
    int lost = 0;
    std::vector<std::string> peers;
    std::vector<std::string> notices;
};

// Bytes the control had not read when the link went are not carried over to the next one; a close
// hangs up without reporting a loss and dials no more.
TEST_F(TcpControl, DialledLinkCarriesEveryByteAndIsDialledAgainWhenLost) {
    TcpListener central;
    OpenOn("tcp://", central.Port());
    std::unique_ptr<TcpLink> link = AcceptFrom(central);
    ASSERT_NE(link, nullptr);
    const std::string bytes(
        "\x01"
        "1\x02\x00\xE9\xFF",
        6);
    link->Write(bytes);
    EXPECT_EQ(Receive(bytes.size()), bytes);
    ASSERT_TRUE(control.Output(bytes));
    EXPECT_EQ(ReadFrom(*link, bytes.size()), bytes);
    ASSERT_EQ(peers.size(), 1u);
    EXPECT_EQ(peers[0].rfind("127.0.0.1:", 0), 0u);

    link->Write("stale");
    link->Close();
    ASSERT_TRUE(SpinUntil([&] { return lost == 1; }, kDeadline));
    EXPECT_FALSE(control.LinkUp());
    EXPECT_FALSE(control.Output("x"));
    link = AcceptFrom(central);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(peers.size(), 2u);
    EXPECT_EQ(control.InBufferCount(), 0);
    link->Write("new");
    EXPECT_EQ(Receive(3), "new");
    EXPECT_EQ(Count("lost; reconnecting."), 1);

    ASSERT_TRUE(control.SetPortOpen(false));
    EXPECT_TRUE(link->WaitClosed(kDeadline));
    EXPECT_FALSE(control.PortOpen());
    EXPECT_EQ(control.InBufferCount(), std::nullopt);
    EXPECT_EQ(control.Input(), std::nullopt);
    std::unique_ptr<TcpLink> again;  // past the retry second
    EXPECT_FALSE(SpinUntil([&] { return (again = central.Accept(0ms)) != nullptr; }, 1500ms));
    EXPECT_EQ(lost, 1);
}

TEST_F(TcpControl, ListeningControlTakesOneCentralAtATimeAndTheNextWhenItLeaves) {
    const int port = FreeLoopbackPort();
    OpenOn("tcp-listen://", port);
    std::unique_ptr<TcpLink> first = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return control.LinkUp(); }, kDeadline));

    const std::unique_ptr<TcpLink> second = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(second, nullptr);
    bool closed = false;
    EXPECT_TRUE(SpinUntil([&] { return closed = closed || second->WaitClosed(0ms); }, kDeadline));
    EXPECT_EQ(Count("A second central from 127.0.0.1:"), 1);
    first->Write("1");
    EXPECT_EQ(Receive(1), "1");
    EXPECT_EQ(lost, 0);

    first->Close();
    ASSERT_TRUE(SpinUntil([&] { return lost == 1; }, kDeadline));
    EXPECT_EQ(Count("disconnected; waiting for the next."), 1);
    const std::unique_ptr<TcpLink> next = TcpLink::Connect(port, kDeadline);
    ASSERT_NE(next, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return control.LinkUp(); }, kDeadline));
    ASSERT_TRUE(control.Output("2"));
    EXPECT_EQ(ReadFrom(*next, 1), "2");
    EXPECT_EQ(peers.size(), 2u);
}

TEST_F(TcpControl, OpenFailsOnAPortInUseOrADeviceThatIsNoTcpAddress) {
    TcpListener other;
    for (const QString& device : {QStringLiteral("tcp-listen://127.0.0.1:%1").arg(other.Port()),
                                  QStringLiteral("/dev/ttyS0")}) {
        m_device = device;
        EXPECT_FALSE(control.SetPortOpen(true));
        EXPECT_FALSE(control.PortOpen());
    }
    EXPECT_EQ(Count("Cannot wait for a central on 127.0.0.1:"), 1);
    EXPECT_EQ(Count("Com1 is not a TCP address: /dev/ttyS0"), 1);
}

// Nothing moves while no central answers, and the port stays open.
TEST_F(TcpControl, PropertiesAreCheckedAsOnASerialPortAndModemLinesAreAbsent) {
    EXPECT_EQ(control.CTSHolding(), std::nullopt);
    EXPECT_TRUE(control.SetSettings("19200,E,7,2") && control.SetNullDiscard(false));
    for (const bool refused : {control.SetSettings("9600,N,9,1"), control.SetNullDiscard(true),
                               control.SetEOFEnable(true), control.SetHandshaking(4),
                               control.SetInputLen(-1), control.SetCommPort(0)}) {
        EXPECT_FALSE(refused);
    }
    ASSERT_TRUE(control.SetRTSEnable(true));
    OpenOn("tcp://", FreeLoopbackPort());
    EXPECT_FALSE(control.SetCommPort(2) || control.SetPortOpen(true));
    EXPECT_EQ(control.CTSHolding(), false);
    EXPECT_EQ(control.RTSEnable(), true);
    ASSERT_TRUE(control.SetRTSEnable(false));
    EXPECT_EQ(control.RTSEnable(), false);
    EXPECT_TRUE(control.PortOpen());
    ASSERT_TRUE(SpinUntil([&] { return Count("Cannot reach the central") == 1; }, kDeadline));
    EXPECT_EQ(control.InBufferCount(), 0);
    EXPECT_EQ(control.Input(), "");
    EXPECT_FALSE(control.Output("x"));
    EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace espa::test
