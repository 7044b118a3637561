#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <string>

#include "core/control_chars.h"
#include "core/emulator.h"
#include "core/settings_file.h"
#include "fake_serial_control.h"
#include "fixed_clock.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace espa::test {

// A started emulator behind a shown main window, as the program runs it, with the beep, the quit
// question and the program's end replaced by counters.
class UiTest : public ::testing::Test {
  protected:
    void Start(const SettingsRecord& stored = {}) {
        WriteSettings(dir.path(), stored);
        window = std::make_unique<ui::MainWindow>();
        window->SetBeepFunction([this] { ++beeps; });
        window->SetAskFunction([this](const QString& caption, const QString& question) {
            ++asks;
            askedCaption = caption;
            askedQuestion = question;
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
        // Windows closed during the test are deleted later; let that happen before the next one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T>
    T* Find(const QString& name) const {
        T* widget = window->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLabel* Cell(const char* column, int position) const {
        return Find<QLabel>(QStringLiteral("%1_%2").arg(column).arg(position));
    }
    QString StatusText(int position) const { return Cell("LabReturnedStatus", position)->text(); }

    // A call-to-pager block with the six fields, as the handler hands it over.
    static std::string CallBlock(const std::string& adres, const std::string& info = "Hello") {
        std::string block;
        block += SOH;
        block += "1";
        block += STX;
        const std::pair<char, std::string> fields[] = {{'1', adres}, {'2', info}, {'3', "2"},
                                                       {'4', "3"},   {'5', "1"},  {'6', "4"}};
        for (const auto& [id, value] : fields) {
            if (id != '1') {
                block += RS;
            }
            block += id;
            block += US;
            block += value;
        }
        block += ETX;
        return block;
    }
    std::int16_t StoreCall(const std::string& adres, const std::string& info = "Hello") {
        return emulator->Records().StoreCall(CallBlock(adres, info),
                                             emulator->Handler().CurrentPosition);
    }

    // The operator picks a status (clicking the option button on its circle) and a status
    // transfer is built for the position.
    void Answer(int position, const char* option) {
        auto* button = Find<QRadioButton>(option);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        emulator->Status().SendStatusTransfer(static_cast<std::int16_t>(position));
    }

    // The window system activates windows asynchronously, and QTest::qWaitForWindowActive can
    // answer before the switch when a window and its own secondary window are involved: ask the
    // application which window it made active.
    static bool WaitUntilActive(QWidget* widget) {
        return QTest::qWaitFor([widget] { return QApplication::activeWindow() == widget; });
    }

    void DoubleClick(QWidget* widget) { QTest::mouseDClick(widget, Qt::LeftButton); }

    TempDir dir;
    FakeSerialControl control;
    FixedClock clock;
    std::unique_ptr<Emulator> emulator;
    std::unique_ptr<ui::MainWindow> window;
    int beeps = 0;
    int asks = 0;
    int ends = 0;
    bool answerOk = false;
    QString askedCaption;
    QString askedQuestion;
};

inline SettingsRecord WithLogLevel(std::int16_t level) {
    SettingsRecord record;
    record.Logfile = level;
    return record;
}

}  // namespace espa::test
