#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

#include "calls/status_plan.h"
#include "faults/fault_plan.h"
#include "report/run_report.h"

class QCommandLineParser;

namespace espa {

// What the command line asks for. With no options the program runs with its window, in the
// executable's folder, opening the ports by the usual names.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };

    Action action = Action::Run;
    QString error;  // for Fail
    QString appDir;
    bool headless = false;
    bool json = false;      // engine events as JSON lines on standard output
    bool decode = false;    // the line's frames and the doctor's hints on standard output
    bool lineView = false;  // the window opens with its Line view
    bool demo = false;      // a pseudo-terminal line with a simulated central in the program
    QString capture;        // a capture file of the line, when not empty
    QString report;         // the report page written at the end of the run, when not empty
    ReportHeader header;    // the report's header, Latin-1
    std::string status = "PAGED";
    std::vector<StatusPlan> statusPlans;  // in the order given: the first that matches decides
    std::vector<std::pair<int, QString>> ports;
    std::vector<PlannedFault> faults;  // --fault-plan's, then each --fault at once
};

// Sets up `parser` with the program's options and reads `arguments` (program name first).
CommandLine ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                             const QString& defaultAppDir);

// Whether the arguments ask for anything but the window (headless, help, version), so the
// program can decide which kind of application object to make before parsing properly.
bool WantsNoWindow(int argc, char** argv);

}  // namespace espa
