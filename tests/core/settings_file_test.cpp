#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "temp_dir.h"

namespace espa {
namespace {

using test::ReadFile;
using test::WriteFile;

class SettingsFileTest : public ::testing::Test {
  protected:
    // Reads espa.set into a record that starts with every field at 7, so that a field the reading
    // forgets to assign shows.
    SettingsRecord Read() {
        SettingsRecord r{7, 7, 7, 7, 7, 7, 7, 7};
        ReadSettings(dir.path(), r);
        return r;
    }
    SettingsRecord Read(const std::string& content) {
        WriteFile(dir.path() / "espa.set", content);
        return Read();
    }

    test::TempDir dir;
};

TEST_F(SettingsFileTest, EachRecordFillsTheFieldOfItsIndex) {
    const std::string kLong(10 * 1024 * 1024, '7');
    struct Case {
        const char* what;
        std::string content;
        SettingsRecord expected;
    };
    const Case cases[] = {
        {"every key",
         "0        Compoort ->1\r\n10       Emulatie ->2\r\n11       BaudRate ->3\r\n"
         "12       Parity ->4\r\n13       Bits ->5\r\n14       StopBits ->6\r\n"
         "15       HandShake ->8\r\n20       Logfile ->9\r\n",
         {2, 1, 3, 4, 5, 6, 8, 9}},
        {"missing keys are zero", "20       Logfile ->2\r\n", {.Logfile = 2}},
        {"the index, not the name", "11 Logfile ->5\r\n", {.BaudRate = 5}},
        {"no blank before the arrow", "20->3", {.Logfile = 3}},
        {"later line wins", "11       BaudRate ->1\r\n11       BaudRate ->4\r\n", {.BaudRate = 4}},
        {"no number is index 0", "Compoort ->3\r\n", {.Compoort = 3}},
        {"index from the first four characters", "abcd20 ->6\r\n", {.Compoort = 6}},
        {"index 2000 ignored", "20000    Logfile ->3\r\n", {}},
        {"blanks in the index skipped", "1 5 x ->2\r\n", {.HandShake = 2}},
        {"indexes from 299 ignored",
         "299 ->5\r\n300 ->5\r\n9999 ->1\r\n20 ->2\r\n",
         {.Logfile = 2}},
        {"298.4 is no entry", "298.4 ->1\r\n20 ->2\r\n", {.Logfile = 2}},
        {"index 10.5 is 10", "10.5 ->3\r\n", {.Emulatie = 3}},
        {"index 11.5 is 12", "11.5 ->3\r\n", {.Parity = 3}},
        {"negative index stops", "11 ->4\r\n-1 ->1\r\n20 ->3\r\n", {.BaudRate = 4}},
        {"index beyond 16 bits stops", "11 ->4\r\n9E99 ->1\r\n20 ->3\r\n", {.BaudRate = 4}},
        {"2.5 is 2", "11 ->2.5", {.BaudRate = 2}},
        {"3.5 is 4", "11 ->3.5", {.BaudRate = 4}},
        {"3.51 is 4", "11 ->3.51", {.BaudRate = 4}},
        {"trailing text ignored", "11 ->12abc", {.BaudRate = 12}},
        {"blanks in the value skipped", "11 -> 1 2", {.BaudRate = 12}},
        {"empty value", "11 ->", {}},
        {"no digits", "11 ->abc", {}},
        {"negative value", "11 ->-3", {.BaudRate = -3}},
        {"value after the first arrow", "11 ->->5", {}},
        {"second arrow is text", "11 x->5->7", {.BaudRate = 5}},
        {"record without arrow stores nothing", "11 ->4\r\n11 5\r\n", {.BaudRate = 4}},
        {"comma starts a record",
         "11 ->4,   20 ->2,13 ->1\r\n",
         {.BaudRate = 4, .Bits = 1, .Logfile = 2}},
        {"bare line feeds, empty lines",
         "\n\n11 ->4\n\r\n   \n20 ->1",
         {.BaudRate = 4, .Logfile = 1}},
        {"value beyond 16 bits is 0", "11 ->40000\r\n12 ->-40000\r\n20 ->3\r\n", {.Logfile = 3}},
        {"largest value", "11 ->32767", {.BaudRate = 32767}},
        {"smallest value", "11 ->-32768", {.BaudRate = -32768}},
        {"NUL ends nothing", std::string("20 ->3\0\r\n11 ->1", 15), {.BaudRate = 1, .Logfile = 3}},
        {"ten million digits", "20 ->1" + kLong + "\r\n", {}},
        {"ten million letters", "20 ->2" + std::string(kLong.size(), 'x') + "\r\n", {.Logfile = 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Read(c.content), c.expected);
    }
    std::string garbage;
    for (int i = 0; i < 100000; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    Read(garbage);  // must not crash or hang; the outcome depends on where a negative index falls
}

TEST_F(SettingsFileTest, MissingFileOrAFolderInItsPlaceGivesAllZeroAndCreatesNothing) {
    EXPECT_EQ(Read(), SettingsRecord{});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "espa.set"));
    std::filesystem::create_directory(dir.path() / "espa.set");
    EXPECT_EQ(Read(), SettingsRecord{});
}

TEST_F(SettingsFileTest, WriteReplacesTheFileWithEightKeyLinesWithoutSignsCreatingTheFolder) {
    WriteFile(dir.path() / "espa.set", "99 ->5\r\n" + std::string(500, 'x'));
    const SettingsRecord r{4, -1, 5, 2, 1, 1, 2, 3};
    WriteSettings(dir.path(), r);
    EXPECT_EQ(ReadFile(dir.path() / "espa.set"),
              "0        Compoort ->1\r\n10       Emulatie ->4\r\n11       BaudRate ->5\r\n"
              "12       Parity ->2\r\n13       Bits ->1\r\n14       StopBits ->1\r\n"
              "15       HandShake ->2\r\n20       Logfile ->3\r\n");
    EXPECT_EQ(Read(), (SettingsRecord{4, 1, 5, 2, 1, 1, 2, 3}));

    WriteSettings(dir.path() / "gone", SettingsRecord{});
    EXPECT_EQ(ReadFile(dir.path() / "gone" / "espa.set"),
              "0        Compoort ->0\r\n10       Emulatie ->0\r\n11       BaudRate ->0\r\n"
              "12       Parity ->0\r\n13       Bits ->0\r\n14       StopBits ->0\r\n"
              "15       HandShake ->0\r\n20       Logfile ->0\r\n");
}

TEST_F(SettingsFileTest, WriteWhereNoFolderCanBeMadeFailsSilently) {
    // A file stands where the folder should be: neither the open nor its one retry can succeed.
    WriteFile(dir.path() / "blocker", "keep");
    EXPECT_NO_THROW(WriteSettings(dir.path() / "blocker", SettingsRecord{1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(ReadFile(dir.path() / "blocker"), "keep");
}

}  // namespace
}  // namespace espa
