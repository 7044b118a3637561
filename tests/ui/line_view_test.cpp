#include <QClipboard>
#include <QScrollBar>
#include <QTableView>

#include "line/line_watch.h"
#include "ui/line_view.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

const QColor kPlain, kError(192, 0, 0), kHint(0, 0, 192);
constexpr Side C = Side::Central, P = Side::PagingSystem;

// The frames a watch makes of these reads: who sent them, when (ms), the bytes.
std::vector<Frame> Decoded(const std::vector<LineChunk>& reads) {
    LineWatch watch(Emulation::Philips);
    for (const LineChunk& read : reads) {
        watch.Feed({read.from, read.timeUs * 1000, read.bytes});
    }
    watch.Finish();
    return watch.TakeFrames();
}

class LineViewTest : public ::testing::Test {
  protected:
    void SetUp() override { view.show(); }

    QString Cell(int row, int column) const {
        return model()->index(row, column).data().toString();
    }
    QStringList Row(int row) const {
        QStringList cells;
        for (int c = 0; c < ui::kLineColumns; ++c) {
            cells << Cell(row, c);
        }
        return cells;
    }
    QAbstractItemModel* model() const { return table()->model(); }
    QTableView* table() const { return view.findChild<QTableView*>("LineTable"); }
    void Click(const char* button) {
        QTest::mouseClick(view.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    // `count` ACKs a millisecond apart from `firstMs` on.
    void AddAcks(int firstMs, int count) {
        std::vector<Frame> frames(count);
        for (int i = 0; i < count; ++i) {
            frames[i].kind = FrameKind::Ack;
            frames[i].timeUs = (firstMs + i) * 1000;
        }
        view.Add(frames, {}, Emulation::Philips);
    }

    ui::LineView view;
};

TEST_F(LineViewTest, ShowsEachFrameAndHintAsARowWithErrorsInColour) {
    const std::string call = CallBlock({{'1', "1234"}, {'2', "Ward 3"}});
    std::string badCall = call;
    badCall.back() = 'x';
    const Hint hint{HintCause::Echo, 1035000, "Check for a loopback plug.", Ch(frames::NAK)};
    view.Add(Decoded({{C, 0, kSelect},
                      {P, 10, Ch(frames::ACK)},
                      {C, 30, call},
                      {P, 60, Ch(frames::ACK)},
                      {C, 1000, badCall},
                      {P, 1035, Ch(frames::NAK)},
                      {C, 3000, "zz"}}),
             {hint}, Emulation::Philips);

    const struct {
        QStringList cells;
        QColor colour;
    } rows[] = {
        {{"00:00:00.000", "C→P", "select", "select 12", "", ""}, kPlain},
        {{"00:00:00.010", "P→C", "ACK", "ACK", "", "10"}, kPlain},
        {{"00:00:00.030", "C→P", "block", "call 1234 \"Ward 3\"", "right", "20"}, kPlain},
        {{"00:00:00.060", "P→C", "ACK", "ACK", "", "30"}, kPlain},
        {{"00:00:01.000", "C→P", "block", "call 1234 \"Ward 3\"",
          QString::asprintf("wrong 0x78, expected 0x%02X", static_cast<unsigned char>(call.back())),
          "940"},
         kError},
        {{"00:00:01.035", "P→C", "NAK", "NAK", "", "35"}, kError},
        {{"00:00:01.035", "", "hint", "Check for a loopback plug.  [15]", "", ""}, kHint},
        {{"00:00:03.000", "C→P", "noise", "noise zz", "", "1965"}, kError},
    };
    ASSERT_EQ(model()->rowCount(), std::size(rows));
    for (int r = 0; r < model()->rowCount(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(Row(r), rows[r].cells);
        EXPECT_EQ(model()->index(r, 3).data(Qt::ForegroundRole).value<QColor>(), rows[r].colour);
    }
}

TEST_F(LineViewTest, PauseHoldsRowsUntilResumedAndCopyGivesOneLinePerRow) {
    Click("LinePause");
    AddAcks(0, 2);
    EXPECT_EQ(model()->rowCount(), 0);
    Click("LinePause");
    AddAcks(2, 1);
    ASSERT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "00:00:00.000");

    Click("LineCopy");
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], Row(2).join('\t'));

    Click("LinePause");
    AddAcks(3, 1);
    Click("LineClear");
    Click("LinePause");
    EXPECT_EQ(model()->rowCount(), 0);
}

TEST_F(LineViewTest, KeepsTheLastThousandRowsAndFollowsTheNewestUnlessScrolledBack) {
    QScrollBar* bar = table()->verticalScrollBar();
    AddAcks(0, 600);
    AddAcks(600, 401);
    ASSERT_EQ(model()->rowCount(), ui::LineRowModel::kMaxRows);
    EXPECT_EQ(Cell(0, 0), "00:00:00.001");
    EXPECT_EQ(Cell(999, 0), "00:00:01.000");
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(0);
    AddAcks(1001, 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(Cell(0, 0), "00:00:00.002");
}

using LineMenuTest = UiTest;

TEST_F(LineMenuTest, ToolsMenuAfterAboutOpensTheLineViewWhichWatchesTheLineWhileOpen) {
    Start();
    QStringList menus;
    for (const QAction* menu : window->menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{"Setup", "Quit", "About", "Tools"}));
    EXPECT_FALSE(emulator->WatchingLine());
    TriggerMenu("Line");
    ui::LineView* view = window->LineWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());

    for (const std::string& bytes : {kSelect, CallBlock({{'1', "1234"}})}) {
        control.Arrive(bytes);
        for (int tick = 0; tick < 10; ++tick) {
            emulator->HandlerTick();
        }
    }
    const QAbstractItemModel* rows = view->findChild<QTableView*>("LineTable")->model();
    EXPECT_EQ(rows->rowCount(), 0);  // not before the lamp tick
    emulator->LedTick();
    EXPECT_EQ(rows->rowCount(), 4);  // select, ACK, call, ACK

    view->close();
    EXPECT_FALSE(emulator->WatchingLine());
}

}  // namespace
}  // namespace espa::test
