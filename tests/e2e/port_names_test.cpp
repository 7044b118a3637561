#include "serial/port_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace espa::test {
namespace {

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

TEST(PortNameOption, ComNumberAndDeviceAreTakenApart) {
    const auto port = PortNames::ParseOption(QStringLiteral("Com3=/dev/ttyUSB0"));
    ASSERT_TRUE(port.has_value());
    EXPECT_EQ(port->first, 3);
    EXPECT_EQ(port->second, QStringLiteral("/dev/ttyUSB0"));
}

TEST(PortNameOption, ComIsReadInAnyCaseAndDeviceMayHoldEquals) {
    const auto port = PortNames::ParseOption(QStringLiteral("COM12=/tmp/a=b"));
    ASSERT_TRUE(port.has_value());
    EXPECT_EQ(port->first, 12);
    EXPECT_EQ(port->second, QStringLiteral("/tmp/a=b"));
}

TEST(PortNameOption, MalformedTextsAreRefused) {
    for (const char* text : {"Com1", "Com1=", "Com0=/dev/x", "Port1=/dev/x", "=x", "Com=x",
                             "Com-1=/dev/x", "Com01=/dev/x"}) {
        EXPECT_FALSE(PortNames::ParseOption(QString::fromLatin1(text)).has_value()) << text;
    }
}

TEST(PortNameResolution, GivenDeviceWins) {
    TempDir dir;
    std::filesystem::create_symlink("/dev/null", dir.path() / "Com1");
    PortNames names(Q(dir.path()));
    names.SetDevice(1, QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(names.Resolve(1), QStringLiteral("/dev/pts/7"));
}

TEST(PortNameResolution, LinkInApplicationFolderIsUsed) {
    TempDir dir;
    std::filesystem::create_symlink("/dev/null", dir.path() / "Com2");
    PortNames names(Q(dir.path()));
    EXPECT_EQ(names.Resolve(2), Q(dir.path() / "Com2"));
}

TEST(PortNameResolution, DanglingLinkStillNamesThePort) {
    TempDir dir;
    std::filesystem::create_symlink(dir.path() / "unplugged", dir.path() / "Com1");
    PortNames names(Q(dir.path()));
    EXPECT_EQ(names.Resolve(1), Q(dir.path() / "Com1"));
}

TEST(PortNameResolution, WithoutLinkTheSystemSerialPortIsUsed) {
    TempDir dir;
    PortNames names(Q(dir.path()));
    EXPECT_EQ(names.Resolve(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(names.Resolve(8), QStringLiteral("/dev/ttyS7"));
}

}  // namespace
}  // namespace espa::test
