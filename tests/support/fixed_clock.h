#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "log/event_log.h"
#include "log/log_lines.h"

namespace espa::test {

// A clock that says what the test set.
class FixedClock final : public Clock {
  public:
    LocalDateTime now{2026, 12, 5, 14, 3, 7};
    LocalDateTime Now() const override { return now; }
};

// The screen log's lines without the time stamp that `clock` puts before each.
inline std::vector<std::string> Unstamped(const LogLines& lines, const FixedClock& clock) {
    const std::string stamp = EventLog::FormatLine(clock.now, "");
    std::vector<std::string> texts;
    for (int i = 0; i < lines.LogLineCount(); ++i) {
        EXPECT_EQ(lines.Line(i).substr(0, stamp.size()), stamp);
        texts.push_back(lines.Line(i).substr(stamp.size()));
    }
    return texts;
}

}  // namespace espa::test
