#pragma once

#include <cstdint>
#include <string>

#include "faults/fault_spec.h"

namespace espa {

// How the central coped with one fault, judged from the exchanges that followed it.
struct FaultVerdict {
    enum class Result {
        Recovered,     // it got through again
        NotRecovered,  // it tried and gave up, or the run ended first
        NoReaction,    // nothing it did can be told apart from the fault
    };
    FaultEvent fault;
    Result result = Result::NoReaction;
    int tries = 0;                // the central's attempts after the fault
    std::int64_t recoveryUs = 0;  // Recovered: from the fault to the first good exchange after it
    // One sentence, the central's reaction as seen on the line: "re-selected and sent again after
    // 120 ms", "sent again without a fresh select", "NAKed the status transfer", ...
    std::string reaction;
    bool operator==(const FaultVerdict&) const = default;
};

// The verdict as the report gives it: "recovered after 1 try in 130 ms", "did not recover",
// "no reaction".
std::string VerdictText(const FaultVerdict& verdict);

}  // namespace espa
