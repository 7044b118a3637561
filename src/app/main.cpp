#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>

#include "command_line.h"
#include "console_view.h"
#include "core/clock.h"
#include "core/emulator.h"
#include "emulator_runner.h"
#include "port_names.h"
#include "serial/qt_serial_control.h"
#include "signal_watcher.h"

#ifdef ESPA_WITH_UI
#include <QApplication>

#include "ui/main_window.h"
#endif

namespace {

constexpr int kUsageError = 2;
constexpr const char* kPortLostText = "ERROR: Comport lost.";

std::filesystem::path ToPath(const QString& dir) {
#ifdef Q_OS_WIN
    return std::filesystem::path(dir.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(dir).toStdString());
#endif
}

// What both kinds of run share: the port, the emulator on it and the ticks.
struct Session {
    Session(const espa::CommandLine& options, espa::OperatorView& view)
        : names(options.appDir),
          control([this](int n) { return names.Resolve(n); }),
          emulator(control, view, clock, ToPath(options.appDir)),
          runner(emulator) {
        for (const auto& [number, device] : options.ports) {
            names.SetDevice(number, device);
        }
        control.SetPortLostHandler([this] { emulator.Log().WriteLog(kPortLostText); });
    }

    // SIGINT and SIGTERM end the run the way `stop` says, with exit status 0.
    void OnStopSignal(std::function<void()> stop) {
        QObject::connect(&watcher, &espa::SignalWatcher::StopRequested, &runner,
                         [stop = std::move(stop)] {
                             stop();
                             QCoreApplication::exit(0);
                         });
    }

    espa::PortNames names;
    espa::QtSerialControl control;
    espa::SystemClock clock;
    espa::Emulator emulator;
    espa::EmulatorRunner runner;
    espa::SignalWatcher watcher;
};

int RunHeadless(QCoreApplication& app, const espa::CommandLine& options) {
    espa::ConsoleView view(options.status, std::cout);
    Session session(options, view);
    view.Attach(session.emulator.Lines());
    session.OnStopSignal([&session] { session.runner.Shutdown(); });
    session.runner.Start();
    const int result = app.exec();
    session.runner.Shutdown();
    return result;
}

#ifdef ESPA_WITH_UI
int RunWindow(QCoreApplication& app, const espa::CommandLine& options) {
    espa::ui::MainWindow window;
    Session session(options, window);
    window.Attach(session.emulator);
    // A stop signal is the close box: the window closes the port, once.
    session.OnStopSignal([&window] { window.close(); });
    session.runner.Start();
    window.AfterStartUp();
    window.show();
    const int result = app.exec();
    // The window closes the port on Quit and on its close box; this covers any other way out.
    if (session.control.PortOpen()) {
        session.runner.Shutdown();
    }
    return result;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::unique_ptr<QCoreApplication> app;
#ifdef ESPA_WITH_UI
    if (!espa::WantsNoWindow(argc, argv)) {
        app = std::make_unique<QApplication>(argc, argv);
    }
#endif
    if (!app) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("espa-emulator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ESPA_VERSION_TEXT));

    QCommandLineParser parser;
    const espa::CommandLine options = espa::ParseCommandLine(
        parser, QCoreApplication::arguments(), QCoreApplication::applicationDirPath());
    switch (options.action) {
        case espa::CommandLine::Action::ShowHelp:
            std::fputs(qPrintable(parser.helpText()), stdout);
            return 0;
        case espa::CommandLine::Action::ShowVersion:
            std::printf("espa-emulator %s\n", ESPA_VERSION_TEXT);
            return 0;
        case espa::CommandLine::Action::Fail:
            std::fprintf(stderr, "espa-emulator: %s\n", qPrintable(options.error));
            return kUsageError;
        case espa::CommandLine::Action::Run:
            break;
    }

    if (options.headless) {
        return RunHeadless(*app, options);
    }
#ifdef ESPA_WITH_UI
    return RunWindow(*app, options);
#else
    std::fputs("espa-emulator: this build has no window; run it with --headless\n", stderr);
    return kUsageError;
#endif
}
