#include "command_line.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>
#include <QDir>

#include "temp_dir.h"

namespace espa::test {
namespace {

TEST(CommandLine, EachLineIsTakenOrRefusedWithItsReason) {
    TempDir dir;
    const QString home = QString::fromStdString(dir.path().string());
    using Action = CommandLine::Action;
    const struct {
        QStringList args;
        Action action;
        QString error;
    } cases[] = {
        {{}, Action::Run, ""},
        {{"--help"}, Action::ShowHelp, ""},
        {{"--version"}, Action::ShowVersion, ""},
        {{"--status", "maybe"}, Action::Fail, "Unknown --status: maybe"},
        {{"--port", "Com1"}, Action::Fail, "Expected --port ComN=DEVICE, got: Com1"},
        {{"--port", "Com1=tcp://host"},
         Action::Fail,
         "Expected tcp://HOST:PORT or tcp-listen://[HOST]:PORT, got: tcp://host"},
        {{"--app-dir", home + "/missing"},
         Action::Fail,
         "Application folder not found: " + home + "/missing"},
        {{"--demo", "--port", "Com1=/dev/null"},
         Action::Fail,
         "--demo makes its own line: leave out --port"},
        {{"--bogus"}, Action::Fail, "Unknown option 'bogus'."},
        {{"stray"}, Action::Fail, "Unexpected argument: stray"},
    };
    const auto parse = [&](QStringList args) {
        QCommandLineParser parser;
        return ParseCommandLine(parser, QStringList{"espa-emulator"} + args, home);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine options = parse(c.args);
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.error, c.error);
    }
    // No options run the window in the program folder with PAGED chosen.
    CommandLine options = parse({});
    EXPECT_FALSE(options.headless || options.json || options.decode || options.demo);
    EXPECT_EQ(options.appDir, QDir(home).absolutePath());
    EXPECT_EQ(options.status, "PAGED");
    EXPECT_TRUE(options.ports.empty());
    options = parse({"--port", "Com1=/dev/pts/3", "--port", "com2=tcp-listen://:4001", "--headless",
                     "--json", "--status", "terminated"});
    EXPECT_TRUE(options.headless && options.json);
    EXPECT_EQ(options.status, "TERMINATED");
    EXPECT_EQ(options.ports,
              (std::vector<std::pair<int, QString>>{{1, "/dev/pts/3"}, {2, "tcp-listen://:4001"}}));
    EXPECT_TRUE(parse({"--demo"}).demo);
}

TEST(CommandLine, HeadlessHelpAndVersionNeedNoWindow) {
    const auto wants = [](std::vector<std::string> args) {
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
