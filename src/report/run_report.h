#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "judge/fault_verdict.h"
#include "line/answer_stats.h"
#include "line/hint.h"

namespace espa {

// What the engineer writes at the top of the page.
struct ReportHeader {
    std::string site;
    std::string centralMake;
    std::string centralFirmware;
    std::string engineer;
    std::string remarks;
    bool operator==(const ReportHeader&) const = default;
};

// One kind of answer time over the run.
struct AnswerTimes {
    AnswerKind kind = AnswerKind::PagingAckOfSelect;
    Distribution times;
    std::vector<std::int64_t> samplesUs;  // every time, in the order measured, for the charts
    bool operator==(const AnswerTimes&) const = default;
};

// The figures of one run, emulated or monitored: what the report's JSON holds and what
// espa-report turns into a page. 8-bit texts are Latin-1 here and UTF-8 only in the JSON.
struct RunReport {
    std::string program;  // "espa-emulator" or "espa-monitor"
    std::string version;
    ReportHeader header;
    std::string make;          // the paging system's make, as the settings name it
    std::string port;          // as the user named it
    std::string lineSettings;  // "9600,N,8,1"
    std::int64_t startUs = 0;  // UTC microseconds
    std::int64_t endUs = 0;
    LineTotals totals;
    std::vector<AnswerTimes> answers;       // only the kinds that were timed
    std::vector<FaultVerdict> faults;       // in the order they took effect
    std::vector<std::string> centralSlips;  // the central's own mistakes, one sentence each
    std::vector<Hint> hints;
    bool operator==(const RunReport&) const = default;
};

}  // namespace espa
