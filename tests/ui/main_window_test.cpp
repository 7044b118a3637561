#include "ui_fixture.h"

namespace espa::test {
namespace {

const QStringList kEmptyRow{"", "", "", "", "", ""};

using CallGridTest = UiTest;

// 8-bit text shows as received and markup as typed, not rendered; one option is checked at a time.
TEST_F(CallGridTest, StatusCellsShowTheChosenWordInItsColoursAndTheRightToolTip) {
    EXPECT_EQ(ui::MainWindow().GetSelectedStatus(), "");  // nothing chosen before start-up
    Start();
    EXPECT_TRUE(Find<QRadioButton>("OptPaged")->isChecked());
    EXPECT_EQ(Find<QLabel>("Label10")->toolTip(), "DoubleClick to clear all positions");
    EXPECT_EQ(Status(9)->toolTip(), "DoubleClick to clear this position.");
    StoreCall("1234", "Caf\xE9 <b>bold</b>");
    EXPECT_EQ(Row(0), (QStringList{"1234", "Café <b>bold</b>", "2", "3", "4", ""}));
    EXPECT_EQ(Find<QLabel>("LabInfo_0")->textFormat(), Qt::PlainText);
    const QColor text = SystemColour(QPalette::WindowText), white(255, 255, 255);
    const std::tuple<const char*, const char*, QColor, QColor> cases[] = {
        {nullptr, "", text, SystemColour(QPalette::Button)},
        {"OptQueue", "QUEUE", text, QColor(255, 255, 0)},
        {"OptAbsent", "ABSENT", white, QColor(192, 0, 0)},
        {"OptTerminated", "TERMINATED", white, QColor(192, 0, 0)},
        {"OptPaged", "PAGED", white, QColor(0, 0, 192)}};
    for (int p = 1; p < 5; ++p) {
        StoreCall(std::to_string(p));
    }
    for (int p = 0; p < 5; ++p) {
        const auto& [option, word, foreground, background] = cases[p];
        SCOPED_TRACE(p);
        if (option) {
            Answer(p, option);
            EXPECT_EQ(window->GetSelectedStatus(), word);
            int checked = 0;
            for (const char* name : {"OptQueue", "OptAbsent", "OptTerminated", "OptPaged"}) {
                checked += Find<QRadioButton>(name)->isChecked();
            }
            EXPECT_EQ(checked, 1);
        }
        EXPECT_EQ(Status(p)->text(), word);
        EXPECT_EQ(TextColour(Status(p)), foreground);
        EXPECT_EQ(Background(Status(p)), background);
        EXPECT_EQ(Status(p)->toolTip(), option ? "DoubleClick here to delete this entry." : "");
    }
}

// Only an answered call can be deleted: an unanswered call, one whose unknown word is shown (and
// kept) as ERROR, or an empty row neither beeps nor changes anything. The header empties all ten
// rows, unanswered ones too, and leaves the current call alone.
TEST_F(CallGridTest, DoubleClickDeletesAnAnsweredCallAndTheHeaderEmptiesAllRows) {
    Start();
    for (int i = 0; i < 10; ++i) {
        StoreCall(std::to_string(100 + i));
    }
    emulator->Table()[3].ReturnedStatus = "BOGUS";
    emulator->RefreshCallPositions();
    EXPECT_EQ(Status(3)->text(), "ERROR");
    Answer(1, "OptQueue");
    for (int p : {0, 3, 1, 9, 8}) {  // the last two: a free row, the bottom one answered
        DoubleClick(Status(p));
        if (p == 9) {
            Answer(8, "OptPaged");
        }
    }
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(Row(1), (QStringList{"102", "Hello", "2", "3", "4", ""}));  // still unanswered
    EXPECT_EQ(Row(0)[0] + Row(2)[0] + Row(7)[0] + Row(8)[0], "100103108");
    EXPECT_EQ(Background(Status(8)), SystemColour(QPalette::Button));
    const std::int16_t current = emulator->Handler().CurrentPosition();
    DoubleClick(Find<QLabel>("Label10"));
    EXPECT_EQ(beeps, 3);
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(Row(p), kEmptyRow) << p;
    }
    EXPECT_EQ(emulator->Handler().CurrentPosition(), current);
}

}  // namespace
}  // namespace espa::test
