#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "faults/fault_spec.h"

namespace espa {

// Reads one fault as a user writes it ("nak-block:3", "nak-block:every=4", "silent:2000"):
// the fault, or nullopt with `error` set to one line that says what is wrong and what is known.
std::optional<FaultSpec> ParseFaultSpec(std::string_view text, std::string& error);

// The fault in the words ParseFaultSpec reads back: "nak-block:every=4", "delay:300".
std::string FaultText(const FaultSpec& spec);
std::string_view FaultKindName(FaultKind kind);

// Whether the fault acts for a time (silent, delay, drop-line) rather than a number of times.
bool IsTimedFault(FaultKind kind);

// Decimal digits only, from 1 to `max`: the numbers in faults and fault plans.
std::optional<int> PositiveNumber(std::string_view text, int max);

}  // namespace espa
