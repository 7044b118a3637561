#pragma once

#include <QComboBox>

namespace espa::ui {

// A drop-down list with an edit field that can be locked read-only: while locked the operator can
// neither open the list, nor step through it with keys or the wheel, nor type.
class SettingsCombo : public QComboBox {
    Q_OBJECT

  public:
    explicit SettingsCombo(QWidget* parent = nullptr);

    void SetLocked(bool locked);
    bool IsLocked() const { return m_locked; }
    void SetTextColour(const QColor& colour);

    // The position of the entry the edit field shows, or -1 when its text is no entry (the
    // operator typed over it) or nothing is selected.
    int SelectedPosition() const;

    void showPopup() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool m_locked = false;
};

}  // namespace espa::ui
