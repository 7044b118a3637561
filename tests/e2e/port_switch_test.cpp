// The engine's one serial control, choosing the serial or the network control per open.
#include <gtest/gtest.h>

#include <map>

#include "engine/emulator.h"
#include "fixed_clock.h"
#include "port_caption_view.h"
#include "port_switch.h"
#include "pty_pair.h"
#include "recording_view.h"
#include "tcp_peer.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

TEST(LineKind, TcpSchemesAreNetworkLinesEverythingElseSerial) {
    EXPECT_EQ(LineKindOf("tcp://host:1"), LineKind::Network);
    EXPECT_EQ(LineKindOf("tcp-listen://:1"), LineKind::Network);
    EXPECT_EQ(LineKindOf("/dev/ttyUSB0"), LineKind::Serial);
    EXPECT_EQ(LineKindOf("COM3"), LineKind::Serial);
    EXPECT_EQ(LineKindOf("/tmp/tcp://x"), LineKind::Serial);
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

// The engine's caption stays as it is; a network line adds its address after it.
TEST_F(PortSwitchTest, CaptionNamesTheAddressOfANetworkLineOnly) {
    RecordingView window;
    PortCaptionView view(window, [this] { return control.CaptionSuffix(); });
    FixedClock clock;
    TempDir dir;
    Emulator emulator(control, view, clock, dir.path());

    ASSERT_EQ(emulator.OpenPortFromSettings(), 0);
    EXPECT_EQ(window.portCaption, " Serial Port Com1:  300,N,7,1");

    emulator.Shutdown();
    emulator.Settings().Compoort = 1;
    emulator.Settings().BaudRate = 4;
    emulator.Settings().Bits = 1;
    ASSERT_EQ(emulator.OpenPortFromSettings(), 0);
    EXPECT_EQ(window.portCaption,
              " Serial Port Com2:  9600,N,8,1  tcp-listen://127.0.0.1:" + std::to_string(tcpPort));
    emulator.Shutdown();
}

}  // namespace
}  // namespace espa::test
