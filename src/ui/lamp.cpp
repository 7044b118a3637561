#include "ui/lamp.h"

#include <QPainter>

namespace espa::ui {

Lamp::Lamp(const QColor& colour, QWidget* parent) : QWidget(parent), m_colour(colour) {}

void Lamp::SetColour(const QColor& colour) {
    if (colour != m_colour) {
        m_colour = colour;
        update();
    }
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(m_colour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace espa::ui
