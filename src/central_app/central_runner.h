#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdio>

#include "central/central_schedule.h"

class QIODevice;

namespace espa {

// Drives a CentralSchedule from the event loop: what the line delivers goes in at once, time goes
// in on a short timer, what the schedule sends goes out, every event is printed as one line.
class CentralRunner final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailed = 1;

    CentralRunner(CentralSchedule& schedule, QIODevice& line, bool json, std::FILE* out,
                  QObject* parent = nullptr);

    void Start();
    // Ends the run now (interrupted, or the line is gone); the exit code still tells whether an
    // exchange failed before.
    void Stop(bool lineLost);

  signals:
    void Finished(int exitCode);

  private:
    void OnReadyRead();
    void OnTick();
    void Pump();

    // Short against the paging system's 25 ms steps, so the central never adds a step of delay.
    static constexpr int kTickMs = 5;

    CentralSchedule& m_schedule;
    QIODevice& m_line;
    bool m_json;
    std::FILE* m_out;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastMs = 0;
    bool m_finished = false;
};

}  // namespace espa
