#include <QGroupBox>
#include <QMouseEvent>
#include <algorithm>

#include "serial/lamp_state.h"
#include "ui/about_box.h"
#include "ui/lamp.h"
#include "ui/settings_dialog.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

int PortCloses(const FakeSerialControl& control) {
    return static_cast<int>(std::count(control.calls.begin(), control.calls.end(), "PortOpen=0"));
}

QColor ToColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

using QuitTest = UiTest;

TEST_F(QuitTest, CancelKeepsTheProgramRunningAndOkClosesThePortOnceAndEndsIt) {
    Start(WithLogLevel(1));
    answerOk = false;
    TriggerMenu("Quit");
    EXPECT_EQ(asks, 1);
    EXPECT_EQ(askedQuestion, "Really want to quit?");
    EXPECT_EQ(askedCaption, ui::kApplicationTitle);
    EXPECT_TRUE(control.open);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(PortCloses(control), 0);

    answerOk = true;
    TriggerMenu("Quit");
    EXPECT_FALSE(control.open);
    EXPECT_EQ(ends, 1);
    // The window going away afterwards must not close the port a second time.
    window->close();
    EXPECT_EQ(PortCloses(control), 1);
}

TEST_F(QuitTest, CloseBoxClosesPortWithoutAsking) {
    Start(WithLogLevel(1));
    ASSERT_TRUE(control.open);
    window->close();

    EXPECT_EQ(asks, 0);
    EXPECT_FALSE(control.open);
    EXPECT_EQ(emulator->Lines().Line(1), "14:03:07 Comport closed by software.");
}

using WindowHeightTest = UiTest;

int BottomIn(const QWidget* widget, const QWidget* window) {
    return widget->mapTo(window, QPoint(0, widget->height())).y();
}

// The short window keeps the title line and cuts the log off; the tall one shows all ten lines.
TEST_F(WindowHeightTest, LogLevelZeroGivesShortWindowOthersATallOne) {
    Start(WithLogLevel(0));
    EXPECT_EQ(window->WindowHeightTwips(), 6210);
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 6210));
    EXPECT_LE(BottomIn(Find<QLabel>("LabelSoftware"), window.get()), window->height());
    EXPECT_GE(Find<QLineEdit>("Text2_1")->mapTo(window.get(), QPoint(0, 0)).y(), window->height());

    emulator->ApplySettings(WithLogLevel(2));
    EXPECT_EQ(window->WindowHeightTwips(), 9195);
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 9195));
    EXPECT_LE(BottomIn(Find<QLineEdit>("Text2_9"), window.get()), window->height());
}

using LampTest = UiTest;

// A character lights its lamp for one LED tick, then the lamp stays dark; CTS follows the line.
TEST_F(LampTest, CharactersLightTheirLampForOneTickAndCtsFollowsTheLine) {
    Start();
    auto* tx = Find<ui::Lamp>("ShpTx");
    auto* rx = Find<ui::Lamp>("ShpRx");
    auto* cts = Find<ui::Lamp>("ShpCTS");
    EXPECT_EQ(tx->Colour(), QColor(192, 0, 0));
    EXPECT_EQ(rx->Colour(), QColor(0, 192, 0));

    emulator->Port().SendChar('A');
    control.rx = "A";
    ASSERT_EQ(emulator->Port().ReadChar(), 'A');
    control.cts = true;
    emulator->LedTick();
    EXPECT_EQ(tx->Colour(), ToColour(kTxBright));
    EXPECT_EQ(rx->Colour(), ToColour(kRxBright));
    EXPECT_EQ(cts->Colour(), ToColour(kLineActive));
    control.cts = false;
    for (int tick = 0; tick < 2; ++tick) {
        emulator->LedTick();
        EXPECT_EQ(tx->Colour(), ToColour(kTxDark));
        EXPECT_EQ(rx->Colour(), ToColour(kRxDark));
        EXPECT_EQ(cts->Colour(), ToColour(kLineInactive));
    }
}

using LogWindowTest = UiTest;

TEST_F(LogWindowTest, NewLinesAppearAtTheNextLedTickAndScrollOnceTenAreFull) {
    Start(WithLogLevel(1));  // line 0 is the port's open message
    emulator->LedTick();
    emulator->Log().WriteLog("Caf\xE9 line 1");
    auto* line = Find<QLineEdit>("Text2_1");
    EXPECT_EQ(line->text(), "");
    emulator->LedTick();
    EXPECT_EQ(line->text(), QString::fromUtf8("14:03:07 Café line 1"));
    EXPECT_TRUE(line->isReadOnly());

    for (int i = 2; i <= 11; ++i) {
        emulator->Log().WriteLog("line " + std::to_string(i));
    }
    emulator->LedTick();
    // Twelve lines in all: the open message and line 1 have scrolled off.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Find<QLineEdit>(QStringLiteral("Text2_%1").arg(i))->text(),
                  QStringLiteral("14:03:07 line %1").arg(i + 2));
    }
}

using PortFrameTest = UiTest;

TEST_F(PortFrameTest, OpenedPortShowsItsSettingsInTheFrameCaption) {
    Start();
    EXPECT_EQ(Find<QGroupBox>("FrmCommunicatie")->title(), " Serial Port Com1:  300,N,7,1");
    EXPECT_EQ(Find<QLabel>("LabLinkStatus")->toolTip(), "RTS status, click here to change");
}

TEST_F(PortFrameTest, FailedOpenKeepsTheDesignTexts) {
    control.refuse.insert("PortOpen");
    Start(WithLogLevel(1));
    EXPECT_EQ(Find<QGroupBox>("FrmCommunicatie")->title(), "Serial Port: X");
    EXPECT_EQ(Find<QLabel>("LabLinkStatus")->toolTip(), "RTS status, click on text to change");
}

TEST_F(PortFrameTest, ClickOnRtsLabelSwitchesRtsOnceEvenWhenDoubleClicked) {
    Start(WithLogLevel(1));
    ASSERT_FALSE(control.rts);
    auto* label = Find<QLabel>("LabLinkStatus");

    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_TRUE(control.rts);
    EXPECT_EQ(emulator->Lines().Line(1), "14:03:07 STATUS: RTS made ACTIVE (+12V).");

    // The events of a real double-click as Qt delivers them to a widget: press, release, press,
    // double-click, release. The second press and release make no second click.
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

// Both secondary windows beep while open when the operator activates the main window; a hidden
// one does not.
using SecondaryWindowTest = UiTest;

TEST_F(SecondaryWindowTest, ActivatingTheMainWindowWhileOneIsOpenBeeps) {
    Start();
    TriggerMenu("Setup");
    ui::SettingsDialog* dialog = window->SettingsWindow();
    ASSERT_TRUE(WaitUntilActive(dialog));
    EXPECT_EQ(beeps, 0);
    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(dialog->isVisible());
    // A hidden one stays quiet when the window system reports its activation change.
    dialog->hide();
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(dialog, &activation);
    EXPECT_EQ(beeps, 1);
    Click("CmdClose");

    TriggerMenu("About");
    ui::AboutBox* box = window->AboutWindow();
    ASSERT_TRUE(WaitUntilActive(box));
    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 2);
    EXPECT_TRUE(box->isVisible());
}

}  // namespace
}  // namespace espa::test
