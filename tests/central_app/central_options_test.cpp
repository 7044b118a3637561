#include "central_options.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>

namespace espa {
namespace {

CentralOptions Parse(QStringList arguments) {
    QCommandLineParser parser;
    arguments.prepend(QStringLiteral("espa-central"));
    return ParseCentralOptions(parser, arguments);
}

CentralJob Call(EspaFields fields) {
    return {CentralJob::Kind::Call, std::move(fields)};
}

CentralJob Request(EspaFields fields) {
    return {CentralJob::Kind::StatusRequest, std::move(fields)};
}

TEST(CentralOptionsParsing, DefaultsAre9600N81WithOneSecondPollsAndThreeSecondTimeout) {
    const CentralOptions options = Parse({"--port", "/dev/ttyUSB0"});
    ASSERT_EQ(options.action, CentralOptions::Action::Run) << options.error.toStdString();
    EXPECT_EQ(options.device, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_FALSE(options.IsTcp());
    EXPECT_EQ(options.line,
              (LineSettings{9600, LineSettings::Parity::None, 8, LineSettings::StopBits::One}));
    EXPECT_EQ(options.pollIntervalMs, 1000);
    EXPECT_EQ(options.timeoutMs, 3000);
    EXPECT_FALSE(options.polls || options.durationMs || options.commTech || options.json);
    EXPECT_EQ(Parse({"--help"}).action, CentralOptions::Action::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).action, CentralOptions::Action::ShowVersion);
}

TEST(CentralOptionsParsing, LineSettingsAndBoundsAreTaken) {
    const CentralOptions options =
        Parse({"--port",     "/dev/ttyS0", "--baud",    "1200", "--parity",        "e",
               "--bits",     "7",          "--stop",    "2",    "--polls",         "0",
               "--duration", "2500",       "--timeout", "700",  "--poll-interval", "40",
               "--commtech", "--json"});
    ASSERT_EQ(options.action, CentralOptions::Action::Run) << options.error.toStdString();
    EXPECT_EQ(options.line,
              (LineSettings{1200, LineSettings::Parity::Even, 7, LineSettings::StopBits::Two}));
    EXPECT_EQ(options.polls, 0);
    EXPECT_EQ(options.durationMs, 2500);
    EXPECT_EQ(options.timeoutMs, 700);
    EXPECT_EQ(options.pollIntervalMs, 40);
    EXPECT_TRUE(options.commTech && options.json);
}

TEST(CentralOptionsParsing, CallsAndStatusRequestsKeepTheirOrderAndTheirOwnFields) {
    struct Case {
        QStringList args;
        std::vector<CentralJob> jobs;
    };
    const Case cases[] = {
        // Field options belong to the call before them and go out in identifier order.
        {{"--call", "1001", "--text", "Ward 3", "--beep", "2", "--call", "1002", "--priority", "1",
          "--tx", "3", "--type", "4", "--beep", "5"},
         {Call({{'1', "1001"}, {'2', "Ward 3"}, {'3', "2"}}),
          Call({{'1', "1002"}, {'3', "5"}, {'4', "4"}, {'5', "3"}, {'6', "1"}})}},
        {{"--call", "1", "--status-request", "1", "--text", "x", "--call", "2", "--status-request",
          "9"},
         {Call({{'1', "1"}}), Request({{'1', "1"}, {'2', "x"}}), Call({{'1', "2"}}),
          Request({{'1', "9"}})}},
        {{"--call=7", "--text="}, {Call({{'1', "7"}, {'2', ""}})}},
        // Latin-1 text goes on the line one byte per character.
        {{"--call", "1", "--text", QStringLiteral("Caf\u00E9 \u00FF")},
         {Call({{'1', "1"}, {'2', "Caf\xE9 \xFF"}})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CentralOptions options = Parse(QStringList{"--port=p"} + c.args);
        ASSERT_EQ(options.action, CentralOptions::Action::Run) << options.error.toStdString();
        EXPECT_EQ(options.jobs, c.jobs);
    }
}

TEST(CentralOptionsParsing, TcpPortGivesHostAndPortNumber) {
    const CentralOptions options = Parse({"--port", "tcp://10.0.0.7:4001"});
    ASSERT_EQ(options.action, CentralOptions::Action::Run) << options.error.toStdString();
    EXPECT_TRUE(options.IsTcp());
    EXPECT_EQ(options.tcpHost, QStringLiteral("10.0.0.7"));
    EXPECT_EQ(options.tcpPort, 4001);
    EXPECT_EQ(options.PortName(), QStringLiteral("tcp://10.0.0.7:4001"));
    EXPECT_EQ(Parse({"--port", "tcp://[::1]:5000"}).tcpHost, QStringLiteral("::1"));
}

TEST(CentralOptionsParsing, WrongValuesFailWithOneLineThatNamesTheOption) {
    struct Case {
        QStringList args;
        QString says;  // the start of the error line
    };
    const QString port = QStringLiteral("--port");
    const Case cases[] = {
        {{"--call", "1001"}, "--port is required (a serial device or tcp://HOST:PORT)"},
        {{port, ""}, "--port needs a device or tcp://HOST:PORT"},
        {{port, "tcp://localhost"}, "Expected --port tcp://HOST:PORT, got: tcp://localhost"},
        {{port, "tcp://host:70000"}, "Expected --port tcp://HOST:PORT"},
        {{port, "tcp://host:23/path"}, "Expected --port tcp://HOST:PORT"},
        {{port, "p", "--timeout", "1", "--timeout", "2"}, "--timeout given more than once"},
        {{port, "p", "--bogus"}, "Unknown option 'bogus'."},
        {{port, "p", "1001"}, "Unexpected argument: 1001"},
        {{port, "p", "--baud", "9600x"}, "--baud expects a baud rate such as 9600, got: 9600x"},
        {{port, "p", "--baud", " 9600"}, "--baud expects"},
        {{port, "p", "--baud", "0"}, "--baud expects"},
        {{port, "p", "--parity", "NE"}, "--parity expects N, E or O, got: NE"},
        {{port, "p", "--bits", "9"}, "--bits expects 7 or 8, got: 9"},
        {{port, "p", "--stop", "3"}, "--stop expects 1 or 2, got: 3"},
        {{port, "p", "--polls", "-1"}, "--polls expects a number of polls (0 or more), got: -1"},
        {{port, "p", "--duration", "-5"}, "--duration expects a time in milliseconds, got: -5"},
        {{port, "p", "--timeout", "0"}, "--timeout expects a time in milliseconds (1 or more)"},
        {{port, "p", "--poll-interval", "99999999999"}, "--poll-interval expects a time in"},
        {{port, "p", "--text", "hi", "--call", "1"},
         "--text needs a --call or --status-request before it"},
        {{port, "p", "--status-request", "1", "--beep", "2", "--beep", "3"},
         "--beep given twice for one call or status request"},
        {{port, "p", "--call", "1", "--text", QStringLiteral("5 \u20AC")},
         QStringLiteral("--text holds a character that is not Latin-1: \u20AC")},
        // A separator inside an address would end the field early.
        {{port, "p", "--call", QStringLiteral("1\u001E2")},
         "--call holds a control character (code 30)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CentralOptions options = Parse(c.args);
        EXPECT_EQ(options.action, CentralOptions::Action::Fail);
        EXPECT_TRUE(options.error.startsWith(c.says)) << options.error.toStdString();
        EXPECT_FALSE(options.error.contains('\n'));
    }
}

}  // namespace
}  // namespace espa
