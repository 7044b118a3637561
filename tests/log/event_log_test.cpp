#include "log/event_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fixed_clock.h"
#include "temp_dir.h"

namespace espa {
namespace {

using test::ReadFile;

class EventLogTest : public ::testing::Test {
  protected:
    std::filesystem::path LogFile(const char* day = "05122026.log") const {
        return dir.path() / "Log" / day;
    }
    bool LogFolderExists() const { return std::filesystem::exists(dir.path() / "Log"); }

    test::TempDir dir;
    SettingsRecord settings;
    test::FixedClock clock;  // 5 December 2026, 14:03:07
    LogLines lines;
    EventLog log{settings, clock, dir.path(), lines};
};

TEST_F(EventLogTest, TimeAndDateHaveLeadingZeros) {
    clock.now = {2027, 1, 2, 3, 4, 5};
    EXPECT_EQ(EventLog::DailyFileName(clock.now), "02012027.log");
    EXPECT_EQ(EventLog::FormatLine(clock.now, "x"), "03:04:05 x");
    clock.now = {2026, 11, 30, 23, 59, 58};
    EXPECT_EQ(EventLog::DailyFileName(clock.now), "30112026.log");
    EXPECT_EQ(EventLog::FormatLine(clock.now, ""), "23:59:58 ");
}

// Levels 0 and 1 never create the Log folder; odd values from a hand-edited file follow the same
// tests (not 0: screen; 2 and above: file).
TEST_F(EventLogTest, LevelDecidesBetweenNothingScreenAndScreenAndFile) {
    const struct {
        std::int16_t level;
        bool shown, filed;
    } cases[] = {
        {0, false, false}, {1, true, false}, {-2, true, false}, {2, true, true}, {7, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        settings.Logfile = c.level;
        lines.Clear();
        std::filesystem::remove_all(dir.path() / "Log");
        log.WriteLog("Comport closed by software.");
        EXPECT_EQ(lines.Line(0), c.shown ? "14:03:07 Comport closed by software." : "");
        EXPECT_EQ(LogFolderExists(), c.filed);
        if (c.filed) {
            EXPECT_EQ(ReadFile(LogFile()), "14:03:07 Comport closed by software.\r\n");
        }
    }
}

TEST_F(EventLogTest, LinesAreAppendedToTheFileOfTheirDayByteForByte) {
    settings.Logfile = 3;
    std::string text = "Call [";
    for (int c = 0; c < 256; ++c) {
        if (c != '\r' && c != '\n') {
            text += static_cast<char>(c);
        }
    }
    log.WriteLog(text);
    clock.now.second = 8;
    log.WriteLog("two");
    clock.now = {2026, 12, 6, 0, 0, 1};
    log.WriteLog("next day");
    EXPECT_EQ(ReadFile(LogFile()), "14:03:07 " + text + "\r\n14:03:08 two\r\n");
    EXPECT_EQ(ReadFile(LogFile("06122026.log")), "00:00:01 next day\r\n");
    EXPECT_EQ(lines.Line(0), "14:03:07 " + text);
}

TEST_F(EventLogTest, DebugLogIsWrittenWhateverTheLevelAndNeverShown) {
    settings.Logfile = 0;
    log.WriteDebugLog("TxD: trace");
    EXPECT_EQ(ReadFile(dir.path() / "DebugLog" / "05122026.log"), "14:03:07 TxD: trace\r\n");
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_FALSE(LogFolderExists());
}

TEST_F(EventLogTest, UnwritableFolderLosesOnlyTheFileLineSilently) {
    settings.Logfile = 3;
    // A file where the Log folder should be: the folder cannot be made, as on a read-only disk.
    test::WriteFile(dir.path() / "Log", "not a folder");
    EXPECT_NO_THROW(log.WriteLog("still shown"));
    EXPECT_EQ(ReadFile(dir.path() / "Log"), "not a folder");
    EventLog orphan{settings, clock, dir.path() / "no" / "such", lines};
    orphan.WriteLog("screen only");
    orphan.WriteDebugLog("lost");
    EXPECT_EQ(lines.Line(0), "14:03:07 still shown");
    EXPECT_EQ(lines.Line(1), "14:03:07 screen only");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
}

}  // namespace
}  // namespace espa
