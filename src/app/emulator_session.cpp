#include "emulator_session.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <filesystem>
#include <iostream>

namespace espa {
namespace {

constexpr const char* kPortLostText = "ERROR: Comport lost.";

std::filesystem::path ToPath(const QString& dir) {
#ifdef Q_OS_WIN
    return std::filesystem::path(dir.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(dir).toStdString());
#endif
}

std::string Latin1(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

EmulatorSession::EmulatorSession(const CommandLine& options, OperatorView& view,
                                 const std::string& demoDevice, CaptureRecorder* capture)
    : names(options.appDir),
      demoDevice(QFile::decodeName(QByteArray::fromStdString(demoDevice))),
      control([this](int n) { return DeviceFor(n); }),
      captionView(view, [this] { return control.CaptionSuffix(); }),
      emulator(control, captionView, clock, ToPath(options.appDir)),
      runner(emulator),
      capture(capture) {
    for (const auto& [number, device] : options.ports) {
        names.SetDevice(number, device);
    }
    emulator.Status().SetStatusPlans(options.statusPlans);
    control.SetPortLostHandler([this] { OnPortLost(); });
    control.Network().SetNoticeHandler(
        [this](const std::string& text) { emulator.Log().WriteLog(text); });
    control.Network().SetConnectedHandler([this](const QString& peer) {
        if (json) {
            json->OnConnected(control.PortNumber(), Latin1(peer));
        }
    });
    if (options.json) {
        json = std::make_unique<JsonEventWriter>(std::cout,
                                                 [this](int n) { return Latin1(DeviceFor(n)); });
        emulator.SetEventObserver(json.get());
    }
    if (options.decode) {
        decode = std::make_unique<LineDecodePrinter>(
            std::cout,
            options.json ? LineDecodePrinter::Format::Json : LineDecodePrinter::Format::Text);
        emulator.WatchLine(true);
        QObject::connect(&runner, &EmulatorRunner::LampTicked, &runner, [this] { PrintDecoded(); });
    }
    report =
        std::make_unique<EmulatorReport>(emulator, !options.report.isEmpty() || !options.headless,
                                         [this](int n) { return Latin1(DeviceFor(n)); });
    report->Header() = options.header;
    report->AtEnd() = options.report;
    if (capture != nullptr) {
        emulator.RecordLine(capture);
        QObject::connect(&captureFlush, &QTimer::timeout, &runner, [this] { FlushCapture(); });
        captureFlush.start(kCaptureFlushMs);
    }
}

// Every way a run ends (quit, the window closed, a signal) comes through here, after the port is
// closed: the report sees the whole run.
EmulatorSession::~EmulatorSession() {
    report->WriteAtEnd();
    report.reset();
    emulator.SetEventObserver(nullptr);
    emulator.WatchLine(false);
    if (capture != nullptr) {
        emulator.RecordLine(nullptr);
        FlushCapture();
    }
}

// A file that cannot be written is said once; the run goes on without it.
void EmulatorSession::FlushCapture() {
    if (CaptureError error = capture->Flush()) {
        std::cerr << "espa-emulator: " << *error << "; the capture stops here" << std::endl;
        emulator.RecordLine(nullptr);
        captureFlush.stop();
        capture = nullptr;
    }
}

void EmulatorSession::PrintDecoded() {
    const LineNews& news = emulator.LatestOnLine();
    decode->Print(news.frames, news.hints, static_cast<Emulation>(emulator.Settings().Emulatie));
}

QString EmulatorSession::DeviceFor(int portNumber) const {
    return demoDevice.isEmpty() ? names.Resolve(portNumber) : demoDevice;
}

// A network line has said what happened in its own words already.
void EmulatorSession::OnPortLost() {
    if (control.Kind() == LineKind::Serial) {
        emulator.Log().WriteLog(kPortLostText);
    }
    if (json) {
        json->OnPortLost(control.PortNumber());
    }
}

bool EmulatorSession::SetFaults(const std::vector<PlannedFault>& faults) {
    std::string error;
    if (emulator.AddFaults(faults, error)) {
        return true;
    }
    std::cerr << "espa-emulator: " << error << std::endl;
    return false;
}

void EmulatorSession::OnStopSignal(std::function<void()> stop) {
    QObject::connect(&watcher, &SignalWatcher::StopRequested, &runner, [stop = std::move(stop)] {
        stop();
        QCoreApplication::exit(0);
    });
}

std::unique_ptr<DemoCentral> StartDemo(EmulatorSession& session, DemoLine* line) {
    if (line == nullptr) {
        return nullptr;
    }
    auto central = std::make_unique<DemoCentral>(
        *line, [&session] { return session.emulator.Settings().Emulatie; }, std::cout);
    central->Start();
    return central;
}

}  // namespace espa
