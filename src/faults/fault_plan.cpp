#include "faults/fault_plan.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "faults/fault_text.h"

namespace espa {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";
// A day: a plan longer than a commissioning run is a typing mistake.
constexpr int kMaxStartMs = 86'400'000;

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;
         at = text.find_first_not_of(kBlanks, at)) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// "10s" or "1500ms" in ms.
std::optional<int> Duration(std::string_view text) {
    if (text.ends_with("ms")) {
        return PositiveNumber(text.substr(0, text.size() - 2), kMaxStartMs);
    }
    if (text.ends_with("s")) {
        const auto seconds = PositiveNumber(text.substr(0, text.size() - 1), kMaxStartMs / 1000);
        return seconds ? std::optional<int>(*seconds * 1000) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PlannedFault> ParsePlanLine(std::string_view line, std::string& error) {
    const std::vector<std::string_view> words = Words(line);
    PlannedFault planned;
    std::size_t specAt = 0;
    if (!words.empty() && words[0] == "after") {
        const auto ms = words.size() > 1 ? Duration(words[1]) : std::nullopt;
        if (!ms) {
            error = "expected \"after 10s\" or \"after 1500ms\": \"" + std::string(line) + "\"";
            return std::nullopt;
        }
        planned.start = {FaultStart::Kind::AfterMs, *ms};
        specAt = 2;
    } else if (!words.empty() && words[0] == "at") {
        const auto n = words.size() > 2 && words[1] == "exchange"
                           ? PositiveNumber(words[2], 1'000'000)
                           : std::nullopt;
        if (!n) {
            error = "expected \"at exchange N\", N above 0: \"" + std::string(line) + "\"";
            return std::nullopt;
        }
        planned.start = {FaultStart::Kind::AtExchange, *n};
        specAt = 3;
    }
    if (words.size() != specAt + 1) {
        error =
            "expected one fault, optionally after \"after 10s\", \"after 1500ms\" or \"at "
            "exchange N\": \"" +
            std::string(line) + "\"";
        return std::nullopt;
    }
    const auto spec = ParseFaultSpec(words[specAt], error);
    if (!spec) {
        return std::nullopt;
    }
    planned.spec = *spec;
    return planned;
}

std::optional<std::vector<PlannedFault>> ParseFaultPlan(std::string_view content,
                                                        const std::string& name,
                                                        std::string& error) {
    std::vector<PlannedFault> plan;
    std::istringstream lines{std::string(content)};
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string_view text = std::string_view(line).substr(0, line.find('#'));
        if (text.find_first_not_of(kBlanks) == std::string_view::npos) {
            continue;
        }
        std::string lineError;
        const auto planned = ParsePlanLine(text, lineError);
        if (!planned) {
            error = name + ":" + std::to_string(number) + ": " + lineError;
            return std::nullopt;
        }
        plan.push_back(*planned);
    }
    return plan;
}

std::optional<std::vector<PlannedFault>> ReadFaultPlan(const std::filesystem::path& file,
                                                       std::string& error) {
    std::ifstream in(file, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), {}};
    if (!in.is_open() || in.bad()) {
        error = file.string() + ": cannot read the fault plan";
        return std::nullopt;
    }
    return ParseFaultPlan(content, file.string(), error);
}

std::string StartText(const FaultStart& start) {
    switch (start.kind) {
        case FaultStart::Kind::AtOnce:
            return {};
        case FaultStart::Kind::AfterMs:
            return start.value % 1000 == 0 ? "after " + std::to_string(start.value / 1000) + "s"
                                           : "after " + std::to_string(start.value) + "ms";
        case FaultStart::Kind::AtExchange:
            return "at exchange " + std::to_string(start.value);
    }
    return {};
}

}  // namespace espa
