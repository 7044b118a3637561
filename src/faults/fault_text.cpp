#include "faults/fault_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace espa {
namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 7> kKinds{{
    {FaultKind::NakBlock, "nak-block"},
    {FaultKind::RefuseSelect, "refuse-select"},
    {FaultKind::Silent, "silent"},
    {FaultKind::Delay, "delay"},
    {FaultKind::BadCheck, "bad-check"},
    {FaultKind::NoEot, "no-eot"},
    {FaultKind::DropLine, "drop-line"},
}};

// An hour: longer than any central waits, short enough that the tick arithmetic stays in an int.
constexpr int kMaxMs = 3'600'000;
constexpr int kMaxCount = 1'000'000;

std::string KnownKinds() {
    std::string known;
    for (const auto& [kind, name] : kKinds) {
        known += (known.empty() ? "" : ", ") + std::string(name);
    }
    return known;
}

}  // namespace

std::optional<int> PositiveNumber(std::string_view text, int max) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > max) {
        return std::nullopt;
    }
    return value;
}

std::string_view FaultKindName(FaultKind kind) {
    for (const auto& [k, name] : kKinds) {
        if (k == kind) {
            return name;
        }
    }
    return "unknown";
}

bool IsTimedFault(FaultKind kind) {
    return kind == FaultKind::Silent || kind == FaultKind::Delay || kind == FaultKind::DropLine;
}

std::optional<FaultSpec> ParseFaultSpec(std::string_view text, std::string& error) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t colon = lower.find(':');
    const std::string_view name = std::string_view(lower).substr(0, colon);
    const auto known = std::find_if(kKinds.begin(), kKinds.end(),
                                    [name](const auto& kind) { return kind.second == name; });
    if (known == kKinds.end()) {
        error = "unknown fault \"" + std::string(text) + "\"; known: " + KnownKinds();
        return std::nullopt;
    }
    FaultSpec spec;
    spec.kind = known->first;
    const std::string_view value =
        colon == std::string::npos ? std::string_view() : std::string_view(lower).substr(colon + 1);
    if (IsTimedFault(spec.kind)) {
        if (const auto ms = PositiveNumber(value, kMaxMs)) {
            spec.ms = *ms;
            return spec;
        }
        error = std::string(name) + " needs a time in ms from 1 to " + std::to_string(kMaxMs) +
                ": \"" + std::string(text) + "\"";
        return std::nullopt;
    }
    if (spec.kind == FaultKind::NakBlock && value.starts_with("every=")) {
        if (const auto every = PositiveNumber(value.substr(6), kMaxCount)) {
            spec.every = *every;
            return spec;
        }
        error = "nak-block:every= needs a count above 0: \"" + std::string(text) + "\"";
        return std::nullopt;
    }
    if (const auto count = PositiveNumber(value, kMaxCount)) {
        spec.count = *count;
        return spec;
    }
    error = std::string(name) + " needs a count above 0: \"" + std::string(text) + "\"";
    return std::nullopt;
}

std::string FaultText(const FaultSpec& spec) {
    std::string text(FaultKindName(spec.kind));
    if (IsTimedFault(spec.kind)) {
        return text + ":" + std::to_string(spec.ms);
    }
    if (spec.every > 0) {
        return text + ":every=" + std::to_string(spec.every);
    }
    return text + ":" + std::to_string(spec.count);
}

}  // namespace espa
