#include <QCoreApplication>
#include <QObject>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "command_line.h"
#include "console_commands.h"
#include "console_view.h"
#include "emulator_session.h"
#include "run_start.h"
#include "stdin_reader.h"

#ifdef ESPA_WITH_UI
#include "window_module.h"
#endif

namespace {

int RunHeadless(QCoreApplication& app, const espa::RunStart& start) {
    const espa::CommandLine& options = start.options;
    espa::DemoLine* demo = start.demo.get();
    espa::ConsoleView view(options.status, std::cout);
    espa::EmulatorSession session(
        options, view, demo != nullptr ? demo->SlavePath() : std::string(), start.capture.get());
    view.Attach(session.emulator.Lines());
    session.OnStopSignal([&session] { session.runner.Shutdown(); });

    // The operator's controls come as lines on standard input; its end is not a command.
    espa::ConsoleCommands commands(session.emulator, view, std::cout, std::cerr,
                                   session.report.get());
    espa::StdinReader input;
    bool quitting = false;
    QObject::connect(
        &input, &espa::StdinReader::LineReceived, &input, [&](const std::string& line) {
            if (quitting || commands.Execute(line) != espa::ConsoleCommands::Outcome::Quit) {
                return;
            }
            quitting = true;
            session.runner.Shutdown();
            QCoreApplication::exit(0);
        });
    QObject::connect(&input, &espa::StdinReader::LineTooLong, &input, [] {
        std::cerr << "espa-emulator: command line too long; ignored" << std::endl;
    });

    session.runner.Start();
    if (!session.SetFaults(options.faults)) {
        session.runner.Shutdown();
        return espa::kUsageError;
    }
    const std::unique_ptr<espa::DemoCentral> central = espa::StartDemo(session, demo);
    input.Start();
    const int result = app.exec();
    session.runner.Shutdown();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef ESPA_WITH_UI
    // The window and everything it needs come from a module loaded only for this run.
    if (!espa::WantsNoWindow(argc, argv)) {
        return espa::RunWindowModule(argc, argv);
    }
#endif
    QCoreApplication app(argc, argv);
    espa::RunStart start = espa::StartRun();
    if (start.exitStatus) {
        return *start.exitStatus;
    }
    if (start.options.headless) {
        return RunHeadless(app, start);
    }
#ifdef ESPA_WITH_UI
    // --headless, --help or --version stood only as another option's value.
    std::fputs(
        "espa-emulator: cannot start the window with this command line; run it with "
        "--headless\n",
        stderr);
#else
    std::fputs("espa-emulator: this build has no window; run it with --headless\n", stderr);
#endif
    return espa::kUsageError;
}
