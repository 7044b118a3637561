#include <map>

#include "calls/call_refresh.h"
#include "calls/status_cell.h"
#include "calls_fixture.h"

namespace espa::test {
namespace {

class CallTableTest : public CallsTest {
  protected:
    // Which pager each row holds, one character per row: the last digit of its address, '-' for
    // a free row, '?' for anything else. "012456789-" is a full table after row 3 was deleted.
    std::string Rows() const {
        std::string rows;
        for (int p = 0; p < CallTable::kPositions; ++p) {
            const CallPosition& c = table[p];
            rows += c == CallPosition{} ? '-' : c.Adres.size() == 3 ? c.Adres[2] : '?';
        }
        return rows;
    }
};

TEST_F(CallTableTest, ClearDeleteAndInitTouchAllNineFieldsOfOnlyExistingPositions) {
    FillWithNewCalls();
    table[6] = {"106", "six", "b", "t", "3", "p", kStatusQueue, 17, 0};
    const CallPosition six = table[6];
    table.ClearPosition(3);
    table.ClearPosition(-1);
    table.ClearPosition(10);
    table.DeletePosition(-1);
    table.DeletePosition(10);
    EXPECT_EQ(Rows(), "012-456789");
    table.DeletePosition(9);
    EXPECT_EQ(Rows(), "012-45678-");
    table.DeletePosition(2);
    EXPECT_EQ(Rows(), "01-45678--");
    EXPECT_EQ(table[5], six);
    table.InitCallTable();
    EXPECT_EQ(Rows(), "----------");
}

TEST_F(CallTableTest, AStoredCallExpiresAfterFiftyNineTicksAndFreeRowsStayAtZero) {
    Put(0, "a", kStatusNew);
    Put(1, "b", kStatusPaged, 2);
    std::vector<std::int16_t> times{table[0].BufferTime};  // times[n]: after n ticks
    for (int tick = 1; tick <= 60; ++tick) {
        table.AgeCallTable();
        times.push_back(table[0].BufferTime);
    }
    EXPECT_EQ(std::vector(times.begin() + 58, times.end()), (std::vector<std::int16_t>{2, 1, 1}));
    EXPECT_EQ(times[1], 59);
    EXPECT_EQ(table[1].BufferTime, 1);
    EXPECT_EQ(table[2].BufferTime, 0);
}

// One letter per row, pagers 100..109: N NIEUW, x expired NIEUW, Q QUEUE, P PAGED, A ABSENT,
// T TERMINATED, E ERROR, B unknown, _ empty word, - free, a NIEUW without address, w no word.
TEST_F(CallTableTest, FullTableMakesRoomByExpiryFirstThenByAnswerOneRowAtATime) {
    // clang-format off
    const std::map<char, const char*> words{{'N', kStatusNew}, {'x', kStatusNew},
        {'Q', kStatusQueue}, {'P', kStatusPaged}, {'A', kStatusAbsent}, {'T', kStatusTerminated},
        {'E', kStatusError}, {'B', "BOGUS"}, {'_', ""}, {'a', kStatusNew}, {'w', ""}};
    const std::tuple<const char*, int, const char*> cases[] = {
        {"NNNN-NNxPN", 4, "0123-56789"}, {"aw-NNNNNNN", 2, "?1-3456789"},
        {"NNNNNQNNNN", -1, "0123456789"}, {"NNNPNNNNNN", 9, "012456789-"},
        {"NNANNxNNNN", 9, "012346789-"},  // expired before answered
        {"xNNNNNNNNN", 9, "123456789-"}, {"NxNNNNxNNN", 9, "023456789-"},
        {"NTNNENNNNN", 9, "023456789-"}, {"NNQNN_NNNN", -1, "0123456789"},
        {"NNNNNNNBNN", 9, "012345689-"}};
    // clang-format on
    for (const auto& [before, found, after] : cases) {
        SCOPED_TRACE(before);
        for (int p = 0; p < CallTable::kPositions; ++p) {
            const char row = before[p];
            table[p] = CallPosition{};
            if (row != '-') {
                Put(p, row == 'a' ? "" : "10" + std::to_string(p), words.at(row),
                    row == 'x' ? 1 : 60);
            }
        }
        EXPECT_EQ(table.FindFreePosition(), found);
        EXPECT_EQ(Rows(), after);
    }
}

// Each word: whether it ends the call (F) or keeps it open (O), whether the operator may delete
// it, what a refresh leaves of it, and its cell: text, text colour/background ("-": system).
TEST_F(CallTableTest, AnsweredWordsAreColouredAndDeletableOthersPlainAndUnknownOnesBecomeError) {
    const auto rgb = [](bool system, Rgb c) {
        return system ? "-"
                      : std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
    };
    // clang-format off
    const std::tuple<const char*, const char*, bool, const char*, std::string> cases[] = {
        {"PAGED", "F", true, "PAGED", "PAGED 255,255,255/0,0,192"},
        {"ABSENT", "F", true, "ABSENT", "ABSENT 255,255,255/192,0,0"},
        {"TERMINATED", "F", true, "TERMINATED", "TERMINATED 255,255,255/192,0,0"},
        {"QUEUE", "O", true, "QUEUE", "QUEUE -/255,255,0"}, {"NIEUW", "O", false, "NIEUW", " -/-"},
        {"", "-", false, "", " -/-"}, {"ERROR", "F", false, "ERROR", "ERROR -/-"},
        {"paged", "-", false, "ERROR", "ERROR -/-"}, {"QUEUE ", "-", false, "ERROR", "ERROR -/-"},
        {"NIEUWE", "-", false, "ERROR", "ERROR -/-"}, {"\xE9", "-", false, "ERROR", "ERROR -/-"}};
    // clang-format on
    for (const auto& [word, kind, deletable, after, cell] : cases) {
        SCOPED_TRACE(word);
        FillWithNewCalls();
        table[4].ReturnedStatus = word;
        const int shownBefore = view.showCallPositionsCount;
        RefreshCallPositions(view, table);
        EXPECT_EQ(table[4].ReturnedStatus, after);
        EXPECT_EQ(table[3].ReturnedStatus, kStatusNew);
        EXPECT_EQ(view.showCallPositionsCount, shownBefore + 1);
        EXPECT_EQ(std::string(IsFinalStatus(word) ? "F" : IsOpenStatus(word) ? "O" : "-"), kind);
        EXPECT_EQ(IsDeletableStatus(word), deletable);
        const StatusCell c = DescribeStatusCell(word);
        EXPECT_EQ(c.text + " " + rgb(c.systemTextColour, c.textColour) + "/" +
                      rgb(c.systemBackground, c.background),
                  cell);
        EXPECT_EQ(c.toolTip, deletable ? "DoubleClick here to delete this entry." : "");
    }
}

}  // namespace
}  // namespace espa::test
