#include "ui/line_view.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <iterator>
#include <utility>

namespace espa::ui {

LineView::LineView(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmLine");
    setWindowTitle("Line");

    m_model = new LineRowModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName("LineTable");
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    // Fixed heights and widths: a thousand rows are never measured one by one.
    QHeaderView* rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* columns = m_table->horizontalHeader();
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (const auto& [column, digits] : {std::pair{LineColumn::Time, 14},
                                         {LineColumn::Direction, 5},
                                         {LineColumn::Kind, 7},
                                         {LineColumn::Content, 54},
                                         {LineColumn::Check, 26},
                                         {LineColumn::Gap, 7}}) {
        columns->resizeSection(static_cast<int>(column), digits * digit);
    }
    columns->setStretchLastSection(true);

    auto* pause = new QPushButton("Pause", this);
    pause->setObjectName("LinePause");
    pause->setCheckable(true);
    connect(pause, &QPushButton::toggled, this, &LineView::SetPaused);
    auto* clear = new QPushButton("Clear", this);
    clear->setObjectName("LineClear");
    connect(clear, &QPushButton::clicked, this, &LineView::Clear);
    auto* copy = new QPushButton("Copy", this);
    copy->setObjectName("LineCopy");
    copy->setToolTip("Copy every row as text, one line per row");
    connect(copy, &QPushButton::clicked, this, &LineView::Copy);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause);
    buttons->addWidget(clear);
    buttons->addWidget(copy);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    resize(122 * digit, 24 * rows->defaultSectionSize());
}

void LineView::Add(const std::vector<Frame>& frames, const std::vector<Hint>& hints,
                   Emulation make) {
    std::vector<LineRow> rows = LineRows(frames, hints, make);
    if (m_paused) {
        std::move(rows.begin(), rows.end(), std::back_inserter(m_held));
        KeepLast(m_held);
        return;
    }
    Show(std::move(rows));
}

void LineView::Show(std::vector<LineRow> rows) {
    if (rows.empty()) {
        return;
    }
    // Someone who scrolled back to read stays where they are.
    const QScrollBar* bar = m_table->verticalScrollBar();
    const bool follow = bar->value() == bar->maximum();
    m_model->Append(std::move(rows));
    if (follow) {
        m_table->scrollToBottom();
    }
}

void LineView::SetPaused(bool paused) {
    m_paused = paused;
    if (!paused) {
        Show(std::exchange(m_held, {}));
    }
}

void LineView::Clear() {
    m_held.clear();
    m_model->Clear();
}

void LineView::Copy() {
    QApplication::clipboard()->setText(m_model->Text());
}

void LineView::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

}  // namespace espa::ui
