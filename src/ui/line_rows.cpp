#include "ui/line_rows.h"

#include <QColor>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <utility>

#include "line/frame_text.h"

namespace espa::ui {
namespace {

// The control characters keep the capitals the log window writes them in.
std::string KindName(FrameKind kind) {
    std::string word = FrameKindWord(kind);
    if (kind == FrameKind::Ack || kind == FrameKind::Nak || kind == FrameKind::Eot) {
        std::ranges::transform(word, word.begin(), [](char c) { return std::toupper(c); });
    }
    return word;
}

bool IsError(const Frame& frame) {
    return frame.kind == FrameKind::Noise || frame.kind == FrameKind::Nak ||
           (frame.kind == FrameKind::Block && frame.check != CheckVerdict::Right);
}

// Line text is Latin-1 end to end; it becomes Unicode only here, at the screen.
QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

LineRow FrameRow(const Frame& frame, Emulation make) {
    LineRow row;
    row.cells = {Latin1(TimeOfDayText(frame.timeUs)),
                 frame.side == Side::Central ? QStringLiteral("C→P") : QStringLiteral("P→C"),
                 Latin1(KindName(frame.kind)),
                 Latin1(FrameWords(frame, make)),
                 frame.kind == FrameKind::Block ? Latin1(CheckVerdictText(frame)) : QString(),
                 frame.gapUs ? QString::number(*frame.gapUs / 1000) : QString()};
    row.tone = IsError(frame) ? LineTone::Error : LineTone::Plain;
    return row;
}

LineRow HintRow(const Hint& hint) {
    LineRow row;
    QString text = Latin1(hint.text);
    if (!hint.evidence.empty()) {
        text += QStringLiteral("  [%1]").arg(Latin1(HexBytes(hint.evidence)));
    }
    row.cells = {Latin1(TimeOfDayText(hint.timeUs)), {}, QStringLiteral("hint"), text, {}, {}};
    row.tone = LineTone::Hint;
    return row;
}

}  // namespace

std::vector<LineRow> LineRows(const std::vector<Frame>& frames, const std::vector<Hint>& hints,
                              Emulation make) {
    std::vector<std::pair<std::int64_t, LineRow>> timed;
    timed.reserve(frames.size() + hints.size());
    for (const Frame& frame : frames) {
        timed.emplace_back(frame.timeUs, FrameRow(frame, make));
    }
    for (const Hint& hint : hints) {
        timed.emplace_back(hint.timeUs, HintRow(hint));
    }
    // A hint comes after the frames that led to it, even when it carries their time.
    std::stable_sort(timed.begin(), timed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LineRow> rows;
    rows.reserve(timed.size());
    for (auto& [time, row] : timed) {
        rows.push_back(std::move(row));
    }
    return rows;
}

void KeepLast(std::vector<LineRow>& rows) {
    if (rows.size() > LineRowModel::kMaxRows) {
        rows.erase(rows.begin(), rows.end() - LineRowModel::kMaxRows);
    }
}

void LineRowModel::Append(std::vector<LineRow> rows) {
    KeepLast(rows);
    const int count = static_cast<int>(rows.size());
    const int excess = rowCount() + count - kMaxRows;
    if (excess > 0) {
        beginRemoveRows({}, 0, excess - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + excess);
        endRemoveRows();
    }
    if (count == 0) {
        return;
    }
    beginInsertRows({}, rowCount(), rowCount() + count - 1);
    std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    endInsertRows();
}

void LineRowModel::Clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString LineRowModel::Text() const {
    QString text;
    for (const LineRow& row : m_rows) {
        for (int c = 0; c < kLineColumns; ++c) {
            text += row.cells[c] + (c + 1 < kLineColumns ? u'\t' : u'\n');
        }
    }
    return text;
}

int LineRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LineRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kLineColumns;
}

QVariant LineRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const LineRow& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return row.cells[index.column()];
    }
    if (role == Qt::ForegroundRole && row.tone != LineTone::Plain) {
        // The main window's own red and blue.
        return row.tone == LineTone::Error ? QColor(192, 0, 0) : QColor(0, 0, 192);
    }
    return {};
}

QVariant LineRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[kLineColumns] = {"Time",    "Dir",   "Kind",
                                                      "Content", "Check", "Gap ms"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kLineColumns) {
        return {};
    }
    return QString::fromLatin1(kTitles[section]);
}

}  // namespace espa::ui
