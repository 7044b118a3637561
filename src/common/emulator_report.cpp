#include "common/emulator_report.h"

#include <QDir>
#include <QFile>
#include <iostream>

#include "engine/emulator.h"
#include "serial/datacom.h"

namespace espa {
namespace {

std::string Local(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

}  // namespace

EmulatorReport::EmulatorReport(Emulator& emulator, bool collect,
                               std::function<std::string(int)> portName)
    : m_emulator(emulator), m_portName(std::move(portName)) {
    if (collect) {
        m_collector = std::make_unique<RunCollector>();
        m_emulator.WatchLine(true);
        m_emulator.CollectRun(m_collector.get());
    }
}

EmulatorReport::~EmulatorReport() {
    if (m_collector) {
        m_emulator.CollectRun(nullptr);
        m_emulator.WatchLine(false);
    }
}

std::optional<std::string> EmulatorReport::Write(const QString& pagePath) {
    if (!m_collector) {
        return std::string("this run keeps no figures: start it with --report FILE.html");
    }
    if (std::optional<std::string> problem = ReportNameProblem(pagePath, true)) {
        return problem;
    }
    m_emulator.CollectNow(false);
    const QString figures = FiguresPathFor(pagePath);
    if (std::optional<std::string> failure = WriteReportFigures(Build(), figures)) {
        return failure;
    }
    m_pages.Start(figures, pagePath,
                  [this, pagePath](const std::string& failure) { Tell(failure, pagePath); });
    return std::nullopt;
}

void EmulatorReport::WriteAtEnd() {
    if (!m_collector || m_atEnd.isEmpty()) {
        return;
    }
    m_emulator.CollectNow(true);
    const QString figures = FiguresPathFor(m_atEnd);
    if (std::optional<std::string> failure = WriteReportFigures(Build(), figures)) {
        std::cerr << "espa-emulator: " << *failure << std::endl;
    } else {
        m_pages.Start(figures, m_atEnd,
                      [this](const std::string& failure) { Tell(failure, m_atEnd); });
    }
    m_pages.WaitForAll();
}

RunReport EmulatorReport::Build() const {
    // The judge's verdicts on the faults taken and the central's own slips go here:
    // m_collector->Build(m_header, JudgeCentral(faults taken, m_collector->Exchanges()),
    //                    CentralSlips(m_collector->Exchanges())).
    RunReport report = m_collector->Build(m_header, {}, {});
    const SettingsRecord& settings = m_emulator.Settings();
    report.program = "espa-emulator";
    report.version = ESPA_VERSION_TEXT;
    const auto make = static_cast<std::size_t>(settings.Emulatie);
    report.make = make < kEmulationNames.size() ? std::string(kEmulationNames[make]) : "Philips";
    report.port = m_portName(settings.Compoort + 1);
    report.lineSettings =
        LineSettingsText(settings.BaudRate, settings.Parity, settings.Bits, settings.StopBits);
    return report;
}

// Said in the log, where the window shows it too; a page that could not be made also on standard
// error, where a rig's operator looks.
void EmulatorReport::Tell(const std::string& failure, const QString& pagePath) {
    if (failure.empty()) {
        m_emulator.Log().WriteLog("Report written: " + Local(pagePath));
        return;
    }
    m_emulator.Log().WriteLog("Report: " + failure);
    std::cerr << "espa-emulator: " << failure << std::endl;
}

}  // namespace espa
