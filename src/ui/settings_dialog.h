#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "core/settings_record.h"

class QPushButton;

namespace espa {
class Emulator;
}

namespace espa::ui {

class SettingsCombo;

// frmInstellingen: the eight settings in drop-down lists. Opens locked (read-only, grey); Change
// unlocks them, Cancel restores them from the record, Save puts them in force. The lists are the
// only working copy: the record is written only on Save. A plain window, not a QDialog: Escape
// must not hide it half-unloaded, and the close box unloads it like Close.
class SettingsDialog : public QWidget {
    Q_OBJECT

  public:
    // `beep` sounds when another window of the program is activated while this one is open.
    SettingsDialog(espa::Emulator& emulator, std::function<void()> beep, QWidget* parent = nullptr);

    void UnlockCombo();
    void LockCombo();
    void UpdateCombo();
    void ComboToSettings(SettingsRecord& record) const;

    // The lists in the order ComboEmulatie, ComboCom, ComboBaud, ComboParity, ComboBits,
    // ComboStop, ComboRtsCts, ComboLogfile.
    static constexpr int kComboCount = 8;
    SettingsCombo* Combo(int index) const { return m_combos[index]; }

  public slots:
    void CmdWijzigen_Click();
    void CmdCancel_Click();
    void CmdSave_Click();
    void CmdClose_Click();

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void LoadLists();

    espa::Emulator& m_emulator;
    std::function<void()> m_beep;
    std::array<SettingsCombo*, kComboCount> m_combos{};
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdWijzigen = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdClose = nullptr;
    bool m_shownOnce = false;
};

}  // namespace espa::ui
