#pragma once

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "core/settings_file.h"
#include "engine/emulator.h"
#include "espa_frames.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace espa::test {

// A started emulator behind a shown main window, as the program runs it, with the beep, the quit
// question and the program's end replaced by counters.
class UiTest : public ::testing::Test {
  protected:
    void Start(std::int16_t logLevel = 0, SettingsRecord stored = {}) {
        TearDown();
        stored.Logfile = logLevel;
        WriteSettings(dir.path(), stored);
        window = std::make_unique<ui::MainWindow>();
        window->SetBeepFunction([this] { ++beeps; });
        window->SetAskFunction([this](const QString& caption, const QString& question) {
            asked.push_back(caption + "|" + question);
            return answerOk;
        });
        window->SetEndFunction([this] { ++ends; });
        emulator = std::make_unique<Emulator>(control, *window, clock, dir.path());
        window->Attach(*emulator);
        emulator->StartEmulation();
        window->AfterStartUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        emulator.reset();
        DeleteClosedWindows();  // closed windows go later; before the next test
    }
    static void DeleteClosedWindows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T>
    T* Find(const QString& name) const {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLabel* Status(int position) const {
        return Find<QLabel>(QStringLiteral("LabReturnedStatus_%1").arg(position));
    }
    // Address, info, bleep, call type, priority, status.
    QStringList Row(int position) const {
        QStringList texts;
        for (const char* column : {"LabAdres", "LabInfo", "LabBleep", "LabCallType", "LabPriority",
                                   "LabReturnedStatus"}) {
            texts << Find<QLabel>(QStringLiteral("%1_%2").arg(column).arg(position))->text();
        }
        return texts;
    }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    void DoubleClick(QWidget* widget) { QTest::mouseDClick(widget, Qt::LeftButton); }
    void TriggerMenu(const char* item) { window->menuBar()->findChild<QAction*>(item)->trigger(); }
    static QColor TextColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }
    static QColor Background(const QWidget* w) { return w->palette().color(QPalette::Window); }
    static QColor SystemColour(QPalette::ColorRole role) {
        return QApplication::palette().color(role);
    }

    // The central selects and sends a call to `adres` with all six fields (bleep 2, call type 3,
    // NrOfTx 1, priority 4), taken in tick by tick.
    void StoreCall(const std::string& adres, const std::string& info = "Hello") {
        control.rx +=
            kSelect +
            CallBlock({{'1', adres}, {'2', info}, {'3', "2"}, {'4', "3"}, {'5', "1"}, {'6', "4"}});
        for (int tick = 0; tick < 10; ++tick) {
            emulator->HandlerTick();
        }
        EXPECT_EQ(control.TakeSent(), std::string(2, frames::ACK));
    }
    // The operator picks a status, clicking the option on its circle, and a status transfer is
    // built for the position.
    void Answer(int position, const char* option) {
        auto* button = Find<QRadioButton>(option);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        emulator->Status().SendStatusTransfer(static_cast<std::int16_t>(position));
    }

    // qWaitForWindowActive can answer before the switch between a window and its own secondary
    // window: ask the application which window it made active.
    static bool WaitUntilActive(QWidget* widget) {
        return QTest::qWaitFor([widget] { return QApplication::activeWindow() == widget; });
    }

    TempDir dir;
    FakeSerialControl control;
    FixedClock clock;
    std::unique_ptr<Emulator> emulator;
    std::unique_ptr<ui::MainWindow> window;
    int beeps = 0;
    int ends = 0;
    bool answerOk = false;
    QStringList asked;
};

}  // namespace espa::test
