#include "core/clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace espa {
namespace {

// Compared through strftime's own reading of the calendar; a second that turns during the test
// may give either time.
TEST(SystemClock, GivesTheLocalTimeAsTheCalendarReadsIt) {
    const auto Now = [] {
        const std::time_t now = std::time(nullptr);
        char text[32];
        return std::string(
            text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&now)));
    };
    const std::string before = Now();
    const LocalDateTime now = SystemClock().Now();
    const std::string after = Now();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    EXPECT_TRUE(text == before || text == after) << text << " " << before;
}

}  // namespace
}  // namespace espa
