#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "central/central_session.h"

namespace espa {

// One exchange the user asked for on the command line.
struct CentralJob {
    enum class Kind { Call, StatusRequest };
    Kind kind = Kind::Call;
    EspaFields fields;

    bool operator==(const CentralJob&) const = default;
};

// Decides what the central sends when: the calls and status requests one after another in the
// order given, and a poll whenever the poll interval has passed since the last poll ended. A due
// poll goes before the next call, so with an interval shorter than a call every call is followed
// by a poll, as a central with a steady poll rate would do. Time is passed in, never read.
class CentralSchedule {
  public:
    struct Plan {
        std::vector<CentralJob> jobs;
        int pollIntervalMs = 1000;
        std::optional<int> polls;       // polling ends after this many polls
        std::optional<int> durationMs;  // polling ends this long after the start
    };

    CentralSchedule(Plan plan, CentralSession::Timing timing);

    void Advance(int ms);
    void Receive(const std::string& bytes);

    std::string TakeOutput() { return m_session.TakeOutput(); }
    std::vector<CentralEvent> TakeEvents();

    // Every job has run, polling is over and no exchange is open; or the line fell silent.
    bool Done() const;
    // Some exchange failed: no answer, an answer out of place, a refused call or a bad transfer.
    bool Failed() const { return m_failed; }
    int ElapsedMs() const { return m_elapsedMs; }

  private:
    bool Polling() const;
    void Collect();
    void StartDue();

    Plan m_plan;
    CentralSession m_session;
    std::size_t m_nextJob = 0;
    int m_elapsedMs = 0;
    int m_sincePollMs = 0;
    int m_pollsSent = 0;
    bool m_pollRunning = false;
    bool m_failed = false;
    bool m_gaveUp = false;
    std::vector<CentralEvent> m_events;
};

}  // namespace espa
