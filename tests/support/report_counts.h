#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "temp_dir.h"

namespace espa::test {

// The whole-number figures of a JSON object, one per name ("polls"), and one per member of a
// nested object ("status_transfers/3"): a report's totals and a monitor's summary alike.
inline std::map<std::string, long> Counts(const nlohmann::json& figures) {
    std::map<std::string, long> counts;
    const nlohmann::json flat = figures.flatten();
    for (const auto& [pointer, value] : flat.items()) {
        if (value.is_number_integer() && std::ranges::count(pointer, '/') <= 2) {
            counts[pointer.substr(1)] = value.get<long>();
        }
    }
    return counts;
}

// The totals of a report's figures file.
inline std::map<std::string, long> ReportCounts(const std::filesystem::path& figures) {
    return Counts(nlohmann::json::parse(ReadFile(figures)).at("totals"));
}

}  // namespace espa::test
