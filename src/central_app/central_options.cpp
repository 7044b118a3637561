#include "central_options.h"

#include <QCommandLineParser>
#include <QHash>
#include <QUrl>
#include <algorithm>
#include <string>

namespace espa {
namespace {

constexpr const char* kDescription =
    "ESPA 4.4.4 control station (central) simulator: selects a paging system on a serial line or\n"
    "TCP link, sends it calls and status requests, polls it for status transfers and reports\n"
    "every exchange.\n"
    "\n"
    "Several calls: give --call once per call. --text, --beep, --type, --tx and --priority\n"
    "belong to the --call or --status-request right before them, e.g.\n"
    "  --call 1001 --text \"Ward 3\" --beep 2 --call 1002 --text \"Ward 4\"\n"
    "A status request finds a call only by all of its fields: repeat the call's field options.\n"
    "Calls and status requests go out one after another in the order given. A poll goes out\n"
    "whenever --poll-interval has passed since the previous poll ended. The run ends when all\n"
    "calls and status requests are done and --polls or --duration has ended polling. Without\n"
    "either, the run ends once every call the paging system accepted has a final status (any\n"
    "code but 2, QUEUE), or fails after --status-timeout; with no call given, polling goes on\n"
    "until the program is interrupted (Ctrl-C).\n"
    "\n"
    "Exit status: 0 when every exchange succeeded (a status request for an unknown call is an\n"
    "answer, not a failure), 1 when one failed (no answer, an unexpected answer, a refused call,\n"
    "a status transfer with a bad check character or without its EOT, a lost line, no final\n"
    "status in time), 2 for bad options or a line that cannot be opened.";

// Field options: the identifier they fill in the preceding call or status request.
struct FieldOption {
    const char* name;
    char identifier;
    const char* help;
};
constexpr FieldOption kFieldOptions[] = {
    {"text", '2', "Display text of the preceding call or status request."},
    {"beep", '3', "Beep coding of the preceding call or status request."},
    {"type", '4', "Call type of the preceding call or status request."},
    {"tx", '5', "Number of transmissions of the preceding call or status request."},
    {"priority", '6', "Priority of the preceding call or status request."},
};

CentralOptions Failed(const QString& error) {
    CentralOptions result;
    result.action = CentralOptions::Action::Fail;
    result.error = error;
    return result;
}

// A whole number within [low, high]; nothing else, not even blanks.
std::optional<int> WholeNumber(const QString& text, int low, int high) {
    if (text.isEmpty() || text.trimmed() != text) {
        return std::nullopt;
    }
    bool ok = false;
    const long long value = text.toLongLong(&ok, 10);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// A field value as the bytes that go on the line. Control characters would break the block's
// framing (an ETX or RS inside a value ends it early), and a line carries 8-bit characters only.
std::optional<std::string> LineText(const QString& value, const QString& option, QString& error) {
    for (QChar c : value) {
        if (c.unicode() > 0xFF) {
            error = QStringLiteral("--%1 holds a character that is not Latin-1: %2").arg(option, c);
            return std::nullopt;
        }
        if (c.unicode() < 0x20) {
            error = QStringLiteral("--%1 holds a control character (code %2)")
                        .arg(option)
                        .arg(c.unicode());
            return std::nullopt;
        }
    }
    const QByteArray bytes = value.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool ParsePort(const QString& text, CentralOptions& result, QString& error) {
    if (!text.startsWith(QStringLiteral("tcp://"), Qt::CaseInsensitive)) {
        if (text.isEmpty()) {
            error = QStringLiteral("--port needs a device or tcp://HOST:PORT");
            return false;
        }
        result.device = text;
        return true;
    }
    const QUrl url(text, QUrl::StrictMode);
    const int port = url.port();
    if (!url.isValid() || url.host().isEmpty() || port < 1 || port > 65535 ||
        !(url.path().isEmpty() || url.path() == QStringLiteral("/")) || url.hasQuery()) {
        error = QStringLiteral("Expected --port tcp://HOST:PORT, got: ") + text;
        return false;
    }
    result.tcpHost = url.host();
    result.tcpPort = port;
    return true;
}

// Calls and status requests with their field options, in command-line order.
bool ParseJobs(const QCommandLineParser& parser, CentralOptions& result, QString& error) {
    QHash<QString, int> used;  // how many values of each option have been read
    auto next = [&](const QString& name) { return parser.values(name).value(used[name]++); };
    std::vector<char> givenForJob;
    for (const QString& name : parser.optionNames()) {
        if (name == QStringLiteral("call") || name == QStringLiteral("status-request")) {
            const auto address = LineText(next(name), name, error);
            if (!address) {
                return false;
            }
            CentralJob job;
            job.kind = name == QStringLiteral("call") ? CentralJob::Kind::Call
                                                      : CentralJob::Kind::StatusRequest;
            job.fields.emplace_back('1', *address);
            result.jobs.push_back(std::move(job));
            givenForJob.clear();
            continue;
        }
        const auto field = std::find_if(std::begin(kFieldOptions), std::end(kFieldOptions),
                                        [&](const FieldOption& f) { return name == f.name; });
        if (field == std::end(kFieldOptions)) {
            continue;
        }
        if (result.jobs.empty()) {
            error = QStringLiteral("--%1 needs a --call or --status-request before it").arg(name);
            return false;
        }
        if (std::find(givenForJob.begin(), givenForJob.end(), field->identifier) !=
            givenForJob.end()) {
            error = QStringLiteral("--%1 given twice for one call or status request").arg(name);
            return false;
        }
        const auto value = LineText(next(name), name, error);
        if (!value) {
            return false;
        }
        givenForJob.push_back(field->identifier);
        result.jobs.back().fields.emplace_back(field->identifier, *value);
    }
    // The block carries its fields in identifier order, whatever order they were typed in.
    for (CentralJob& job : result.jobs) {
        std::stable_sort(job.fields.begin(), job.fields.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    return true;
}

}  // namespace

QString CentralOptions::PortName() const {
    return IsTcp() ? QStringLiteral("tcp://%1:%2").arg(tcpHost).arg(tcpPort) : device;
}

CentralOptions ParseCentralOptions(QCommandLineParser& parser, const QStringList& arguments) {
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    auto valued = [](const char* name, const char* help, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                  QString::fromLatin1(valueName));
    };
    parser.addOptions({
        valued("port", "Serial device or pty path, or tcp://HOST:PORT (required).", "DEVICE"),
        valued("baud", "Baud rate (default 9600).", "N"),
        valued("parity", "Parity N, E or O (default N).", "P"),
        valued("bits", "Data bits 7 or 8 (default 8).", "N"),
        valued("stop", "Stop bits 1 or 2 (default 1).", "N"),
        valued("call", "Send a call to pager ADDRESS (repeatable).", "ADDRESS"),
        valued("status-request", "Ask for the status of the call to ADDRESS (repeatable).",
               "ADDRESS"),
    });
    for (const FieldOption& field : kFieldOptions) {
        parser.addOption(valued(field.name, field.help, "VALUE"));
    }
    parser.addOptions({
        valued("poll-interval", "Time from the end of one poll to the next (default 1000).", "MS"),
        valued("polls", "Stop polling after N polls.", "N"),
        valued("duration", "Stop polling MS after the start.", "MS"),
        valued("timeout", "Give up when the line stays silent this long (default 3000).", "MS"),
        valued("nak-retries", "Send a NAKed call block again up to N times (default 2).", "N"),
        valued("reselect",
               "yes: select the paging system again before a NAKed block goes again (default); "
               "no: send the block again at once.",
               "yes|no"),
        valued("timeout-retries",
               "After a silent line, try the exchange again up to N times (default 0).", "N"),
        valued("retry-interval", "Wait this long before such a retry (default 1000).", "MS"),
        valued("status-timeout",
               "With calls and neither --polls nor --duration: how long after the last call "
               "went out to wait for every final status (default 60000).",
               "MS"),
        QCommandLineOption(QStringLiteral("commtech"),
                           QStringLiteral("Accept status transfers whose check character is "
                                          "raised by 6, as CommTechWireLess systems send them.")),
        QCommandLineOption(QStringLiteral("json"),
                           QStringLiteral("One JSON object per line per event: \"event\", "
                                          "\"fields\" keyed by identifier digit, \"detail\" "
                                          "when there is one, \"ms\" since the start.")),
    });

    if (!parser.parse(arguments)) {
        return Failed(parser.errorText());
    }
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        CentralOptions result;
        result.action = CentralOptions::Action::ShowHelp;
        return result;
    }
    if (parser.isSet(versionOption)) {
        CentralOptions result;
        result.action = CentralOptions::Action::ShowVersion;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Failed(QStringLiteral("Unexpected argument: ") + parser.positionalArguments()[0]);
    }
    // Options that make sense once; a second value would silently win over the first.
    for (const char* name :
         {"port", "baud", "parity", "bits", "stop", "poll-interval", "polls", "duration", "timeout",
          "nak-retries", "reselect", "timeout-retries", "retry-interval", "status-timeout"}) {
        if (parser.values(QString::fromLatin1(name)).size() > 1) {
            return Failed(QStringLiteral("--%1 given more than once").arg(name));
        }
    }

    CentralOptions result;
    QString error;
    if (!parser.isSet(QStringLiteral("port"))) {
        return Failed(QStringLiteral("--port is required (a serial device or tcp://HOST:PORT)"));
    }
    if (!ParsePort(parser.value(QStringLiteral("port")), result, error)) {
        return Failed(error);
    }

    // A number option: its name, the range it accepts and how the error message describes it.
    struct NumberOption {
        const char* name;
        int low;
        int high;
        const char* expected;
    };
    auto number = [&](const NumberOption& option) -> std::optional<int> {
        const QString text = parser.value(QString::fromLatin1(option.name));
        const auto value = WholeNumber(text, option.low, option.high);
        if (!value) {
            error = QStringLiteral("--%1 expects %2, got: %3")
                        .arg(QString::fromLatin1(option.name), QString::fromLatin1(option.expected),
                             text);
        }
        return value;
    };
    constexpr int kMaxMs = 24 * 60 * 60 * 1000;
    auto fill = [&](const NumberOption& option, auto& target) {
        if (!parser.isSet(QString::fromLatin1(option.name))) {
            return true;
        }
        const auto value = number(option);
        if (value) {
            target = *value;
        }
        return value.has_value();
    };
    int stopBits = 1;
    if (!fill({"baud", 1, 4000000, "a baud rate such as 9600"}, result.line.baud) ||
        !fill({"bits", 7, 8, "7 or 8"}, result.line.dataBits) ||
        !fill({"stop", 1, 2, "1 or 2"}, stopBits) ||
        !fill({"poll-interval", 1, kMaxMs, "a time in milliseconds (1 or more)"},
              result.pollIntervalMs) ||
        !fill({"polls", 0, 1000000, "a number of polls (0 or more)"}, result.polls) ||
        !fill({"duration", 0, kMaxMs, "a time in milliseconds"}, result.durationMs) ||
        !fill({"timeout", 1, kMaxMs, "a time in milliseconds (1 or more)"}, result.timeoutMs) ||
        !fill({"nak-retries", 0, 100, "a number of retries from 0 to 100"}, result.nakRetries) ||
        !fill({"timeout-retries", 0, 100, "a number of retries from 0 to 100"},
              result.timeoutRetries) ||
        !fill({"retry-interval", 0, kMaxMs, "a time in milliseconds"}, result.retryIntervalMs) ||
        !fill({"status-timeout", 1, kMaxMs, "a time in milliseconds (1 or more)"},
              result.statusTimeoutMs)) {
        return Failed(error);
    }
    if (parser.isSet(QStringLiteral("parity"))) {
        const QString parity = parser.value(QStringLiteral("parity")).toUpper();
        if (parity != QStringLiteral("N") && parity != QStringLiteral("E") &&
            parity != QStringLiteral("O")) {
            return Failed(QStringLiteral("--parity expects N, E or O, got: ") +
                          parser.value(QStringLiteral("parity")));
        }
        result.line.parity = parity == QStringLiteral("E")   ? LineSettings::Parity::Even
                             : parity == QStringLiteral("O") ? LineSettings::Parity::Odd
                                                             : LineSettings::Parity::None;
    }
    if (parser.isSet(QStringLiteral("reselect"))) {
        const QString reselect = parser.value(QStringLiteral("reselect")).toLower();
        if (reselect != QStringLiteral("yes") && reselect != QStringLiteral("no")) {
            return Failed(QStringLiteral("--reselect expects yes or no, got: ") +
                          parser.value(QStringLiteral("reselect")));
        }
        result.reselect = reselect == QStringLiteral("yes");
    }
    result.line.stopBits =
        stopBits == 2 ? LineSettings::StopBits::Two : LineSettings::StopBits::One;

    if (!ParseJobs(parser, result, error)) {
        return Failed(error);
    }
    result.commTech = parser.isSet(QStringLiteral("commtech"));
    result.json = parser.isSet(QStringLiteral("json"));
    return result;
}

}  // namespace espa
