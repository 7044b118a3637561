#include <gtest/gtest.h>

#include "calls/call_table.h"
#include "calls/status_cell.h"

namespace espa::test {
namespace {

constexpr Rgb kWhite{255, 255, 255};

struct ColouredCase {
    const char* word;
    bool whiteText;
    Rgb background;
};

class ColouredStatusCell : public ::testing::TestWithParam<ColouredCase> {};

TEST_P(ColouredStatusCell, ShowsTheWordInItsColoursAndMayBeDeleted) {
    const ColouredCase c = GetParam();
    std::string word = c.word;

    const StatusCell cell = DescribeStatusCell(word);

    EXPECT_EQ(word, c.word);
    EXPECT_EQ(cell.text, c.word);
    EXPECT_EQ(cell.systemTextColour, !c.whiteText);
    if (c.whiteText) {
        EXPECT_EQ(cell.textColour, kWhite);
    }
    EXPECT_FALSE(cell.systemBackground);
    EXPECT_EQ(cell.background, c.background);
    EXPECT_EQ(cell.toolTip, "DoubleClick here to delete this entry.");
    EXPECT_TRUE(cell.deletable);
}

INSTANTIATE_TEST_SUITE_P(AnsweredWords, ColouredStatusCell,
                         ::testing::Values(ColouredCase{"PAGED", true, Rgb{0, 0, 192}},
                                           ColouredCase{"ABSENT", true, Rgb{192, 0, 0}},
                                           ColouredCase{"TERMINATED", true, Rgb{192, 0, 0}},
                                           ColouredCase{"QUEUE", false, Rgb{255, 255, 0}}));

class PlainStatusCell : public ::testing::TestWithParam<const char*> {};

TEST_P(PlainStatusCell, ShowsNothingInSystemColoursAndCannotBeDeleted) {
    std::string word = GetParam();

    const StatusCell cell = DescribeStatusCell(word);

    EXPECT_EQ(word, GetParam());
    EXPECT_EQ(cell.text, "");
    EXPECT_TRUE(cell.systemTextColour);
    EXPECT_TRUE(cell.systemBackground);
    EXPECT_EQ(cell.toolTip, "");
    EXPECT_FALSE(cell.deletable);
}

INSTANTIATE_TEST_SUITE_P(UnansweredWords, PlainStatusCell, ::testing::Values("NIEUW", ""));

class UnknownStatusCell : public ::testing::TestWithParam<const char*> {};

TEST_P(UnknownStatusCell, IsRewrittenToErrorAndShownAsError) {
    std::string word = GetParam();

    const StatusCell cell = DescribeStatusCell(word);

    EXPECT_EQ(word, "ERROR");
    EXPECT_EQ(cell.text, "ERROR");
    EXPECT_TRUE(cell.systemTextColour);
    EXPECT_TRUE(cell.systemBackground);
    EXPECT_EQ(cell.toolTip, "");
    EXPECT_FALSE(cell.deletable);
    EXPECT_TRUE(IsFinalStatus(word));
}

INSTANTIATE_TEST_SUITE_P(OtherWords, UnknownStatusCell,
                         ::testing::Values("ERROR", "paged", "QUEUE ", "NIEUWE", "\xE9"));

}  // namespace
}  // namespace espa::test
