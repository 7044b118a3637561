#include "core/settings_file.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace espa::test {
namespace {

class SettingsFileTest : public ::testing::Test {
  protected:
    // Every field starts at 7, so that a field the reading forgets to assign shows.
    SettingsRecord Read() {
        SettingsRecord r{7, 7, 7, 7, 7, 7, 7, 7};
        ReadSettings(dir.path(), r);
        return r;
    }
    SettingsRecord Read(const std::string& content) {
        WriteFile(dir.path() / "espa.set", content);
        return Read();
    }
    TempDir dir;
};

const std::string kAllKeys =
    "0        Compoort ->1\r\n10       Emulatie ->4\r\n11       BaudRate ->5\r\n"
    "12       Parity ->2\r\n13       Bits ->6\r\n14       StopBits ->3\r\n"
    "15       HandShake ->8\r\n20       Logfile ->9\r\n";

TEST_F(SettingsFileTest, EachRecordFillsTheFieldOfItsIndex) {
    const std::string kLong(10 * 1024 * 1024, '7');
    const std::pair<std::string, SettingsRecord> cases[] = {
        {kAllKeys, {4, 1, 5, 2, 6, 3, 8, 9}},
        // clang-format off
        {"20       Logfile ->2\r\n", {.Logfile = 2}},  // missing keys are zero
        {"11 Logfile ->5\r\n", {.BaudRate = 5}},  // the index, not the name
        {"20->3", {.Logfile = 3}},
        {"11       BaudRate ->1\r\n11       BaudRate ->4\r\n", {.BaudRate = 4}},
        {"Compoort ->3\r\n", {.Compoort = 3}},  // no number is index 0
        {"abcd20 ->6\r\n", {.Compoort = 6}},  // the index from the first four characters
        {"20000    Logfile ->3\r\n", {}},
        {"1 5 x ->2\r\n", {.HandShake = 2}},
        {"299 ->5\r\n300 ->5\r\n9999 ->1\r\n20 ->2\r\n", {.Logfile = 2}},
        {"298.4 ->1\r\n20 ->2\r\n", {.Logfile = 2}},
        {"10.5 ->3\r\n", {.Emulatie = 3}},
        {"11.5 ->3\r\n", {.Parity = 3}},
        {"11 ->4\r\n-1 ->1\r\n20 ->3\r\n", {.BaudRate = 4}},  // a negative index stops the reading
        {"11 ->4\r\n9E99 ->1\r\n20 ->3\r\n", {.BaudRate = 4}},  // so does one beyond 16 bits
        {"11 ->2.5", {.BaudRate = 2}},
        {"11 ->3.5", {.BaudRate = 4}},
        {"11 ->3.51", {.BaudRate = 4}},
        {"11 ->12abc", {.BaudRate = 12}},
        {"11 -> 1 2", {.BaudRate = 12}},
        {"11 ->", {}},
        {"11 ->abc", {}},
        {"11 ->-3", {.BaudRate = -3}},
        {"11 ->->5", {}},
        {"11 x->5->7", {.BaudRate = 5}},
        {"11 ->4\r\n11 5\r\n", {.BaudRate = 4}},
        {"11 ->4,   20 ->2,13 ->1\r\n", {.BaudRate = 4, .Bits = 1, .Logfile = 2}},
        {"\n\n11 ->4\n\r\n   \n20 ->1", {.BaudRate = 4, .Logfile = 1}},
        {"11 ->40000\r\n12 ->-40000\r\n20 ->3\r\n", {.Logfile = 3}},
        {"11 ->32767", {.BaudRate = 32767}},
        {"11 ->-32768", {.BaudRate = -32768}},
        {std::string("20 ->3\0\r\n11 ->1", 15), {.BaudRate = 1, .Logfile = 3}},
        {"20 ->1" + kLong + "\r\n", {}},
        {"20 ->2" + std::string(kLong.size(), 'x') + "\r\n", {.Logfile = 2}},
        // clang-format on
    };
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(Read(content), expected) << content.substr(0, 40);
    }
}

TEST_F(SettingsFileTest, MissingFileOrAFolderInItsPlaceGivesAllZeroAndCreatesNothing) {
    EXPECT_EQ(Read(), SettingsRecord{});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "espa.set"));
    std::filesystem::create_directory(dir.path() / "espa.set");
    EXPECT_EQ(Read(), SettingsRecord{});
}

TEST_F(SettingsFileTest, WriteReplacesTheFileWithEightKeyLinesWithoutSignsCreatingTheFolder) {
    WriteFile(dir.path() / "espa.set", "99 ->5\r\n" + std::string(500, 'x'));
    WriteSettings(dir.path(), {4, -1, 5, 2, 6, 3, 8, 9});
    EXPECT_EQ(ReadFile(dir.path() / "espa.set"), kAllKeys);
    WriteSettings(dir.path() / "gone", {4, 1, 5, 2, 6, 3, 8, 9});
    EXPECT_EQ(ReadFile(dir.path() / "gone" / "espa.set"), kAllKeys);
    // A file where the folder should be: neither the open nor its one retry can succeed.
    WriteFile(dir.path() / "blocker", "keep");
    EXPECT_NO_THROW(WriteSettings(dir.path() / "blocker", SettingsRecord{}));
    EXPECT_EQ(ReadFile(dir.path() / "blocker"), "keep");
}

}  // namespace
}  // namespace espa::test
