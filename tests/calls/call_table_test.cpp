#include "calls_fixture.h"

namespace espa::test {
namespace {

class CallTableTest : public CallsTest {};

TEST_F(CallTableTest, InitCallTableEmptiesEveryPositionAndTheScreenLog) {
    FillWithNewCalls();
    table[4].Info = "x";
    table[9].Priority = "1";
    lines.AddLogLine("old line");

    table.InitCallTable(lines);

    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table[p], CallPosition{}) << "position " << p;
    }
    EXPECT_EQ(lines.LogLineCount(), 0);
    EXPECT_EQ(lines.Line(0), "");
}

TEST_F(CallTableTest, ClearPositionEmptiesAllNineFieldsOfOnlyThatPosition) {
    FillWithNewCalls();
    CallPosition& c = table[3];
    c.Info = "i";
    c.Bleep = "b";
    c.CallType = "t";
    c.NrOfTx = "n";
    c.Priority = "p";
    const CallPosition fourBefore = table[4];

    table.ClearPosition(3);

    EXPECT_EQ(table[3], CallPosition{});
    EXPECT_EQ(table[4], fourBefore);
    EXPECT_EQ(table[2].Adres, "102");
}

TEST_F(CallTableTest, ClearPositionOutsideTheTableChangesNothing) {
    FillWithNewCalls();
    std::array<CallPosition, CallTable::kPositions> before;
    for (int p = 0; p < CallTable::kPositions; ++p) {
        before[p] = table[p];
    }

    table.ClearPosition(-1);
    table.ClearPosition(10);
    table.DeletePosition(-1);
    table.DeletePosition(10);

    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table[p], before[p]) << "position " << p;
    }
}

TEST_F(CallTableTest, DeletePositionMovesTheRowsBelowUpWithAllTheirFields) {
    FillWithNewCalls();
    table[6].Info = "six";
    table[6].ReturnedStatus = kStatusQueue;
    table[6].BufferTime = 17;
    table[6].StatusPending = 0;
    table[6].NrOfTx = "3";
    const CallPosition six = table[6];

    table.DeletePosition(2);

    EXPECT_EQ(table[1].Adres, "101");
    EXPECT_EQ(table[2].Adres, "103");
    EXPECT_EQ(table[5], six);
    EXPECT_EQ(table[8].Adres, "109");
    EXPECT_EQ(table[9], CallPosition{});
}

TEST_F(CallTableTest, DeletePositionNineClearsOnlyTheBottomRow) {
    FillWithNewCalls();

    table.DeletePosition(9);

    EXPECT_EQ(table[8].Adres, "108");
    EXPECT_EQ(table[9], CallPosition{});
}

TEST_F(CallTableTest, AgeingCountsDownToOneAndLeavesFreeAndExpiredPositionsAlone) {
    Put(0, "a", kStatusNew, 60);
    Put(1, "b", kStatusPaged, 2);
    Put(2, "c", kStatusNew, 1);

    table.AgeCallTable();

    EXPECT_EQ(table[0].BufferTime, 59);
    EXPECT_EQ(table[1].BufferTime, 1);
    EXPECT_EQ(table[2].BufferTime, 1);
    EXPECT_EQ(table[3].BufferTime, 0);
}

TEST_F(CallTableTest, AStoredCallExpiresAfterFiftyNineTicks) {
    Put(0, "a", kStatusNew, CallTable::kStoreTime);
    for (int i = 0; i < 58; ++i) {
        table.AgeCallTable();
    }
    EXPECT_EQ(table[0].BufferTime, 2);
    table.AgeCallTable();
    EXPECT_EQ(table[0].BufferTime, 1);
    table.AgeCallTable();
    EXPECT_EQ(table[0].BufferTime, 1);
}

TEST_F(CallTableTest, FreePositionIsTheFirstWithEmptyStatusAndAddress) {
    Put(0, "a", kStatusNew);
    Put(1, "", kStatusNew);  // no address, but occupied by its word
    Put(2, "c", "");         // no word, but occupied by its address
    EXPECT_EQ(table.FindFreePosition(), 3);
}

TEST_F(CallTableTest, FreeGapIsTakenBeforeAnythingIsDeleted) {
    FillWithNewCalls();
    table[4] = CallPosition{};
    table[7].BufferTime = 1;
    table[8].ReturnedStatus = kStatusPaged;

    EXPECT_EQ(table.FindFreePosition(), 4);
    EXPECT_EQ(table[7].Adres, "107");
    EXPECT_EQ(table[8].Adres, "108");
}

TEST_F(CallTableTest, FullTableOfUnansweredCallsGivesNoPosition) {
    FillWithNewCalls();
    table[5].ReturnedStatus = kStatusQueue;

    EXPECT_EQ(table.FindFreePosition(), -1);
    for (int p = 0; p < CallTable::kPositions; ++p) {
        EXPECT_EQ(table[p].Adres, "10" + std::to_string(p));
    }
}

TEST_F(CallTableTest, AnsweredCallIsDeletedAndTheBottomRowFreed) {
    FillWithNewCalls();
    table[3].ReturnedStatus = kStatusPaged;

    EXPECT_EQ(table.FindFreePosition(), 9);
    EXPECT_EQ(table[2].Adres, "102");
    for (int p = 3; p < 9; ++p) {
        EXPECT_EQ(table[p].Adres, "10" + std::to_string(p + 1));
    }
    EXPECT_EQ(table[9], CallPosition{});
}

TEST_F(CallTableTest, ExpiredCallIsReusedBeforeAnsweredOne) {
    FillWithNewCalls();
    table[2].ReturnedStatus = kStatusAbsent;
    table[5].BufferTime = 1;

    EXPECT_EQ(table.FindFreePosition(), 9);
    EXPECT_EQ(table[2].Adres, "102");
    EXPECT_EQ(table[2].ReturnedStatus, kStatusAbsent);
    EXPECT_EQ(table[5].Adres, "106");
}

TEST_F(CallTableTest, ExpiredUnansweredCallIsDeletedLikeAnAnsweredOne) {
    FillWithNewCalls();
    table[0].BufferTime = 1;

    EXPECT_EQ(table.FindFreePosition(), 9);
    EXPECT_EQ(table[0].Adres, "101");
}

TEST_F(CallTableTest, OnlyOneExpiredCallIsDeletedPerSearch) {
    FillWithNewCalls();
    table[1].BufferTime = 1;
    table[6].BufferTime = 1;

    EXPECT_EQ(table.FindFreePosition(), 9);
    EXPECT_EQ(table[1].Adres, "102");
    EXPECT_EQ(table[5].Adres, "106");
    EXPECT_EQ(table[5].BufferTime, 1);
}

TEST_F(CallTableTest, OnlyOneAnsweredCallIsDeletedPerSearch) {
    FillWithNewCalls();
    table[1].ReturnedStatus = kStatusTerminated;
    table[4].ReturnedStatus = kStatusError;

    EXPECT_EQ(table.FindFreePosition(), 9);
    EXPECT_EQ(table[1].Adres, "102");
    EXPECT_EQ(table[3].Adres, "104");
    EXPECT_EQ(table[3].ReturnedStatus, kStatusError);
}

TEST_F(CallTableTest, UnexpiredQueueAndNewCallsAndEmptyWordsAreNeverSacrificed) {
    FillWithNewCalls();
    table[2].ReturnedStatus = kStatusQueue;
    table[5].ReturnedStatus = "";  // answered in DataCall mode, address still set

    EXPECT_EQ(table.FindFreePosition(), -1);
    EXPECT_EQ(table[5].Adres, "105");
}

TEST_F(CallTableTest, AnyUnknownNonEmptyWordCountsAsAnswered) {
    FillWithNewCalls();
    table[7].ReturnedStatus = "BOGUS";

    EXPECT_EQ(table.FindFreePosition(), 9);
    EXPECT_EQ(table[7].Adres, "108");
}

TEST(StatusWords, FinalAndOpenWordsAreTheDescribedOnes) {
    for (const char* w : {kStatusPaged, kStatusAbsent, kStatusTerminated, kStatusError}) {
        EXPECT_TRUE(IsFinalStatus(w)) << w;
        EXPECT_FALSE(IsOpenStatus(w)) << w;
    }
    for (const char* w : {kStatusNew, kStatusQueue}) {
        EXPECT_TRUE(IsOpenStatus(w)) << w;
        EXPECT_FALSE(IsFinalStatus(w)) << w;
    }
    for (const char* w : {"", "paged", "PAGED ", "OTHER"}) {
        EXPECT_FALSE(IsFinalStatus(w)) << w;
        EXPECT_FALSE(IsOpenStatus(w)) << w;
    }
}

}  // namespace
}  // namespace espa::test
