#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace espa {

// How far one call has got through its plan. Kept with the call, so it moves with its row.
struct StatusPlanProgress {
    int step = 0;
    int stepStartSeconds = 0;  // the call's age when the step began
    int polls = 0;             // status transfers reported on the call within the step

    bool operator==(const StatusPlanProgress&) const = default;
};

// The answers a call gets over time, as a real paging system gives QUEUE first and PAGED once
// the pager has been reached: "[PATTERN=]STEP,STEP,...". A step "queue:10s" holds for ten seconds,
// "queue:2" for the next two status transfers on the call; the last step is a bare word that holds
// from then on. The pattern matches pager numbers, with * and ?; without one every call matches.
class StatusPlan {
  public:
    struct Step {
        std::string word;      // a status word: QUEUE, PAGED, ABSENT or TERMINATED
        int count = 0;         // 0 for the last step
        bool seconds = false;  // count is seconds, else status transfers

        bool operator==(const Step&) const = default;
    };

    // The plan, or nothing and one line in `error` that names the part at fault.
    static std::optional<StatusPlan> Parse(std::string_view text, std::string& error);

    bool Matches(const std::string& pager) const;
    // The word for the status transfer about to go out on a call `ageSeconds` old; moves the
    // call's progress on by that transfer.
    std::string Next(StatusPlanProgress& progress, int ageSeconds) const;

    // The plan written out again, words in lower case: what a listing shows.
    std::string Text() const;
    const std::vector<Step>& Steps() const { return m_steps; }

  private:
    std::string m_pattern;  // empty: every call
    std::vector<Step> m_steps;
};

// The first plan whose pattern matches the pager decides; null when none does.
const StatusPlan* PlanFor(const std::vector<StatusPlan>& plans, const std::string& pager);

}  // namespace espa
