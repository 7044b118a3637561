#include "monitor_session.h"

#include <QFile>
#include <QtGlobal>

#include "capture/capture_reader.h"
#include "capture/frame_csv.h"
#include "common/json_text.h"
#include "common/report_files.h"
#include "line_summary.h"
#include "serial/port_switch.h"

namespace espa {

// One direction's tap: its port and what it has read, stamped as it arrived.
class MonitorSession::Tap final : public LineTap {
  public:
    Tap(Leg leg, const QString& device, LegMerger& merger)
        : leg(leg),
          name(leg == Leg::A ? "port-a" : "port-b"),
          device(device),
          control([device](int) { return device; }),
          m_merger(merger) {}

    void OnLineRead(std::int64_t timeUs, const std::string& bytes) override {
        m_merger.Add(leg, timeUs, bytes);
    }
    void OnLineWritten(std::int64_t, const std::string&) override {}

    const Leg leg;
    const std::string name;
    const QString device;
    PortSwitch control;

  private:
    LegMerger& m_merger;
};

namespace {

// The serial control says why an open failed as a Qt warning; the monitor says it in its own line.
QString g_openWarning;
void KeepWarning(QtMsgType, const QMessageLogContext&, const QString& text) {
    g_openWarning = text;
}

std::string Path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

ExchangeAnalyser::Options AnalyserOptions(const MonitorOptions& options) {
    ExchangeAnalyser::Options analyser;
    analyser.timeoutUs = static_cast<std::int64_t>(options.timeoutMs) * 1000;
    analyser.skewUs = LegMerger::kDefaultHoldUs;
    return analyser;
}

}  // namespace

MonitorSession::MonitorSession(const MonitorOptions& options, std::ostream& out, std::ostream& err)
    : m_options(options),
      m_out(out),
      m_err(err),
      m_merger(options.make),
      m_watch(options.make, AnalyserOptions(options)),
      m_printer(out,
                options.json ? LineDecodePrinter::Format::Json : LineDecodePrinter::Format::Text) {
    m_watch.Doctor().NoteLineSettings(options.line);
    m_tickTimer.setInterval(kTickMs);
    m_flushTimer.setInterval(kFlushMs);
    m_retryTimer.setInterval(kRetryMs);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { Tick(); });
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { FlushCapture(); });
    connect(&m_retryTimer, &QTimer::timeout, this, [this] { RetryLost(); });
}

MonitorSession::~MonitorSession() {
    for (std::unique_ptr<Tap>& tap : m_taps) {
        if (tap) {
            tap->control.SetLineTap(nullptr, {});
            tap->control.SetPortOpen(false);
        }
    }
}

bool MonitorSession::OpenFiles(std::string& error) {
    if (!m_options.writePath.isEmpty()) {
        m_capture = std::make_unique<CaptureRecorder>();
        if (CaptureError failed = m_capture->Open(Path(m_options.writePath))) {
            error = *failed;
            return false;
        }
    }
    if (!m_options.exportPath.isEmpty()) {
        m_csv.open(Path(m_options.exportPath), std::ios::binary | std::ios::trunc);
        m_csv << FrameCsvStart();
        if (!m_csv) {
            error = "cannot create " + Path(m_options.exportPath);
            return false;
        }
    }
    return true;
}

// Read only as far as the controls go: nothing here ever writes to a tap.
bool MonitorSession::OpenPorts(std::string& error) {
    const std::array<QString, 2> devices{m_options.portA, m_options.portB};
    for (const Leg leg : {Leg::A, Leg::B}) {
        const QString& device = devices[leg == Leg::A ? 0 : 1];
        if (device.isEmpty()) {
            continue;
        }
        auto tap = std::make_unique<Tap>(leg, device, m_merger);
        Tap& t = *tap;
        t.control.SetSettings(m_options.lineText);
        t.control.SetInputLen(0);
        t.control.SetLineTap(&t, SystemTimeUs);
        t.control.SetPortLostHandler([this, &t] { SayTap(t, "lost"); });
        t.control.Network().SetNoticeHandler(
            [this, &t](const std::string& text) { m_err << t.name << ": " << text << std::endl; });
        g_openWarning.clear();
        const QtMessageHandler previous = qInstallMessageHandler(KeepWarning);
        const bool opened = t.control.SetPortOpen(true);
        qInstallMessageHandler(previous);
        if (!opened) {
            const qsizetype colon = g_openWarning.lastIndexOf(QStringLiteral(": "));
            error = "cannot open " + t.name + " " + Path(device) + ": " +
                    (colon < 0 ? std::string("missing, busy or refused")
                               : g_openWarning.mid(colon + 2).toStdString());
            return false;
        }
        m_taps[leg == Leg::A ? 0 : 1] = std::move(tap);
    }
    return true;
}

// Said once the taps are open, so that whoever started the monitor knows it hears the line now.
void MonitorSession::Start() {
    std::string taps;
    for (const std::unique_ptr<Tap>& tap : m_taps) {
        if (tap) {
            taps += (taps.empty() ? "" : ", ") + tap->name + " " + Path(tap->device);
        }
    }
    if (m_options.json) {
        Json line;
        line["event"] = "listening";
        for (const std::unique_ptr<Tap>& tap : m_taps) {
            if (tap) {
                line[tap->leg == Leg::A ? "port_a" : "port_b"] = Path(tap->device);
            }
        }
        m_out << JsonText(line) << std::endl;
    } else {
        m_out << "LISTENING: " << taps << std::endl;
    }
    m_collector.Mark(SystemTimeUs());
    m_tickTimer.start();
    m_retryTimer.start();
    if (m_capture) {
        m_flushTimer.start();
    }
}

// The taps' reads are stamped as they arrive; emptying the buffers here only keeps them small.
void MonitorSession::Tick() {
    for (std::unique_ptr<Tap>& tap : m_taps) {
        if (tap && tap->control.PortOpen()) {
            tap->control.Input();
        }
    }
    const std::int64_t now = SystemTimeUs();
    Take(m_merger.Release(now));
    m_watch.Advance(now - m_merger.HoldUs());
    Print(now);
}

void MonitorSession::Take(const std::vector<LineChunk>& chunks) {
    for (const LineChunk& chunk : chunks) {
        if (m_capture && !m_captureFailed) {
            if (CaptureError error = m_capture->Record(chunk)) {
                m_err << "espa-monitor: " << *error << "; the capture stops here" << std::endl;
                m_captureFailed = true;
            }
        }
        m_watch.Feed(chunk);
    }
}

void MonitorSession::Print(std::int64_t nowUs) {
    m_lastUs = nowUs;
    AnnounceLegs();
    for (const Frame& frame : m_watch.TakeFrames()) {
        m_printer.Print(frame, m_options.make);
        if (m_csv.is_open()) {
            m_csv << FrameCsvRow(frame, m_options.make);
        }
    }
    const std::vector<Hint> hints = m_watch.TakeHints();
    for (const Hint& hint : hints) {
        m_printer.Print(hint);
    }
    m_out << std::flush;
    m_collector.Add(m_watch.TakeExchanges(), hints, nowUs);
}

// Swapped taps are the usual first mistake: which one is which is said once, when known.
void MonitorSession::AnnounceLegs() {
    if (m_legsAnnounced || !m_merger.CentralLeg() || !m_options.readPath.isEmpty()) {
        return;
    }
    m_legsAnnounced = true;
    const bool a = *m_merger.CentralLeg() == Leg::A;
    const char* central = a ? "port-a" : "port-b";
    const char* paging = a ? "port-b" : "port-a";
    if (m_options.json) {
        Json line;
        line["event"] = "taps";
        line["central"] = central;
        line["paging_system"] = paging;
        line["from_traffic"] = m_merger.CentralLegSeen();
        m_out << JsonText(line) << '\n';
        return;
    }
    m_out << "TAPS: " << central << " carries the central, " << paging << " the paging system"
          << (m_merger.CentralLegSeen() ? "" : " (assumed: no poll or select seen)") << '\n';
}

// Among the frames, where a gap in them is explained.
void MonitorSession::SayTap(const Tap& tap, const char* state) {
    if (m_options.json) {
        Json line;
        line["event"] = "tap";
        line["port"] = tap.name;
        line["device"] = Path(tap.device);
        line["state"] = state;
        m_out << JsonText(line) << std::endl;
        return;
    }
    m_out << "TAP: " << tap.name << " " << Path(tap.device)
          << (std::string(state) == "lost" ? " is gone; waiting for it to come back" : " is back")
          << std::endl;
}

void MonitorSession::RetryLost() {
    for (std::unique_ptr<Tap>& tap : m_taps) {
        if (tap && tap->control.PortLost() && tap->control.ReclaimLostPort() &&
            tap->control.SetPortOpen(true)) {
            SayTap(*tap, "back");
        }
    }
}

void MonitorSession::FlushCapture() {
    if (m_capture && !m_captureFailed) {
        if (CaptureError error = m_capture->Flush()) {
            m_err << "espa-monitor: " << *error << "; the capture stops here" << std::endl;
            m_captureFailed = true;
        }
    }
}

int MonitorSession::Finish() {
    m_tickTimer.stop();
    m_retryTimer.stop();
    m_flushTimer.stop();
    Take(m_merger.ReleaseAll());
    return End();
}

int MonitorSession::ReadCapture() {
    CaptureReader reader;
    if (CaptureError error = reader.Open(Path(m_options.readPath))) {
        m_err << "espa-monitor: " << *error << std::endl;
        return 2;
    }
    while (std::optional<LineChunk> chunk = reader.Next()) {
        m_merger.Add(chunk->from == Side::Central ? Leg::A : Leg::B, chunk->timeUs,
                     std::move(chunk->bytes));
        Take(m_merger.Release(chunk->timeUs));
        m_watch.Advance(chunk->timeUs - m_merger.HoldUs());
        Print(chunk->timeUs);
    }
    Take(m_merger.ReleaseAll());
    const int status = End();
    if (reader.Error()) {
        m_err << "espa-monitor: " << *reader.Error() << std::endl;
        return 1;
    }
    return status;
}

int MonitorSession::End() {
    m_watch.Finish();
    Print(m_options.readPath.isEmpty() ? SystemTimeUs() : m_lastUs);
    if (m_options.json) {
        m_out << SummaryJson(m_watch.Totals(), m_watch.Stats()) << '\n';
    } else {
        for (const std::string& line : SummaryLines(m_watch.Totals(), m_watch.Stats())) {
            m_out << line << '\n';
        }
    }
    m_out << std::flush;
    int status = 0;
    if (m_capture && !m_captureFailed) {
        if (CaptureError error = m_capture->Close()) {
            m_err << "espa-monitor: " << *error << std::endl;
            status = 1;
        }
    }
    if (m_captureFailed) {
        status = 1;
    }
    if (m_csv.is_open()) {
        m_csv.close();
        if (!m_csv) {
            m_err << "espa-monitor: cannot write " << Path(m_options.exportPath) << std::endl;
            status = 1;
        }
    }
    if (!WriteReport()) {
        status = 1;
    }
    return status;
}

// Where the figures came from: the taps as given, or the capture read.
std::string MonitorSession::Source() const {
    if (!m_options.readPath.isEmpty()) {
        return Path(m_options.readPath);
    }
    std::string taps;
    for (const QString& tap : {m_options.portA, m_options.portB}) {
        if (!tap.isEmpty()) {
            taps += (taps.empty() ? "" : ", ") + Path(tap);
        }
    }
    return taps;
}

bool MonitorSession::WriteReport() {
    if (m_options.reportPath.isEmpty()) {
        return true;
    }
    // The monitor caused no fault. The central's own slips join here once the judge is in:
    // CentralSlips(m_collector.Exchanges()).
    RunReport report = m_collector.Build({}, {}, {});
    report.program = "espa-monitor";
    report.version = ESPA_VERSION_TEXT;
    report.make = kEmulationNames[static_cast<std::size_t>(m_options.make)];
    report.port = Source();
    report.lineSettings = m_options.lineText;
    if (std::optional<std::string> failure = WriteReportFigures(report, m_options.reportPath)) {
        m_err << "espa-monitor: " << *failure << std::endl;
        return false;
    }
    return true;
}

}  // namespace espa
