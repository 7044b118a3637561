#include "ui/report_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/emulator_report.h"

namespace espa::ui {
namespace {

struct FieldDesign {
    const char* name;
    const char* label;
    std::string ReportHeader::*field;
};
constexpr std::array<FieldDesign, 5> kFields{{
    {"ReportSite", "Site", &ReportHeader::site},
    {"ReportCentralMake", "Central make", &ReportHeader::centralMake},
    {"ReportCentralFirmware", "Central firmware", &ReportHeader::centralFirmware},
    {"ReportEngineer", "Engineer", &ReportHeader::engineer},
    {"ReportRemarks", "Remarks", &ReportHeader::remarks},
}};

QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

}  // namespace

ReportDialog::ReportDialog(EmulatorReport& report, QWidget* parent)
    : QDialog(parent), m_report(report) {
    setObjectName("frmReport");
    setWindowTitle("Report");
    auto* form = new QFormLayout(this);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        m_header[i] = new QLineEdit(this);
        m_header[i]->setObjectName(kFields[i].name);
        form->addRow(kFields[i].label, m_header[i]);
    }
    m_page = new QLineEdit(this);
    m_page->setObjectName("ReportPage");
    m_page->setPlaceholderText("commissioning.html");
    auto* browse = new QPushButton("Browse...", this);
    browse->setObjectName("ReportBrowse");
    connect(browse, &QPushButton::clicked, this, &ReportDialog::Browse);
    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(m_page);
    pageRow->addWidget(browse);
    form->addRow("Page", pageRow);
    m_problem = new QLabel(this);
    m_problem->setObjectName("ReportProblem");
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet("color: red");
    form->addRow(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ReportOk");
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportDialog::reject);
    form->addRow(buttons);
    m_page->setText(m_report.AtEnd());
    Refresh();
}

void ReportDialog::Refresh() {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        m_header[i]->setText(FromLatin1(m_report.Header().*kFields[i].field));
    }
    m_problem->clear();
}

// The header is kept whether or not the page can be written: what was typed is not lost.
void ReportDialog::accept() {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        m_report.Header().*kFields[i].field = m_header[i]->text().toLatin1().toStdString();
    }
    m_problem->clear();
    if (const std::optional<std::string> failure = m_report.Write(m_page->text())) {
        m_problem->setText(QString::fromStdString(*failure));
        return;
    }
    QDialog::accept();
}

void ReportDialog::Browse() {
    const QString page =
        QFileDialog::getSaveFileName(this, "Report page", m_page->text(), "Report pages (*.html)");
    if (!page.isEmpty()) {
        m_page->setText(page);
    }
}

}  // namespace espa::ui
