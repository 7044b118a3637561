#include "central_runner.h"

#include <QIODevice>
#include <string>

#include "event_format.h"

namespace espa {

CentralRunner::CentralRunner(CentralSchedule& schedule, QIODevice& line, bool json, std::FILE* out,
                             QObject* parent)
    : QObject(parent), m_schedule(schedule), m_line(line), m_json(json), m_out(out) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CentralRunner::OnTick);
    connect(&m_line, &QIODevice::readyRead, this, &CentralRunner::OnReadyRead);
}

void CentralRunner::Start() {
    m_clock.start();
    m_lastMs = 0;
    m_timer.start();
    // What the schedule has to send first goes out now, not a tick later.
    QTimer::singleShot(0, this, &CentralRunner::Pump);
}

void CentralRunner::Stop(bool lineLost) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_timer.stop();
    Pump();
    emit Finished(lineLost || m_schedule.Failed() ? kExitFailed : kExitOk);
}

void CentralRunner::OnReadyRead() {
    if (m_finished) {
        m_line.readAll();
        return;
    }
    const QByteArray bytes = m_line.readAll();
    m_schedule.Receive(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    Pump();
}

void CentralRunner::OnTick() {
    const qint64 now = m_clock.elapsed();
    const int passed = static_cast<int>(now - m_lastMs);
    m_lastMs = now;
    m_schedule.Advance(passed);
    Pump();
}

void CentralRunner::Pump() {
    const std::string out = m_schedule.TakeOutput();
    if (!out.empty() && !m_finished) {
        m_line.write(out.data(), static_cast<qint64>(out.size()));
    }
    for (const CentralEvent& event : m_schedule.TakeEvents()) {
        const std::string line =
            m_json ? EventJson(event, m_schedule.ElapsedMs()) : EventText(event);
        std::fputs((line + '\n').c_str(), m_out);
    }
    std::fflush(m_out);
    if (!m_finished && m_schedule.Done()) {
        Stop(false);
    }
}

}  // namespace espa
