// The engine's one serial control, choosing the serial or the network control per open.
#include <gtest/gtest.h>

#include <map>

#include "pty_pair.h"
#include "serial/port_switch.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

TEST(LineKind, TcpSchemesAreNetworkLinesEverythingElseSerial) {
    for (const char* device : {"tcp://host:1", "tcp-listen://:1"}) {
        EXPECT_EQ(LineKindOf(device), LineKind::Network) << device;
    }
    for (const char* device : {"/dev/ttyUSB0", "COM3", "/tmp/tcp://x"}) {
        EXPECT_EQ(LineKindOf(device), LineKind::Serial) << device;
    }
}

class PortSwitchTest : public ::testing::Test {
  protected:
    PtyPair line;
    const int tcpPort = FreeLoopbackPort();
    std::map<int, QString> devices{
        {1, QString::fromStdString(line.SlavePath())},
        {2, QStringLiteral("tcp-listen://127.0.0.1:%1").arg(tcpPort)},
    };
    PortSwitch control{[this](int n) { return devices.count(n) ? devices[n] : QString(); }};
};

TEST_F(PortSwitchTest, EachOpenUsesTheControlItsDeviceNeeds) {
    ASSERT_TRUE(control.SetCommPort(1));
    EXPECT_EQ(control.Kind(), LineKind::Serial);
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_TRUE(control.Serial().PortOpen());
    EXPECT_FALSE(control.Network().PortOpen());
    // Open: the port number stays.
    EXPECT_FALSE(control.SetCommPort(2));
    ASSERT_TRUE(control.SetPortOpen(false));

    ASSERT_TRUE(control.SetCommPort(2));
    EXPECT_EQ(control.Kind(), LineKind::Network);
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_TRUE(control.Network().PortOpen());
    EXPECT_FALSE(control.Serial().PortOpen());
    EXPECT_EQ(control.Network().ListeningPort(), tcpPort);
    EXPECT_EQ(control.CTSHolding(), false);
    ASSERT_TRUE(control.SetPortOpen(false));
    EXPECT_FALSE(control.PortOpen());
}

TEST_F(PortSwitchTest, PropertiesSetWhileClosedReachWhicheverControlOpens) {
    ASSERT_TRUE(control.SetRTSEnable(true));
    ASSERT_TRUE(control.SetInputLen(1));
    ASSERT_TRUE(control.SetCommPort(2));
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_EQ(control.RTSEnable(), true);
    ASSERT_TRUE(control.SetPortOpen(false));

    ASSERT_TRUE(control.SetCommPort(1));
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_EQ(control.RTSEnable(), true);
}

TEST_F(PortSwitchTest, PortWithoutADeviceFailsToOpen) {
    ASSERT_TRUE(control.SetCommPort(3));
    EXPECT_FALSE(control.SetPortOpen(true));
    EXPECT_FALSE(control.PortOpen());
}

TEST_F(PortSwitchTest, CaptionAddsTheAddressOfANetworkLineOnly) {
    ASSERT_TRUE(control.SetCommPort(1));
    EXPECT_EQ(control.CaptionSuffix(), "");
    ASSERT_TRUE(control.SetCommPort(2));
    EXPECT_EQ(control.CaptionSuffix(), "  tcp-listen://127.0.0.1:" + std::to_string(tcpPort));
}

}  // namespace
}  // namespace espa::test
