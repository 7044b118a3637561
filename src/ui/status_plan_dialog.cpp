#include "ui/status_plan_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <vector>

#include "calls/status_exchange.h"

namespace espa::ui {

StatusPlanDialog::StatusPlanDialog(StatusExchange& status, QWidget* parent)
    : QDialog(parent), m_status(status) {
    setWindowTitle("Status plan");
    auto* layout = new QVBoxLayout(this);
    auto* help = new QLabel(
        "One plan a line; the first that matches a call's pager decides. Examples:\n"
        "  queue:10s,paged   QUEUE for ten seconds, then PAGED\n"
        "  queue:2,absent    QUEUE at two polls, then ABSENT\n"
        "  12*=queue:1,paged   pagers 12..., with * and ? as wildcards\n"
        "No plan: the status chosen in the main window is reported.",
        this);
    layout->addWidget(help);
    m_plans = new QPlainTextEdit(this);
    m_plans->setObjectName("Plans");
    for (const StatusPlan& plan : status.StatusPlans()) {
        m_plans->appendPlainText(QString::fromLatin1(plan.Text()));
    }
    layout->addWidget(m_plans);
    m_error = new QLabel(this);
    m_error->setObjectName("Error");
    m_error->setStyleSheet("color: #c00000");
    layout->addWidget(m_error);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &StatusPlanDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StatusPlanDialog::reject);
    layout->addWidget(buttons);
}

void StatusPlanDialog::accept() {
    std::vector<StatusPlan> plans;
    const QStringList lines = m_plans->toPlainText().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray text = lines[i].trimmed().toLatin1();
        if (text.isEmpty()) {
            continue;
        }
        std::string error;
        auto plan = StatusPlan::Parse(text.toStdString(), error);
        if (!plan) {
            m_error->setText(QString("Line %1: %2").arg(i + 1).arg(QString::fromLatin1(error)));
            return;
        }
        plans.push_back(std::move(*plan));
    }
    m_status.SetStatusPlans(std::move(plans));
    QDialog::accept();
}

}  // namespace espa::ui
