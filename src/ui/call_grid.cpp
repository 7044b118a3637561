#include "ui/call_grid.h"

#include <QApplication>
#include <QPalette>
#include <string>

#include "calls/call_table.h"
#include "calls/status_cell.h"
#include "ui/clickable_label.h"
#include "ui/twips.h"

namespace espa::ui {
namespace {

constexpr std::array<int, CallGrid::kColumnCount> kProportions{975, 4335, 615, 615, 615, 1695};
constexpr int kProportionSum = 975 + 4335 + 615 + 615 + 615 + 1695;

constexpr std::array<const char*, CallGrid::kColumnCount> kCaptions{
    "Adres", "Info", "Bleep", "CallType", "Priority", "Returned Status"};
// Only the last header has a name of its own in the window's design; the others are named here.
constexpr std::array<const char*, CallGrid::kColumnCount> kHeaderNames{
    "HeadAdres", "HeadInfo", "HeadBleep", "HeadCallType", "HeadPriority", "Label10"};
constexpr std::array<const char*, CallGrid::kColumnCount> kCellNames{
    "LabAdres", "LabInfo", "LabBleep", "LabCallType", "LabPriority", "LabReturnedStatus"};

constexpr int kHeaderHeight = 255;
constexpr int kRowTop = 300;
constexpr int kRowHeight = 330;

constexpr const char* kClearPositionToolTip = "DoubleClick to clear this position.";
constexpr const char* kClearAllToolTip = "DoubleClick to clear all positions";

// Left edge of a column in twips; edges are computed from the running sum so rounding never
// accumulates across the row.
int ColumnEdge(int column) {
    int sum = 0;
    for (int c = 0; c < column; ++c) {
        sum += kProportions[c];
    }
    return sum * CallGrid::kWidthTwips / kProportionSum;
}

QColor ToColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

void Paint(QWidget* cell, const QColor& text, const QColor& background) {
    QPalette palette = cell->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, background);
    cell->setPalette(palette);
}

}  // namespace

CallGrid::CallGrid(QWidget* parent) : QWidget(parent) {
    const QPalette system = QApplication::palette();
    const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);

    for (int c = 0; c < kColumnCount; ++c) {
        const int left = ColumnEdge(c);
        const int width = ColumnEdge(c + 1) - left;

        auto* header = new ClickableLabel(this);
        header->setObjectName(kHeaderNames[c]);
        header->setText(kCaptions[c]);
        PlaceTwips(header, left, 0, width, kHeaderHeight);
        m_headers[c] = header;

        for (int p = 0; p < kRows; ++p) {
            auto* cell = new ClickableLabel(this);
            cell->setObjectName(QStringLiteral("%1_%2").arg(kCellNames[c]).arg(p));
            cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            cell->setIndent(2);
            cell->setAutoFillBackground(true);
            Paint(cell, system.color(QPalette::WindowText),
                  c == Adres ? menuColour : system.color(QPalette::Window));
            PlaceTwips(cell, left, kRowTop + p * kRowHeight, width, kRowHeight);
            m_cells[c][p] = cell;
        }
    }
    for (int p = 0; p < kRows; ++p) {
        connect(m_cells[ReturnedStatus][p], &ClickableLabel::doubleClicked, this,
                [this, p] { emit statusDoubleClicked(p); });
    }
    connect(m_headers[ReturnedStatus], &ClickableLabel::doubleClicked, this,
            &CallGrid::headerDoubleClicked);
}

void CallGrid::Show(const CallTable& table) {
    const QPalette system = QApplication::palette();
    for (int p = 0; p < kRows; ++p) {
        const CallPosition& position = table[p];
        m_cells[Adres][p]->setText(QString::fromLatin1(position.Adres));
        m_cells[Info][p]->setText(QString::fromLatin1(position.Info));
        m_cells[Bleep][p]->setText(QString::fromLatin1(position.Bleep));
        m_cells[CallType][p]->setText(QString::fromLatin1(position.CallType));
        m_cells[Priority][p]->setText(QString::fromLatin1(position.Priority));

        const StatusCell look = DescribeStatusCell(position.ReturnedStatus);
        ClickableLabel* status = m_cells[ReturnedStatus][p];
        status->setText(QString::fromLatin1(look.text));
        Paint(
            status,
            look.systemTextColour ? system.color(QPalette::WindowText) : ToColour(look.textColour),
            look.systemBackground ? system.color(QPalette::Button) : ToColour(look.background));
        status->setToolTip(QString::fromLatin1(look.toolTip));
    }
}

void CallGrid::SetStartUpToolTips() {
    for (ClickableLabel* status : m_cells[ReturnedStatus]) {
        status->setToolTip(kClearPositionToolTip);
    }
    m_headers[ReturnedStatus]->setToolTip(kClearAllToolTip);
}

}  // namespace espa::ui
