// Usage: espa-screenshot [--line] OUTPUT.png
// Plays a central against the real window: calls answered QUEUE, PAGED, ABSENT and TERMINATED,
// and one call still new, then saves a picture of the window. With --line the Line view is open
// from the start and the picture shows it over the window's lower part.
#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "central/central_session.h"
#include "core/clock.h"
#include "core/control_chars.h"
#include "engine/emulator.h"
#include "fake_serial_control.h"
#include "ui/line_view.h"
#include "ui/main_window.h"

namespace {

class Line {
  public:
    // The line's clock moves with the handler ticks, as it would on a real line, so the Line view
    // shows times and gaps a central could have made.
    Line(espa::Emulator& emulator, espa::test::FakeSerialControl& control)
        : m_emulator(emulator), m_control(control) {
        m_emulator.SetLineClock([this] { return m_nowUs; });
    }

    // A damaged first try is refused with NAK; the central selects again and sends it whole.
    void Call(const espa::EspaFields& fields, bool damagedFirst = false) {
        const std::string select{'1', espa::ENQ, '2', espa::ENQ};
        const std::string block = espa::FrameBlock('1', fields);
        if (damagedFirst) {
            Send(select, 5);
            Send(block.substr(0, block.size() - 1) + static_cast<char>(block.back() ^ 0x20), 3);
        }
        Send(select, 5);
        Send(block, 3);
        Send(std::string(1, espa::EOT), 2);
    }

    void Poll() {
        Send(std::string{'2', espa::ENQ}, 4);
        Send(std::string(1, espa::ACK), 3);
        Send(std::string(1, espa::ACK), 3);
    }

  private:
    void Send(const std::string& bytes, int ticks) {
        m_control.Arrive(bytes);
        for (int i = 0; i < ticks; ++i) {
            m_nowUs += 25'000;
            m_emulator.HandlerTick();
            if (++m_ticks % 10 == 0) {
                m_emulator.LedTick();
            }
        }
        m_control.tx.clear();
    }

    espa::Emulator& m_emulator;
    espa::test::FakeSerialControl& m_control;
    int m_ticks = 0;
    std::int64_t m_nowUs = std::int64_t{(10 * 60 + 42) * 60 + 7} * 1'000'000;
};

// The window with the Line view laid over its lower right, as a desktop would show them.
QPixmap WithLineView(espa::ui::MainWindow& window) {
    const QPixmap main = window.grab();
    const QPixmap line = window.LineWindow()->grab();
    const QPoint at(main.width() / 5, main.height() * 2 / 5);
    QPixmap both(std::max(main.width(), at.x() + line.width()),
                 std::max(main.height(), at.y() + line.height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, main);
    painter.setPen(Qt::darkGray);
    painter.drawRect(QRect(at, line.size()).adjusted(-1, -1, 0, 0));
    painter.drawPixmap(at, line);
    return both;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool withLine = argc == 3 && std::string(argv[1]) == "--line";
    if (argc != 2 && !withLine) {
        std::fputs("usage: espa-screenshot [--line] OUTPUT.png\n", stderr);
        return 2;
    }
    const char* output = argv[argc - 1];
    QTemporaryDir appDir;
    std::ofstream(appDir.filePath("espa.set").toStdString(), std::ios::binary)
        << "0        Compoort ->0\r\n11       BaudRate ->4\r\n13       Bits ->1\r\n"
           "20       Logfile ->1\r\n";

    espa::test::FakeSerialControl control;
    espa::SystemClock clock;
    espa::ui::MainWindow window;
    espa::Emulator emulator(control, window, clock, appDir.path().toStdString());
    window.Attach(emulator);
    emulator.StartEmulation();
    window.AfterStartUp();
    window.show();
    if (withLine) {
        window.Line_Click();
    }

    Line line(emulator, control);
    auto choose = [&window](const char* option) {
        window.findChild<QAbstractButton*>(option)->setChecked(true);
    };
    const struct {
        espa::EspaFields fields;
        const char* option;
    } script[] = {
        {{{'1', "1234"}, {'2', "Ward 3 bed 2 nurse call"}, {'3', "2"}, {'6', "2"}}, "OptQueue"},
        {{{'1', "2001"}, {'2', "Room 12 toilet alarm"}, {'3', "1"}, {'6', "1"}}, "OptPaged"},
        {{{'1', "3077"}, {'2', "Fire alarm zone 4"}, {'3', "3"}, {'6', "1"}}, "OptAbsent"},
        {{{'1', "1150"}, {'2', "Doctor on call: ext. 4410"}}, "OptTerminated"},
    };
    for (const auto& step : script) {
        line.Call(step.fields);
        choose(step.option);
        line.Poll();
    }
    line.Call({{'1', "4410"}, {'2', "Patient call bed 7"}, {'3', "2"}}, withLine);
    choose("OptPaged");
    emulator.LedTick();
    app.processEvents();

    const QPixmap picture = withLine ? WithLineView(window) : window.grab();
    if (!picture.save(QString::fromLocal8Bit(output))) {
        std::fprintf(stderr, "espa-screenshot: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
