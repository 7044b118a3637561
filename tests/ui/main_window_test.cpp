#include <QPalette>

#include "ui_fixture.h"

namespace espa::test {
namespace {

const QStringList kEmptyRow{"", "", "", "", "", ""};

using CallGridTest = UiTest;

TEST_F(CallGridTest, StoredCallShowsItsFieldsWithAnEmptyStatusCell) {
    Start();
    const int p = StoreCall("1234", "Caf\xE9 <b>bold</b>");

    // 8-bit text as received, and markup shown as typed, not rendered.
    EXPECT_EQ(Row(p),
              (QStringList{"1234", QString::fromUtf8("Café <b>bold</b>"), "2", "3", "4", ""}));
    EXPECT_EQ(Cell("LabInfo", p)->textFormat(), Qt::PlainText);
    QLabel* status = Cell("LabReturnedStatus", p);
    EXPECT_EQ(status->toolTip(), "");
    EXPECT_EQ(Background(status), SystemColour(QPalette::Button));
    EXPECT_EQ(TextColour(status), SystemColour(QPalette::WindowText));
}

TEST_F(CallGridTest, AnsweredCallsShowTheirWordInItsColoursWithDeleteToolTip) {
    Start();
    struct Expected {
        const char* option;
        const char* text;
        QColor foreground;
        QColor background;
    };
    const QColor white(255, 255, 255);
    const Expected expected[] = {
        {"OptQueue", "QUEUE", SystemColour(QPalette::WindowText), QColor(255, 255, 0)},
        {"OptPaged", "PAGED", white, QColor(0, 0, 192)},
        {"OptAbsent", "ABSENT", white, QColor(192, 0, 0)},
        {"OptTerminated", "TERMINATED", white, QColor(192, 0, 0)}};
    for (int p = 0; p < 4; ++p) {
        StoreCall(std::to_string(100 * (p + 1)));
    }
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(p);
        Answer(p, expected[p].option);
        QLabel* status = Cell("LabReturnedStatus", p);
        EXPECT_EQ(status->text(), expected[p].text);
        EXPECT_EQ(TextColour(status), expected[p].foreground);
        EXPECT_EQ(Background(status), expected[p].background);
        EXPECT_EQ(status->toolTip(), "DoubleClick here to delete this entry.");
    }
}

// Only an answered call can be deleted: a double-click on an unanswered call, on a call whose
// unknown word is shown (and kept) as ERROR, or on an empty row neither beeps nor changes anything.
TEST_F(CallGridTest, DoubleClickOnUnansweredUnknownOrEmptyRowDoesNothing) {
    Start();
    StoreCall("1234");
    StoreCall("5678");
    emulator->Table()[1].ReturnedStatus = "BOGUS";
    emulator->RefreshCallPositions();
    EXPECT_EQ(StatusText(1), "ERROR");
    EXPECT_EQ(emulator->Table()[1].ReturnedStatus, "ERROR");
    EXPECT_EQ(Cell("LabReturnedStatus", 1)->toolTip(), "");

    for (int p : {0, 1, 5}) {
        DoubleClick(Cell("LabReturnedStatus", p));
    }
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(emulator->Table()[0].Adres, "1234");
    EXPECT_EQ(Row(0)[0] + Row(1)[0], "12345678");
}

TEST_F(CallGridTest, DeletingAnsweredRowMovesRowsBelowUp) {
    Start();
    for (const char* adres : {"100", "200", "300"}) {
        StoreCall(adres);
    }
    Answer(1, "OptQueue");
    DoubleClick(Cell("LabReturnedStatus", 1));

    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Row(0)[0], "100");
    EXPECT_EQ(Row(1), (QStringList{"300", "Hello", "2", "3", "4", ""}));  // still unanswered
    EXPECT_EQ(Row(2), kEmptyRow);
    EXPECT_EQ(emulator->Table()[1].Adres, "300");
    EXPECT_TRUE(emulator->Table()[2].IsFree());
}

TEST_F(CallGridTest, DeletingPagedBottomRowClearsIt) {
    Start();
    for (int i = 0; i < 10; ++i) {
        StoreCall(std::to_string(100 + i));
    }
    Answer(9, "OptPaged");
    ASSERT_EQ(StatusText(9), "PAGED");
    DoubleClick(Cell("LabReturnedStatus", 9));

    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Row(9), kEmptyRow);
    EXPECT_EQ(Background(Cell("LabReturnedStatus", 9)), SystemColour(QPalette::Button));
    EXPECT_EQ(Row(8)[0], "108");
}

TEST_F(CallGridTest, HeaderDoubleClickEmptiesAllTenRowsEvenUnanswered) {
    Start();
    for (int i = 0; i < 10; ++i) {
        StoreCall(std::to_string(100 + i));
    }
    Answer(4, "OptAbsent");
    const std::int16_t current = emulator->Handler().CurrentPosition();
    DoubleClick(Find<QLabel>("Label10"));

    EXPECT_EQ(beeps, 1);
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(Row(p), kEmptyRow) << p;
        EXPECT_TRUE(emulator->Table()[p].IsFree()) << p;
    }
    EXPECT_EQ(emulator->Handler().CurrentPosition(), current);
}

using StatusChoiceTest = UiTest;

TEST_F(StatusChoiceTest, StartUpSelectsPagedAndEachOptionGivesItsWordAlone) {
    EXPECT_EQ(ui::MainWindow().GetSelectedStatus(), "");  // nothing chosen before start-up
    Start();
    EXPECT_EQ(window->GetSelectedStatus(), "PAGED");
    EXPECT_TRUE(Find<QRadioButton>("OptPaged")->isChecked());
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(Cell("LabReturnedStatus", p)->toolTip(), "DoubleClick to clear this position.");
    }
    EXPECT_EQ(Find<QLabel>("Label10")->toolTip(), "DoubleClick to clear all positions");

    const std::pair<const char*, const char*> choices[] = {{"OptQueue", "QUEUE"},
                                                           {"OptAbsent", "ABSENT"},
                                                           {"OptTerminated", "TERMINATED"},
                                                           {"OptPaged", "PAGED"}};
    for (const auto& [option, word] : choices) {
        auto* button = Find<QRadioButton>(option);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        EXPECT_EQ(window->GetSelectedStatus(), word);
        int checked = 0;
        for (const auto& [name, unused] : choices) {
            checked += Find<QRadioButton>(name)->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, 1);
    }
}

}  // namespace
}  // namespace espa::test
