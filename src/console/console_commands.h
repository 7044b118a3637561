#pragma once

#include <ostream>
#include <string_view>

namespace espa {

class ConsoleView;
class Emulator;

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
//   help          the list of commands
//   quit          closes the port and ends the program
// Results go to `out`; a command that cannot be done gets one line on `err` and changes nothing.
class ConsoleCommands {
  public:
    enum class Outcome { Done, Failed, Quit };

    ConsoleCommands(Emulator& emulator, ConsoleView& view, std::ostream& out, std::ostream& err);

    Outcome Execute(std::string_view line);

  private:
    Outcome SetStatus(std::string_view argument);
    Outcome StatusPlanCommand(std::string_view argument);
    Outcome Delete(std::string_view argument);
    Outcome Clear();
    Outcome ListCalls();
    Outcome AddFault(std::string_view argument);
    Outcome ListFaults();
    Outcome Help();
    Outcome Fail(std::string_view message);

    Emulator& m_emulator;
    ConsoleView& m_view;
    std::ostream& m_out;
    std::ostream& m_err;
};

}  // namespace espa
