#include "command_line.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>
#include <QDir>
#include <fstream>

#include "temp_dir.h"

namespace espa::test {
namespace {

TEST(CommandLine, EachLineIsTakenOrRefusedWithItsReasonAndHelpNeedsNoWindow) {
    TempDir dir;
    const QString home = QString::fromStdString(dir.path().string());
    const auto parse = [&](const QStringList& args) {
        QCommandLineParser parser;
        return ParseCommandLine(parser, QStringList{"espa-emulator"} + args, home);
    };
    using Action = CommandLine::Action;
    const std::tuple<QStringList, Action, QString> cases[] = {
        // clang-format off
        {{"--help"}, Action::ShowHelp, ""}, {{"--version"}, Action::ShowVersion, ""},
        {{"--status", "maybe"}, Action::Fail, "Unknown --status: maybe"},
        {{"--port", "Com1"}, Action::Fail, "Expected --port ComN=DEVICE, got: Com1"},
        {{"--port", "Com1=tcp://host"}, Action::Fail,
         "Expected tcp://HOST:PORT or tcp-listen://[HOST]:PORT, got: tcp://host"},
        {{"--app-dir", home + "/missing"}, Action::Fail,
         "Application folder not found: " + home + "/missing"},
        {{"--demo", "--port", "Com1=/dev/null"}, Action::Fail,
         "--demo makes its own line: leave out --port"},
        {{"--bogus"}, Action::Fail, "Unknown option 'bogus'."},
        {{"stray"}, Action::Fail, "Unexpected argument: stray"},
        {{"--status-plan", "paged", "--status-plan", "queue:x,paged"}, Action::Fail,
         "--status-plan queue:x,paged: 'queue:x': a length is a number of polls (3) or seconds "
         "(10s), from 1 to 1000000"},
        {{"--fault", "silent:1", "--fault", "nak-block:x"}, Action::Fail,
         "nak-block needs a count above 0: \"nak-block:x\""},
        {{"--fault", "drop-line:500", "--port", "Com1=/dev/ttyS0"}, Action::Fail,
         "drop-line needs a TCP line: --port ComN=tcp://HOST:PORT or tcp-listen://[HOST]:PORT"},
        {{"--fault-plan", home + "/plan"}, Action::Fail,
         home + "/plan:2: expected \"at exchange N\", N above 0: \"at exchange 0 no-eot:1\""},
        {{"--report", ""}, Action::Fail, "--report: no file name given"},
        {{"--report", home + "/run.pdf"}, Action::Fail,
         "--report: the page's name must end in .html: " + home + "/run.pdf"},
        {{"--report", home + "/none/run.html"}, Action::Fail,
         "--report: folder not found: " + home + "/none"},
        // clang-format on
    };
    std::ofstream(dir.path() / "plan") << "after 2s delay:100\nat exchange 0 no-eot:1\n";
    for (const auto& [args, action, error] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CommandLine options = parse(args);
        EXPECT_EQ(std::pair(options.action, options.error), std::pair(action, error));
    }
    // No options run the window in the program folder with PAGED chosen.
    CommandLine options = parse({});
    const bool any =
        options.headless || options.json || options.decode || options.demo || options.lineView;
    EXPECT_EQ(std::tuple(options.action, options.appDir, options.status, any, options.ports.size()),
              std::tuple(Action::Run, QDir(home).absolutePath(), std::string("PAGED"), false, 0u));
    options = parse({"--port", "Com1=/dev/pts/3", "--port", "com2=tcp-listen://:4001", "--headless",
                     "--json", "--status", "terminated"});
    EXPECT_TRUE(options.headless && options.json && parse({"--demo"}).demo &&
                parse({"--line-view"}).lineView);
    EXPECT_EQ(options.status, "TERMINATED");

    EXPECT_EQ(options.ports,
              (std::vector<std::pair<int, QString>>{{1, "/dev/pts/3"}, {2, "tcp-listen://:4001"}}));
    std::ofstream(dir.path() / "plan") << "# ramp\nafter 2s delay:100\n";
    EXPECT_EQ(parse({"--fault", "drop-line:500", "--fault-plan", home + "/plan", "--port",
                     "Com1=tcp://h:1"})
                  .faults,
              (std::vector<PlannedFault>{
                  {{FaultStart::Kind::AfterMs, 2000}, {FaultKind::Delay, 0, 0, 100}},
                  {{}, {FaultKind::DropLine, 0, 0, 500}}}));
    options = parse({"--report", home + "/run.HTML", "--site", "Ward 3", "--central-make", "Acme",
                     "--central-firmware", "2.1", "--engineer", "J\u00f6rg", "--remarks", "first"});
    EXPECT_EQ(options.report, home + "/run.HTML");
    EXPECT_EQ(options.header, (ReportHeader{"Ward 3", "Acme", "2.1", "J\xF6rg", "first"}));
    // Decided before the application object is made.
    for (const char* flag :
         {"--headless", "--help", "-h", "-?", "--help-all", "--version", "-v", "--json"}) {
        char* argv[] = {const_cast<char*>("espa-emulator"), const_cast<char*>(flag)};
        EXPECT_EQ(WantsNoWindow(2, argv), std::string_view(flag) != "--json") << flag;
    }
}

}  // namespace
}  // namespace espa::test
