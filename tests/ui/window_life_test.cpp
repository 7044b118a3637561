#include <QGroupBox>
#include <QMenuBar>
#include <QMouseEvent>
#include <algorithm>

#include "serial/lamp_state.h"
#include "ui/lamp.h"
#include "ui/twips.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

int Count(const std::vector<std::string>& calls, const std::string& call) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

void SendMouse(QWidget* widget, QEvent::Type type) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QColor ToColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

using QuitTest = UiTest;

TEST_F(QuitTest, CancelLeavesPortOpenAndProgramRunning) {
    Start(WithLogLevel(1));
    answerOk = false;
    window->Quit_Click();

    EXPECT_EQ(asks, 1);
    EXPECT_EQ(askedQuestion, "Really want to quit?");
    EXPECT_EQ(askedCaption, ui::kApplicationTitle);
    EXPECT_TRUE(control.open);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(Count(control.calls, "PortOpen=0"), 0);
}

TEST_F(QuitTest, OkClosesPortOnceAndEndsProgram) {
    Start(WithLogLevel(1));
    answerOk = true;
    window->Quit_Click();

    EXPECT_FALSE(control.open);
    EXPECT_EQ(ends, 1);
    // The window going away afterwards must not close the port a second time.
    window->close();
    EXPECT_EQ(Count(control.calls, "PortOpen=0"), 1);
}

TEST_F(QuitTest, QuitMenuItemAsksTheQuestion) {
    Start();
    QAction* quit = window->menuBar()->findChild<QAction*>("Quit");
    ASSERT_NE(quit, nullptr);
    quit->trigger();
    EXPECT_EQ(asks, 1);
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

// The window is laid out so that the short height keeps the title line and cuts the log off.
TEST_F(WindowHeightTest, LogLevelZeroGivesShortWindowWithoutLog) {
    Start(WithLogLevel(0));
    EXPECT_EQ(window->WindowHeightTwips(), 6210);
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 6210));

    auto* title = Find<QLabel>("LabelSoftware");
    EXPECT_LE(title->mapTo(window.get(), QPoint(0, title->height())).y(), window->height());
    auto* secondLogLine = Find<QLineEdit>("Text2_1");
    EXPECT_GE(secondLogLine->mapTo(window.get(), QPoint(0, 0)).y(), window->height());
}

TEST_F(WindowHeightTest, OtherLogLevelsGiveTallWindowShowingAllTenLogLines) {
    Start(WithLogLevel(2));
    EXPECT_EQ(window->WindowHeightTwips(), 9195);
    EXPECT_EQ(window->frameGeometry().height(), ui::TwipsToPixelsY(window.get(), 9195));

    auto* lastLogLine = Find<QLineEdit>("Text2_9");
    EXPECT_LE(lastLogLine->mapTo(window.get(), QPoint(0, lastLogLine->height())).y(),
              window->height());
}

using LampTest = UiTest;

TEST_F(LampTest, OneSentCharacterLightsTxLampForOneTickThenDark) {
    Start();
    auto* lamp = Find<ui::Lamp>("ShpTx");
    EXPECT_EQ(lamp->Colour(), QColor(192, 0, 0));

    emulator->Port().SendChar('A');
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kTxBright));
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kTxDark));
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kTxDark));
}

TEST_F(LampTest, OneReceivedCharacterLightsRxLampForOneTickThenDark) {
    Start();
    auto* lamp = Find<ui::Lamp>("ShpRx");
    EXPECT_EQ(lamp->Colour(), QColor(0, 192, 0));

    control.rx = "A";
    ASSERT_EQ(emulator->Port().ReadChar(), 'A');
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kRxBright));
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kRxDark));
}

TEST_F(LampTest, CtsLampFollowsTheLine) {
    Start();
    auto* lamp = Find<ui::Lamp>("ShpCTS");
    control.cts = true;
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kLineActive));
    control.cts = false;
    emulator->LedTick();
    EXPECT_EQ(lamp->Colour(), ToColour(kLineInactive));
}

using LogWindowTest = UiTest;

TEST_F(LogWindowTest, NewLineAppearsAtTheNextLedTick) {
    Start(WithLogLevel(1));
    emulator->LedTick();
    emulator->Log().WriteLog("Caf\xE9 line");
    EXPECT_EQ(Find<QLineEdit>("Text2_1")->text(), "");

    emulator->LedTick();
    EXPECT_EQ(Find<QLineEdit>("Text2_1")->text(), QString::fromUtf8("14:03:07 Café line"));
    EXPECT_TRUE(Find<QLineEdit>("Text2_1")->isReadOnly());
}

TEST_F(LogWindowTest, ScrollsOnceTenLinesAreFull) {
    Start(WithLogLevel(1));  // line 0 is the port's open message
    for (int i = 1; i <= 11; ++i) {
        emulator->Log().WriteLog("line " + std::to_string(i));
    }
    emulator->LedTick();

    // Twelve lines in all: the open message and line 1 have scrolled off.
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Find<QLineEdit>(QStringLiteral("Text2_%1").arg(i))->text(),
                  QStringLiteral("14:03:07 line %1").arg(i + 2));
    }
}

using PortFrameTest = UiTest;

TEST_F(PortFrameTest, OpenedPortShowsItsSettingsInTheFrameCaption) {
    SettingsRecord record;
    record.Compoort = 1;
    record.BaudRate = 5;
    record.Parity = 1;
    record.Bits = 0;
    record.StopBits = 1;
    Start(record);
    EXPECT_EQ(Find<QGroupBox>("FrmCommunicatie")->title(), " Serial Port Com2:  19200,E,7,2");
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
    for (QEvent::Type type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
          QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        SendMouse(label, type);
    }
    EXPECT_FALSE(control.rts);
    EXPECT_EQ(emulator->Lines().LogLineCount(), 3);
}

}  // namespace
}  // namespace espa::test
