#include "engine/emulator.h"

#include <algorithm>

#include "calls/call_refresh.h"
#include "core/engine_events.h"
#include "core/operator_view.h"
#include "core/settings_file.h"
#include "serial/serial_control.h"

namespace espa {

Emulator::Emulator(SerialControl& control, OperatorView& view, const Clock& clock,
                   std::filesystem::path appDir)
    : m_view(view),
      m_appDir(std::move(appDir)),
      m_log(m_settings, clock, m_appDir, m_logLines),
      m_datacom(control, m_settings, m_log, view, m_lamps),
      m_records(m_table, m_log, view),
      m_status(m_table, m_records, m_settings, m_log, view),
      m_block(m_datacom, m_log, m_table),
      m_handler(m_settings, m_datacom, m_block, m_records, m_status, m_table, m_log, view) {
    m_faults.SetLog([this](const std::string& text) { m_log.WriteLog(text); });
    m_faults.SetLineActions({
        .send = [this](char byte) { m_datacom.SendNow(static_cast<unsigned char>(byte)); },
        .hangUp = [this] { m_datacom.ClosePort(); },
        .reopen = [this] { OpenPortFromSettings(); },
    });
    m_datacom.SetFaults(m_faults);
    m_handler.SetFaults(m_faults);
}

// The control may outlive us: it must not keep telling a watch that is gone.
Emulator::~Emulator() {
    if (m_line.Tapped()) {
        m_datacom.Control().SetLineTap(nullptr, {});
    }
}

void Emulator::StartEmulation() {
    m_table.InitCallTable();
    m_logLines.Clear();
    RefreshCallPositions();
    m_view.UpdateMessageWindow(m_logLines);
    ReadSettings(m_appDir, m_settings);
    if (WatchingLine()) {
        // What the old watch had not closed was cut short by the change, as it was on the line.
        CollectNow(true);
        m_line.Start(static_cast<Emulation>(m_settings.Emulatie), m_table);
    }
    SizeMainWindow();
    OpenPortFromSettings();
    m_handler.ResetMediCallTimer();
}

void Emulator::SizeMainWindow() {
    m_view.SetWindowHeightTwips(m_settings.Logfile != 0 ? kTallWindowTwips : kShortWindowTwips);
}

// A port that failed at start-up and opens later must not leave the line unanswered while the
// log says "opened for ESPA emulation": the first successful open starts the handler. A handler
// already running keeps its state.
std::int16_t Emulator::OpenPortFromSettings() {
    const std::int16_t result =
        m_datacom.OpenPort(m_settings.Compoort, m_settings.BaudRate, m_settings.Parity,
                           m_settings.Bits, m_settings.StopBits, m_settings.HandShake);
    if (result >= 0 && !m_handler.IsStarted()) {
        m_handler.EspaHandlerStep(kCommandStart);
    }
    if (result >= 0) {
        TellWatchPortOpened();
    }
    return result;
}

void Emulator::ApplySettings(const SettingsRecord& record) {
    m_settings = record;
    WriteSettings(m_appDir, m_settings);
    SizeMainWindow();
    m_datacom.ClosePort();
    if (WatchingLine()) {
        CollectNow(true);
        m_line.Start(static_cast<Emulation>(m_settings.Emulatie), m_table);
    }
    OpenPortFromSettings();
}

void Emulator::HandlerTick() {
    m_faults.Tick();
    m_handler.EspaHandlerStep(kCommandTick);
    if (WatchingLine()) {
        m_line.HandlerStepped(StatusOwed());
    }
}

void Emulator::LedTick() {
    if (m_settings.Logfile > 0) {
        m_view.UpdateMessageWindow(m_logLines);
    }
    m_datacom.TickLamps();
    if (WatchingLine()) {
        m_line.CtsSensed(m_lamps.cts == kLineActive);
        LineWatch& watch = *m_line.Watch();
        m_lineNews = {watch.TakeFrames(), watch.TakeHints()};
        // Taken whether anyone keeps them or not: left in the watch they would pile up.
        std::vector<Exchange> closed = watch.TakeExchanges();
        if (m_collector != nullptr) {
            m_collector->Add(std::move(closed), m_lineNews.hints, m_line.Clock()());
        }
    }
    m_view.ShowLamps(m_lamps);
}

void Emulator::BufferTick() {
    m_table.AgeCallTable();
}

void Emulator::RefreshCallPositions() {
    espa::RefreshCallPositions(m_view, m_table);
}

Emulator::DeleteResult Emulator::DeleteAnsweredCall(int p) {
    if (!CallTable::IsValidPosition(p)) {
        return DeleteResult::InvalidPosition;
    }
    if (m_table[p].IsFree()) {
        return DeleteResult::Empty;
    }
    if (!IsDeletableStatus(m_table[p].ReturnedStatus)) {
        return DeleteResult::NotAnswered;
    }
    const auto position = static_cast<std::int16_t>(p);
    m_table.DeletePosition(position);
    m_handler.OnPositionDeleted(position);
    RefreshCallPositions();
    return DeleteResult::Deleted;
}

void Emulator::ClearCallPositions() {
    for (std::int16_t p = 0; p < CallTable::kPositions; ++p) {
        m_table.ClearPosition(p);
    }
    RefreshCallPositions();
}

void Emulator::Shutdown() {
    m_faults.EndRun();
    m_datacom.ClosePort();
}

void Emulator::WatchLine(bool on) {
    if (!on) {
        if (m_lineWatchers == 0 || --m_lineWatchers > 0) {
            return;
        }
        m_line.Stop();
        m_lineNews = {};
        UpdateTap();
        return;
    }
    if (m_lineWatchers++ > 0) {
        return;
    }
    m_line.Start(static_cast<Emulation>(m_settings.Emulatie), m_table);
    UpdateTap();
    if (m_datacom.Control().PortOpen()) {
        TellWatchPortOpened();
    }
}

void Emulator::RecordLine(LineTap* recorder) {
    m_line.SetRecorder(recorder);
    UpdateTap();
}

void Emulator::CollectRun(RunCollector* collector) {
    m_collector = collector;
    if (m_collector != nullptr) {
        m_collector->Mark(m_line.Clock()());
    }
}

void Emulator::CollectNow(bool lineEnded) {
    if (m_collector == nullptr) {
        return;
    }
    LineWatch* watch = m_line.Watch();
    if (watch == nullptr) {
        m_collector->Mark(m_line.Clock()());
        return;
    }
    if (lineEnded) {
        watch->Advance(m_line.Clock()());
        watch->Finish();
    }
    m_collector->Add(watch->TakeExchanges(), lineEnded ? watch->TakeHints() : std::vector<Hint>{},
                     m_line.Clock()());
}

void Emulator::SetLineClock(MicroClock now) {
    m_faults.SetClock(now);
    m_line.SetClock(std::move(now));
    UpdateTap();
}

void Emulator::UpdateTap() {
    if (m_line.Tapped()) {
        m_datacom.Control().SetLineTap(&m_line, m_line.Clock());
    } else {
        m_datacom.Control().SetLineTap(nullptr, {});
    }
}

void Emulator::TellWatchPortOpened() {
    if (!WatchingLine()) {
        return;
    }
    const std::string text = LineSettingsText(m_settings.BaudRate, m_settings.Parity,
                                              m_settings.Bits, m_settings.StopBits);
    m_line.PortOpened(m_datacom.Control().DeviceKind(),
                      ParseLineSettings(text).value_or(LineSettings{}), m_settings.HandShake);
}

// What the next poll would be answered with a status transfer for: the current call while its
// position holds a status word, or any call still pending.
bool Emulator::StatusOwed() const {
    const std::int16_t p = m_handler.CurrentPosition();
    return (CallTable::IsValidPosition(p) && !m_table[p].ReturnedStatus.empty()) ||
           m_block.FindPendingPosition() >= 0;
}

void Emulator::SetEventObserver(EngineEvents* observer) {
    EngineEvents& events = observer != nullptr ? *observer : NoEngineEvents();
    m_datacom.SetEvents(events);
    m_records.SetEvents(events);
    m_status.SetEvents(events);
    m_handler.SetEvents(events);
    m_faults.SetEvents(events);
}

bool Emulator::AddFaults(const std::vector<PlannedFault>& plan, std::string& error) {
    const bool hangsUp = std::any_of(plan.begin(), plan.end(), [](const PlannedFault& p) {
        return p.spec.kind == FaultKind::DropLine;
    });
    if (hangsUp && m_datacom.Control().DeviceKind() != PortDevice::Tcp) {
        error =
            "drop-line needs a TCP line (--port ComN=tcp://HOST:PORT or "
            "tcp-listen://[HOST]:PORT); this port is not one";
        return false;
    }
    for (const PlannedFault& planned : plan) {
        m_faults.Add(planned);
    }
    return true;
}

}  // namespace espa
