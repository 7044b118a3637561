#include "log/log_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace espa {
namespace {

TEST(LogLines, FillsFromTheTopThenScrollsTheOldestOffTellingTheObserverEveryLine) {
    LogLines lines;
    std::vector<std::string> seen;
    lines.SetObserver([&](const std::string& l) { seen.push_back(l); });
    for (int i = 1; i <= 3; ++i) {
        lines.AddLogLine("line " + std::to_string(i));
    }
    EXPECT_EQ(lines.LogLineCount(), 3);
    EXPECT_EQ(lines.Line(2), "line 3");
    EXPECT_EQ(lines.Line(3), "");
    for (int i = 4; i <= 11; ++i) {
        lines.AddLogLine("line " + std::to_string(i));
    }
    EXPECT_EQ(lines.LogLineCount(), 10);
    for (int i = 0; i < LogLines::kLineCount; ++i) {
        EXPECT_EQ(lines.Line(i), "line " + std::to_string(i + 2));
    }
    ASSERT_EQ(seen.size(), 11u);
    EXPECT_EQ(seen.front(), "line 1");
    EXPECT_EQ(seen.back(), "line 11");
}

TEST(LogLines, ClearEmptiesEveryLine) {
    LogLines lines;
    for (int i = 0; i < 12; ++i) {
        lines.AddLogLine("x");
    }
    lines.Clear();
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_EQ(lines.Lines(), LogLines().Lines());
    lines.AddLogLine("first");
    EXPECT_EQ(lines.Line(0), "first");
}

}  // namespace
}  // namespace espa
