#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "report/run_report.h"

class QProcess;

namespace espa {

// Why `path` cannot name a report, in a few words; nothing when it can. A page must end in .html;
// either kind must be named and its folder must be there, so that a run never ends with nowhere
// to put what it collected.
std::optional<std::string> ReportNameProblem(const QString& path, bool page);

// FILE.json for FILE.html: the figures sit beside their page.
QString FiguresPathFor(const QString& pagePath);

// Writes the figures as JSON, whole or not at all (a run killed mid-write leaves the file that
// was there); the reason when they could not be written.
std::optional<std::string> WriteReportFigures(const RunReport& report, const QString& path);

// espa-report next to this program (an installed or a build tree's set of programs), else on
// PATH; empty when it is nowhere.
QString ReportProgram();

// Makes report pages with espa-report, each in a process of its own: Qt Charts and the window
// libraries never enter this program, and the line goes on being answered while a page is drawn.
class ReportPages final : public QObject {
    Q_OBJECT
  public:
    // Empty when the page was made; else one line that says why not.
    using Done = std::function<void(const std::string& failure)>;

    explicit ReportPages(QObject* parent = nullptr) : QObject(parent) {}

    void Start(const QString& figuresPath, const QString& pagePath, Done done);
    // Waits for every page under way: at the end of a run there is nothing else to do.
    void WaitForAll();

    static constexpr int kPageWaitMs = 60'000;
};

}  // namespace espa
