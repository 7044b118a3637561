#include "ui/settings_dialog.h"
#include "ui/settings_combo.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

constexpr const char* kCombos[] = {"ComboEmulatie", "ComboCom",  "ComboBaud",   "ComboParity",
                                   "ComboBits",     "ComboStop", "ComboRtsCts", "ComboLogfile"};

class SettingsDialogTest : public UiTest {
  protected:
    ui::SettingsDialog* OpenSetup() {
        TriggerMenu("Setup");
        return window->SettingsWindow();
    }
    ui::SettingsCombo* Combo(const char* name) const { return Find<ui::SettingsCombo>(name); }
    // Each list's text; per list L locked and grey or E editable in the system colour (? else);
    // per button Change, Close, Save, Cancel whether it is enabled.
    std::string Shown() const {
        QStringList texts;
        std::string state = " ";
        for (const char* name : kCombos) {
            texts << Combo(name)->currentText();
            const bool locked = Combo(name)->IsLocked();
            const QColor wanted =
                locked ? QColor(192, 192, 192) : SystemColour(QPalette::WindowText);
            const bool right = Combo(name)->lineEdit()->palette().color(QPalette::Text) == wanted;
            state += !right ? '?' : locked ? 'L' : 'E';
        }
        state += ' ';
        for (const char* button : {"CmdWijzigen", "CmdClose", "CmdSave", "CmdCancel"}) {
            state += Find<QPushButton>(button)->isEnabled() ? '1' : '0';
        }
        return texts.join('|').toStdString() + state;
    }
    SettingsRecord Stored() const {
        SettingsRecord stored;
        ReadSettings(dir.path(), stored);
        return stored;
    }
};

constexpr const char* kLockedDefaults =
    "Philips|Com1|300|N|7|1|No HandShake|No Log enabled LLLLLLLL 1100";

// Keys do nothing while locked. Typed text that is an entry counts as that entry, other text as
// -1, and nothing is added to the lists; a second Setup brings up the same window with the edits;
// Cancel restores the record's values and closing drops the edits, touching neither file nor port.
TEST_F(SettingsDialogTest, OpensLockedOnTheRecordAndEditsLiveUntilCancelOrClose) {
    Start();
    ui::SettingsDialog* dialog = OpenSetup();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Setup");
    EXPECT_EQ(Combo("ComboRtsCts")->count(), 3);
    EXPECT_EQ(Combo("ComboLogfile")->itemText(3), "Debug Log to file & screen");
    QTest::keyClick(Combo("ComboBaud"), Qt::Key_Down);
    QTest::keyClicks(Combo("ComboBaud")->lineEdit(), "9");
    EXPECT_EQ(Shown(), kLockedDefaults);
    const std::string fileBefore = ReadFile(dir.path() / "espa.set");
    const std::size_t callsBefore = control.calls.size();
    for (const bool cancel : {true, false}) {
        Click("CmdWijzigen");
        QTest::keyClick(Combo("ComboStop"), Qt::Key_Down);
        for (const auto& [combo, typed] : {std::pair{"ComboBaud", "1234"}, {"ComboParity", "O"}}) {
            Combo(combo)->lineEdit()->selectAll();
            QTest::keyClicks(Combo(combo)->lineEdit(), typed);
        }
        EXPECT_EQ(OpenSetup(), dialog);
        EXPECT_EQ(window->findChildren<ui::SettingsDialog*>().size(), 1);
        EXPECT_EQ(Shown(), "Philips|Com1|1234|O|7|2|No HandShake|No Log enabled EEEEEEEE 0011");
        SettingsRecord record;
        dialog->ComboToSettings(record);
        EXPECT_EQ((std::tuple<int, int, int>(record.BaudRate, record.Parity, record.StopBits)),
                  std::tuple(-1, 2, 1));
        EXPECT_EQ(Combo("ComboBaud")->count(), 6);
        if (cancel) {
            Click("CmdCancel");
            EXPECT_EQ(Shown(), kLockedDefaults);
        } else {
            dialog->close();
            DeleteClosedWindows();
            EXPECT_EQ(window->SettingsWindow(), nullptr);
        }
    }
    EXPECT_EQ(emulator->Settings(), SettingsRecord{});
    EXPECT_EQ(ReadFile(dir.path() / "espa.set"), fileBefore);
    EXPECT_EQ(control.calls.size(), callsBefore);
    emulator->Settings().BaudRate = 3;
    OpenSetup();
    EXPECT_EQ(Combo("ComboBaud")->currentText(), "4800");
    Click("CmdClose");
    DeleteClosedWindows();
    EXPECT_EQ(window->SettingsWindow(), nullptr);
}

// Values only a hand-edited espa.set holds show a fixed entry (Com2, no log) and replace the
// stored value only when the operator saves; below -1 (a record changed in memory) nothing shows.
TEST_F(SettingsDialogTest, OutOfListValuesShowAFixedEntryAndSaveWritesTheFileAndReopensThePort) {
    Start(4, {.Compoort = 9});
    emulator->Settings().BaudRate = -5;
    OpenSetup();
    EXPECT_EQ(Shown(), "Philips|Com2||N|7|1|No HandShake|No Log enabled LLLLLLLL 1100");
    EXPECT_EQ(Combo("ComboBaud")->currentIndex(), -1);
    Click("CmdWijzigen");
    Click("CmdCancel");
    EXPECT_EQ(emulator->Settings().Compoort, 9);
    EXPECT_EQ(emulator->Settings().Logfile, 4);
    Click("CmdWijzigen");
    for (const auto& [name, index] :
         {std::pair{"ComboBaud", 5}, {"ComboParity", 1}, {"ComboEmulatie", 3}}) {
        Combo(name)->setCurrentIndex(index);
    }
    control.calls.clear();
    Click("CmdSave");
    const SettingsRecord stored = Stored();
    EXPECT_EQ(stored, (SettingsRecord{3, 1, 5, 1, 0, 0, 0, 0}));
    EXPECT_EQ(emulator->Settings(), stored);
    EXPECT_EQ(window->WindowHeightTwips(), 6210);  // the log window goes
    EXPECT_LT(std::find(control.calls.begin(), control.calls.end(), "PortOpen=0"),
              std::find(control.calls.begin(), control.calls.end(), "PortOpen=1"));
    EXPECT_EQ(control.settings, "19200,E,7,1");
    EXPECT_EQ(Shown().substr(Shown().size() - 13), "LLLLLLLL 1100");
}

}  // namespace
}  // namespace espa::test
