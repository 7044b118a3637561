#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;

namespace espa {
class EmulatorReport;
}

namespace espa::ui {

// Tools > Report...: the report's header as the engineer fills it and the page's name. OK writes
// the report (the figures now, the page once espa-report has made it, said in the log) and
// closes; a name that cannot be used or figures that cannot be written are said in the dialog,
// which stays open with nothing written.
class ReportDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit ReportDialog(EmulatorReport& report, QWidget* parent = nullptr);

    // Shows the header as it stands now: standard input or the command line may have changed it.
    void Refresh();
    void accept() override;

  private:
    void Browse();

    EmulatorReport& m_report;
    std::array<QLineEdit*, 5> m_header{};
    QLineEdit* m_page = nullptr;
    QLabel* m_problem = nullptr;
};

}  // namespace espa::ui
