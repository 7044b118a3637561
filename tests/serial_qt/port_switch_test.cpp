// Naming the ports, and the engine's one serial control choosing the serial or the network control
// per open; what each control does is its own suite's.
#include "serial/port_switch.h"

#include <gtest/gtest.h>

#include "line_ends.h"
#include "serial/port_names.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

TEST(PortNames, OptionGivesThePortNumberAndItsDevice) {
    for (const auto& [text, number, device] : {std::tuple{"Com3=/dev/ttyUSB0", 3, "/dev/ttyUSB0"},
                                               {"COM12=/tmp/a=b", 12, "/tmp/a=b"},
                                               {"com9999=x", 9999, "x"}}) {
        EXPECT_EQ(PortNames::ParseOption(text), std::make_pair(number, QString(device)));
    }
    for (const char* text : {"Com1", "Com1=", "Com0=/dev/x", "Port1=/dev/x", "=x", "Com=x",
                             "Com-1=/dev/x", "Com01=/dev/x", "Com10000=/dev/x"}) {
        EXPECT_FALSE(PortNames::ParseOption(text).has_value()) << text;
    }
}

// A given device wins; then a link in the application folder, even one whose target has gone (an
// unplugged adapter must not quietly become another port); then the system's own serial port.
TEST(PortNames, DeviceIsGivenOrLinkedInTheApplicationFolderOrTheSystemPort) {
    TempDir dir;
    const auto q = [](const std::filesystem::path& p) { return QString::fromStdString(p); };
    for (const char* name : {"Com1", "Com2"}) {
        std::filesystem::create_symlink("/dev/null", dir.path() / name);
    }
    std::filesystem::create_symlink(dir.path() / "unplugged", dir.path() / "Com3");
    PortNames names(q(dir.path()));
    names.SetDevice(1, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(names.Resolve(1), QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(names.Resolve(2), q(dir.path() / "Com2"));
    EXPECT_EQ(names.Resolve(3), q(dir.path() / "Com3"));
    EXPECT_EQ(names.Resolve(4), QStringLiteral("/dev/ttyS3"));
}

TEST(PortSwitch, EachOpenUsesTheControlItsDeviceNeedsWithThePropertiesSetBefore) {
    for (const char* device : {"tcp://host:1", "tcp-listen://:1", "/dev/ttyUSB0", "/tmp/tcp://x"}) {
        EXPECT_EQ(LineKindOf(device) == LineKind::Network, device[0] == 't') << device;  // "tcp…"
    }
    PtyPair line;
    const QString listen = QStringLiteral("tcp-listen://127.0.0.1:%1").arg(FreeLoopbackPort());
    PortSwitch control{[&](int n) {
        return n == 1 ? QString::fromStdString(line.SlavePath()) : n == 2 ? listen : QString();
    }};
    ASSERT_TRUE(control.SetRTSEnable(true) && control.SetCommPort(1));
    EXPECT_EQ(control.CaptionSuffix(), "");
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_EQ(control.Kind(), LineKind::Serial);
    EXPECT_TRUE(control.Serial().PortOpen() && !control.Network().PortOpen());
    EXPECT_EQ(control.RTSEnable(), true);
    EXPECT_FALSE(control.SetCommPort(2));  // open: the port number stays
    ASSERT_TRUE(control.SetPortOpen(false) && control.SetCommPort(2));
    EXPECT_EQ(control.CaptionSuffix(), "  " + listen.toStdString());
    ASSERT_TRUE(control.SetPortOpen(true));
    EXPECT_EQ(control.Kind(), LineKind::Network);
    EXPECT_TRUE(control.Network().PortOpen() && !control.Serial().PortOpen());
    EXPECT_EQ(control.RTSEnable(), true);
    ASSERT_TRUE(control.SetPortOpen(false) && control.SetCommPort(3));  // 3: no device
    EXPECT_FALSE(control.SetPortOpen(true) || control.PortOpen());
}

}  // namespace
}  // namespace espa::test
