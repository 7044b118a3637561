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
        QCommandLineParser parser;
        arguments.prepend(QStringLiteral("espa-emulator"));
        return ParseCommandLine(parser, arguments, m_defaultDir);
    }

    TempDir m_dir;
    QString m_defaultDir = QString::fromStdString(m_dir.path().string());
};

TEST_F(CommandLineParsing, NoOptionsRunTheWindowInTheProgramFolder) {
    const CommandLine options = Parse({});
    EXPECT_EQ(options.action, CommandLine::Action::Run);
    EXPECT_FALSE(options.headless || options.json || options.demo);
    EXPECT_EQ(options.appDir, QDir(m_defaultDir).absolutePath());
    EXPECT_EQ(options.status, "PAGED");
    EXPECT_TRUE(options.ports.empty());
}

TEST_F(CommandLineParsing, EveryOptionIsTakenAndPortsRepeat) {
    const CommandLine options =
        Parse({"--port", "Com1=/dev/pts/3", "--port", "com2=tcp-listen://:4001", "--headless",
               "--json", "--status", "terminated"});
    ASSERT_EQ(options.action, CommandLine::Action::Run) << options.error.toStdString();
    EXPECT_TRUE(options.headless && options.json);
    EXPECT_EQ(options.status, "TERMINATED");
    EXPECT_EQ(options.ports,
              (std::vector<std::pair<int, QString>>{{1, "/dev/pts/3"}, {2, "tcp-listen://:4001"}}));
    EXPECT_TRUE(Parse({"--demo"}).demo);
    EXPECT_EQ(Parse({"--help"}).action, CommandLine::Action::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).action, CommandLine::Action::ShowVersion);
}

TEST_F(CommandLineParsing, WrongValuesFailWithTheirReason) {
    const struct {
        QStringList args;
        QString error;
    } cases[] = {
        {{"--status", "maybe"}, "Unknown --status: maybe"},
        {{"--port", "Com1"}, "Expected --port ComN=DEVICE, got: Com1"},
        {{"--port", "Com1=tcp://host"},
         "Expected tcp://HOST:PORT or tcp-listen://[HOST]:PORT, got: tcp://host"},
        {{"--app-dir", m_defaultDir + "/missing"},
         "Application folder not found: " + m_defaultDir + "/missing"},
        {{"--demo", "--port", "Com1=/dev/null"}, "--demo makes its own line: leave out --port"},
        {{"--bogus"}, "Unknown option 'bogus'."},
        {{"stray"}, "Unexpected argument: stray"},
    };
    for (const auto& c : cases) {
        const CommandLine options = Parse(c.args);
        EXPECT_EQ(options.action, CommandLine::Action::Fail) << c.args.join(' ').toStdString();
        EXPECT_EQ(options.error, c.error);
    }
}

TEST(WindowChoice, HeadlessHelpAndVersionNeedNoWindow) {
    auto wants = [](std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        return WantsNoWindow(static_cast<int>(argv.size()), argv.data());
    };
    for (const char* flag : {"--headless", "--help", "-h", "-?", "--help-all", "--version", "-v"}) {
        EXPECT_TRUE(wants({"espa-emulator", flag})) << flag;
    }
    EXPECT_FALSE(wants({"espa-emulator", "--port", "Com1=/dev/pts/1", "--json"}));
}

}  // namespace
}  // namespace espa::test
