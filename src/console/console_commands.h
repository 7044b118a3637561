#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "report/run_report.h"

namespace espa {

class ConsoleView;
class Emulator;
class EmulatorReport;

// The operator's controls for a run without a window, one text line per command (from standard
// input, so a test rig can drive the emulator):
//   status paged|absent|queue|terminated   the status reported from the next status transfer on
//   status-plan PLAN   adds a plan of answers over time (see StatusPlan); "clear" drops them all,
//                      no argument lists them
//   delete N      deletes the answered call in position N (0-9), as a double-click on its status
//   clear         empties every position, as a double-click on the "Returned status" header
//   calls         one line per occupied position
//   fault [WHEN] SPEC   a deliberate fault, at once or as a fault plan's line says
//   fault clear   forgets the faults waiting or acting
//   faults        the faults waiting, acting and taken
//   report FILE.html   the run's report now: FILE.json and, made from it, FILE.html
//   site TEXT, central-make TEXT, central-firmware TEXT, engineer TEXT, remarks TEXT
//                 the report's header, as the options of the same names set it; no text clears
//   help          the list of commands
//   quit          closes the port and ends the program
// Results go to `out`; a command that cannot be done gets one line on `err` and changes nothing.
class ConsoleCommands {
  public:
    enum class Outcome { Done, Failed, Quit };

    // Without `report` the report's commands are refused.
    ConsoleCommands(Emulator& emulator, ConsoleView& view, std::ostream& out, std::ostream& err,
                    EmulatorReport* report = nullptr);

    Outcome Execute(std::string_view line);

  private:
    Outcome SetStatus(std::string_view argument);
    Outcome StatusPlanCommand(std::string_view argument);
    Outcome Delete(std::string_view argument);
    Outcome Clear();
    Outcome ListCalls();
    Outcome AddFault(std::string_view argument);
    Outcome ListFaults();
    Outcome WriteReport(std::string_view argument);
    Outcome SetHeader(std::string_view name, std::string ReportHeader::*field,
                      std::string_view argument);
    Outcome Help();
    Outcome Fail(std::string_view message);

    Emulator& m_emulator;
    ConsoleView& m_view;
    std::ostream& m_out;
    std::ostream& m_err;
    EmulatorReport* m_report;
};

}  // namespace espa
