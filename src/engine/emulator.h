#pragma once

#include <cstdint>
#include <filesystem>

#include "calls/call_records.h"
#include "calls/call_table.h"
#include "calls/status_exchange.h"
#include "core/line_tap.h"
#include "core/settings_record.h"
#include "engine/run_collector.h"
#include "engine/watched_line.h"
#include "faults/fault_injector.h"
#include "log/event_log.h"
#include "log/log_lines.h"
#include "protocol/espa_block.h"
#include "protocol/espa_handler.h"
#include "serial/datacom.h"
#include "serial/lamp_state.h"

namespace espa {

class Clock;
class EngineEvents;
class OperatorView;
class SerialControl;

inline constexpr int kTallWindowTwips = 9195;
inline constexpr int kShortWindowTwips = 6210;

// Owns every part of the emulator; the window, a headless run or a test drives it through the
// start-up, the three ticks and shut-down. Plain C++: the timers belong to whoever drives it.
class Emulator {
  public:
    Emulator(SerialControl& control, OperatorView& view, const Clock& clock,
             std::filesystem::path appDir);

    ~Emulator();

    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // The start-up steps: empty table and screen log, read espa.set, size the window, open the port
    // and, when it opened, start the handler.
    void StartEmulation();
    // Window height for the log level.
    void SizeMainWindow();

    // Settings saved by the operator: record, espa.set, window height, port closed and reopened.
    // Starts the handler if it never ran (the port failed at start-up).
    void ApplySettings(const SettingsRecord& record);

    // Opens the port with the record's settings; starts the handler on the first successful open.
    std::int16_t OpenPortFromSettings();

    // The three ticks.
    void HandlerTick();  // 25 ms
    void LedTick();      // 250 ms
    void BufferTick();   // 1000 ms

    // Shows the call positions in the view, after the table's rules have been applied to them.
    void RefreshCallPositions();

    enum class DeleteResult {
        Deleted,
        Empty,            // nothing stored there
        NotAnswered,      // the call still waits for its status (or failed, ERROR): it stays
        InvalidPosition,  // not 0..9
    };
    // The operator deletes an answered call: the rows below move up, the handler's current call
    // moves with its row (so that the next poll still reports on it) and the view is refreshed.
    // Anything else is left as it is.
    DeleteResult DeleteAnsweredCall(int p);
    // The operator clears every position, answered or not; the view is refreshed.
    void ClearCallPositions();

    // Quit confirmed, or the window destroyed.
    void Shutdown();

    // Who is told of calls, status exchanges, NAKs, timeouts and port opens from now on; null
    // for nobody. The observer must outlive the emulator or be replaced first.
    void SetEventObserver(EngineEvents* observer);

    // Watching the line: every byte read or written goes to a LineWatch, stamped where it met the
    // port. Off by default, and changing nothing the emulator does either way.
    // Each front end that wants the line (the Line view, --decode) asks on and, when done, off:
    // the first on starts a fresh LineWatch for the current make, the last off ends it, so one
    // front end leaving does not blind another.
    void WatchLine(bool on);
    bool WatchingLine() const { return m_line.Watching(); }
    // Null when not watching. Settings applied replace it with a fresh one.
    LineWatch* Watch() { return m_line.Watch(); }
    // What the watch decoded since the lamp tick before the last one: taken once on each lamp
    // tick, before the view is refreshed, so every front end sees the same frames and hints.
    const LineNews& LatestOnLine() const { return m_lineNews; }
    // Every chunk read or written also goes to `recorder` (a capture file), with the same stamps;
    // null for nobody. Independent of watching. The recorder must outlive the emulator or be
    // replaced first.
    void RecordLine(LineTap* recorder);
    // Every exchange the watch closes and every hint it gives also go to `collector` (a report's
    // figures), taken on the lamp tick with the front ends' frames; null for nobody. Watch the
    // line as long as it collects. The collector must outlive the emulator or be replaced first.
    void CollectRun(RunCollector* collector);
    // Hands the collector what the watch closed since the last lamp tick, for a report made now.
    // At the end of the run (`lineEnded`) whatever is still open is closed first and the hints
    // not yet shown go along.
    void CollectNow(bool lineEnded);
    // The time base of the stamps and of the watch's advance; the system clock unless a test
    // steps its own.
    void SetLineClock(MicroClock now);

    // Deliberate faults, to see how the central copes. A plan is taken whole or not at all:
    // drop-line needs a TCP line, and false with `error` set says why nothing was added.
    bool AddFaults(const std::vector<PlannedFault>& plan, std::string& error);
    FaultInjector& Faults() { return m_faults; }
    // Every fault that took effect since start-up, in order.
    const std::vector<FaultEvent>& FaultsTaken() const { return m_faults.Taken(); }

    SettingsRecord& Settings() { return m_settings; }
    const std::filesystem::path& AppDir() const { return m_appDir; }
    LogLines& Lines() { return m_logLines; }
    EventLog& Log() { return m_log; }
    CallTable& Table() { return m_table; }
    Datacom& Port() { return m_datacom; }
    LampState& Lamps() { return m_lamps; }
    EspaBlock& Block() { return m_block; }
    CallRecords& Records() { return m_records; }
    StatusExchange& Status() { return m_status; }
    EspaHandler& Handler() { return m_handler; }

  private:
    void TellWatchPortOpened();
    // The port's tap: the line's, while anyone wants its bytes.
    void UpdateTap();
    bool StatusOwed() const;

    OperatorView& m_view;
    std::filesystem::path m_appDir;
    SettingsRecord m_settings;
    LogLines m_logLines;
    EventLog m_log;
    CallTable m_table;
    LampState m_lamps;
    Datacom m_datacom;
    CallRecords m_records;
    StatusExchange m_status;
    EspaBlock m_block;
    EspaHandler m_handler;
    FaultInjector m_faults;
    WatchedLine m_line;
    int m_lineWatchers = 0;
    LineNews m_lineNews;
    RunCollector* m_collector = nullptr;
};

}  // namespace espa
