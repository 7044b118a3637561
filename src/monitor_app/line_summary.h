#pragma once

#include <string>
#include <vector>

#include "line/answer_stats.h"

namespace espa {

// What a monitor run saw, at its end: the exchanges counted and each side's answer times. As text
// lines that start "SUMMARY:", or as one JSON object ("event": "summary").
std::vector<std::string> SummaryLines(const LineTotals& totals, const AnswerStats& stats);
std::string SummaryJson(const LineTotals& totals, const AnswerStats& stats);

}  // namespace espa
