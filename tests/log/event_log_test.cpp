#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixed_clock.h"
#include "log/event_log.h"
#include "temp_dir.h"

namespace espa {
namespace {

using test::FixedClock;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class EventLogTest : public ::testing::Test {
  protected:
    std::filesystem::path LogFile() const { return dir.path() / "Log" / "05122026.log"; }
    std::filesystem::path DebugFile() const { return dir.path() / "DebugLog" / "05122026.log"; }

    TempDir dir;
    SettingsRecord settings;
    FixedClock clock;  // 5 December 2026, 14:03:07
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
};

TEST_F(EventLogTest, LineIsTimeBlankAndTextAndFileIsNamedByDayMonthYear) {
    settings.Logfile = 2;
    log.WriteLog("Comport closed by software.");
    EXPECT_EQ(lines.Line(0), "14:03:07 Comport closed by software.");
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 Comport closed by software.\r\n");
}

TEST_F(EventLogTest, TimeAndDateHaveLeadingZeros) {
    clock.now = {2027, 1, 2, 3, 4, 5};
    EXPECT_EQ(EventLog::DailyFileName(clock.now), "02012027.log");
    EXPECT_EQ(EventLog::FormatLine(clock.now, "x"), "03:04:05 x");
    clock.now = {2026, 11, 30, 23, 59, 58};
    EXPECT_EQ(EventLog::DailyFileName(clock.now), "30112026.log");
    EXPECT_EQ(EventLog::FormatLine(clock.now, ""), "23:59:58 ");
}

TEST_F(EventLogTest, LevelZeroStoresNothingAndCreatesNothing) {
    settings.Logfile = 0;
    log.WriteLog("hidden");
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Log"));
}

TEST_F(EventLogTest, LevelOneShowsButNeverCreatesTheLogFolder) {
    settings.Logfile = 1;
    log.WriteLog("seen");
    EXPECT_EQ(lines.Line(0), "14:03:07 seen");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Log"));
}

TEST_F(EventLogTest, LevelsAboveOneAndOddValuesFollowTheLevelTests) {
    settings.Logfile = 7;  // from a hand-edited file: screen and file
    log.WriteLog("a");
    settings.Logfile = -2;  // not 0: screen only
    log.WriteLog("b");
    EXPECT_EQ(lines.LogLineCount(), 2);
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 a\r\n");
}

TEST_F(EventLogTest, MissingFolderIsCreatedAndLinesAreAppended) {
    settings.Logfile = 3;
    log.WriteLog("one");
    clock.now.second = 8;
    log.WriteLog("two");
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 one\r\n14:03:08 two\r\n");
}

TEST_F(EventLogTest, NewDayStartsANewFile) {
    settings.Logfile = 2;
    log.WriteLog("before");
    clock.now = {2026, 12, 6, 0, 0, 1};
    log.WriteLog("after");
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 before\r\n");
    EXPECT_EQ(ReadFile(dir.path() / "Log" / "06122026.log"), "00:00:01 after\r\n");
}

TEST_F(EventLogTest, EightBitTextIsWrittenByteForByte) {
    settings.Logfile = 2;
    std::string text = "Call [";
    for (int c = 0; c < 256; ++c) {
        if (c != '\r' && c != '\n') {
            text += static_cast<char>(c);
        }
    }
    log.WriteLog(text);
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 " + text + "\r\n");
    EXPECT_EQ(lines.Line(0), "14:03:07 " + text);
}

TEST_F(EventLogTest, DebugLogIsWrittenWhateverTheLevelAndNeverShown) {
    settings.Logfile = 0;
    log.WriteDebugLog("TxD: trace");
    EXPECT_EQ(ReadFile(DebugFile()), "14:03:07 TxD: trace\r\n");
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Log"));
}

TEST_F(EventLogTest, UnwritableLogFolderKeepsTheScreenLineAndReportsNothing) {
    settings.Logfile = 2;
    // A file where the Log folder should be: the folder cannot be made, as on a read-only disk.
    WriteFile(dir.path() / "Log", "not a folder");
    EXPECT_NO_THROW(log.WriteLog("still shown"));
    EXPECT_EQ(lines.Line(0), "14:03:07 still shown");
    EXPECT_EQ(ReadFile(dir.path() / "Log"), "not a folder");
}

TEST_F(EventLogTest, MissingApplicationFolderLosesOnlyTheFileLine) {
    settings.Logfile = 3;
    EventLog orphan{settings, clock, dir.path() / "no" / "such", lines};
    orphan.WriteLog("screen only");
    orphan.WriteDebugLog("lost");
    EXPECT_EQ(lines.Line(0), "14:03:07 screen only");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
}

}  // namespace
}  // namespace espa
