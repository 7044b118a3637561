#pragma once

#include <string>
#include <vector>

#include "report/run_report.h"

namespace espa {

// The answer times drawn with Qt Charts as inline SVG: one chart that sets the kinds side by side
// (min, median, 95th percentile, max), then one per kind with every time in the order measured,
// where a slow spell or a drift shows. Each is an <svg> element without XML declaration, ready to
// sit inside the page. Needs a QApplication; none for a run without timed answers.
std::vector<std::string> AnswerTimeCharts(const RunReport& report);

}  // namespace espa
