#pragma once

#include <QWidget>
#include <array>

namespace espa {
class CallTable;
}

namespace espa::ui {

class ClickableLabel;

// The header row and the ten rows of call positions, position 0 at the top. Each row is six
// labels named after their column and position (LabAdres_0 … LabReturnedStatus_9).
class CallGrid : public QWidget {
    Q_OBJECT

  public:
    enum Column { Adres, Info, Bleep, CallType, Priority, ReturnedStatus, kColumnCount };
    static constexpr int kRows = 10;
    // Width of the whole grid in twips; the columns share it in their fixed proportions.
    static constexpr int kWidthTwips = 10020;
    static constexpr int kHeightTwips = 3600;

    explicit CallGrid(QWidget* parent = nullptr);

    // ShowCallPositions: texts, and the status cell's colours and tool tip by its status word.
    void Show(const CallTable& table);
    // The tool tips the window gives the status cells and their header before the first refresh.
    void SetStartUpToolTips();

    ClickableLabel* Cell(Column column, int position) const { return m_cells[column][position]; }
    ClickableLabel* Header(Column column) const { return m_headers[column]; }

  signals:
    void statusDoubleClicked(int position);
    void headerDoubleClicked();

  private:
    std::array<ClickableLabel*, kColumnCount> m_headers{};
    std::array<std::array<ClickableLabel*, kRows>, kColumnCount> m_cells{};
};

}  // namespace espa::ui
