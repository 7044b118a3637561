#include <QPalette>

#include "ui_fixture.h"

namespace espa::test {
namespace {

const QColor kWhite(255, 255, 255);
const QColor kDarkBlue(0, 0, 192);
const QColor kDarkRed(192, 0, 0);
const QColor kYellow(255, 255, 0);
constexpr const char* kDeleteToolTip = "DoubleClick here to delete this entry.";

QColor TextColour(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}
QColor Background(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}
QColor SystemText() {
    return QApplication::palette().color(QPalette::WindowText);
}
QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Button);
}

using CallGridTest = UiTest;

TEST_F(CallGridTest, StoredCallShowsItsFieldsWithAnEmptyStatusCell) {
    Start();
    const int p = StoreCall("1234", "Caf\xE9 <b>bold</b>");

    EXPECT_EQ(Cell("LabAdres", p)->text(), "1234");
    // 8-bit text as received, and markup shown as typed, not rendered.
    EXPECT_EQ(Cell("LabInfo", p)->text(), QString::fromUtf8("Café <b>bold</b>"));
    EXPECT_EQ(Cell("LabInfo", p)->textFormat(), Qt::PlainText);
    EXPECT_EQ(Cell("LabBleep", p)->text(), "2");
    EXPECT_EQ(Cell("LabCallType", p)->text(), "3");
    EXPECT_EQ(Cell("LabPriority", p)->text(), "4");
    QLabel* status = Cell("LabReturnedStatus", p);
    EXPECT_EQ(status->text(), "");
    EXPECT_EQ(status->toolTip(), "");
    EXPECT_EQ(Background(status), ButtonFace());
    EXPECT_EQ(TextColour(status), SystemText());
}

TEST_F(CallGridTest, DoubleClickOnUnansweredCallDoesNothing) {
    Start();
    const int p = StoreCall("1234");
    DoubleClick(Cell("LabReturnedStatus", p));

    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(emulator->Table()[p].Adres, "1234");
    EXPECT_EQ(Cell("LabAdres", p)->text(), "1234");
}

TEST_F(CallGridTest, AnsweredCallsShowTheirWordInItsColoursWithDeleteToolTip) {
    Start();
    for (const char* adres : {"100", "200", "300", "400"}) {
        StoreCall(adres);
    }
    Answer(0, "OptQueue");
    Answer(1, "OptPaged");
    Answer(2, "OptAbsent");
    Answer(3, "OptTerminated");

    struct Expected {
        const char* text;
        QColor foreground;
        QColor background;
    };
    const Expected expected[] = {{"QUEUE", SystemText(), kYellow},
                                 {"PAGED", kWhite, kDarkBlue},
                                 {"ABSENT", kWhite, kDarkRed},
                                 {"TERMINATED", kWhite, kDarkRed}};
    for (int p = 0; p < 4; ++p) {
        SCOPED_TRACE(p);
        QLabel* status = Cell("LabReturnedStatus", p);
        EXPECT_EQ(status->text(), expected[p].text);
        EXPECT_EQ(TextColour(status), expected[p].foreground);
        EXPECT_EQ(Background(status), expected[p].background);
        EXPECT_EQ(status->toolTip(), kDeleteToolTip);
    }
}

TEST_F(CallGridTest, UnknownStatusWordIsShownAndKeptAsErrorAndCannotBeDeleted) {
    Start();
    const int p = StoreCall("1234");
    emulator->Table()[p].ReturnedStatus = "BOGUS";
    window->ShowCallPositions(emulator->Table());

    EXPECT_EQ(StatusText(p), "ERROR");
    EXPECT_EQ(emulator->Table()[p].ReturnedStatus, "ERROR");
    EXPECT_EQ(Cell("LabReturnedStatus", p)->toolTip(), "");

    DoubleClick(Cell("LabReturnedStatus", p));
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(Cell("LabAdres", p)->text(), "1234");
}

TEST_F(CallGridTest, DeletingAnsweredRowMovesRowsBelowUp) {
    Start();
    for (const char* adres : {"100", "200", "300"}) {
        StoreCall(adres);
    }
    Answer(1, "OptQueue");
    DoubleClick(Cell("LabReturnedStatus", 1));

    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Cell("LabAdres", 0)->text(), "100");
    EXPECT_EQ(Cell("LabAdres", 1)->text(), "300");
    EXPECT_EQ(StatusText(1), "");  // the moved call is still unanswered
    EXPECT_EQ(Cell("LabAdres", 2)->text(), "");
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
    EXPECT_EQ(Cell("LabAdres", 9)->text(), "");
    EXPECT_EQ(StatusText(9), "");
    EXPECT_EQ(Background(Cell("LabReturnedStatus", 9)), ButtonFace());
    EXPECT_EQ(Cell("LabAdres", 8)->text(), "108");
}

TEST_F(CallGridTest, HeaderDoubleClickEmptiesAllTenRowsEvenUnanswered) {
    Start();
    for (int i = 0; i < 10; ++i) {
        StoreCall(std::to_string(100 + i));
    }
    Answer(4, "OptAbsent");
    const std::int16_t current = emulator->Handler().CurrentPosition;
    DoubleClick(Find<QLabel>("Label10"));

    EXPECT_EQ(beeps, 1);
    for (int p = 0; p < 10; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(Cell("LabAdres", p)->text(), "");
        EXPECT_EQ(Cell("LabInfo", p)->text(), "");
        EXPECT_EQ(StatusText(p), "");
        EXPECT_TRUE(emulator->Table()[p].IsFree());
    }
    EXPECT_EQ(emulator->Handler().CurrentPosition, current);
}

TEST_F(CallGridTest, DoubleClickOnEmptyRowNeitherBeepsNorChangesAnything) {
    Start();
    StoreCall("100");
    DoubleClick(Cell("LabReturnedStatus", 5));
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(Cell("LabAdres", 0)->text(), "100");
}

using StatusChoiceTest = UiTest;

TEST_F(StatusChoiceTest, StartUpSelectsPagedAndGivesClearToolTips) {
    Start();
    EXPECT_EQ(window->GetSelectedStatus(), "PAGED");
    EXPECT_TRUE(Find<QRadioButton>("OptPaged")->isChecked());
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(Cell("LabReturnedStatus", p)->toolTip(), "DoubleClick to clear this position.");
    }
    EXPECT_EQ(Find<QLabel>("Label10")->toolTip(), "DoubleClick to clear all positions");
}

TEST_F(StatusChoiceTest, NothingChosenBeforeStartUpGivesEmptyText) {
    ui::MainWindow bare;
    EXPECT_EQ(bare.GetSelectedStatus(), "");
}

TEST_F(StatusChoiceTest, EachOptionGivesItsWordAndOnlyOneStaysSelected) {
    Start();
    const std::pair<const char*, const char*> choices[] = {{"OptQueue", "QUEUE"},
                                                           {"OptAbsent", "ABSENT"},
                                                           {"OptTerminated", "TERMINATED"},
                                                           {"OptPaged", "PAGED"}};
    for (const auto& [option, word] : choices) {
        auto* button = Find<QRadioButton>(option);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        EXPECT_EQ(window->GetSelectedStatus(), word);
        int checked = 0;
        for (const char* name : {"OptPaged", "OptAbsent", "OptQueue", "OptTerminated"}) {
            checked += Find<QRadioButton>(name)->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, 1);
    }
}

}  // namespace
}  // namespace espa::test
