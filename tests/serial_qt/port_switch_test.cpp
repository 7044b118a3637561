// The engine's one serial control, choosing the serial or the network control per open; what the
// network control does is its own suite's.
#include "serial/port_switch.h"

#include <gtest/gtest.h>

#include "pty_pair.h"
#include "tcp_peer.h"

namespace espa::test {
namespace {

TEST(PortSwitch, EachOpenUsesTheControlItsDeviceNeedsWithThePropertiesSetBefore) {
    for (const char* device : {"tcp://host:1", "tcp-listen://:1"}) {
        EXPECT_EQ(LineKindOf(device), LineKind::Network) << device;
    }
    for (const char* device : {"/dev/ttyUSB0", "COM3", "/tmp/tcp://x"}) {
        EXPECT_EQ(LineKindOf(device), LineKind::Serial) << device;
    }
    PtyPair line;
    const QString listen = QStringLiteral("tcp-listen://127.0.0.1:%1").arg(FreeLoopbackPort());
    PortSwitch control{[&](int n) {
        return n == 1 ? QString::fromStdString(line.SlavePath()) : n == 2 ? listen : QString();
    }};
    ASSERT_TRUE(control.SetRTSEnable(true));
    ASSERT_TRUE(control.SetCommPort(1));
    EXPECT_EQ(control.CaptionSuffix(), "");
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_EQ(control.Kind(), LineKind::Serial);
    EXPECT_TRUE(control.Serial().PortOpen());
    EXPECT_FALSE(control.Network().PortOpen());
    EXPECT_EQ(control.RTSEnable(), true);
    EXPECT_FALSE(control.SetCommPort(2));  // open: the port number stays
    ASSERT_TRUE(control.SetPortOpen(false));

    ASSERT_TRUE(control.SetCommPort(2));
    EXPECT_EQ(control.CaptionSuffix(), "  " + listen.toStdString());
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_EQ(control.Kind(), LineKind::Network);
    EXPECT_TRUE(control.Network().PortOpen());
    EXPECT_FALSE(control.Serial().PortOpen());
    EXPECT_EQ(control.RTSEnable(), true);
    ASSERT_TRUE(control.SetPortOpen(false));
    EXPECT_FALSE(control.PortOpen());

    ASSERT_TRUE(control.SetCommPort(3));  // no device
    EXPECT_FALSE(control.SetPortOpen(true));
    EXPECT_FALSE(control.PortOpen());
}

}  // namespace
}  // namespace espa::test
