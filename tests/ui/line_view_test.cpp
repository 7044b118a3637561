#include <QClipboard>
#include <QScrollBar>
#include <QTableView>

#include "line/line_watch.h"
#include "ui/line_view.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

class LineViewTest : public ::testing::Test {
  protected:
    void SetUp() override { view.show(); }
    QTableView* table() const { return view.findChild<QTableView*>("LineTable"); }
    QVariant Cell(int row, int column, int role = Qt::DisplayRole) const {
        return table()->model()->index(row, column).data(role);
    }
    int Rows() const { return table()->model()->rowCount(); }
    void Click(const char* button) {
        QTest::mouseClick(view.findChild<QPushButton*>(button), Qt::LeftButton);
    }
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

TEST_F(LineViewTest, ShowsAndCopiesEachFrameAndHintAsARowWithErrorsInColour) {
    const std::string call = CallBlock({{'1', "1234"}, {'2', "Ward 3"}});
    const std::string reads[] = {kSelect, Ch(frames::ACK), call.substr(0, call.size() - 1) + 'x',
                                 Ch(frames::NAK), "zz"};
    const int ms[] = {0, 10, 1000, 1035, 3000};
    LineWatch watch(Emulation::Philips);
    for (int i = 0; i < 5; ++i) {
        watch.Feed({i % 2 ? Side::PagingSystem : Side::Central, ms[i] * 1000, reads[i]});
    }
    watch.Finish();
    view.Add(watch.TakeFrames(), {{HintCause::Echo, 1035000, "Check for a loopback plug.", "x"}},
             Emulation::Philips);
    const QColor plain, error(192, 0, 0), hint(0, 0, 192);
    const QString wrong = QString::asprintf("wrong 0x78, expected 0x%02X", uchar(call.back()));
    const std::pair<QStringList, QColor> rows[] = {
        {{"00:00:00.000", "C→P", "select", "select 12", "", ""}, plain},
        {{"00:00:00.010", "P→C", "ACK", "ACK", "", "10"}, plain},
        {{"00:00:01.000", "C→P", "block", "call 1234 \"Ward 3\"", wrong, "990"}, error},
        {{"00:00:01.035", "P→C", "NAK", "NAK", "", "35"}, error},
        {{"00:00:01.035", "", "hint", "Check for a loopback plug.  [78]", "", ""}, hint},
        {{"00:00:03.000", "C→P", "noise", "noise zz", "", "1965"}, error},
    };
    ASSERT_EQ(Rows(), std::size(rows));
    Click("LineCopy");
    const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    for (int r = 0; r < Rows(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(copied.value(r), rows[r].first.join('\t'));
        EXPECT_EQ(Cell(r, 3), rows[r].first[3]);
        EXPECT_EQ(Cell(r, 3, Qt::ForegroundRole).value<QColor>(), rows[r].second);
    }
}

TEST_F(LineViewTest, HoldsWhilePausedClearsKeepsAThousandAndFollowsTheNewestUnlessScrolledBack) {
    Click("LinePause");
    AddAcks(0, 2);
    EXPECT_EQ(Rows(), 0);
    Click("LinePause");
    AddAcks(2, 1);
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 0), "00:00:00.000");
    Click("LinePause");
    AddAcks(3, 1);
    Click("LineClear");
    Click("LinePause");
    EXPECT_EQ(Rows(), 0);
    QScrollBar* bar = table()->verticalScrollBar();
    AddAcks(0, 600);
    AddAcks(600, 401);
    ASSERT_EQ(Rows(), ui::LineRowModel::kMaxRows);
    EXPECT_EQ(Cell(0, 0), "00:00:00.001");
    EXPECT_EQ(Cell(999, 0), "00:00:01.000");
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    AddAcks(1001, 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(Cell(0, 0), "00:00:00.002");
}

TEST_F(UiTest, ToolsMenuAfterAboutOpensTheLineViewWhichWatchesTheLineWhileOpen) {
    Start();
    EXPECT_EQ(window->menuBar()->actions().last()->text(), "Tools");
    EXPECT_FALSE(emulator->WatchingLine());
    TriggerMenu("Line");
    ui::LineView* view = window->LineWindow();
    ASSERT_TRUE(view != nullptr && view->isVisible());
    StoreCall("1234");  // the watch hears the two ACKs (reads only through Arrive)
    const QAbstractItemModel* rows = view->findChild<QTableView*>("LineTable")->model();
    EXPECT_EQ(rows->rowCount(), 0);  // not before the lamp tick
    emulator->LedTick();
    EXPECT_EQ(rows->rowCount(), 2);
    view->close();
    EXPECT_FALSE(emulator->WatchingLine());
}

}  // namespace
}  // namespace espa::test
