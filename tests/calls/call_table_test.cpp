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

TEST_F(CallTableTest, InitCallTableEmptiesEveryPosition) {
    FillWithNewCalls();

    table.InitCallTable();

    EXPECT_EQ(Rows(), "----------");
}

TEST_F(CallTableTest, ClearPositionEmptiesAllNineFieldsOfOnlyThatPositionIfItExists) {
    FillWithNewCalls();
    table[3] = {"a", "i", "b", "t", "n", "p", kStatusQueue, 17, 1};

    table.ClearPosition(3);

    EXPECT_EQ(table[3], CallPosition{});
    EXPECT_EQ(Rows(), "012-456789");

    table.ClearPosition(-1);
    table.ClearPosition(10);
    table.DeletePosition(-1);
    table.DeletePosition(10);
    EXPECT_EQ(Rows(), "012-456789");
}

TEST_F(CallTableTest, DeletePositionMovesTheRowsBelowUpWithAllTheirFields) {
    FillWithNewCalls();
    table.DeletePosition(9);
    EXPECT_EQ(Rows(), "012345678-");

    table[6] = {"106", "six", "b", "t", "3", "p", kStatusQueue, 17, 0};
    const CallPosition six = table[6];
    table.DeletePosition(2);
    EXPECT_EQ(Rows(), "01345678--");
    EXPECT_EQ(table[5], six);
}

TEST_F(CallTableTest, AStoredCallExpiresAfterFiftyNineTicksAndFreeRowsStayAtZero) {
    Put(0, "a", kStatusNew);
    Put(1, "b", kStatusPaged, 2);

    std::vector<std::int16_t> times{table[0].BufferTime};  // times[n]: after n ticks
    for (int tick = 1; tick <= 60; ++tick) {
        table.AgeCallTable();
        times.push_back(table[0].BufferTime);
    }
    EXPECT_EQ(times[1], 59);
    EXPECT_EQ(times[58], 2);
    EXPECT_EQ(times[59], 1);  // expired
    EXPECT_EQ(times[60], 1);
    EXPECT_EQ(table[1].BufferTime, 1);
    EXPECT_EQ(table[2].BufferTime, 0);
}

TEST_F(CallTableTest, FreePositionIsTheFirstWithEmptyStatusAndAddress) {
    Put(0, "a", kStatusNew);
    Put(1, "", kStatusNew);  // no address, but occupied by its word
    Put(2, "c", "");         // no word, but occupied by its address
    EXPECT_EQ(table.FindFreePosition(), 3);
}

TEST_F(CallTableTest, FullTableMakesRoomByExpiryFirstThenByAnswerOneRowAtATime) {
    // Calls to pagers 100..109, one letter per row: N "NIEUW", x expired "NIEUW", Q "QUEUE",
    // P "PAGED", A "ABSENT", T "TERMINATED", E "ERROR", B an unknown word, _ the empty word,
    // - a free row.
    const std::map<char, const char*> words{
        {'N', kStatusNew},   {'x', kStatusNew},    {'Q', kStatusQueue},
        {'P', kStatusPaged}, {'A', kStatusAbsent}, {'T', kStatusTerminated},
        {'E', kStatusError}, {'B', "BOGUS"},       {'_', ""}};
    struct Case {
        const char *what, *rowsBefore;
        int found;
        const char* rowsAfter;
    };
    const Case cases[] = {
        {"free gap before anything is deleted", "NNNN-NNxPN", 4, "0123-56789"},
        {"unanswered calls only", "NNNNNQNNNN", -1, "0123456789"},
        {"answered call deleted", "NNNPNNNNNN", 9, "012456789-"},
        {"expired before answered", "NNANNxNNNN", 9, "012346789-"},
        {"expired NIEUW call", "xNNNNNNNNN", 9, "123456789-"},
        {"one expired per search", "NxNNNNxNNN", 9, "023456789-"},
        {"one answered per search", "NTNNENNNNN", 9, "023456789-"},
        {"QUEUE, NIEUW and empty words kept", "NNQNN_NNNN", -1, "0123456789"},
        {"unknown word counts as answered", "NNNNNNNBNN", 9, "012345689-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int p = 0; p < CallTable::kPositions; ++p) {
            const char row = c.rowsBefore[p];
            table[p] = CallPosition{};
            if (row != '-') {
                Put(p, "10" + std::to_string(p), words.at(row), row == 'x' ? 1 : 60);
            }
        }

        EXPECT_EQ(table.FindFreePosition(), c.found);
        EXPECT_EQ(Rows(), c.rowsAfter);
    }
}

TEST(StatusWords, FinalAndOpenWordsAreTheDescribedOnes) {
    for (const char* w : {kStatusPaged, kStatusAbsent, kStatusTerminated, kStatusError}) {
        EXPECT_TRUE(IsFinalStatus(w) && !IsOpenStatus(w)) << w;
    }
    for (const char* w : {kStatusNew, kStatusQueue}) {
        EXPECT_TRUE(IsOpenStatus(w) && !IsFinalStatus(w)) << w;
    }
    for (const char* w : {"", "paged", "PAGED ", "OTHER"}) {
        EXPECT_FALSE(IsFinalStatus(w) || IsOpenStatus(w)) << w;
    }
}

// Each word: how its cell looks, whether the operator may delete it, and what a refresh leaves of
// it.
TEST_F(CallTableTest, AnsweredWordsAreColouredAndDeletableOthersPlainAndUnknownOnesBecomeError) {
    struct Case {
        const char *word, *shown, *wordAfter;
        bool coloured, whiteText;
        Rgb background;
    };
    const Case cases[] = {
        {"PAGED", "PAGED", "PAGED", true, true, {0, 0, 192}},
        {"ABSENT", "ABSENT", "ABSENT", true, true, {192, 0, 0}},
        {"TERMINATED", "TERMINATED", "TERMINATED", true, true, {192, 0, 0}},
        {"QUEUE", "QUEUE", "QUEUE", true, false, {255, 255, 0}},
        {"NIEUW", "", "NIEUW", false, false, {}},
        {"", "", "", false, false, {}},
        {"ERROR", "ERROR", "ERROR", false, false, {}},
        {"paged", "ERROR", "ERROR", false, false, {}},
        {"QUEUE ", "ERROR", "ERROR", false, false, {}},
        {"NIEUWE", "ERROR", "ERROR", false, false, {}},
        {"\xE9", "ERROR", "ERROR", false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        FillWithNewCalls();
        table[4].ReturnedStatus = c.word;
        const int shownBefore = view.showCallPositionsCount;

        RefreshCallPositions(view, table);

        EXPECT_EQ(table[4].ReturnedStatus, c.wordAfter);
        EXPECT_EQ(table[3].ReturnedStatus, kStatusNew);
        EXPECT_EQ(view.showCallPositionsCount, shownBefore + 1);
        EXPECT_EQ(IsDeletableStatus(c.word), c.coloured);
        const StatusCell cell = DescribeStatusCell(c.word);
        EXPECT_EQ(cell.text, c.shown);
        EXPECT_EQ(cell.systemTextColour, !c.whiteText);
        if (c.whiteText) {
            EXPECT_EQ(cell.textColour, (Rgb{255, 255, 255}));
        }
        EXPECT_EQ(cell.systemBackground, !c.coloured);
        if (c.coloured) {
            EXPECT_EQ(cell.background, c.background);
        }
        EXPECT_EQ(cell.toolTip, c.coloured ? "DoubleClick here to delete this entry." : "");
    }
}

}  // namespace
}  // namespace espa::test
