#include "common/emulator_report.h"
#include "ui/about_box.h"
#include "ui/faults_dialog.h"
#include "ui/lamp.h"
#include "ui/report_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

const QStringList kEmptyRow{"", "", "", "", "", ""};

using MainWindowTest = UiTest;

// 8-bit text shows as received and markup as typed, not rendered.
TEST_F(MainWindowTest, StatusCellsShowTheChosenWordInItsColoursAndTheRightToolTip) {
    EXPECT_EQ(ui::MainWindow().GetSelectedStatus(), "");  // nothing chosen before start-up
    Start();
    EXPECT_TRUE(Find<QRadioButton>("OptPaged")->isChecked());
    EXPECT_EQ(Find<QLabel>("Label10")->toolTip(), "DoubleClick to clear all positions");
    EXPECT_EQ(Status(9)->toolTip(), "DoubleClick to clear this position.");
    StoreCall("1234", "Caf\xE9 <b>bold</b>");
    EXPECT_EQ(Row(0), (QStringList{"1234", "Café <b>bold</b>", "2", "3", "4", ""}));
    EXPECT_EQ(Find<QLabel>("LabInfo_0")->textFormat(), Qt::PlainText);
    const QColor text = SystemColour(QPalette::WindowText), white(255, 255, 255);
    const std::tuple<const char*, const char*, QColor, QColor> cases[] = {
        {nullptr, "", text, SystemColour(QPalette::Button)},
        {"OptQueue", "QUEUE", text, QColor(255, 255, 0)},
        {"OptAbsent", "ABSENT", white, QColor(192, 0, 0)},
        {"OptTerminated", "TERMINATED", white, QColor(192, 0, 0)},
        {"OptPaged", "PAGED", white, QColor(0, 0, 192)}};
    for (int p = 1; p < 5; ++p) {
        StoreCall(std::to_string(p));
    }
    for (int p = 0; p < 5; ++p) {
        const auto& [option, word, foreground, background] = cases[p];
        SCOPED_TRACE(p);
        if (option) {
            Answer(p, option);
            EXPECT_EQ(window->GetSelectedStatus(), word);
        }
        EXPECT_EQ(Status(p)->text(), word);
        EXPECT_EQ(TextColour(Status(p)), foreground);
        EXPECT_EQ(Background(Status(p)), background);
        EXPECT_EQ(Status(p)->toolTip(), option ? "DoubleClick here to delete this entry." : "");
    }
}

// Only an answered call can be deleted: an unanswered call, one whose unknown word is shown (and
// kept) as ERROR, or an empty row neither beeps nor changes anything. The header empties all ten
// rows, unanswered ones too, and leaves the current call alone.
TEST_F(MainWindowTest, DoubleClickDeletesAnAnsweredCallAndTheHeaderEmptiesAllRows) {
    Start();
    for (int i = 0; i < 10; ++i) {
        StoreCall(std::to_string(100 + i));
    }
    emulator->Table()[3].ReturnedStatus = "BOGUS";
    emulator->RefreshCallPositions();
    EXPECT_EQ(Status(3)->text(), "ERROR");
    Answer(1, "OptQueue");
    for (int p : {0, 3, 1, 9, 8}) {  // the last two: a free row, the bottom one answered
        DoubleClick(Status(p));
        if (p == 9) {
            Answer(8, "OptPaged");
        }
    }
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(Row(1), (QStringList{"102", "Hello", "2", "3", "4", ""}));  // still unanswered
    EXPECT_EQ(Row(0)[0] + Row(2)[0] + Row(7)[0] + Row(8)[0], "100103108");
    EXPECT_EQ(Background(Status(8)), SystemColour(QPalette::Button));
    const std::int16_t current = emulator->Handler().CurrentPosition();
    DoubleClick(Find<QLabel>("Label10"));
    EXPECT_EQ(beeps, 3);
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(Row(p), kEmptyRow) << p;
    }
    EXPECT_EQ(emulator->Handler().CurrentPosition(), current);
}

// The window going away must not close the port a second time; the close box does not ask.
TEST_F(MainWindowTest, QuitAsksFirstAndClosesThePortOnceTheCloseBoxDoesNotAsk) {
    Start(1);
    TriggerMenu("Quit");
    EXPECT_EQ(asked, QStringList{ui::kApplicationTitle + QStringLiteral("|Really want to quit?")});
    EXPECT_TRUE(control.open);
    EXPECT_EQ(ends, 0);
    answerOk = true;
    TriggerMenu("Quit");
    EXPECT_FALSE(control.open);
    EXPECT_EQ(ends, 1);
    window->close();
    EXPECT_EQ(std::count(control.calls.begin(), control.calls.end(), "PortOpen=0"), 1);
    Start(1);
    asked.clear();
    window->close();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(control.open);
}

// The short window keeps the title line and cuts the log off; the tall one shows all ten lines.
TEST_F(MainWindowTest, LogLevelZeroGivesTheShortWindowOthersTheTallOne) {
    Start(0);
    const auto Y = [this](QWidget* w, bool bottom) {  // in the window
        return w->mapTo(window.get(), QPoint(0, bottom ? w->height() : 0)).y();
    };
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 6210));
    EXPECT_LE(Y(Find<QLabel>("LabelSoftware"), true), window->height());
    EXPECT_GE(Y(Find<QLineEdit>("Text2_1"), false), window->height());
    emulator->ApplySettings({.Logfile = 2});
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 9195));
    EXPECT_LE(Y(Find<QLineEdit>("Text2_9"), true), window->height());
}

// A character lights its lamp for one LED tick; CTS follows the line; log lines show at the tick.
// A click on the RTS label switches RTS once, even in a real double-click as Qt delivers it:
// press, release, press, double-click, release.
TEST_F(MainWindowTest, PortFrameShowsThePortAndItsLampsAndSwitchesRtsOncePerClick) {
    Start(1);
    EXPECT_EQ(Find<QGroupBox>("FrmCommunicatie")->title(), " Serial Port Com1:  300,N,7,1");
    const auto shown = [this] {
        QStringList colours;
        for (const char* lamp : {"ShpTx", "ShpRx", "ShpCTS"}) {
            colours << Find<ui::Lamp>(lamp)->Colour().name();
        }
        return colours.join(' ');
    };
    emulator->Port().SendChar('A');
    control.rx = "A";
    emulator->Port().ReadChar();
    control.cts = true;
    emulator->Log().WriteLog("Caf\xE9 line 1");
    auto* line = Find<QLineEdit>("Text2_1");
    EXPECT_EQ(shown() + line->text(), "#c00000 #00c000 #c0c000");  // as designed, before a tick
    emulator->LedTick();
    EXPECT_EQ(shown(), "#ff0000 #00ff00 #ffff80");  // bright red, bright green, active
    EXPECT_EQ(line->text(), "14:03:07 Café line 1");
    EXPECT_TRUE(line->isReadOnly());
    control.cts = false;
    emulator->LedTick();
    EXPECT_EQ(shown(), "#800000 #008000 #c0c000");  // dark red, dark green, inactive
    auto* label = Find<QLabel>("LabLinkStatus");
    EXPECT_EQ(label->toolTip(), "RTS status, click here to change");
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_TRUE(control.rts);
    const QPointF at(label->width() / 2.0, label->height() / 2.0);
    for (QEvent::Type type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
          QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent event(type, at, label->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(label, &event);
    }
    EXPECT_FALSE(control.rts);
    EXPECT_EQ(emulator->Lines().LogLineCount(), 4);  // the open, line 1 and two switches
}

// Either secondary window, while open, beeps when the operator activates the main window; a
// hidden one stays quiet. A second About brings up the same box.
TEST_F(MainWindowTest, SecondaryWindowsAreOneEachAndBeepWhenTheMainWindowIsActivated) {
    EXPECT_EQ(ui::VersionLine(3, 12), "Software version: 3.12");
    Start();
    TriggerMenu("Setup");
    ui::SettingsDialog* dialog = window->SettingsWindow();
    ASSERT_TRUE(WaitUntilActive(dialog));
    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 1);
    dialog->hide();
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(dialog, &activation);
    EXPECT_EQ(beeps, 1);
    Click("CmdClose");
    TriggerMenu("About");
    ui::AboutBox* box = window->AboutWindow();
    ASSERT_TRUE(WaitUntilActive(box));
    EXPECT_EQ(Find<QLabel>("Label4")->text(), "Software version: 3.4");
    EXPECT_EQ(TextColour(Find<QLabel>("Label3")), QColor(0, 0, 255));
    EXPECT_EQ(Find<QLabel>("Image1")->pixmap().size(), QSize(591, 260));
    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 2);
    TriggerMenu("About");
    EXPECT_EQ(window->AboutWindow(), box);
    Click("CmdSluit");
    DeleteClosedWindows();
    EXPECT_EQ(window->AboutWindow(), nullptr);
}

// What the user types is set, or its reason is shown and nothing set; Clear forgets it.
TEST_F(MainWindowTest, FaultsDialogSetsAFaultOrShowsWhyNot) {
    Start();
    TriggerMenu("Faults");
    ASSERT_NE(window->FaultsWindow(), nullptr);
    Find<QLineEdit>("FaultSpec")->setText("silent");
    Click("AddFault");
    EXPECT_EQ(Find<QLabel>("FaultError")->text(),
              "silent needs a time in ms from 1 to 3600000: \"silent\"");
    EXPECT_EQ(Find<QListWidget>("FaultList")->count(), 0);
    Find<QLineEdit>("FaultSpec")->setText("at exchange 2 no-eot:1");
    Click("AddFault");
    EXPECT_EQ(Find<QLabel>("FaultError")->text(), "");
    EXPECT_EQ(Find<QListWidget>("FaultList")->item(0)->text(), "waiting: at exchange 2 no-eot:1");
    Click("ClearFaults");
    EXPECT_EQ(Find<QListWidget>("FaultList")->count(), 0);
}

// Tools > Report...: the header as it stands; a name that cannot be used is said in the dialog
// with nothing written, a good one writes the figures with what was typed.
TEST_F(MainWindowTest, ReportDialogWritesTheFiguresWithTheHeaderTypedOrSaysWhyNot) {
    Start();
    EmulatorReport report(*emulator, true, [](int) { return std::string("/dev/ttyUSB0"); });
    report.Header().site = "Ward 3";
    window->AttachReport(report);
    TriggerMenu("Report");
    ASSERT_NE(window->ReportWindow(), nullptr);
    EXPECT_EQ(Find<QLineEdit>("ReportSite")->text(), "Ward 3");
    Find<QLineEdit>("ReportEngineer")->setText("J\u00f6rg");
    const std::filesystem::path figures = dir.path() / "run.json";
    for (const char* page : {"run.htm", "run.html"}) {
        SCOPED_TRACE(page);
        Find<QLineEdit>("ReportPage")
            ->setText(QString::fromStdString((dir.path() / page).string()));
        Click("ReportOk");
        const bool written = std::string_view(page) == "run.html";
        EXPECT_EQ(window->ReportWindow()->isVisible(), !written);
        EXPECT_EQ(Find<QLabel>("ReportProblem")->text().isEmpty(), written);
        EXPECT_EQ(std::filesystem::exists(figures), written);
    }
    EXPECT_EQ(report.Header().engineer, "J\xF6rg");
    EXPECT_NE(ReadFile(figures).find("Ward 3"), std::string::npos);
}

}  // namespace
}  // namespace espa::test
