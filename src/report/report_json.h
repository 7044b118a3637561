#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "report/run_report.h"

namespace espa {

// The figures of a run as the JSON file beside the report page: what the emulator and the monitor
// write when a run ends and what espa-report reads back, so its keys are stable and in a fixed
// order. Texts are UTF-8 (Latin-1 on the line), escaped to plain ASCII. Times of day are UTC in
// ISO 8601 with microseconds ("2026-12-07T07:15:50.250000Z"); durations are whole microseconds in
// keys that end in "_us", so a time read back is the time measured, to the microsecond.
std::string ReportToJson(const RunReport& report);

// The report in `text`, or nothing with one line in `error` that names the key at fault
// ("totals.calls: expected a whole number"). A file without "faults" or "central_slips" is read
// as a run without them: the monitor injects no faults.
std::optional<RunReport> ParseReportJson(const std::string& text, std::string& error);

// The totals as the report and the monitor's summary both give them: calls, status requests,
// polls, status transfers by code, NAKs each way, timeouts, check errors, in that order.
nlohmann::ordered_json TotalsJson(const LineTotals& totals);

// "2026-12-07T07:15:50.250000Z" for UTC microseconds since 1970.
std::string IsoTimeText(std::int64_t utcUs);

}  // namespace espa
