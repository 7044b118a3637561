#include <QMenuBar>
#include <QPushButton>

#include "ui/settings_combo.h"
#include "ui/settings_dialog.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

constexpr const char* kComboNames[] = {"ComboEmulatie", "ComboCom",  "ComboBaud",   "ComboParity",
                                       "ComboBits",     "ComboStop", "ComboRtsCts", "ComboLogfile"};

class SettingsDialogTest : public UiTest {
  protected:
    ui::SettingsDialog* OpenSetup() {
        QAction* setup = window->menuBar()->findChild<QAction*>("Setup");
        EXPECT_NE(setup, nullptr);
        setup->trigger();
        return window->SettingsWindow();
    }
    ui::SettingsCombo* Combo(const char* name) const {
        auto* combo = window->findChild<ui::SettingsCombo*>(name);
        EXPECT_NE(combo, nullptr) << name;
        return combo;
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
    void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
    static QColor TextColour(const ui::SettingsCombo* combo) {
        return combo->lineEdit()->palette().color(QPalette::Text);
    }
    std::string StoredFile() const { return ReadFile(dir.path() / "espa.set"); }
    int OpenDialogs() const {
        int shown = 0;
        for (auto* dialog : window->findChildren<ui::SettingsDialog*>()) {
            shown += dialog->isVisible() ? 1 : 0;
        }
        return shown;
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
        ui::SettingsCombo* combo = Combo(kComboNames[i]);
        EXPECT_EQ(combo->currentText(), shown[i]);
        EXPECT_TRUE(combo->IsLocked());
        EXPECT_EQ(TextColour(combo), QColor(192, 192, 192));
    }
    EXPECT_EQ(Combo("ComboRtsCts")->count(), 3);
    EXPECT_EQ(Combo("ComboLogfile")->itemText(3), "Debug Log to file & screen");
    EXPECT_TRUE(Button("CmdWijzigen")->isEnabled());
    EXPECT_TRUE(Button("CmdClose")->isEnabled());
    EXPECT_FALSE(Button("CmdSave")->isEnabled());
    EXPECT_FALSE(Button("CmdCancel")->isEnabled());
}

TEST_F(SettingsDialogTest, LockedListTakesNeitherKeysNorTyping) {
    Start();
    OpenSetup();
    ui::SettingsCombo* baud = Combo("ComboBaud");
    QTest::keyClick(baud, Qt::Key_Down);
    QTest::keyClicks(baud->lineEdit(), "9");
    EXPECT_EQ(baud->currentIndex(), 0);
    EXPECT_EQ(baud->currentText(), "300");
}

TEST_F(SettingsDialogTest, ChangeUnlocksListsInWindowTextColour) {
    Start();
    OpenSetup();
    Click("CmdWijzigen");

    EXPECT_FALSE(Button("CmdWijzigen")->isEnabled());
    EXPECT_FALSE(Button("CmdClose")->isEnabled());
    EXPECT_TRUE(Button("CmdSave")->isEnabled());
    EXPECT_TRUE(Button("CmdCancel")->isEnabled());
    for (const char* name : kComboNames) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Combo(name)->IsLocked());
        EXPECT_EQ(TextColour(Combo(name)), QApplication::palette().color(QPalette::WindowText));
    }
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "1200");
}

TEST_F(SettingsDialogTest, CancelRestoresTheListsAndTouchesNeitherFileNorPort) {
    Start();
    OpenSetup();
    const std::string fileBefore = StoredFile();
    const std::size_t callsBefore = control.calls.size();

    Click("CmdWijzigen");
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    Combo("ComboParity")->lineEdit()->setText("typed");
    Click("CmdCancel");

    EXPECT_EQ(Combo("ComboBaud")->currentText(), "300");
    EXPECT_EQ(Combo("ComboParity")->currentText(), "N");
    EXPECT_TRUE(Combo("ComboBaud")->IsLocked());
    EXPECT_EQ(TextColour(Combo("ComboBaud")), QColor(192, 192, 192));
    EXPECT_TRUE(Button("CmdWijzigen")->isEnabled());
    EXPECT_FALSE(Button("CmdSave")->isEnabled());
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
    const std::size_t callsBefore = control.calls.size();
    Click("CmdSave");

    SettingsRecord stored;
    ReadSettings(dir.path(), stored);
    EXPECT_EQ(stored.BaudRate, 5);
    EXPECT_EQ(stored.Parity, 1);
    EXPECT_EQ(stored.Emulatie, 3);
    EXPECT_EQ(emulator->Settings(), stored);

    const std::vector<std::string> after(control.calls.begin() + callsBefore, control.calls.end());
    const auto closed = std::find(after.begin(), after.end(), "PortOpen=0");
    const auto opened = std::find(after.begin(), after.end(), "PortOpen=1");
    EXPECT_NE(closed, after.end());
    EXPECT_NE(opened, after.end());
    EXPECT_LT(closed, opened);
    EXPECT_TRUE(control.open);
    EXPECT_EQ(control.settings, "19200,E,7,1");

    EXPECT_TRUE(Combo("ComboBaud")->IsLocked());
    EXPECT_TRUE(Button("CmdClose")->isEnabled());
    EXPECT_FALSE(Button("CmdSave")->isEnabled());
}

TEST_F(SettingsDialogTest, SavingAnotherLogLevelResizesTheMainWindow) {
    Start(WithLogLevel(0));
    OpenSetup();
    Click("CmdWijzigen");
    Combo("ComboLogfile")->setCurrentIndex(1);
    Click("CmdSave");
    EXPECT_EQ(window->WindowHeightTwips(), 9195);
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 9195));

    Click("CmdWijzigen");
    Combo("ComboLogfile")->setCurrentIndex(0);
    Click("CmdSave");
    EXPECT_EQ(window->WindowHeightTwips(), 6210);
}

TEST_F(SettingsDialogTest, PortNineShowsCom2AndSaveStoresOne) {
    SettingsRecord record;
    record.Compoort = 9;
    Start(record);
    OpenSetup();
    EXPECT_EQ(Combo("ComboCom")->currentText(), "Com2");

    Click("CmdWijzigen");
    Click("CmdSave");
    EXPECT_EQ(emulator->Settings().Compoort, 1);
    SettingsRecord stored;
    ReadSettings(dir.path(), stored);
    EXPECT_EQ(stored.Compoort, 1);
}

TEST_F(SettingsDialogTest, PortNineStaysNineAfterCancel) {
    SettingsRecord record;
    record.Compoort = 9;
    Start(record);
    OpenSetup();
    Click("CmdWijzigen");
    Click("CmdCancel");
    EXPECT_EQ(emulator->Settings().Compoort, 9);
    EXPECT_EQ(Combo("ComboCom")->currentText(), "Com2");
}

TEST_F(SettingsDialogTest, HandEditedLogLevelShowsNoLogAndSaveStoresZero) {
    Start(WithLogLevel(4));
    OpenSetup();
    EXPECT_EQ(Combo("ComboLogfile")->currentText(), "No Log enabled");
    Click("CmdWijzigen");
    Click("CmdSave");
    EXPECT_EQ(emulator->Settings().Logfile, 0);
}

TEST_F(SettingsDialogTest, ValueBelowMinusOneShowsNoSelection) {
    // espa.set cannot hold a negative value; only a record changed in memory can.
    Start();
    emulator->Settings().BaudRate = -5;
    OpenSetup();
    EXPECT_EQ(Combo("ComboBaud")->currentIndex(), -1);
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "");
}

TEST_F(SettingsDialogTest, TypedTextThatIsNoEntryGivesMinusOne) {
    Start();
    OpenSetup();
    Click("CmdWijzigen");
    QLineEdit* baud = Combo("ComboBaud")->lineEdit();
    baud->selectAll();
    QTest::keyClicks(baud, "1234");
    QLineEdit* parity = Combo("ComboParity")->lineEdit();
    parity->selectAll();
    QTest::keyClicks(parity, "O");

    SettingsRecord record;
    window->SettingsWindow()->ComboToSettings(record);
    EXPECT_EQ(record.BaudRate, -1);
    EXPECT_EQ(record.Parity, 2);                // the typed text is an entry
    EXPECT_EQ(Combo("ComboBaud")->count(), 6);  // nothing was added to the list
}

TEST_F(SettingsDialogTest, SetupTwiceGivesOneWindow) {
    Start();
    ui::SettingsDialog* first = OpenSetup();
    ui::SettingsDialog* second = OpenSetup();
    EXPECT_EQ(first, second);
    EXPECT_EQ(OpenDialogs(), 1);
}

TEST_F(SettingsDialogTest, SetupWhileOpenKeepsTheEdits) {
    Start();
    OpenSetup();
    Click("CmdWijzigen");
    Combo("ComboBaud")->setCurrentIndex(2);
    OpenSetup();
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "2400");
    EXPECT_TRUE(Button("CmdSave")->isEnabled());
}

TEST_F(SettingsDialogTest, SetupAfterCloseReloadsFromTheRecord) {
    Start();
    OpenSetup();
    Click("CmdClose");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->SettingsWindow(), nullptr);

    emulator->Settings().BaudRate = 3;
    OpenSetup();
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "4800");
    EXPECT_EQ(OpenDialogs(), 1);
}

TEST_F(SettingsDialogTest, CloseBoxDropsEditsAndTouchesNothing) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    const std::string fileBefore = StoredFile();
    Click("CmdWijzigen");
    Combo("ComboBaud")->setCurrentIndex(4);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(window->SettingsWindow(), nullptr);
    EXPECT_EQ(emulator->Settings(), SettingsRecord{});
    EXPECT_EQ(StoredFile(), fileBefore);
}

TEST_F(SettingsDialogTest, ActivatingTheMainWindowWhileOpenBeeps) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    ASSERT_TRUE(WaitUntilActive(dialog));
    EXPECT_EQ(beeps, 0);

    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialogTest, ClosedDialogDoesNotBeep) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    ASSERT_TRUE(WaitUntilActive(dialog));
    Click("CmdClose");
    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 0);
}

}  // namespace
}  // namespace espa::test
