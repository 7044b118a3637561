#include "ui/faults_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "engine/emulator.h"
#include "faults/fault_plan.h"

namespace espa::ui {

FaultsDialog::FaultsDialog(Emulator& emulator, QWidget* parent)
    : QDialog(parent), m_emulator(emulator) {
    setWindowTitle("Faults");
    m_list = new QListWidget(this);
    m_list->setObjectName("FaultList");
    m_spec = new QLineEdit(this);
    m_spec->setObjectName("FaultSpec");
    m_spec->setPlaceholderText("nak-block:2, silent:2000, after 10s delay:300, at exchange 3 ...");
    m_error = new QLabel(this);
    m_error->setObjectName("FaultError");
    m_error->setStyleSheet("color: red");
    auto* add = new QPushButton("Add", this);
    add->setObjectName("AddFault");
    auto* clear = new QPushButton("Clear", this);
    clear->setObjectName("ClearFaults");

    auto* entry = new QHBoxLayout;
    entry->addWidget(m_spec, 1);
    entry->addWidget(add);
    entry->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(entry);
    layout->addWidget(m_error);

    connect(add, &QPushButton::clicked, this, &FaultsDialog::AddFault);
    connect(m_spec, &QLineEdit::returnPressed, this, &FaultsDialog::AddFault);
    connect(clear, &QPushButton::clicked, this, &FaultsDialog::ClearFaults);
    connect(&m_refresh, &QTimer::timeout, this, &FaultsDialog::Refresh);
    m_refresh.start(kRefreshMs);
    resize(520, 320);
    Refresh();
}

void FaultsDialog::AddFault() {
    std::string error;
    const auto planned = ParsePlanLine(m_spec->text().toLatin1().toStdString(), error);
    if (!planned || !m_emulator.AddFaults({*planned}, error)) {
        m_error->setText(QString::fromLatin1(error));
        return;
    }
    m_error->clear();
    m_spec->clear();
    Refresh();
}

void FaultsDialog::ClearFaults() {
    m_emulator.Faults().Clear();
    Refresh();
}

void FaultsDialog::Refresh() {
    QStringList rows;
    const FaultInjector& faults = m_emulator.Faults();
    for (const std::string& text : faults.PendingTexts()) {
        rows << "waiting: " + QString::fromLatin1(text);
    }
    for (const std::string& text : faults.ActiveTexts()) {
        rows << "acting: " + QString::fromLatin1(text);
    }
    for (const FaultEvent& taken : faults.Taken()) {
        rows << "taken: " + QString::fromLatin1(taken.text + ": " + taken.detail);
    }
    // Rebuilt only when it changed, so a selection survives the refresh.
    QStringList shown;
    for (int i = 0; i < m_list->count(); ++i) {
        shown << m_list->item(i)->text();
    }
    if (shown != rows) {
        m_list->clear();
        m_list->addItems(rows);
    }
}

}  // namespace espa::ui
