#include "command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "common/report_files.h"
#include "console_view.h"
#include "faults/fault_text.h"
#include "serial/port_names.h"
#include "serial/tcp_address.h"

namespace espa {
namespace {

CommandLine Failed(const QString& error) {
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.error = error;
    return result;
}

std::string Latin1(const QString& text) {
    return text.toLatin1().toStdString();
}

// The report header's options, each a field the engineer fills.
struct HeaderOption {
    const char* name;
    const char* help;
    std::string ReportHeader::*field;
};
constexpr HeaderOption kHeaderOptions[] = {
    {"site", "The site, for the report's header.", &ReportHeader::site},
    {"central-make", "The central's make, for the report's header.", &ReportHeader::centralMake},
    {"central-firmware", "The central's firmware, for the report's header.",
     &ReportHeader::centralFirmware},
    {"engineer", "Who ran the test, for the report's header.", &ReportHeader::engineer},
    {"remarks", "Remarks, for the report's header.", &ReportHeader::remarks},
};

}  // namespace

CommandLine ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                             const QString& defaultAppDir) {
    parser.setApplicationDescription(
        QStringLiteral("ESPA 4.4.4 paging-system emulator on a serial line."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption appDirOption(
        QStringLiteral("app-dir"),
        QStringLiteral("Folder of espa.set, Log/ and DebugLog/ (default: the program's folder)."),
        QStringLiteral("DIR"));
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Port N opens DEVICE, e.g. Com1=/dev/ttyUSB0, Com1=tcp://HOST:PORT (dial a "
                       "terminal server or central) or Com1=tcp-listen://[HOST]:PORT (wait for "
                       "a central) (repeatable)."),
        QStringLiteral("ComN=DEVICE"));
    const QCommandLineOption headlessOption(
        QStringLiteral("headless"),
        QStringLiteral("No window: log lines go to standard output; commands (status, delete, "
                       "fault, clear, calls, report and its header, quit; help lists them) are "
                       "read from standard input."));
    const QCommandLineOption statusOption(
        QStringLiteral("status"),
        QStringLiteral("Status reported in headless runs: paged, absent, queue or terminated."),
        QStringLiteral("STATUS"), QStringLiteral("paged"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        QStringLiteral("Also print each event (call stored, status request, status sent, NAK, "
                       "timeout, port opened or lost) as one JSON object per line on standard "
                       "output, whatever the log level."));
    const QCommandLineOption decodeOption(
        QStringLiteral("decode"),
        QStringLiteral("Also print each frame on the line (both directions, with times) and each "
                       "hint about the central's likely mistakes on standard output; as JSON "
                       "objects with --json."));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("No hardware needed: the port is a pseudo-terminal with a simulated "
                       "central on its other end that sends calls and polls."));
    const QCommandLineOption captureOption(
        QStringLiteral("capture"),
        QStringLiteral("Keep every byte on the line, both directions with times, in FILE (a pcap "
                       "capture that Wireshark, espa-monitor --read and the dissector read)."),
        QStringLiteral("FILE"));
    const QCommandLineOption lineViewOption(
        QStringLiteral("line-view"),
        QStringLiteral("Open the window's Line view (Tools > Line) at start; no effect with "
                       "--headless."));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("Misbehave on purpose, from the start, to see how the central copes: "
                       "nak-block:N, nak-block:every=N, refuse-select:N, bad-check:N, no-eot:N, "
                       "silent:MS, delay:MS or drop-line:MS (TCP lines only) (repeatable)."),
        QStringLiteral("SPEC"));
    const QCommandLineOption faultPlanOption(
        QStringLiteral("fault-plan"),
        QStringLiteral("Faults from FILE, one a line, each \"[after 10s | after 1500ms | at "
                       "exchange N] SPEC\"; # starts a comment."),
        QStringLiteral("FILE"));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral("When the run ends, write its figures to FILE.json and the commissioning "
                       "report made of them to FILE.html (by espa-report): totals, answer times, "
                       "hints and the header the options below fill."),
        QStringLiteral("FILE.html"));
    parser.addOptions({appDirOption, portOption, headlessOption, statusOption, jsonOption,
                       decodeOption, demoOption, captureOption, lineViewOption, faultOption,
                       faultPlanOption, reportOption});
    for (const HeaderOption& header : kHeaderOptions) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(header.name),
                                            QString::fromLatin1(header.help),
                                            QStringLiteral("TEXT")));
    }
    const QCommandLineOption statusPlanOption(
        QStringLiteral("status-plan"),
        QStringLiteral("Answers a call gets over time, in place of the status choice, e.g. "
                       "queue:10s,paged (QUEUE for ten seconds, then PAGED), queue:2,absent (two "
                       "polls QUEUE, then ABSENT) or 12*=queue:1,paged (pagers 12...) "
                       "(repeatable; the first plan matching a call decides)."),
        QStringLiteral("PLAN"));
    parser.addOption(statusPlanOption);

    if (!parser.parse(arguments)) {
        return Failed(parser.errorText());
    }
    CommandLine result;
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = CommandLine::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = CommandLine::Action::ShowVersion;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Failed(QStringLiteral("Unexpected argument: ") + parser.positionalArguments()[0]);
    }

    result.appDir = parser.isSet(appDirOption) ? parser.value(appDirOption) : defaultAppDir;
    if (!QFileInfo(result.appDir).isDir()) {
        return Failed(QStringLiteral("Application folder not found: ") + result.appDir);
    }
    result.appDir = QDir(result.appDir).absolutePath();

    for (const QString& text : parser.values(portOption)) {
        const auto port = PortNames::ParseOption(text);
        if (!port) {
            return Failed(QStringLiteral("Expected --port ComN=DEVICE, got: ") + text);
        }
        if (TcpAddress::IsTcpDevice(port->second) && !TcpAddress::Parse(port->second)) {
            return Failed(
                QStringLiteral("Expected tcp://HOST:PORT or tcp-listen://[HOST]:PORT, got: ") +
                port->second);
        }
        result.ports.push_back(*port);
    }

    result.headless = parser.isSet(headlessOption);
    result.json = parser.isSet(jsonOption);
    result.decode = parser.isSet(decodeOption);
    result.lineView = parser.isSet(lineViewOption);
    result.demo = parser.isSet(demoOption);
    result.capture = parser.value(captureOption);
    if (result.demo && !result.ports.empty()) {
        return Failed(QStringLiteral("--demo makes its own line: leave out --port"));
    }
    std::string error;
    if (parser.isSet(faultPlanOption)) {
        const auto plan =
            ReadFaultPlan(QFile::encodeName(parser.value(faultPlanOption)).toStdString(), error);
        if (!plan) {
            return Failed(QString::fromLocal8Bit(error));
        }
        result.faults = *plan;
    }
    for (const QString& text : parser.values(faultOption)) {
        const auto spec = ParseFaultSpec(text.toStdString(), error);
        if (!spec) {
            return Failed(QString::fromStdString(error));
        }
        result.faults.push_back({{}, *spec});
    }
    // Whether the port is a TCP line is known for sure only once it is open; no TCP line named
    // at all is known now.
    const bool anyTcp = std::any_of(result.ports.begin(), result.ports.end(), [](const auto& p) {
        return TcpAddress::IsTcpDevice(p.second);
    });
    const bool hangsUp = std::any_of(result.faults.begin(), result.faults.end(), [](const auto& f) {
        return f.spec.kind == FaultKind::DropLine;
    });
    if (hangsUp && !anyTcp) {
        return Failed(
            QStringLiteral("drop-line needs a TCP line: --port ComN=tcp://HOST:PORT or "
                           "tcp-listen://[HOST]:PORT"));
    }
    if (parser.isSet(reportOption)) {
        result.report = parser.value(reportOption);
        if (const auto problem = ReportNameProblem(result.report, true)) {
            return Failed(QStringLiteral("--report: ") + QString::fromStdString(*problem));
        }
    }
    for (const HeaderOption& header : kHeaderOptions) {
        result.header.*header.field = Latin1(parser.value(QString::fromLatin1(header.name)));
    }
    const QString status = parser.value(statusOption);
    const auto word = ConsoleView::StatusFromOption(status.toStdString());
    if (!word) {
        return Failed(QStringLiteral("Unknown --status: ") + status);
    }
    result.status = *word;
    for (const QString& text : parser.values(statusPlanOption)) {
        const QByteArray latin1 = text.toLatin1();
        std::string error;
        auto plan = StatusPlan::Parse(std::string_view(latin1.constData(), latin1.size()), error);
        if (!plan) {
            return Failed(
                QStringLiteral("--status-plan %1: %2").arg(text, QString::fromLatin1(error)));
        }
        result.statusPlans.push_back(std::move(*plan));
    }
    return result;
}

bool WantsNoWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* flag :
             {"--headless", "--help", "-h", "-?", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], flag) == 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace espa
