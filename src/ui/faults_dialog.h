#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QLineEdit;
class QListWidget;

namespace espa {
class Emulator;
}

namespace espa::ui {

// Tools > Faults: the faults waiting, acting and taken, a line to set one as a fault plan's line
// reads ("silent:2000", "at exchange 3 nak-block:1"), with the reason shown when it cannot be
// set, and Clear. The list follows the run while the dialog is open.
class FaultsDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit FaultsDialog(Emulator& emulator, QWidget* parent = nullptr);

    void AddFault();
    void ClearFaults();

  private:
    void Refresh();

    Emulator& m_emulator;
    QListWidget* m_list = nullptr;
    QLineEdit* m_spec = nullptr;
    QLabel* m_error = nullptr;
    QTimer m_refresh;
    static constexpr int kRefreshMs = 250;
};

}  // namespace espa::ui
