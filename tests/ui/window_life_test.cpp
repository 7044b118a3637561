#include <QGroupBox>
#include <QMouseEvent>

#include "ui/about_box.h"
#include "ui/lamp.h"
#include "ui/settings_dialog.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

using WindowTest = UiTest;

// The window going away must not close the port a second time; the close box does not ask.
TEST_F(WindowTest, QuitAsksFirstAndClosesThePortOnceTheCloseBoxDoesNotAsk) {
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
TEST_F(WindowTest, LogLevelZeroGivesTheShortWindowOthersTheTallOne) {
    Start(0);
    const auto Y = [this](QWidget* w, bool bottom) {  // in the window
        return w->mapTo(window.get(), QPoint(0, bottom ? w->height() : 0)).y();
    };
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 6210));
    EXPECT_LE(Y(Find<QLabel>("LabelSoftware"), true), window->height());
    EXPECT_GE(Y(Find<QLineEdit>("Text2_1"), false), window->height());
    SettingsRecord record;
    record.Logfile = 2;
    emulator->ApplySettings(record);
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 9195));
    EXPECT_LE(Y(Find<QLineEdit>("Text2_9"), true), window->height());
}

// A character lights its lamp for one LED tick; CTS follows the line; log lines show at the tick.
TEST_F(WindowTest, LampsAreLitForOneTickAndLogLinesShowAtTheNextTick) {
    Start(1);
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
}

TEST_F(WindowTest, PortFrameShowsTheOpenPort) {
    Start();
    EXPECT_EQ(Find<QGroupBox>("FrmCommunicatie")->title(), " Serial Port Com1:  300,N,7,1");
    EXPECT_EQ(Find<QLabel>("LabLinkStatus")->toolTip(), "RTS status, click here to change");
}

// A real double-click as Qt delivers it: press, release, press, double-click, release.
TEST_F(WindowTest, ClickOnTheRtsLabelSwitchesRtsOnceEvenWhenDoubleClicked) {
    Start(1);
    auto* label = Find<QLabel>("LabLinkStatus");
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
    EXPECT_EQ(emulator->Lines().LogLineCount(), 3);
}

// Either secondary window, while open, beeps when the operator activates the main window; a
// hidden one stays quiet. A second About brings up the same box.
TEST_F(WindowTest, SecondaryWindowsAreOneEachAndBeepWhenTheMainWindowIsActivated) {
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

}  // namespace
}  // namespace espa::test
