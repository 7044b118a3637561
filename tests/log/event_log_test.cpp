#include "log/event_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fixed_clock.h"
#include "temp_dir.h"

namespace espa::test {
namespace {

class EventLogTest : public ::testing::Test {
  protected:
    std::filesystem::path LogFile(const char* day = "05122026.log") const {
        return dir.path() / "Log" / day;
    }
    TempDir dir;
    SettingsRecord settings;
    FixedClock clock;  // 5 December 2026, 14:03:07
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
};

// Odd values from a hand-edited file follow the same tests (not 0: screen; 2 and above: file).
TEST_F(EventLogTest, LevelDecidesBetweenNothingScreenAndScreenAndFile) {
    // clang-format off
    for (const auto& [level, shown, filed] : {std::tuple{0, false, false}, {1, true, false},
             {-2, true, false}, {2, true, true}, {7, true, true}}) {
        // clang-format on
        SCOPED_TRACE(level);
        settings.Logfile = static_cast<std::int16_t>(level);
        lines.Clear();
        std::filesystem::remove_all(dir.path() / "Log");
        log.WriteLog("Comport closed by software.");
        EXPECT_EQ(lines.Line(0), shown ? "14:03:07 Comport closed by software." : "");
        EXPECT_EQ(ReadFile(LogFile()), filed ? "14:03:07 Comport closed by software.\r\n" : "");
        EXPECT_EQ(std::filesystem::exists(dir.path() / "Log"), filed);
    }
}

TEST_F(EventLogTest, LinesAreAppendedToTheFileOfTheirDayByteForByte) {
    settings.Logfile = 3;
    std::string text = "Call [";
    for (int c = 0; c < 256; ++c) {
        text += c != '\r' && c != '\n' ? std::string(1, static_cast<char>(c)) : "";
    }
    log.WriteLog(text);
    clock.now.second = 8;
    log.WriteLog("two");
    clock.now = {2027, 1, 2, 3, 4, 5};  // leading zeros in the name and the time
    log.WriteLog("next day");
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 " + text + "\r\n14:03:08 two\r\n");
    EXPECT_EQ(ReadFile(LogFile("02012027.log")), "03:04:05 next day\r\n");
    EXPECT_EQ(lines.Line(0), "14:03:07 " + text);
}

TEST_F(EventLogTest, DebugLogIsWrittenWhateverTheLevelAndNeverShown) {
    log.WriteDebugLog("TxD: trace");
    EXPECT_EQ(ReadFile(dir.path() / "DebugLog" / "05122026.log"), "14:03:07 TxD: trace\r\n");
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Log"));
}

TEST_F(EventLogTest, UnwritableFolderLosesOnlyTheFileLineSilently) {
    settings.Logfile = 3;
    WriteFile(dir.path() / "Log", "not a folder");  // as on a read-only disk
    EXPECT_NO_THROW(log.WriteLog("still shown"));
    EXPECT_EQ(ReadFile(dir.path() / "Log"), "not a folder");
    EventLog orphan{settings, clock, dir.path() / "no" / "such", lines};
    orphan.WriteLog("screen only");
    orphan.WriteDebugLog("lost");
    EXPECT_EQ(lines.Line(0), "14:03:07 still shown");
    EXPECT_EQ(lines.Line(1), "14:03:07 screen only");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
}

TEST(LogLines, FillFromTheTopScrollTheOldestOffTellTheObserverAndClear) {
    LogLines lines;
    std::vector<std::string> seen;
    lines.SetObserver([&](const std::string& l) { seen.push_back(l); });
    for (int i = 1; i <= 11; ++i) {
        lines.AddLogLine("line " + std::to_string(i));
        EXPECT_EQ(lines.Line(std::min(i, 10) - 1), "line " + std::to_string(i));
        EXPECT_EQ(lines.LogLineCount(), std::min(i, 10));
        EXPECT_EQ(seen.back(), "line " + std::to_string(i));
    }
    for (int i = 0; i < LogLines::kLineCount; ++i) {
        EXPECT_EQ(lines.Line(i), "line " + std::to_string(i + 2));
    }
    EXPECT_EQ(seen.size(), 11u);
    lines.Clear();
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_EQ(lines.Lines(), LogLines().Lines());
}

}  // namespace
}  // namespace espa::test
