#include "ui/settings_combo.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace espa::ui {

SettingsCombo::SettingsCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Typed text selects nothing and never becomes a new entry: the lists are fixed.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void SettingsCombo::SetLocked(bool locked) {
    m_locked = locked;
    lineEdit()->setReadOnly(locked);
}

void SettingsCombo::SetTextColour(const QColor& colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    setPalette(palette);
    QPalette editPalette = lineEdit()->palette();
    editPalette.setColor(QPalette::Text, colour);
    lineEdit()->setPalette(editPalette);
}

int SettingsCombo::SelectedPosition() const {
    const QString shown = currentText();
    const int current = currentIndex();
    if (current >= 0 && itemText(current) == shown) {
        return current;
    }
    return findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void SettingsCombo::showPopup() {
    if (!m_locked) {
        QComboBox::showPopup();
    }
}

void SettingsCombo::keyPressEvent(QKeyEvent* event) {
    if (!m_locked) {
        QComboBox::keyPressEvent(event);
        return;
    }
    // Tab and the like still move the focus on; everything that would change the list is eaten.
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            event->ignore();
            return;
        default:
            event->accept();
            return;
    }
}

void SettingsCombo::wheelEvent(QWheelEvent* event) {
    if (m_locked) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

}  // namespace espa::ui
