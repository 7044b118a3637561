#include "ui/clickable_label.h"

#include <QMouseEvent>

namespace espa::ui {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {
    // Line text is shown as received; a call text that looks like markup must not be rendered.
    setTextFormat(Qt::PlainText);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
    }
    QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // Not passed on: the base class would treat it as another press, and the release that ends
    // the double-click must not count as another click.
    m_pressed = false;
    event->accept();
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
}

}  // namespace espa::ui
