#include "central_options.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>

// Each row names only what differs from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace espa {
namespace {

using Action = CentralOptions::Action;

CentralJob Call(EspaFields fields) {
    return {CentralJob::Kind::Call, std::move(fields)};
}

CentralJob Request(EspaFields fields) {
    return {CentralJob::Kind::StatusRequest, std::move(fields)};
}

LineSettings Line(const char* text) {
    return *ParseLineSettings(text);
}

CentralOptions Refused(const QString& errorStart) {
    return {.action = Action::Fail, .error = errorStart};
}

// A refused line is the start of its one-line error; an accepted one is the whole result.
struct OptionsCase {
    QStringList args;
    CentralOptions expected;
};

const QString P = QStringLiteral("--port");
const QStringList kPort{P, "p"};

// clang-format off
const OptionsCase kCases[] = {
    {{P, "/dev/ttyUSB0"},
     {.device = "/dev/ttyUSB0", .line = Line("9600,N,8,1"), .pollIntervalMs = 1000,
      .timeoutMs = 3000}},
    {{"--help"}, {.action = Action::ShowHelp}},
    {{"--version"}, {.action = Action::ShowVersion}},
    {{P, "/dev/ttyS0", "--baud", "1200", "--parity", "e", "--bits", "7", "--stop", "2", "--polls",
      "0", "--duration", "2500", "--timeout", "700", "--poll-interval", "40", "--commtech",
      "--json"},
     {.device = "/dev/ttyS0", .line = Line("1200,E,7,2"), .pollIntervalMs = 40, .polls = 0,
      .durationMs = 2500, .timeoutMs = 700, .commTech = true, .json = true}},
    {{P, "tcp://10.0.0.7:4001"}, {.tcpHost = "10.0.0.7", .tcpPort = 4001}},
    {{P, "tcp://[::1]:5000"}, {.tcpHost = "::1", .tcpPort = 5000}},
    // Field options belong to the call before them and go out in identifier order.
    {kPort + QStringList{"--call", "1001", "--text", "Ward 3", "--beep", "2", "--call", "1002",
                         "--priority", "1", "--tx", "3", "--type", "4", "--beep", "5"},
     {.device = "p",
      .jobs = {Call({{'1', "1001"}, {'2', "Ward 3"}, {'3', "2"}}),
               Call({{'1', "1002"}, {'3', "5"}, {'4', "4"}, {'5', "3"}, {'6', "1"}})}}},
    {kPort + QStringList{"--call", "1", "--status-request", "1", "--text", "x", "--call", "2",
                         "--status-request", "9"},
     {.device = "p", .jobs = {Call({{'1', "1"}}), Request({{'1', "1"}, {'2', "x"}}),
                              Call({{'1', "2"}}), Request({{'1', "9"}})}}},
    {{"--port=p", "--call=7", "--text="}, {.device = "p", .jobs = {Call({{'1', "7"}, {'2', ""}})}}},
    // Latin-1 text goes on the line one byte per character.
    {kPort + QStringList{"--call", "1", "--text", QStringLiteral("Caf\u00E9 \u00FF")},
     {.device = "p", .jobs = {Call({{'1', "1"}, {'2', "Caf\xE9 \xFF"}})}}},
    {{"--call", "1001"}, Refused("--port is required (a serial device or tcp://HOST:PORT)")},
    {{P, ""}, Refused("--port needs a device or tcp://HOST:PORT")},
    {{P, "tcp://localhost"}, Refused("Expected --port tcp://HOST:PORT, got: tcp://localhost")},
    {{P, "tcp://host:70000"}, Refused("Expected --port tcp://HOST:PORT")},
    {{P, "tcp://host:23/path"}, Refused("Expected --port tcp://HOST:PORT")},
    {kPort + QStringList{"--timeout", "1", "--timeout", "2"},
     Refused("--timeout given more than once")},
    {kPort + QStringList{"--bogus"}, Refused("Unknown option 'bogus'.")},
    {kPort + QStringList{"1001"}, Refused("Unexpected argument: 1001")},
    {kPort + QStringList{"--baud", "9600x"},
     Refused("--baud expects a baud rate such as 9600, got: 9600x")},
    {kPort + QStringList{"--baud", " 9600"}, Refused("--baud expects")},
    {kPort + QStringList{"--baud", "0"}, Refused("--baud expects")},
    {kPort + QStringList{"--parity", "NE"}, Refused("--parity expects N, E or O, got: NE")},
    {kPort + QStringList{"--bits", "9"}, Refused("--bits expects 7 or 8, got: 9")},
    {kPort + QStringList{"--stop", "3"}, Refused("--stop expects 1 or 2, got: 3")},
    {kPort + QStringList{"--polls", "-1"},
     Refused("--polls expects a number of polls (0 or more), got: -1")},
    {kPort + QStringList{"--duration", "-5"},
     Refused("--duration expects a time in milliseconds, got: -5")},
    {kPort + QStringList{"--timeout", "0"},
     Refused("--timeout expects a time in milliseconds (1 or more)")},
    {kPort + QStringList{"--poll-interval", "99999999999"},
     Refused("--poll-interval expects a time in")},
    {kPort + QStringList{"--text", "hi", "--call", "1"},
     Refused("--text needs a --call or --status-request before it")},
    {kPort + QStringList{"--status-request", "1", "--beep", "2", "--beep", "3"},
     Refused("--beep given twice for one call or status request")},
    {kPort + QStringList{"--call", "1", "--text", QStringLiteral("5 \u20AC")},
     Refused(QStringLiteral("--text holds a character that is not Latin-1: \u20AC"))},
    // A separator inside an address would end the field early.
    {kPort + QStringList{"--call", QStringLiteral("1\u001E2")},
     Refused("--call holds a control character (code 30)")},
};
// clang-format on

TEST(CentralOptionsParsing, EachLineIsTakenWholeOrRefusedWithOneLineNamingTheOption) {
    for (const OptionsCase& c : kCases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CentralOptions& e = c.expected;
        QCommandLineParser parser;
        const CentralOptions o = ParseCentralOptions(parser, QStringList{"espa-central"} + c.args);
        ASSERT_EQ(o.action, e.action) << o.error.toStdString();
        if (e.action == Action::Fail) {
            EXPECT_TRUE(o.error.startsWith(e.error)) << o.error.toStdString();
            EXPECT_FALSE(o.error.contains('\n'));
            continue;
        }
        EXPECT_EQ(o.device, e.device);
        EXPECT_EQ(o.tcpHost, e.tcpHost);
        EXPECT_EQ(o.tcpPort, e.tcpPort);
        EXPECT_EQ(o.line, e.line);
        EXPECT_EQ(o.jobs, e.jobs);
        EXPECT_EQ(
            std::tuple(o.pollIntervalMs, o.polls, o.durationMs, o.timeoutMs, o.commTech, o.json),
            std::tuple(e.pollIntervalMs, e.polls, e.durationMs, e.timeoutMs, e.commTech, e.json));
    }
}

}  // namespace
}  // namespace espa
