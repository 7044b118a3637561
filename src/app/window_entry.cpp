// The window run, built into the window module; see window_entry.h.
#include "window_entry.h"

#include <QApplication>
#include <memory>

#include "emulator_session.h"
#include "run_start.h"
#include "ui/main_window.h"

namespace {

int RunWindow(QApplication& app, const espa::RunStart& start) {
    const espa::CommandLine& options = start.options;
    espa::DemoLine* demo = start.demo.get();
    espa::ui::MainWindow window;
    espa::EmulatorSession session(
        options, window, demo != nullptr ? demo->SlavePath() : std::string(), start.capture.get());
    window.Attach(session.emulator);
    window.AttachReport(*session.report);
    // A stop signal is the close box: the window closes the port, once.
    session.OnStopSignal([&window] { window.close(); });
    session.runner.Start();
    if (!session.SetFaults(options.faults)) {
        session.runner.Shutdown();
        return espa::kUsageError;
    }
    window.AfterStartUp();
    window.show();
    if (options.lineView) {
        window.Line_Click();
    }
    const std::unique_ptr<espa::DemoCentral> central = espa::StartDemo(session, demo);
    const int result = app.exec();
    // The window closes the port on Quit and on its close box; this covers any other way out.
    if (session.control.PortOpen()) {
        session.runner.Shutdown();
    }
    return result;
}

}  // namespace

// An exception has nowhere to go past this door; it ends the program as it would in main().
extern "C" Q_DECL_EXPORT int espa_run_window(int* argc, char** argv) noexcept {
    QApplication app(*argc, argv);
    espa::RunStart start = espa::StartRun();
    if (start.exitStatus) {
        return *start.exitStatus;
    }
    return RunWindow(app, start);
}

// The program calls through this type; a change on one side only must not compile.
[[maybe_unused]] static constexpr espa::RunWindowEntry kEntryMatchesTheProgram = &espa_run_window;
