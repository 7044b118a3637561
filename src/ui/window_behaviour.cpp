#include "ui/window_behaviour.h"

#include <QApplication>
#include <QEvent>
#include <QRect>
#include <QWidget>

namespace espa::ui {

bool LostActivationToOwnWindow(const QWidget& window, const QEvent& event) {
    if (event.type() != QEvent::ActivationChange || window.isActiveWindow() ||
        !window.isVisible()) {
        return false;
    }
    const QWidget* active = QApplication::activeWindow();
    return active != nullptr && active != &window;
}

void CentreFrameOn(QWidget& window, const QRect& area) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

}  // namespace espa::ui
