#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "faults/fault_spec.h"

namespace espa {

// When a planned fault begins: at once, a time after the run started, or at the central's N-th
// exchange (one select or one poll).
struct FaultStart {
    enum class Kind { AtOnce, AfterMs, AtExchange };
    Kind kind = Kind::AtOnce;
    int value = 0;  // ms, or the exchange's number
    bool operator==(const FaultStart&) const = default;
};

struct PlannedFault {
    FaultStart start;
    FaultSpec spec;
    bool operator==(const PlannedFault&) const = default;
};

// "[after 10s | after 1500ms | at exchange 3] SPEC"; nullopt with `error` set when it is not.
std::optional<PlannedFault> ParsePlanLine(std::string_view line, std::string& error);

// A fault plan: one planned fault per line, blank lines and `#` comments skipped. Every line is
// read before anything is returned, so a plan is taken whole or not at all; an error names the
// plan and the line ("plan.txt:4: ...").
std::optional<std::vector<PlannedFault>> ParseFaultPlan(std::string_view content,
                                                        const std::string& name,
                                                        std::string& error);
std::optional<std::vector<PlannedFault>> ReadFaultPlan(const std::filesystem::path& file,
                                                       std::string& error);

// "after 10s", "after 1500ms", "at exchange 3", "" for at once: what ParsePlanLine reads back.
std::string StartText(const FaultStart& start);

}  // namespace espa
