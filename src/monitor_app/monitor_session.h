#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "capture/capture_recorder.h"
#include "core/line_tap.h"
#include "engine/run_collector.h"
#include "line/line_watch.h"
#include "line_decode.h"
#include "monitor/leg_merger.h"
#include "monitor_options.h"

namespace espa {

class PortSwitch;

// One run of espa-monitor: the taps (or a capture read back), the merger that puts their chunks
// in protocol order, the watch that decodes them and everything the run writes. The taps are
// opened through the same serial and network controls as the emulator's port, so a device that
// goes away is reported and taken again when it comes back; nothing is ever written to them.
class MonitorSession final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 25;
    // What a frame's end did not flush is in the capture file within this time.
    static constexpr int kFlushMs = 100;
    static constexpr int kRetryMs = 1000;

    MonitorSession(const MonitorOptions& options, std::ostream& out, std::ostream& err);
    ~MonitorSession() override;

    // Creates the files of --write and --export; false with `error` when one cannot be.
    bool OpenFiles(std::string& error);
    // Opens the taps; false with `error` at the first that cannot be opened.
    bool OpenPorts(std::string& error);
    void Start();
    // Ends a live run: what is held goes through, then the summary. The exit status.
    int Finish();
    // Decodes the capture of --read at once, as a live run would have; the exit status.
    int ReadCapture();

  private:
    class Tap;

    void Tick();
    void Take(const std::vector<LineChunk>& chunks);
    // Prints what the watch made of the line up to `nowUs` and keeps its exchanges and hints.
    void Print(std::int64_t nowUs);
    void AnnounceLegs();
    void RetryLost();
    void SayTap(const Tap& tap, const char* state);
    void FlushCapture();
    int End();
    bool WriteReport();
    std::string Source() const;

    const MonitorOptions m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    LegMerger m_merger;
    LineWatch m_watch;
    LineDecodePrinter m_printer;
    std::array<std::unique_ptr<Tap>, 2> m_taps;
    std::unique_ptr<CaptureRecorder> m_capture;
    bool m_captureFailed = false;
    std::ofstream m_csv;
    RunCollector m_collector;
    std::int64_t m_lastUs = 0;
    bool m_legsAnnounced = false;
    QTimer m_tickTimer;
    QTimer m_flushTimer;
    QTimer m_retryTimer;
};

}  // namespace espa
