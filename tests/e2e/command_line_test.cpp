#include "command_line.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>
#include <QDir>

#include "temp_dir.h"

namespace espa::test {
namespace {

class CommandLineParsing : public ::testing::Test {
  protected:
    CommandLine Parse(QStringList arguments) {
        arguments.prepend(QStringLiteral("espa-emulator"));
        return ParseCommandLine(m_parser, arguments, m_defaultDir);
    }

    TempDir m_dir;
    QString m_defaultDir = QString::fromStdString(m_dir.path().string());
    QCommandLineParser m_parser;
};

TEST_F(CommandLineParsing, NoOptionsRunTheWindowInTheProgramFolder) {
    const CommandLine options = Parse({});
    EXPECT_EQ(options.action, CommandLine::Action::Run);
    EXPECT_FALSE(options.headless);
    EXPECT_EQ(options.appDir, QDir(m_defaultDir).absolutePath());
    EXPECT_EQ(options.status, "PAGED");
    EXPECT_TRUE(options.ports.empty());
}

TEST_F(CommandLineParsing, PortOptionRepeats) {
    const CommandLine options =
        Parse({"--port", "Com1=/dev/pts/3", "--port", "com2=/dev/ttyUSB0", "--headless"});
    ASSERT_EQ(options.action, CommandLine::Action::Run);
    EXPECT_TRUE(options.headless);
    ASSERT_EQ(options.ports.size(), 2u);
    EXPECT_EQ(options.ports[0], std::make_pair(1, QStringLiteral("/dev/pts/3")));
    EXPECT_EQ(options.ports[1], std::make_pair(2, QStringLiteral("/dev/ttyUSB0")));
}

TEST_F(CommandLineParsing, StatusChoiceIsTaken) {
    EXPECT_EQ(Parse({"--status", "terminated"}).status, "TERMINATED");
}

TEST_F(CommandLineParsing, WrongValuesFailWithAReason) {
    for (const QStringList& args : {QStringList{"--status", "maybe"}, QStringList{"--port", "Com1"},
                                    QStringList{"--app-dir", m_defaultDir + "/missing"},
                                    QStringList{"--bogus"}, QStringList{"stray"}}) {
        const CommandLine options = Parse(args);
        EXPECT_EQ(options.action, CommandLine::Action::Fail) << args.join(' ').toStdString();
        EXPECT_FALSE(options.error.isEmpty());
    }
}

TEST_F(CommandLineParsing, HelpAndVersionAreRecognised) {
    EXPECT_EQ(Parse({"--help"}).action, CommandLine::Action::ShowHelp);
    QCommandLineParser second;
    EXPECT_EQ(ParseCommandLine(second, {"espa-emulator", "--version"}, m_defaultDir).action,
              CommandLine::Action::ShowVersion);
}

TEST(WindowChoice, HeadlessHelpAndVersionNeedNoWindow) {
    for (const char* flag : {"--headless", "--help", "-h", "--version", "-v"}) {
        char program[] = "espa-emulator";
        std::string copy = flag;
        char* argv[] = {program, copy.data()};
        EXPECT_TRUE(WantsNoWindow(2, argv)) << flag;
    }
    char program[] = "espa-emulator";
    char port[] = "--port";
    char device[] = "Com1=/dev/pts/1";
    char* argv[] = {program, port, device};
    EXPECT_FALSE(WantsNoWindow(3, argv));
}

}  // namespace
}  // namespace espa::test
