#include "serial/port_names.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    const auto q = [](const std::filesystem::path& p) {
        return QString::fromStdString(p.string());
    };
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

}  // namespace
}  // namespace espa::test
