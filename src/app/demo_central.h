#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "central/central_schedule.h"

class QSocketNotifier;

namespace espa {

// A virtual null-modem cable for the demo: a pseudo-terminal pair, both ends raw. The emulator
// opens the slave by its path; the demo central talks on the master. A slave descriptor is kept
// open here so the master keeps working while the emulator closes and reopens its port.
class DemoLine {
  public:
    // Nothing when the system has no pseudo-terminals to give (or is not Unix).
    static std::unique_ptr<DemoLine> Open(std::string& error);
    ~DemoLine();
    DemoLine(const DemoLine&) = delete;
    DemoLine& operator=(const DemoLine&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }

  private:
    DemoLine() = default;

    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// A central in the same program, so a new user sees the emulator work without any hardware: a
// call every few seconds with changing fields (now and then a status request for the call before
// instead), a poll every second in between, and one line on `out` for everything that comes back.
// It is espa-central's schedule and session, fed with the jobs below and the time that passes.
class DemoCentral final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 50;
    static constexpr int kCallIntervalMs = 4000;
    static constexpr int kPollIntervalMs = 1000;
    static constexpr int kFirstCallMs = 1000;

    // `emulation` gives the emulator's current mode (Emulatie): a CommTechWireLess emulator
    // raises its check characters and cannot take status requests, so the central follows it.
    DemoCentral(DemoLine& line, std::function<std::int16_t()> emulation, std::ostream& out,
                QObject* parent = nullptr);
    ~DemoCentral() override;

    void Start();

  private:
    void OnReadable();
    void OnTick();
    CentralJob NextJob();
    void FollowEmulation();
    void Report(const CentralEvent& event);
    void Print(const std::string& text);
    void WritePending();

    DemoLine& m_line;
    std::function<std::int16_t()> m_emulation;
    std::ostream& m_out;
    std::unique_ptr<CentralSchedule> m_schedule;
    std::int16_t m_sessionEmulation = 0;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
    std::size_t m_nextCall = 0;
    int m_jobsSent = 0;
    EspaFields m_lastCall;
    std::string m_unsent;
};

}  // namespace espa
