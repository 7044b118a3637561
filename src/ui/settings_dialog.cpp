#include "ui/settings_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/emulator.h"
#include "ui/settings_combo.h"
#include "ui/twips.h"
#include "ui/window_behaviour.h"

namespace espa::ui {
namespace {

struct ComboDesign {
    const char* name;
    const char* designText;
    int left, top, width;
    std::int16_t SettingsRecord::*field;
    std::vector<std::string_view> entries;
    int outOfListPosition;  // shown for a value at or above the entry count
};

template <std::size_t N>
std::vector<std::string_view> Entries(const std::array<std::string_view, N>& names) {
    return {names.begin(), names.end()};
}

const std::array<ComboDesign, SettingsDialog::kComboCount>& ComboDesigns() {
    static const std::array<ComboDesign, SettingsDialog::kComboCount> designs{{
        {"ComboEmulatie", "Emulatie", 240, 600, 1695, &SettingsRecord::Emulatie,
         Entries(kEmulationNames), 0},
        {"ComboCom", "Com", 2040, 600, 975, &SettingsRecord::Compoort, Entries(kComPortNames), 1},
        {"ComboBaud", "Baud", 3120, 600, 1215, &SettingsRecord::BaudRate, Entries(kBaudRateNames),
         1},
        {"ComboParity", "Parity", 4440, 600, 855, &SettingsRecord::Parity, Entries(kParityNames),
         1},
        {"ComboBits", "Bits", 5400, 600, 735, &SettingsRecord::Bits, Entries(kBitsNames), 1},
        {"ComboStop", "Stop", 6240, 600, 1095, &SettingsRecord::StopBits, Entries(kStopBitsNames),
         1},
        {"ComboRtsCts", "Combo1", 7440, 600, 2535, &SettingsRecord::HandShake,
         Entries(kHandShakeNames), 0},
        {"ComboLogfile", "Logfile", 240, 1560, 2535, &SettingsRecord::Logfile,
         Entries(kLogfileNames), 0},
    }};
    return designs;
}

struct CaptionDesign {
    const char* text;
    int left, width;
};
constexpr CaptionDesign kCaptions[] = {
    {"EmulationMode", 240, 1455}, {"ComPort", 2040, 975},    {"BaudRate", 3120, 975},
    {"Parity", 4440, 735},        {"Nr of Bits", 5400, 855}, {"Nr of StopBits", 6240, 975},
    {"HandShake", 7440, 975},
};

constexpr int kClientWidth = 10050;
constexpr int kClientHeight = 2385;
const QColor kLockedText(192, 192, 192);

QPushButton* Button(const char* name, const char* caption, int left, int top, bool enabled,
                    QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setEnabled(enabled);
    PlaceTwips(button, left, top, 1095, 375);
    return button;
}

}  // namespace

SettingsDialog::SettingsDialog(espa::Emulator& emulator, std::function<void()> beep,
                               QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_emulator(emulator), m_beep(std::move(beep)) {
    setObjectName("frmInstellingen");
    setWindowTitle("Setup");
    setAttribute(Qt::WA_DeleteOnClose);

    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    const int captionCount = static_cast<int>(std::size(kCaptions));
    for (int i = 0; i < captionCount; ++i) {
        auto* label = new QLabel(kCaptions[i].text, this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        // A caption may run on up to the next one: today's fonts are wider than the design's.
        const int room = i + 1 < captionCount ? kCaptions[i + 1].left - kCaptions[i].left - 60
                                              : kCaptions[i].width;
        PlaceTwips(label, kCaptions[i].left, 240, std::max(kCaptions[i].width, room), 255);
    }
    for (int i = 0; i < kComboCount; ++i) {
        const ComboDesign& design = ComboDesigns()[i];
        auto* combo = new SettingsCombo(this);
        combo->setObjectName(design.name);
        combo->setEditText(design.designText);
        PlaceTwips(combo, design.left, design.top, design.width, 315);
        m_combos[i] = combo;
    }
    m_cmdCancel = Button("CmdCancel", "Cancel", 7440, 1320, false, this);
    m_cmdWijzigen = Button("CmdWijzigen", "Change", 8880, 1320, true, this);
    m_cmdSave = Button("CmdSave", "Save", 7440, 1920, false, this);
    m_cmdClose = Button("CmdClose", "Close", 8880, 1920, true, this);
    connect(m_cmdCancel, &QPushButton::clicked, this, &SettingsDialog::CmdCancel_Click);
    connect(m_cmdWijzigen, &QPushButton::clicked, this, &SettingsDialog::CmdWijzigen_Click);
    connect(m_cmdSave, &QPushButton::clicked, this, &SettingsDialog::CmdSave_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &SettingsDialog::CmdClose_Click);

    // Emulation, baud, parity, bits, stop, handshake, port, then the buttons, then the log level.
    const std::vector<QWidget*> tabOrder{m_combos[0], m_combos[2], m_combos[3], m_combos[4],
                                         m_combos[5], m_combos[6], m_combos[1], m_cmdWijzigen,
                                         m_cmdClose,  m_cmdCancel, m_cmdSave,   m_combos[7]};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    setFixedSize(TwipsToPixelsX(this, kClientWidth), TwipsToPixelsY(this, kClientHeight));
    LoadLists();
}

void SettingsDialog::LoadLists() {
    for (SettingsCombo* combo : m_combos) {
        combo->clear();
    }
    LockCombo();
    for (int i = 0; i < kComboCount; ++i) {
        for (std::string_view entry : ComboDesigns()[i].entries) {
            m_combos[i]->addItem(QString::fromLatin1(entry.data(), entry.size()));
        }
    }
    UpdateCombo();
}

void SettingsDialog::UnlockCombo() {
    for (SettingsCombo* combo : m_combos) {
        combo->SetLocked(false);
    }
    const QColor windowText = QApplication::palette().color(QPalette::WindowText);
    for (SettingsCombo* combo : m_combos) {
        combo->SetTextColour(windowText);
    }
}

void SettingsDialog::LockCombo() {
    for (SettingsCombo* combo : m_combos) {
        combo->SetLocked(true);
    }
    for (SettingsCombo* combo : m_combos) {
        combo->SetTextColour(kLockedText);
    }
}

// A value the list cannot show (only a hand-edited espa.set holds one) shows a fixed entry; it
// replaces the value only if the operator saves. Below -1 nothing can be shown: no selection.
void SettingsDialog::UpdateCombo() {
    const SettingsRecord& record = m_emulator.Settings();
    for (int i = 0; i < kComboCount; ++i) {
        const ComboDesign& design = ComboDesigns()[i];
        const int value = record.*design.field;
        const int count = static_cast<int>(design.entries.size());
        int position = value;
        if (value >= count) {
            position = design.outOfListPosition;
        } else if (value < -1) {
            position = -1;
        }
        m_combos[i]->setCurrentIndex(position);
        // Whatever was typed over the edit field goes as well.
        m_combos[i]->setEditText(position >= 0 ? m_combos[i]->itemText(position) : QString());
    }
}

void SettingsDialog::ComboToSettings(SettingsRecord& record) const {
    for (int i = 0; i < kComboCount; ++i) {
        record.*ComboDesigns()[i].field =
            static_cast<std::int16_t>(m_combos[i]->SelectedPosition());
    }
}

void SettingsDialog::CmdWijzigen_Click() {
    m_cmdCancel->setEnabled(true);
    m_cmdSave->setEnabled(true);
    m_cmdClose->setEnabled(false);
    m_cmdWijzigen->setEnabled(false);
    UnlockCombo();
}

void SettingsDialog::CmdCancel_Click() {
    m_cmdCancel->setEnabled(false);
    m_cmdSave->setEnabled(false);
    m_cmdClose->setEnabled(true);
    m_cmdWijzigen->setEnabled(true);
    LockCombo();
    UpdateCombo();
}

void SettingsDialog::CmdSave_Click() {
    m_cmdCancel->setEnabled(false);
    m_cmdSave->setEnabled(false);
    m_cmdClose->setEnabled(true);
    m_cmdWijzigen->setEnabled(true);
    LockCombo();
    SettingsRecord record = m_emulator.Settings();
    ComboToSettings(record);
    // Record, espa.set, window height, then the port closed and opened with the new settings.
    m_emulator.ApplySettings(record);
}

void SettingsDialog::CmdClose_Click() {
    close();
}

void SettingsDialog::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (LostActivationToOwnWindow(*this, *event) && m_beep) {
        m_beep();
    }
}

void SettingsDialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce) {
        return;
    }
    m_shownOnce = true;
    if (const QScreen* s = screen()) {
        CentreFrameOn(*this, s->availableGeometry());
    }
}

}  // namespace espa::ui
