#pragma once

#include <QLabel>

namespace espa::ui {

// A label that reports clicks and double-clicks, as the grid cells and the "RTS" caption need.
// A double-click reports no second click for the release that ends it.
class ClickableLabel : public QLabel {
    Q_OBJECT

  public:
    explicit ClickableLabel(QWidget* parent = nullptr);

  signals:
    void clicked();
    void doubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool m_pressed = false;
};

}  // namespace espa::ui
