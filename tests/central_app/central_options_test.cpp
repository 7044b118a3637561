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
// A refusal is the start of its one-line error.
CentralOptions No(const QString& errorStart) {
    return {.action = Action::Fail, .error = errorStart};
}
QStringList A(const char* line) {
    return QString::fromUtf8(line).split(' ');
}

// clang-format off
const std::pair<QStringList, CentralOptions> kCases[] = {
    {A("--port /dev/ttyUSB0"), {.device = "/dev/ttyUSB0", .line = *ParseLineSettings("9600,N,8,1"),
                                .pollIntervalMs = 1000, .timeoutMs = 3000}},
    {A("--help"), {.action = Action::ShowHelp}},
    {A("--version"), {.action = Action::ShowVersion}},
    {A("--port /dev/ttyS0 --baud 1200 --parity e --bits 7 --stop 2 --polls 0 --duration 2500 "
       "--timeout 700 --poll-interval 40 --commtech --json"),
     {.device = "/dev/ttyS0", .line = *ParseLineSettings("1200,E,7,2"), .pollIntervalMs = 40,
      .polls = 0, .durationMs = 2500, .timeoutMs = 700, .commTech = true, .json = true}},
    {A("--port tcp://10.0.0.7:4001"), {.tcpHost = "10.0.0.7", .tcpPort = 4001}},
    {A("--port p --nak-retries 0 --reselect No --timeout-retries 3 --retry-interval 0 --status-timeout 9000"),
     {.device = "p", .nakRetries = 0, .reselect = false, .timeoutRetries = 3, .retryIntervalMs = 0,
      .statusTimeoutMs = 9000}},
    {A("--port tcp://[::1]:5000"), {.tcpHost = "::1", .tcpPort = 5000}},
    // Field options belong to the call before them and go out in identifier order.
    {A("--port p --call 1001 --text Ward3 --beep 2 --call 1002 --priority 1 --tx 3 --type 4 --beep 5"),
     {.device = "p", .jobs = {Call({{'1', "1001"}, {'2', "Ward3"}, {'3', "2"}}),
                              Call({{'1', "1002"}, {'3', "5"}, {'4', "4"}, {'5', "3"}, {'6', "1"}})}}},
    {A("--port p --call 1 --status-request 1 --text x --call 2 --status-request 9"),
     {.device = "p", .jobs = {Call({{'1', "1"}}), Request({{'1', "1"}, {'2', "x"}}),
                              Call({{'1', "2"}}), Request({{'1', "9"}})}}},
    {A("--port=p --call=7 --text="), {.device = "p", .jobs = {Call({{'1', "7"}, {'2', ""}})}}},
    // Latin-1 text goes on the line one byte per character.
    {A("--port p --call 1 --text Caf\u00E9\u00FF"), {.device = "p", .jobs = {Call({{'1', "1"}, {'2', "Caf\xE9\xFF"}})}}},
    {A("--call 1001"), No("--port is required (a serial device or tcp://HOST:PORT)")},
    {{"--port", ""}, No("--port needs a device or tcp://HOST:PORT")},
    {A("--port tcp://localhost"), No("Expected --port tcp://HOST:PORT, got: tcp://localhost")},
    {A("--port tcp://host:70000"), No("Expected --port tcp://HOST:PORT")},
    {A("--port tcp://host:23/path"), No("Expected --port tcp://HOST:PORT")},
    {A("--port p --timeout 1 --timeout 2"), No("--timeout given more than once")},
    {A("--port p --bogus"), No("Unknown option 'bogus'.")},
    {A("--port p 1001"), No("Unexpected argument: 1001")},
    {A("--port p --baud 9600x"), No("--baud expects a baud rate such as 9600, got: 9600x")},
    {{"--port", "p", "--baud", " 9600"}, No("--baud expects")},
    {A("--port p --baud 0"), No("--baud expects")},
    {A("--port p --parity NE"), No("--parity expects N, E or O, got: NE")},
    {A("--port p --bits 9"), No("--bits expects 7 or 8, got: 9")},
    {A("--port p --stop 3"), No("--stop expects 1 or 2, got: 3")},
    {A("--port p --polls -1"), No("--polls expects a number of polls (0 or more), got: -1")},
    {A("--port p --duration -5"), No("--duration expects a time in milliseconds, got: -5")},
    {A("--port p --timeout 0"), No("--timeout expects a time in milliseconds (1 or more)")},
    {A("--port p --poll-interval 99999999999"), No("--poll-interval expects a time in")},
    {A("--port p --reselect maybe"), No("--reselect expects yes or no, got: maybe")},
    {A("--port p --nak-retries 101"), No("--nak-retries expects a number of retries from 0 to 100, got: 101")},
    {A("--port p --text hi --call 1"), No("--text needs a --call or --status-request before it")},
    {A("--port p --status-request 1 --beep 2 --beep 3"), No("--beep given twice for one call or status request")},
    {A("--port p --call 1 --text 5\u20AC"), No("--text holds a character that is not Latin-1: \u20AC")},
    // A separator inside an address would end the field early.
    {A("--port p --call 1\x1E" "2"), No("--call holds a control character (code 30)")},
};
// clang-format on

TEST(CentralOptionsParsing, EachLineIsTakenWholeOrRefusedWithOneLineNamingTheOption) {
    for (const auto& [args, e] : kCases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QCommandLineParser parser;
        const CentralOptions o = ParseCentralOptions(parser, QStringList{"espa-central"} + args);
        ASSERT_EQ(o.action, e.action) << o.error.toStdString();
        EXPECT_TRUE(o.error.startsWith(e.error) && !o.error.contains('\n'))
            << o.error.toStdString();
        EXPECT_EQ(o.error.isEmpty(), e.error.isEmpty());
        if (e.action != Action::Fail) {
            EXPECT_EQ(std::tuple(o.device, o.tcpHost, o.tcpPort, o.jobs, o.pollIntervalMs, o.polls,
                                 o.durationMs, o.timeoutMs, o.commTech, o.json),
                      std::tuple(e.device, e.tcpHost, e.tcpPort, e.jobs, e.pollIntervalMs, e.polls,
                                 e.durationMs, e.timeoutMs, e.commTech, e.json));
            EXPECT_EQ(std::tuple(o.nakRetries, o.reselect, o.timeoutRetries, o.retryIntervalMs,
                                 o.statusTimeoutMs),
                      std::tuple(e.nakRetries, e.reselect, e.timeoutRetries, e.retryIntervalMs,
                                 e.statusTimeoutMs));
            EXPECT_EQ(o.line, e.line);
        }
    }
}

}  // namespace
}  // namespace espa
