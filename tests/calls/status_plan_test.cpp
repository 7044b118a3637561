#include <gtest/gtest.h>

#include "calls/status_plan.h"

namespace espa {
namespace {

// Each plan read back in lower case, or refused with the start of its one line.
TEST(StatusPlanParse, TakesAWholePlanOrRefusesItWithOneLineNamingThePart) {
    const std::pair<const char*, const char*> cases[] = {
        {"Queue:10s,PAGED", "queue:10s,paged"},
        {"12*=queue:2,absent:1s,terminated", "12*=queue:2,absent:1s,terminated"},
        {"", "a status plan needs at least one status word"},
        {"=paged", "pager pattern '' before '='"},
        {"lost", "unknown status word 'lost' (queue, paged, absent or terminated)"},
        {"queue,paged", "'queue' needs a length"},
        {"queue:2", "'queue:2' is the last step"},
        {"queue:2,,paged", "empty step in 'queue:2,,paged'"},
        {"queue:0,paged", "'queue:0': a length is a number of polls (3) or seconds (10s)"},
        {"queue:2x,paged", "'queue:2x': a length"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        std::string error;
        const auto plan = StatusPlan::Parse(text, error);
        EXPECT_TRUE(plan ? plan->Text() == expected : error.starts_with(expected)) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

// The words a call gets at polls made at the given ages (seconds since it was stored); plans of
// one kind of step are shown by the scenarios on the line.
TEST(StatusPlanNext, StepsEndAfterTheirPollsOrSecondsAndTheLastHoldsForGood) {
    const struct {
        const char* plan;
        std::vector<int> ages;
        std::vector<std::string> words;
    } cases[] = {
        // Seconds add up from step to step; a poll-counted step starts the clock at its end.
        {"queue:3s,absent:3s,paged", {2, 5, 6}, {"QUEUE", "ABSENT", "PAGED"}},
        {"queue:1,absent:2s,paged", {4, 5, 6}, {"QUEUE", "ABSENT", "PAGED"}},
        {"queue:5s,absent:1,paged", {20, 21}, {"ABSENT", "PAGED"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plan);
        std::string error;
        const auto plan = StatusPlan::Parse(c.plan, error);
        ASSERT_TRUE(plan) << error;
        StatusPlanProgress progress;
        std::vector<std::string> words;
        for (int age : c.ages) {
            words.push_back(plan->Next(progress, age));
        }
        EXPECT_EQ(words, c.words);
    }
}

TEST(StatusPlanFor, TheFirstPlanWhosePatternMatchesThePagerDecides) {
    std::string e;
    const std::vector<StatusPlan> plans{*StatusPlan::Parse("12?4=paged", e),
                                        *StatusPlan::Parse("1*=absent", e),
                                        *StatusPlan::Parse("*7*=queue:1,terminated", e)};
    std::vector<long> chosen;
    for (const char* pager : {"1234", "1204", "12345", "1", "970", "7", "234"}) {
        const StatusPlan* plan = PlanFor(plans, pager);
        chosen.push_back(plan == nullptr ? -1 : plan - plans.data());
    }
    EXPECT_EQ(chosen, (std::vector<long>{0, 0, 1, 1, 2, 2, -1}));
}

}  // namespace
}  // namespace espa
