#pragma once

#include <QColor>
#include <QWidget>

namespace espa::ui {

// One activity or line-signal lamp: a small filled rectangle with a thin outline.
class Lamp : public QWidget {
    Q_OBJECT

  public:
    Lamp(const QColor& colour, QWidget* parent = nullptr);

    void SetColour(const QColor& colour);
    QColor Colour() const { return m_colour; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor m_colour;
};

}  // namespace espa::ui
