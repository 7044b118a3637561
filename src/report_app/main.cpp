// espa-report: turns the figures of a run (the JSON that espa-emulator and espa-monitor write)
// into the commissioning report, one XHTML page with its charts inside.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

#include "report/report_json.h"
#include "report_charts.h"
#include "report_page.h"

namespace {

constexpr int kWriteFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kDescription =
    "Writes the commissioning report of an ESPA 4.4.4 run: the figures that espa-emulator\n"
    "--report or espa-monitor wrote as JSON, as one XHTML page with the answer times charted,\n"
    "to open in any browser, mail or print. The page holds no scripts and loads nothing.\n"
    "\n"
    "Exit status: 0 when the page is written, 1 when it cannot be written, 2 for bad options\n"
    "or a JSON file that cannot be read or is not a run's figures.";

QtMessageHandler g_qtMessages = nullptr;

// The offscreen platform asks for the session's runtime folder, which a rig or a CI machine
// without a login session does not have; the warning says nothing about the report and would
// turn a one-line error into three.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        g_qtMessages(type, context, message);
    }
}

int Fail(const QString& error, int code = kUsageError) {
    std::fprintf(stderr, "espa-report: %s\n", qPrintable(error));
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    // The charts need a QApplication, and the program must run where no display is (a rig, a CI
    // machine); a user who sets a platform keeps it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        g_qtMessages = qInstallMessageHandler(QuietOffscreen);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("espa-report"));
    QApplication::setApplicationVersion(QStringLiteral(ESPA_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The page to write (default: FILE with .html in place of .json)."),
        QStringLiteral("FILE.html"));
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("FILE.json"), QStringLiteral("A run's figures."));
    if (!parser.parse(QApplication::arguments())) {
        return Fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("espa-report %s\n", ESPA_VERSION_TEXT);
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        return Fail(QStringLiteral("expected one FILE.json; see --help"));
    }

    const QString input = parser.positionalArguments().front();
    QFile file(input);
    if (!file.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("%1: %2").arg(input, file.errorString()));
    }
    std::string error;
    const std::optional<espa::RunReport> report =
        espa::ParseReportJson(file.readAll().toStdString(), error);
    if (!report) {
        return Fail(QStringLiteral("%1: %2").arg(input, QString::fromStdString(error)));
    }

    const QFileInfo info(input);
    const QString target = parser.isSet(output)
                               ? parser.value(output)
                               : info.dir().filePath(info.completeBaseName() + ".html");
    // Written whole or not at all: a page cut short by a full disk would still open, wrongly.
    QSaveFile page(target);
    const std::string text = espa::ReportPage(*report, espa::AnswerTimeCharts(*report));
    if (!page.open(QIODevice::WriteOnly) ||
        page.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !page.commit()) {
        return Fail(QStringLiteral("%1: %2").arg(target, page.errorString()), kWriteFailed);
    }
    return 0;
}
