#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_lines.h"

namespace espa {
namespace {

TEST(LogLines, FillsFromTheTopAndLeavesTheRestEmpty) {
    LogLines lines;
    lines.AddLogLine("a");
    lines.AddLogLine("b");
    lines.AddLogLine("c");
    EXPECT_EQ(lines.LogLineCount(), 3);
    EXPECT_EQ(lines.Line(0), "a");
    EXPECT_EQ(lines.Line(2), "c");
    for (int i = 3; i < LogLines::kLineCount; ++i) {
        EXPECT_EQ(lines.Line(i), "") << i;
    }
}

TEST(LogLines, EleventhLineScrollsTheOldestOff) {
    LogLines lines;
    for (int i = 1; i <= 11; ++i) {
        lines.AddLogLine("line " + std::to_string(i));
    }
    EXPECT_EQ(lines.LogLineCount(), 10);
    for (int i = 0; i < LogLines::kLineCount; ++i) {
        EXPECT_EQ(lines.Line(i), "line " + std::to_string(i + 2));
    }
}

TEST(LogLines, ClearEmptiesEveryLine) {
    LogLines lines;
    for (int i = 0; i < 12; ++i) {
        lines.AddLogLine("x");
    }
    lines.Clear();
    EXPECT_EQ(lines.LogLineCount(), 0);
    for (const auto& line : lines.Lines()) {
        EXPECT_EQ(line, "");
    }
    lines.AddLogLine("first");
    EXPECT_EQ(lines.Line(0), "first");
}

TEST(LogLines, ObserverSeesEveryStoredLineInOrder) {
    LogLines lines;
    std::vector<std::string> seen;
    lines.SetObserver([&](const std::string& l) { seen.push_back(l); });
    for (int i = 0; i < 12; ++i) {
        lines.AddLogLine(std::to_string(i));
    }
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen.front(), "0");
    EXPECT_EQ(seen.back(), "11");
}

}  // namespace
}  // namespace espa
