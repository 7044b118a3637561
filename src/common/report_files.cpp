#include "common/report_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "report/report_json.h"

namespace espa {
namespace {

constexpr const char* kPageExtension = ".html";
constexpr const char* kReportProgram = "espa-report";

std::string Local(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

// The first line espa-report wrote to standard error, which names what went wrong.
std::string FirstLine(const QByteArray& output) {
    const QByteArray line = output.left(output.indexOf('\n')).trimmed();
    return line.toStdString();
}

}  // namespace

std::optional<std::string> ReportNameProblem(const QString& path, bool page) {
    if (path.isEmpty()) {
        return std::string("no file name given");
    }
    if (page && !path.endsWith(QLatin1String(kPageExtension), Qt::CaseInsensitive)) {
        return "the page's name must end in .html: " + Local(path);
    }
    const QFileInfo file(path);
    if (!file.absoluteDir().exists()) {
        return "folder not found: " + Local(file.absolutePath());
    }
    if (file.isDir()) {
        return "a folder, not a file: " + Local(path);
    }
    return std::nullopt;
}

QString FiguresPathFor(const QString& pagePath) {
    return pagePath.chopped(QLatin1String(kPageExtension).size()) + QStringLiteral(".json");
}

std::optional<std::string> WriteReportFigures(const RunReport& report, const QString& path) {
    QSaveFile file(path);
    const std::string text = ReportToJson(report) + "\n";
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        return "cannot write " + Local(path) + ": " + file.errorString().toStdString();
    }
    return std::nullopt;
}

QString ReportProgram() {
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kReportProgram));
    if (QFileInfo(beside).isExecutable()) {
        return beside;
    }
    return QStandardPaths::findExecutable(QLatin1String(kReportProgram));
}

void ReportPages::Start(const QString& figuresPath, const QString& pagePath, Done done) {
    const QString program = ReportProgram();
    const std::string kept = "; the figures are in " + Local(figuresPath);
    if (program.isEmpty()) {
        done(std::string("cannot make the page: espa-report is neither next to this program nor "
                         "on PATH") +
             kept);
        return;
    }
    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments({figuresPath, QStringLiteral("-o"), pagePath});
    process->setProcessChannelMode(QProcess::SeparateChannels);
    // Called once: a process that never started reports errorOccurred only, one that ran reports
    // finished (a crash also reports errorOccurred first).
    connect(process, &QProcess::errorOccurred, this,
            [process, done, kept](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    done("cannot run espa-report: " + process->errorString().toStdString() + kept);
                    process->deleteLater();
                }
            });
    connect(process, &QProcess::finished, this,
            [process, done, kept, pagePath](int exitCode, QProcess::ExitStatus status) {
                if (status == QProcess::NormalExit && exitCode == 0) {
                    done({});
                } else {
                    const std::string why = FirstLine(process->readAllStandardError());
                    done("espa-report could not make " + Local(pagePath) +
                         (why.empty() ? std::string() : ": " + why) + kept);
                }
                process->deleteLater();
            });
    process->start();
}

void ReportPages::WaitForAll() {
    for (QProcess* process : findChildren<QProcess*>()) {
        if (process->state() != QProcess::NotRunning) {
            process->waitForFinished(kPageWaitMs);
        }
    }
}

}  // namespace espa
