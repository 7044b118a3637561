#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/settings_file.h"
#include "temp_dir.h"

namespace espa {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kAllZeroFile =
    "0        Compoort ->0\r\n"
    "10       Emulatie ->0\r\n"
    "11       BaudRate ->0\r\n"
    "12       Parity ->0\r\n"
    "13       Bits ->0\r\n"
    "14       StopBits ->0\r\n"
    "15       HandShake ->0\r\n"
    "20       Logfile ->0\r\n";

class SettingsFileTest : public ::testing::Test {
  protected:
    // Reads `content` as espa.set into a record that starts with every field at 7, so that a
    // field the reading forgets to assign shows.
    SettingsRecord Read(const std::string& content) {
        WriteFile(dir.path() / "espa.set", content);
        SettingsRecord r{7, 7, 7, 7, 7, 7, 7, 7};
        ReadSettings(dir.path(), r);
        return r;
    }

    TempDir dir;
};

TEST_F(SettingsFileTest, MissingFileGivesAllZeroAndCreatesNothing) {
    SettingsRecord r{7, 7, 7, 7, 7, 7, 7, 7};
    ReadSettings(dir.path(), r);
    EXPECT_EQ(r, SettingsRecord{});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "espa.set"));
}

TEST_F(SettingsFileTest, EachKeyFillsItsOwnField) {
    const auto r = Read(
        "0        Compoort ->1\r\n10       Emulatie ->2\r\n11       BaudRate ->3\r\n"
        "12       Parity ->4\r\n13       Bits ->5\r\n14       StopBits ->6\r\n"
        "15       HandShake ->8\r\n20       Logfile ->9\r\n");
    EXPECT_EQ(r.Compoort, 1);
    EXPECT_EQ(r.Emulatie, 2);
    EXPECT_EQ(r.BaudRate, 3);
    EXPECT_EQ(r.Parity, 4);
    EXPECT_EQ(r.Bits, 5);
    EXPECT_EQ(r.StopBits, 6);
    EXPECT_EQ(r.HandShake, 8);
    EXPECT_EQ(r.Logfile, 9);
}

TEST_F(SettingsFileTest, OnlyTheLogfileLineLeavesTheOthersZero) {
    const auto r = Read("20       Logfile ->2\r\n");
    EXPECT_EQ(r, (SettingsRecord{0, 0, 0, 0, 0, 0, 0, 2}));
}

TEST_F(SettingsFileTest, TheIndexNotTheNameIdentifiesTheField) {
    EXPECT_EQ(Read("11 Logfile ->5\r\n").BaudRate, 5);
    EXPECT_EQ(Read("20->3").Logfile, 3);
}

TEST_F(SettingsFileTest, LaterLineWithTheSameIndexWins) {
    EXPECT_EQ(Read("11       BaudRate ->1\r\n11       BaudRate ->4\r\n").BaudRate, 4);
}

TEST_F(SettingsFileTest, LineWithoutANumberInItsFirstFourCharactersIsIndexZero) {
    EXPECT_EQ(Read("Compoort ->3\r\n").Compoort, 3);
    // Only four characters count: the digits after them do not make an index.
    EXPECT_EQ(Read("abcd20 ->6\r\n").Compoort, 6);
}

TEST_F(SettingsFileTest, IndexIsReadFromTheFirstFourCharactersOnly) {
    // "2000" is an index of 2000: ignored, so nothing lands in entry 20.
    EXPECT_EQ(Read("20000    Logfile ->3\r\n").Logfile, 0);
    // "1 5 " reads as 15 with blanks ignored.
    EXPECT_EQ(Read("1 5 x ->2\r\n").HandShake, 2);
}

TEST_F(SettingsFileTest, IndexesFrom299AreIgnoredAndReadingGoesOn) {
    const auto r = Read("299 ->5\r\n300 ->5\r\n9999 ->1\r\n20 ->2\r\n");
    EXPECT_EQ(r, (SettingsRecord{0, 0, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(Read("298.4 ->1\r\n20 ->2\r\n").Logfile, 2);
}

TEST_F(SettingsFileTest, IndexIsRoundedHalfToEven) {
    EXPECT_EQ(Read("10.5 ->3\r\n").Emulatie, 3);  // 10.5 -> 10
    EXPECT_EQ(Read("11.5 ->3\r\n").Parity, 3);    // 11.5 -> 12
}

TEST_F(SettingsFileTest, NegativeIndexStopsReadingButKeepsWhatWasRead) {
    const auto r = Read("11 ->4\r\n-1 ->1\r\n20 ->3\r\n");
    EXPECT_EQ(r.BaudRate, 4);
    EXPECT_EQ(r.Logfile, 0);
    EXPECT_EQ(r.Compoort, 0);
}

TEST_F(SettingsFileTest, IndexBeyondSixteenBitsStopsReading) {
    const auto r = Read("11 ->4\r\n9E99 ->1\r\n20 ->3\r\n");
    EXPECT_EQ(r.BaudRate, 4);
    EXPECT_EQ(r.Logfile, 0);
}

TEST_F(SettingsFileTest, ValuesAreRoundedHalfToEvenAndTrailingTextIgnored) {
    EXPECT_EQ(Read("11 ->2.5").BaudRate, 2);
    EXPECT_EQ(Read("11 ->3.5").BaudRate, 4);
    EXPECT_EQ(Read("11 ->3.51").BaudRate, 4);
    EXPECT_EQ(Read("11 ->12abc").BaudRate, 12);
    EXPECT_EQ(Read("11 -> 1 2").BaudRate, 12);
    EXPECT_EQ(Read("11 ->").BaudRate, 0);
    EXPECT_EQ(Read("11 ->abc").BaudRate, 0);
    EXPECT_EQ(Read("11 ->-3").BaudRate, -3);
}

TEST_F(SettingsFileTest, ValueIsEverythingAfterTheFirstArrow) {
    EXPECT_EQ(Read("11 ->->5").BaudRate, 0);
    EXPECT_EQ(Read("11 x->5->7").BaudRate, 5);
}

TEST_F(SettingsFileTest, RecordWithoutArrowStoresNothing) {
    EXPECT_EQ(Read("11 ->4\r\n11 5\r\n").BaudRate, 4);
}

TEST_F(SettingsFileTest, CommaStartsANewRecordAndLeadingBlanksAreSkipped) {
    const auto r = Read("11 ->4,   20 ->2,13 ->1\r\n");
    EXPECT_EQ(r.BaudRate, 4);
    EXPECT_EQ(r.Logfile, 2);
    EXPECT_EQ(r.Bits, 1);
}

TEST_F(SettingsFileTest, AcceptsBareLineFeedsAndEmptyLines) {
    const auto r = Read("\n\n11 ->4\n\r\n   \n20 ->1");
    EXPECT_EQ(r.BaudRate, 4);
    EXPECT_EQ(r.Logfile, 1);
}

TEST_F(SettingsFileTest, ValueBeyondSixteenBitsBecomesZeroWithoutStoppingTheRest) {
    const auto r = Read("11 ->40000\r\n12 ->-40000\r\n20 ->3\r\n");
    EXPECT_EQ(r.BaudRate, 0);
    EXPECT_EQ(r.Parity, 0);
    EXPECT_EQ(r.Logfile, 3);
    EXPECT_EQ(Read("11 ->32767").BaudRate, 32767);
    EXPECT_EQ(Read("11 ->-32768").BaudRate, -32768);
}

TEST_F(SettingsFileTest, BadInputIsSurvivedSilently) {
    std::string garbage;
    for (int i = 0; i < 100000; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    Read(garbage);  // must not crash or hang; the outcome depends on where a negative index falls

    const std::string longLine = "20 ->1" + std::string(10 * 1024 * 1024, '7') + "\r\n";
    EXPECT_EQ(Read(longLine).Logfile, 0);  // far beyond 16 bits
    const std::string longText = "20 ->2" + std::string(10 * 1024 * 1024, 'x') + "\r\n";
    EXPECT_EQ(Read(longText).Logfile, 2);

    EXPECT_EQ(Read(std::string("20 ->3\0\r\n11 ->1", 15)).BaudRate, 1);
}

TEST_F(SettingsFileTest, FolderInsteadOfFileGivesAllZero) {
    std::filesystem::create_directory(dir.path() / "espa.set");
    SettingsRecord r{7, 7, 7, 7, 7, 7, 7, 7};
    ReadSettings(dir.path(), r);
    EXPECT_EQ(r, SettingsRecord{});
}

TEST_F(SettingsFileTest, WritesEightKeyLinesInFixedOrderWithCrLf) {
    WriteSettings(dir.path(), SettingsRecord{});
    EXPECT_EQ(ReadFile(dir.path() / "espa.set"), kAllZeroFile);
}

TEST_F(SettingsFileTest, WritesValuesWithoutSignOrLeadingZeros) {
    WriteSettings(dir.path(), SettingsRecord{4, -1, 5, 2, 1, 1, 2, 3});
    EXPECT_EQ(ReadFile(dir.path() / "espa.set"),
              "0        Compoort ->1\r\n"
              "10       Emulatie ->4\r\n"
              "11       BaudRate ->5\r\n"
              "12       Parity ->2\r\n"
              "13       Bits ->1\r\n"
              "14       StopBits ->1\r\n"
              "15       HandShake ->2\r\n"
              "20       Logfile ->3\r\n");
}

TEST_F(SettingsFileTest, WriteReplacesTheFileAndDropsUnusedLines) {
    WriteFile(dir.path() / "espa.set", "20 ->3\r\n11 ->1\r\n99 ->5\r\n" + std::string(500, 'x'));
    SettingsRecord r;
    ReadSettings(dir.path(), r);
    WriteSettings(dir.path(), r);
    SettingsRecord back{7, 7, 7, 7, 7, 7, 7, 7};
    ReadSettings(dir.path(), back);
    EXPECT_EQ(back, (SettingsRecord{0, 0, 1, 0, 0, 0, 0, 3}));
    EXPECT_EQ(ReadFile(dir.path() / "espa.set"),
              "0        Compoort ->0\r\n10       Emulatie ->0\r\n11       BaudRate ->1\r\n"
              "12       Parity ->0\r\n13       Bits ->0\r\n14       StopBits ->0\r\n"
              "15       HandShake ->0\r\n20       Logfile ->3\r\n");
}

TEST_F(SettingsFileTest, RoundTripsEveryFieldValue) {
    const SettingsRecord r{4, 7, 5, 2, 1, 1, 2, 3};
    WriteSettings(dir.path(), r);
    SettingsRecord back;
    ReadSettings(dir.path(), back);
    EXPECT_EQ(back, r);
}

TEST_F(SettingsFileTest, WriteToAMissingFolderCreatesIt) {
    const auto sub = dir.path() / "gone";
    WriteSettings(sub, SettingsRecord{});
    EXPECT_EQ(ReadFile(sub / "espa.set"), kAllZeroFile);
}

TEST_F(SettingsFileTest, WriteWhereNoFolderCanBeMadeFailsSilently) {
    // A file stands where the folder should be: neither the open nor its one retry can succeed,
    // and the file in the way is left as it was.
    WriteFile(dir.path() / "blocker", "keep");
    EXPECT_NO_THROW(WriteSettings(dir.path() / "blocker", SettingsRecord{1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(ReadFile(dir.path() / "blocker"), "keep");
}

}  // namespace
}  // namespace espa
