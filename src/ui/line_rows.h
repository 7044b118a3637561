#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <deque>
#include <vector>

#include "core/settings_record.h"
#include "line/frame.h"
#include "line/hint.h"

namespace espa::ui {

enum class LineColumn { Time, Direction, Kind, Content, Check, Gap, Count };
inline constexpr int kLineColumns = static_cast<int>(LineColumn::Count);

// What a row is about, which decides its colour.
enum class LineTone {
    Plain,
    Error,  // a wrong or missing check, noise or a broken frame, a NAK
    Hint,   // the doctor's advice
};

struct LineRow {
    std::array<QString, kLineColumns> cells;
    LineTone tone = LineTone::Plain;
};

// One batch of the watch's output as rows, frames and hints in time order.
std::vector<LineRow> LineRows(const std::vector<Frame>& frames, const std::vector<Hint>& hints,
                              Emulation make);

// The last kMaxRows rows of the line, for a QTableView.
class LineRowModel final : public QAbstractTableModel {
  public:
    // Enough for several minutes of a busy line; the table stays quick to scroll and to copy.
    static constexpr int kMaxRows = 1000;

    using QAbstractTableModel::QAbstractTableModel;

    void Append(std::vector<LineRow> rows);
    void Clear();
    // One line per row, the cells separated by tabs, as a spreadsheet pastes them.
    QString Text() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::deque<LineRow> m_rows;
};

// Drops the oldest rows beyond kMaxRows.
void KeepLast(std::vector<LineRow>& rows);

}  // namespace espa::ui
