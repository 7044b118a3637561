#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
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
    // Jobs without end after the planned ones, for a central that runs until it is stopped: the
    // first at `firstMs`, then one `intervalMs` after the start of the one before. A schedule
    // with them never ends, not even on a silent line, whose far end may come back.
    struct MoreJobs {
        std::function<CentralJob()> next;
        int intervalMs = 0;
        int firstMs = 0;
    };

    CentralSchedule(Plan plan, CentralSession::Timing timing, std::optional<MoreJobs> more = {});

    // Polling ends once every call the paging system accepted has had a final status: any code
    // but 2, which says the call waits in a queue. Calls still waiting `statusTimeoutMs` after the
    // last job went out end the run failed, with a StatusTimeout event naming them. For a plan
    // without a number of polls or a duration, which would otherwise poll for ever.
    void EndWhenCallsAnswered(int statusTimeoutMs) { m_statusTimeoutMs = statusTimeoutMs; }

    // The timing of the exchanges from the next job or poll on; the one running keeps its own.
    void SetTiming(CentralSession::Timing timing) { m_nextTiming = timing; }

    void Advance(int ms);
    void Receive(const std::string& bytes);

    std::string TakeOutput() { return std::exchange(m_output, {}) + m_session.TakeOutput(); }
    std::vector<CentralEvent> TakeEvents();

    // Every job has run, polling is over and no exchange is open; or the line fell silent.
    bool Done() const;
    // Some exchange failed: no answer, an answer out of place, a refused call or a bad transfer.
    bool Failed() const { return m_failed; }
    int ElapsedMs() const { return m_elapsedMs; }

  private:
    bool Polling() const;
    bool JobDue() const;
    void Collect();
    void NoteFinalStatus(const CentralEvent& event);
    void StartDue();

    Plan m_plan;
    std::optional<MoreJobs> m_more;
    CentralSession m_session;
    std::optional<CentralSession::Timing> m_nextTiming;
    // What the session that a new timing replaced had still to send.
    std::string m_output;
    std::size_t m_nextJob = 0;
    int m_moreStarted = 0;
    int m_lastMoreStartMs = 0;
    int m_elapsedMs = 0;
    int m_sincePollMs = 0;
    int m_pollsSent = 0;
    bool m_pollRunning = false;
    bool m_failed = false;
    bool m_gaveUp = false;
    std::optional<int> m_statusTimeoutMs;
    std::vector<std::string> m_awaitingFinal;  // pagers of accepted calls, one entry per call
    int m_awaitedMs = 0;                       // since the last job went out
    bool m_statusTimedOut = false;
    std::vector<CentralEvent> m_events;
};

}  // namespace espa
