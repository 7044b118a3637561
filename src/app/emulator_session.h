#pragma once

#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "capture/capture_recorder.h"
#include "command_line.h"
#include "common/emulator_report.h"
#include "common/signal_watcher.h"
#include "core/clock.h"
#include "demo_central.h"
#include "emulator_runner.h"
#include "engine/emulator.h"
#include "json_events.h"
#include "line_decode.h"
#include "port_caption_view.h"
#include "serial/port_names.h"
#include "serial/port_switch.h"

namespace espa {

// What the headless run and the window run share: the port, the emulator on it and the ticks.
// The window run lives in a separately loaded module, so this is built into both sides.
struct EmulatorSession {
    // `demoDevice`, when given, is the line every port number opens; `capture`, when given, keeps
    // the line's bytes.
    EmulatorSession(const CommandLine& options, OperatorView& view,
                    const std::string& demoDevice = {}, CaptureRecorder* capture = nullptr);
    ~EmulatorSession();
    EmulatorSession(const EmulatorSession&) = delete;
    EmulatorSession& operator=(const EmulatorSession&) = delete;

    QString DeviceFor(int portNumber) const;

    // The command line's faults, once the port is open (drop-line asks what kind it is); false,
    // with the reason on standard error and nothing set, when they cannot be.
    bool SetFaults(const std::vector<PlannedFault>& faults);

    // SIGINT and SIGTERM end the run the way `stop` says, with exit status 0.
    void OnStopSignal(std::function<void()> stop);

    PortNames names;
    QString demoDevice;
    PortSwitch control;
    SystemClock clock;
    PortCaptionView captionView;
    Emulator emulator;
    EmulatorRunner runner;
    SignalWatcher watcher;
    std::unique_ptr<JsonEventWriter> json;
    std::unique_ptr<LineDecodePrinter> decode;
    // Keeps the run's figures when a report may be asked for: with --report, and in every window
    // run, whose Tools menu offers one.
    std::unique_ptr<EmulatorReport> report;
    CaptureRecorder* capture = nullptr;
    // Flushes the capture file: what a frame's end did not flush is in it within this time.
    QTimer captureFlush;
    static constexpr int kCaptureFlushMs = 100;

  private:
    void FlushCapture();
    void OnPortLost();
    void PrintDecoded();
};

// The simulated central of --demo on the far end of the demo line, once the emulator runs;
// nothing without a demo line.
std::unique_ptr<DemoCentral> StartDemo(EmulatorSession& session, DemoLine* line);

}  // namespace espa
