#include "calls/status_plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "calls/call_table.h"

namespace espa {
namespace {

constexpr int kMostPollsOrSeconds = 1000000;
constexpr const char* kPlanWords[] = {kStatusQueue, kStatusPaged, kStatusAbsent, kStatusTerminated};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::optional<std::string> PlanWord(std::string_view text) {
    for (const char* word : kPlanWords) {
        if (Lower(text) == Lower(word)) {
            return std::string(word);
        }
    }
    return std::nullopt;
}

// "*" stands for any run of characters, "?" for one; a plain glob, so pager numbers need no
// escaping.
bool Glob(std::string_view pattern, std::string_view text) {
    std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::optional<StatusPlan::Step> ParseStep(std::string_view text, bool last, std::string& error) {
    const std::string quoted = "'" + std::string(text) + "'";
    const std::size_t colon = text.find(':');
    const auto word = PlanWord(text.substr(0, colon));
    if (!word) {
        error = "unknown status word '" + std::string(text.substr(0, colon)) +
                "' (queue, paged, absent or terminated)";
        return std::nullopt;
    }
    StatusPlan::Step step{*word};
    if (colon == std::string_view::npos) {
        if (!last) {
            error = quoted + " needs a length, as only the last step holds from then on (" +
                    Lower(*word) + ":3 for three polls, " + Lower(*word) + ":10s for ten seconds)";
            return std::nullopt;
        }
        return step;
    }
    if (last) {
        error = quoted + " is the last step and holds from then on: leave out its length";
        return std::nullopt;
    }
    std::string_view length = text.substr(colon + 1);
    step.seconds = length.ends_with('s');
    if (step.seconds) {
        length.remove_suffix(1);
    }
    const auto [end, fault] =
        std::from_chars(length.data(), length.data() + length.size(), step.count);
    if (length.empty() || fault != std::errc() || end != length.data() + length.size() ||
        step.count < 1 || step.count > kMostPollsOrSeconds) {
        error = quoted + ": a length is a number of polls (3) or seconds (10s), from 1 to " +
                std::to_string(kMostPollsOrSeconds);
        return std::nullopt;
    }
    return step;
}

}  // namespace

std::optional<StatusPlan> StatusPlan::Parse(std::string_view text, std::string& error) {
    StatusPlan plan;
    if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
        plan.m_pattern = text.substr(0, equals);
        text.remove_prefix(equals + 1);
        const bool blank = std::ranges::any_of(
            plan.m_pattern, [](unsigned char c) { return c <= ' ' || c == ',' || c == ':'; });
        if (plan.m_pattern.empty() || blank) {
            error = "pager pattern '" + plan.m_pattern +
                    "' before '=': digits with * and ?, no blanks, commas or colons";
            return std::nullopt;
        }
    }
    if (text.empty()) {
        error = "a status plan needs at least one status word";
        return std::nullopt;
    }
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view part = text.substr(start, comma - start);
        if (part.empty()) {
            error = "empty step in '" + std::string(text) + "'";
            return std::nullopt;
        }
        const auto step = ParseStep(part, comma == text.size(), error);
        if (!step) {
            return std::nullopt;
        }
        plan.m_steps.push_back(*step);
        start = comma + 1;
    }
    return plan;
}

bool StatusPlan::Matches(const std::string& pager) const {
    return m_pattern.empty() || Glob(m_pattern, pager);
}

// A step run out in seconds ends exactly when its time is up, so that consecutive steps in
// seconds add up whatever the poll rate; one run out in polls ends at its last transfer.
std::string StatusPlan::Next(StatusPlanProgress& progress, int ageSeconds) const {
    const int last = static_cast<int>(m_steps.size()) - 1;
    progress.step = std::clamp(progress.step, 0, last);
    while (progress.step < last) {
        const Step& step = m_steps[progress.step];
        if (!step.seconds || ageSeconds - progress.stepStartSeconds < step.count) {
            break;
        }
        progress.stepStartSeconds += step.count;
        progress.polls = 0;
        ++progress.step;
    }
    const Step& step = m_steps[progress.step];
    if (progress.step < last && !step.seconds && ++progress.polls >= step.count) {
        progress.polls = 0;
        progress.stepStartSeconds = ageSeconds;
        ++progress.step;
    }
    return step.word;
}

std::string StatusPlan::Text() const {
    std::string text = m_pattern.empty() ? "" : m_pattern + "=";
    for (const Step& step : m_steps) {
        text += Lower(step.word);
        if (step.count > 0) {
            text += ':' + std::to_string(step.count) + (step.seconds ? "s" : "");
        }
        text += ',';
    }
    text.pop_back();
    return text;
}

const StatusPlan* PlanFor(const std::vector<StatusPlan>& plans, const std::string& pager) {
    const auto found =
        std::ranges::find_if(plans, [&](const StatusPlan& plan) { return plan.Matches(pager); });
    return found == plans.end() ? nullptr : &*found;
}

}  // namespace espa
