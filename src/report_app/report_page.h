#pragma once

#include <string>
#include <vector>

#include "report/run_report.h"

namespace espa {

// The commissioning report as one XHTML page that stands alone: styles inline, no scripts, no
// links out, so it can be mailed, archived and printed as it is. `charts` are <svg> elements
// (no XML declaration), shown under the table of answer times in the order given.
std::string ReportPage(const RunReport& report, const std::vector<std::string>& charts);

}  // namespace espa
