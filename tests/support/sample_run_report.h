#pragma once

#include <numeric>
#include <string>

#include "report/run_report.h"

namespace espa::test {

// A run with something in every field: two faults with different verdicts, a slip, a hint, two
// kinds of answer time, and texts holding every byte a line can carry.
inline RunReport SampleRunReport() {
    std::string everyByte(256, '\0');
    std::iota(everyByte.begin(), everyByte.end(), '\0');
    RunReport r;
    r.program = "espa-emulator";
    r.version = "3.4.0";
    r.header = {"St. Mary's <Ward 3> & \"B\"",
                "Caf\xE9"
                "Call",
                "2.1", "J. Doe", everyByte};
    r.make = "Ascom";
    r.port = "/dev/ttyUSB0";
    r.lineSettings = "9600,N,8,1";
    r.startUs = 1796627750250000;  // 2026-12-07T07:15:50.250000Z
    r.endUs = r.startUs + 95'000'001;
    r.totals = {12, 3, 40, {{"1", 7}, {"4", 2}}, 2, 1, 1, 1};
    r.answers = {{AnswerKind::PagingAckOfSelect, {3, 4100, 5250, 9000, 9000}, {5250, 4100, 9000}},
                 {AnswerKind::CentralAnswerToTransfer,
                  {2, 120000, 120000, 180500, 180500},
                  {180500, 120000}}};
    const FaultEvent nak{{FaultKind::NakBlock, 1, 0, 0},
                         "nak-block:1",
                         r.startUs + 2'000'000,
                         r.startUs + 2'000'000,
                         "call block answered with NAK (1 of 1)"};
    const FaultEvent silent{{FaultKind::Silent, 0, 0, 5000},
                            "silent:5000",
                            r.startUs + 9'000'000,
                            r.startUs + 14'000'000,
                            "deaf and mute for 5000 ms"};
    r.faults = {{nak, FaultVerdict::Result::Recovered, 1, 130'000, "re-selected and sent again"},
                {silent, FaultVerdict::Result::NotRecovered, 3, 0, "gave up after 3 tries"}};
    r.centralSlips = {"sent a block again without a fresh select"};
    r.hints = {{HintCause::CheckRule, r.startUs + 500, "check by the wrong rule", "\x01\x31\x03"}};
    return r;
}

}  // namespace espa::test
