#include <algorithm>

#include "ui/settings_combo.h"
#include "ui/settings_dialog.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

constexpr const char* kComboNames[] = {"ComboEmulatie", "ComboCom",  "ComboBaud",   "ComboParity",
                                       "ComboBits",     "ComboStop", "ComboRtsCts", "ComboLogfile"};
const QColor kLockedGrey(192, 192, 192);

class SettingsDialogTest : public UiTest {
  protected:
    ui::SettingsDialog* OpenSetup() {
        TriggerMenu("Setup");
        return window->SettingsWindow();
    }
    ui::SettingsCombo* Combo(const char* name) const { return Find<ui::SettingsCombo>(name); }
    bool Enabled(const char* button) const { return Find<QPushButton>(button)->isEnabled(); }
    static QColor EditColour(const ui::SettingsCombo* combo) {
        return combo->lineEdit()->palette().color(QPalette::Text);
    }
    std::string StoredFile() const { return ReadFile(dir.path() / "espa.set"); }
    SettingsRecord Stored() const {
        SettingsRecord stored;
        ReadSettings(dir.path(), stored);
        return stored;
    }
    int OpenDialogs() const {
        const auto dialogs = window->findChildren<ui::SettingsDialog*>();
        return static_cast<int>(
            std::count_if(dialogs.begin(), dialogs.end(), [](auto* d) { return d->isVisible(); }));
    }
};

TEST_F(SettingsDialogTest, OpensLockedAndGreyShowingTheRecordWithOnlyChangeAndClose) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Setup");
    EXPECT_TRUE(dialog->isVisible());

    const char* shown[] = {"Philips", "Com1", "300",          "N",
                           "7",       "1",    "No HandShake", "No Log enabled"};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(kComboNames[i]);
        EXPECT_EQ(Combo(kComboNames[i])->currentText(), shown[i]);
        EXPECT_TRUE(Combo(kComboNames[i])->IsLocked());
        EXPECT_EQ(EditColour(Combo(kComboNames[i])), kLockedGrey);
    }
    EXPECT_EQ(Combo("ComboRtsCts")->count(), 3);
    EXPECT_EQ(Combo("ComboLogfile")->itemText(3), "Debug Log to file & screen");
    EXPECT_TRUE(Enabled("CmdWijzigen") && Enabled("CmdClose"));
    EXPECT_FALSE(Enabled("CmdSave") || Enabled("CmdCancel"));

    // A locked list takes neither keys nor typing.
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    QTest::keyClicks(Combo("ComboBaud")->lineEdit(), "9");
    EXPECT_EQ(Combo("ComboBaud")->currentIndex(), 0);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "300");
}

TEST_F(SettingsDialogTest, ChangeUnlocksTheListsAndCancelRestoresThemTouchingNothing) {
    Start();
    OpenSetup();
    const std::string fileBefore = StoredFile();
    const std::size_t callsBefore = control.calls.size();
    Click("CmdWijzigen");

    EXPECT_FALSE(Enabled("CmdWijzigen") || Enabled("CmdClose"));
    EXPECT_TRUE(Enabled("CmdSave") && Enabled("CmdCancel"));
    for (const char* name : kComboNames) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Combo(name)->IsLocked());
        EXPECT_EQ(EditColour(Combo(name)), SystemColour(QPalette::WindowText));
    }
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "1200");
    Combo("ComboParity")->lineEdit()->setText("typed");
    Click("CmdCancel");

    EXPECT_EQ(Combo("ComboBaud")->currentText(), "300");
    EXPECT_EQ(Combo("ComboParity")->currentText(), "N");
    EXPECT_TRUE(Combo("ComboBaud")->IsLocked());
    EXPECT_EQ(EditColour(Combo("ComboBaud")), kLockedGrey);
    EXPECT_TRUE(Enabled("CmdWijzigen") && Enabled("CmdClose"));
    EXPECT_FALSE(Enabled("CmdSave") || Enabled("CmdCancel"));
    EXPECT_EQ(emulator->Settings(), SettingsRecord{});
    EXPECT_EQ(StoredFile(), fileBefore);
    EXPECT_EQ(control.calls.size(), callsBefore);
}

TEST_F(SettingsDialogTest, SaveWritesTheFileAndReopensThePort) {
    Start();
    OpenSetup();
    Click("CmdWijzigen");
    Combo("ComboBaud")->setCurrentIndex(5);
    Combo("ComboParity")->setCurrentIndex(1);
    Combo("ComboEmulatie")->setCurrentIndex(3);
    Combo("ComboLogfile")->setCurrentIndex(1);
    const std::size_t callsBefore = control.calls.size();
    Click("CmdSave");

    const SettingsRecord stored = Stored();
    EXPECT_EQ(stored.BaudRate, 5);
    EXPECT_EQ(stored.Parity, 1);
    EXPECT_EQ(stored.Emulatie, 3);
    EXPECT_EQ(stored.Logfile, 1);
    EXPECT_EQ(emulator->Settings(), stored);
    EXPECT_EQ(window->WindowHeightTwips(), 9195);  // the log window appears

    const std::vector<std::string> after(control.calls.begin() + callsBefore, control.calls.end());
    const auto closed = std::find(after.begin(), after.end(), "PortOpen=0");
    EXPECT_LT(closed, std::find(after.begin(), after.end(), "PortOpen=1"));
    EXPECT_TRUE(control.open);
    EXPECT_EQ(control.settings, "19200,E,7,1");

    EXPECT_TRUE(Combo("ComboBaud")->IsLocked());
    EXPECT_TRUE(Enabled("CmdWijzigen") && Enabled("CmdClose"));
    EXPECT_FALSE(Enabled("CmdSave") || Enabled("CmdCancel"));
}

// Values only a hand-edited espa.set holds show a fixed entry (Com2, no log) and replace the
// stored value only when the operator saves. Below -1 (only a record changed in memory) nothing
// is selected.
TEST_F(SettingsDialogTest, ValuesOutsideTheListsShowAFixedEntryThatOnlySaveStores) {
    SettingsRecord record;
    record.Compoort = 9;
    record.Logfile = 4;
    Start(record);
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
    EXPECT_EQ(Combo("ComboCom")->currentText(), "Com2");

    Click("CmdWijzigen");
    Click("CmdSave");
    EXPECT_EQ(emulator->Settings().Compoort, 1);
    EXPECT_EQ(emulator->Settings().Logfile, 0);
    EXPECT_EQ(Stored().Compoort, 1);
}

// Typed text that is an entry counts as that entry, other text as -1; nothing is added to the
// lists, and a second Setup brings up the same window with the edits.
TEST_F(SettingsDialogTest, TypedTextIsKeptByASecondSetupAndCountsOnlyWhenItIsAnEntry) {
    Start();
    ui::SettingsDialog* first = OpenSetup();
    Click("CmdWijzigen");
    for (const auto& [combo, typed] :
         {std::pair{"ComboBaud", "1234"}, std::pair{"ComboParity", "O"}}) {
        QLineEdit* edit = Combo(combo)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
    }
    EXPECT_EQ(OpenSetup(), first);
    EXPECT_EQ(OpenDialogs(), 1);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "1234");
    EXPECT_TRUE(Enabled("CmdSave"));

    SettingsRecord record;
    first->ComboToSettings(record);
    EXPECT_EQ(record.BaudRate, -1);
    EXPECT_EQ(record.Parity, 2);
    EXPECT_EQ(Combo("ComboBaud")->count(), 6);
}

// Closing (by the close box or Close) unloads the dialog and drops its edits; the next Setup
// loads the record afresh.
TEST_F(SettingsDialogTest, ClosingDropsEditsAndSetupReloadsFromTheRecord) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    const std::string fileBefore = StoredFile();
    Click("CmdWijzigen");
    Combo("ComboBaud")->setCurrentIndex(4);
    dialog->close();
    DeleteClosedWindows();
    EXPECT_EQ(window->SettingsWindow(), nullptr);
    EXPECT_EQ(emulator->Settings(), SettingsRecord{});
    EXPECT_EQ(StoredFile(), fileBefore);

    emulator->Settings().BaudRate = 3;
    OpenSetup();
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "4800");
    EXPECT_EQ(OpenDialogs(), 1);
    Click("CmdClose");
    DeleteClosedWindows();
    EXPECT_EQ(window->SettingsWindow(), nullptr);
}

}  // namespace
}  // namespace espa::test
