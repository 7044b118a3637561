#include <algorithm>

#include "ui/settings_combo.h"
#include "ui/settings_dialog.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

const QColor kLockedGrey(192, 192, 192);
constexpr const char* kCombos[] = {"ComboEmulatie", "ComboCom",  "ComboBaud",   "ComboParity",
                                   "ComboBits",     "ComboStop", "ComboRtsCts", "ComboLogfile"};

class SettingsDialogTest : public UiTest {
  protected:
    ui::SettingsDialog* OpenSetup() {
        TriggerMenu("Setup");
        return window->SettingsWindow();
    }
    ui::SettingsCombo* Combo(const char* name) const { return Find<ui::SettingsCombo>(name); }
    // Whether the dialog is locked: its lists grey and closed to edits, only Change and Close.
    void ExpectLocked(bool locked) const {
        for (const char* name : kCombos) {
            EXPECT_EQ(Combo(name)->IsLocked(), locked) << name;
            EXPECT_EQ(Combo(name)->lineEdit()->palette().color(QPalette::Text),
                      locked ? kLockedGrey : SystemColour(QPalette::WindowText))
                << name;
        }
        QString enabled;
        for (const char* button : {"CmdWijzigen", "CmdClose", "CmdSave", "CmdCancel"}) {
            enabled += Find<QPushButton>(button)->isEnabled() ? "1" : "0";
        }
        EXPECT_EQ(enabled, locked ? "1100" : "0011");
    }
    std::string StoredFile() const { return ReadFile(dir.path() / "espa.set"); }
    SettingsRecord Stored() const {
        SettingsRecord stored;
        ReadSettings(dir.path(), stored);
        return stored;
    }
};

TEST_F(SettingsDialogTest, OpensLockedOnTheRecordAndChangeThenCancelRestoresTouchingNothing) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Setup");
    EXPECT_TRUE(dialog->isVisible());
    QStringList shown;
    for (const char* name : kCombos) {
        shown << Combo(name)->currentText();
    }
    EXPECT_EQ(shown.join('|'), "Philips|Com1|300|N|7|1|No HandShake|No Log enabled");
    EXPECT_EQ(Combo("ComboRtsCts")->count(), 3);
    EXPECT_EQ(Combo("ComboLogfile")->itemText(3), "Debug Log to file & screen");
    ExpectLocked(true);
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    QTest::keyClicks(Combo("ComboBaud")->lineEdit(), "9");
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "300");

    const std::string fileBefore = StoredFile();
    const std::size_t callsBefore = control.calls.size();
    Click("CmdWijzigen");
    ExpectLocked(false);
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "1200");
    Combo("ComboParity")->lineEdit()->setText("typed");
    Click("CmdCancel");
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "300");
    EXPECT_EQ(Combo("ComboParity")->currentText(), "N");
    ExpectLocked(true);
    EXPECT_EQ(emulator->Settings(), SettingsRecord{});
    EXPECT_EQ(StoredFile(), fileBefore);
    EXPECT_EQ(control.calls.size(), callsBefore);
}

TEST_F(SettingsDialogTest, SaveWritesTheFileAndReopensThePort) {
    Start();
    OpenSetup();
    Click("CmdWijzigen");
    for (const auto& [name, index] : {std::pair{"ComboBaud", 5},
                                      {"ComboParity", 1},
                                      {"ComboEmulatie", 3},
                                      {"ComboLogfile", 1}}) {
        Combo(name)->setCurrentIndex(index);
    }
    const std::size_t callsBefore = control.calls.size();
    Click("CmdSave");
    const SettingsRecord stored = Stored();
    EXPECT_EQ(std::tuple(stored.BaudRate, stored.Parity, stored.Emulatie, stored.Logfile),
              std::tuple(5, 1, 3, 1));
    EXPECT_EQ(emulator->Settings(), stored);
    EXPECT_EQ(window->WindowHeightTwips(), 9195);  // the log window appears
    const std::vector<std::string> after(control.calls.begin() + callsBefore, control.calls.end());
    EXPECT_LT(std::find(after.begin(), after.end(), "PortOpen=0"),
              std::find(after.begin(), after.end(), "PortOpen=1"));
    EXPECT_TRUE(control.open);
    EXPECT_EQ(control.settings, "19200,E,7,1");
    ExpectLocked(true);
}

// Values only a hand-edited espa.set holds show a fixed entry (Com2, no log) and replace the
// stored value only when the operator saves; below -1 (a record changed in memory) nothing shows.
TEST_F(SettingsDialogTest, ValuesOutsideTheListsShowAFixedEntryThatOnlySaveStores) {
    SettingsRecord record;
    record.Compoort = 9;
    Start(4, record);
    emulator->Settings().BaudRate = -5;
    OpenSetup();
    EXPECT_EQ(Combo("ComboCom")->currentText(), "Com2");
    EXPECT_EQ(Combo("ComboLogfile")->currentText(), "No Log enabled");
    EXPECT_EQ(Combo("ComboBaud")->currentIndex(), -1);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "");
    Click("CmdWijzigen");
    Click("CmdCancel");
    EXPECT_EQ(emulator->Settings().Compoort, 9);
    EXPECT_EQ(emulator->Settings().Logfile, 4);
    Click("CmdWijzigen");
    Click("CmdSave");
    EXPECT_EQ(emulator->Settings().Compoort, 1);
    EXPECT_EQ(emulator->Settings().Logfile, 0);
    EXPECT_EQ(Stored().Compoort, 1);
}

// Typed text that is an entry counts as that entry, other text as -1, and nothing is added to the
// lists; a second Setup brings up the same window with the edits, closing drops them.
TEST_F(SettingsDialogTest, TypedTextCountsOnlyAsAnEntryAndLivesUntilTheDialogCloses) {
    Start();
    ui::SettingsDialog* first = OpenSetup();
    Click("CmdWijzigen");
    for (const auto& [combo, typed] : {std::pair{"ComboBaud", "1234"}, {"ComboParity", "O"}}) {
        Combo(combo)->lineEdit()->selectAll();
        QTest::keyClicks(Combo(combo)->lineEdit(), typed);
    }
    EXPECT_EQ(OpenSetup(), first);
    EXPECT_EQ(window->findChildren<ui::SettingsDialog*>().size(), 1);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "1234");
    EXPECT_TRUE(Find<QPushButton>("CmdSave")->isEnabled());
    SettingsRecord record;
    first->ComboToSettings(record);
    EXPECT_EQ(record.BaudRate, -1);
    EXPECT_EQ(record.Parity, 2);
    EXPECT_EQ(Combo("ComboBaud")->count(), 6);

    const std::string fileBefore = StoredFile();
    first->close();
    DeleteClosedWindows();
    EXPECT_EQ(window->SettingsWindow(), nullptr);
    EXPECT_EQ(emulator->Settings(), SettingsRecord{});
    EXPECT_EQ(StoredFile(), fileBefore);
    emulator->Settings().BaudRate = 3;
    OpenSetup();
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "4800");
    Click("CmdClose");
    DeleteClosedWindows();
    EXPECT_EQ(window->SettingsWindow(), nullptr);
}

}  // namespace
}  // namespace espa::test
