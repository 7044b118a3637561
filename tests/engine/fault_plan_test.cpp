#include <gtest/gtest.h>

#include "faults/fault_plan.h"
#include "faults/fault_text.h"

namespace espa::test {
namespace {

// A fault read and written back, or its one error line.
TEST(FaultSpecs, EachIsReadBackInItsNormalFormOrRefusedWithOneLine) {
    const char* known =
        "; known: nak-block, refuse-select, silent, delay, bad-check, no-eot, "
        "drop-line";
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        {"nak-block:3", "nak-block:3"}, {"NAK-Block:every=4", "nak-block:every=4"},
        {"refuse-select:1", "refuse-select:1"}, {"silent:2000", "silent:2000"},
        {"delay:300", "delay:300"}, {"bad-check:1", "bad-check:1"}, {"no-eot:2", "no-eot:2"},
        {"drop-line:5000", "drop-line:5000"},
        {"foo", std::string("unknown fault \"foo\"") + known},
        {"", std::string("unknown fault \"\"") + known},
        {"nak-block:0", "nak-block needs a count above 0: \"nak-block:0\""},
        {"no-eot", "no-eot needs a count above 0: \"no-eot\""},
        {"bad-check:2x", "bad-check needs a count above 0: \"bad-check:2x\""},
        {"refuse-select:every=2", "refuse-select needs a count above 0: \"refuse-select:every=2\""},
        {"nak-block:every=0", "nak-block:every= needs a count above 0: \"nak-block:every=0\""},
        {"silent:-5", "silent needs a time in ms from 1 to 3600000: \"silent:-5\""},
        {"delay:3600001", "delay needs a time in ms from 1 to 3600000: \"delay:3600001\""},
        {"drop-line:99999999999", "drop-line needs a time in ms from 1 to 3600000: \"drop-line:99999999999\""},
        // clang-format on
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        std::string error;
        const auto spec = ParseFaultSpec(text, error);
        EXPECT_EQ(spec ? FaultText(*spec) : error, expected);
    }
}

// Each plan line as `faults` lists it back ("when spec"), or the plan's one error, which names
// the line; nothing of a plan with an error is returned.
TEST(FaultPlans, EachLineIsReadWithItsStartOrThePlanIsRefusedAtItsLine) {
    const std::pair<std::string, std::string> cases[] = {
        // clang-format off
        {"# a comment\n\n  nak-block:2  # two\r\n", " nak-block:2"},
        {"after 10s silent:2000\nafter 1500ms delay:300", "after 10s silent:2000|after 1500ms delay:300"},
        {"at exchange 3 refuse-select:1\nafter 2000ms no-eot:1", "at exchange 3 refuse-select:1|after 2s no-eot:1"},
        {"silent:1\nafter ten silent:1", "plan.txt:2: expected \"after 10s\" or \"after 1500ms\": \"after ten silent:1\""},
        {"after 0s silent:1", "plan.txt:1: expected \"after 10s\" or \"after 1500ms\": \"after 0s silent:1\""},
        {"at exchange nak-block:1", "plan.txt:1: expected \"at exchange N\", N above 0: \"at exchange nak-block:1\""},
        {"at 3 nak-block:1", "plan.txt:1: expected \"at exchange N\", N above 0: \"at 3 nak-block:1\""},
        {"after 1s", "plan.txt:1: expected one fault, optionally after \"after 10s\", \"after 1500ms\" or \"at exchange N\": \"after 1s\""},
        {"silent:1 delay:2", "plan.txt:1: expected one fault, optionally after \"after 10s\", \"after 1500ms\" or \"at exchange N\": \"silent:1 delay:2\""},
        {"\n\n\nat exchange 1 nak-block:0", "plan.txt:4: nak-block needs a count above 0: \"nak-block:0\""},
        // clang-format on
    };
    for (const auto& [content, expected] : cases) {
        SCOPED_TRACE(content);
        std::string error;
        const auto plan = ParseFaultPlan(content, "plan.txt", error);
        std::string listed;
        for (const PlannedFault& p : plan.value_or(std::vector<PlannedFault>{})) {
            listed += (listed.empty() ? "" : "|") + StartText(p.start) + " " + FaultText(p.spec);
        }
        EXPECT_EQ(plan ? listed : error, expected);
    }
    std::string error;
    EXPECT_FALSE(ReadFaultPlan("/nonexistent/plan.txt", error));
    EXPECT_EQ(error, "/nonexistent/plan.txt: cannot read the fault plan");
}

}  // namespace
}  // namespace espa::test
