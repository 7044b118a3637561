#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/report_files.h"
#include "engine/run_collector.h"
#include "report/run_report.h"

namespace espa {

class Emulator;

// The emulator's report of its run. The command line, standard input and the window's Report
// dialog all fill the one header and write from the one collector; each report is FILE.json with
// the figures and FILE.html, the page espa-report makes of them.
//
// Only a run that collects has figures: the line is watched and every exchange kept from the
// start, which a rig left running for weeks should not pay for unasked.
class EmulatorReport {
  public:
    // `collect`: keep the run's figures from now on. `portName` names the device a port number
    // opens, as the user gave it.
    EmulatorReport(Emulator& emulator, bool collect, std::function<std::string(int)> portName);
    ~EmulatorReport();
    EmulatorReport(const EmulatorReport&) = delete;
    EmulatorReport& operator=(const EmulatorReport&) = delete;

    bool Collecting() const { return m_collector != nullptr; }
    ReportHeader& Header() { return m_header; }
    // The page --report asked for at the end of the run; empty for none.
    QString& AtEnd() { return m_atEnd; }

    // Writes FILE.json now and starts making FILE.html; what happens to the page is logged when
    // it is known. The reason, in one line, when not even the figures could be written.
    std::optional<std::string> Write(const QString& pagePath);
    // The end of the run: what the line still held is closed and --report's page written and
    // waited for.
    void WriteAtEnd();

  private:
    RunReport Build() const;
    void Tell(const std::string& failure, const QString& pagePath);

    Emulator& m_emulator;
    std::function<std::string(int)> m_portName;
    std::unique_ptr<RunCollector> m_collector;
    ReportHeader m_header;
    QString m_atEnd;
    ReportPages m_pages;
};

}  // namespace espa
