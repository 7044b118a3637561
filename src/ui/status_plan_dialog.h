#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace espa {
class StatusExchange;
}

namespace espa::ui {

// Tools > Status plan: the plans in force, one per line, edited as text. OK applies them all or,
// when a line is wrong, none: the line's number and fault show and the dialog stays open. No
// lines: the operator's status choice holds again.
class StatusPlanDialog : public QDialog {
    Q_OBJECT

  public:
    explicit StatusPlanDialog(StatusExchange& status, QWidget* parent = nullptr);

    void accept() override;

  private:
    StatusExchange& m_status;
    QPlainTextEdit* m_plans = nullptr;
    QLabel* m_error = nullptr;
};

}  // namespace espa::ui
