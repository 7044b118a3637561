#include "monitor_options.h"

#include <QCommandLineParser>
#include <array>
#include <optional>
#include <utility>

#include "common/report_files.h"
#include "serial/tcp_address.h"

namespace espa {
namespace {

constexpr const char* kDescription =
    "ESPA 4.4.4 line monitor: listens to the line between a central and a paging system and\n"
    "prints every frame with its time and the hints the line gives, never sending a byte.\n"
    "\n"
    "Tap the line with two serial adapters on a tap cable, one per direction (--port-a and\n"
    "--port-b, in either order: which one carries the central is found from the traffic and\n"
    "said), or a terminal server port per direction (tcp://HOST:PORT). One tap alone gives\n"
    "half the conversation. --read decodes a capture kept with --write or with espa-emulator\n"
    "--capture instead. The run ends at Ctrl-C (or the end of --read) with a summary: calls,\n"
    "status requests, polls, status transfers, NAKs, timeouts, check errors and each side's\n"
    "answer times.\n"
    "\n"
    "Exit status: 0 when the run ended normally, 1 when a capture to --read is damaged or cut\n"
    "short (what came before the fault is decoded) or one to --write could not be written, 2 for\n"
    "bad options, a port that cannot be opened or a file that cannot be created.";

constexpr std::array<std::pair<const char*, Emulation>, 5> kMakes{{
    {"philips", Emulation::Philips},
    {"ascom", Emulation::AscomNira},
    {"medicall", Emulation::MediCall},
    {"datacall", Emulation::DataCall},
    {"commtech", Emulation::CommTechWireLess},
}};

MonitorOptions Failed(const QString& error) {
    MonitorOptions result;
    result.action = MonitorOptions::Action::Fail;
    result.error = error;
    return result;
}

std::optional<int> WholeNumber(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || text.trimmed() != text || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

MonitorOptions ParseMonitorOptions(QCommandLineParser& parser, const QStringList& arguments) {
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    auto valued = [](const char* name, const char* help, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                  QString::fromLatin1(valueName));
    };
    parser.addOptions({
        valued("port-a", "One direction's tap: a serial device, a pty or tcp://HOST:PORT.",
               "DEVICE"),
        valued("port-b", "The other direction's tap.", "DEVICE"),
        valued("baud", "Baud rate (default 9600).", "N"),
        valued("parity", "Parity N, E or O (default N).", "P"),
        valued("bits", "Data bits 7 or 8 (default 8).", "N"),
        valued("stop", "Stop bits 1 or 2 (default 1).", "N"),
        valued("make",
               "The paging system's make: philips, ascom, medicall, datacall or commtech "
               "(default philips); it decides the check characters expected.",
               "MAKE"),
        valued("timeout",
               "A silence this long inside an exchange counts as a timeout (default "
               "3000).",
               "MS"),
        QCommandLineOption(QStringLiteral("json"),
                           QStringLiteral("Frames, hints and the summary as one JSON object per "
                                          "line, as espa-emulator --decode --json prints them.")),
        valued("write",
               "Keep every byte of both taps in FILE, a capture (pcap) that Wireshark "
               "and --read open.",
               "FILE"),
        valued("read", "Decode the capture FILE at once instead of listening to ports.", "FILE"),
        valued("export", "Also write the decoded frames to FILE as CSV, one row per frame.",
               "FILE"),
        valued("report",
               "At the end, write the run's figures to FILE as JSON, the same as espa-emulator "
               "--report keeps: espa-report FILE -o PAGE.html makes its page.",
               "FILE"),
    });

    if (!parser.parse(arguments)) {
        return Failed(parser.errorText());
    }
    MonitorOptions result;
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        result.action = MonitorOptions::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = MonitorOptions::Action::ShowVersion;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Failed(QStringLiteral("Unexpected argument: ") + parser.positionalArguments()[0]);
    }
    for (const char* name : {"port-a", "port-b", "baud", "parity", "bits", "stop", "make",
                             "timeout", "write", "read", "export", "report"}) {
        if (parser.values(QString::fromLatin1(name)).size() > 1) {
            return Failed(QStringLiteral("--%1 given more than once").arg(name));
        }
    }

    result.portA = parser.value(QStringLiteral("port-a"));
    result.portB = parser.value(QStringLiteral("port-b"));
    result.readPath = parser.value(QStringLiteral("read"));
    result.writePath = parser.value(QStringLiteral("write"));
    result.exportPath = parser.value(QStringLiteral("export"));
    if (parser.isSet(QStringLiteral("report"))) {
        result.reportPath = parser.value(QStringLiteral("report"));
        if (const auto problem = ReportNameProblem(result.reportPath, false)) {
            return Failed(QStringLiteral("--report: ") + QString::fromStdString(*problem));
        }
    }
    const bool ports = !result.portA.isEmpty() || !result.portB.isEmpty();
    if (result.readPath.isEmpty() && !ports) {
        return Failed(QStringLiteral("Give --port-a, --port-b or both, or --read FILE"));
    }
    if (!result.readPath.isEmpty() && (ports || !result.writePath.isEmpty())) {
        return Failed(QStringLiteral("--read decodes a capture: leave out the ports and --write"));
    }
    for (const QString& port : {result.portA, result.portB}) {
        if (TcpAddress::IsTcpDevice(port) && !TcpAddress::Parse(port)) {
            return Failed(QStringLiteral("Expected tcp://HOST:PORT, got: ") + port);
        }
    }

    const QString line =
        QStringLiteral("%1,%2,%3,%4")
            .arg(parser.isSet(QStringLiteral("baud")) ? parser.value(QStringLiteral("baud"))
                                                      : QStringLiteral("9600"))
            .arg(parser.isSet(QStringLiteral("parity"))
                     ? parser.value(QStringLiteral("parity")).toUpper()
                     : QStringLiteral("N"))
            .arg(parser.isSet(QStringLiteral("bits")) ? parser.value(QStringLiteral("bits"))
                                                      : QStringLiteral("8"))
            .arg(parser.isSet(QStringLiteral("stop")) ? parser.value(QStringLiteral("stop"))
                                                      : QStringLiteral("1"));
    result.lineText = line.toStdString();
    const std::optional<LineSettings> settings = ParseLineSettings(result.lineText);
    if (!settings) {
        return Failed(QStringLiteral("Line settings not understood: ") + line +
                      QStringLiteral(" (baud, parity N/E/O, bits 7 or 8, stop 1 or 2)"));
    }
    result.line = *settings;

    if (parser.isSet(QStringLiteral("make"))) {
        const QString make = parser.value(QStringLiteral("make")).toLower();
        bool known = false;
        for (const auto& [name, emulation] : kMakes) {
            if (make == QLatin1String(name)) {
                result.make = emulation;
                known = true;
            }
        }
        if (!known) {
            return Failed(QStringLiteral("--make expects philips, ascom, medicall, datacall or "
                                         "commtech, got: ") +
                          parser.value(QStringLiteral("make")));
        }
    }
    if (parser.isSet(QStringLiteral("timeout"))) {
        const auto timeout =
            WholeNumber(parser.value(QStringLiteral("timeout")), 1, 24 * 60 * 60 * 1000);
        if (!timeout) {
            return Failed(QStringLiteral("--timeout expects a time in milliseconds, got: ") +
                          parser.value(QStringLiteral("timeout")));
        }
        result.timeoutMs = *timeout;
    }
    result.json = parser.isSet(QStringLiteral("json"));
    return result;
}

}  // namespace espa
