#pragma once

#include <QWidget>
#include <vector>

#include "core/settings_record.h"
#include "line/frame.h"
#include "line/hint.h"
#include "ui/line_rows.h"

class QPushButton;
class QTableView;

namespace espa::ui {

// The Line window: every frame on the line, both ways, and the doctor's hints, newest at the
// bottom. It only shows what it is given; whoever opens it turns the watch on, feeds it on the
// lamp tick and turns the watch off when it says it is closed.
//
// Pause freezes the table but keeps what comes meanwhile (up to the row limit) and adds it on
// resume: someone reading a frame must not lose the ones that answer it.
class LineView final : public QWidget {
    Q_OBJECT

  public:
    explicit LineView(QWidget* parent = nullptr);

    // What the watch gave since the last lamp tick, as one batch.
    void Add(const std::vector<Frame>& frames, const std::vector<Hint>& hints, Emulation make);

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Show(std::vector<LineRow> rows);
    void SetPaused(bool paused);
    void Clear();
    void Copy();

    LineRowModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    std::vector<LineRow> m_held;
    bool m_paused = false;
};

}  // namespace espa::ui
