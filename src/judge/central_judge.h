#pragma once

#include <string>
#include <vector>

#include "faults/fault_spec.h"
#include "judge/fault_verdict.h"
#include "line/exchange.h"

namespace espa {

// How the central coped with each fault that took effect, from the exchanges of the whole run
// (closed, in the order they began). One verdict per fault event, in the same order.
std::vector<FaultVerdict> JudgeCentral(const std::vector<FaultEvent>& faults,
                                       const std::vector<Exchange>& exchanges);

// The central's own slips over the run, one sentence each: blocks with a wrong check character,
// exchanges it broke off, answered out of turn or left hanging, retries without a fresh select.
// Empty for a clean run.
std::vector<std::string> CentralSlips(const std::vector<Exchange>& exchanges);

}  // namespace espa
