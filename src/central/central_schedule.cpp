#include "central/central_schedule.h"

#include <algorithm>
#include <string>
#include <utility>

namespace espa {
namespace {

bool IsFailure(CentralEvent::Kind kind) {
    switch (kind) {
        case CentralEvent::Kind::NoAnswer:
        case CentralEvent::Kind::UnexpectedAnswer:
        case CentralEvent::Kind::CallRefused:
        case CentralEvent::Kind::BadStatusTransfer:
        case CentralEvent::Kind::NoEot:
            return true;
        default:
            return false;
    }
}

}  // namespace

CentralSchedule::CentralSchedule(Plan plan, CentralSession::Timing timing,
                                 std::optional<MoreJobs> more)
    : m_plan(std::move(plan)), m_more(std::move(more)), m_session(timing) {
    StartDue();
}

void CentralSchedule::Advance(int ms) {
    m_elapsedMs += ms;
    if (!m_pollRunning) {
        m_sincePollMs += ms;
    }
    if (m_statusTimeoutMs && !m_statusTimedOut && m_nextJob == m_plan.jobs.size() &&
        !m_awaitingFinal.empty() && (m_awaitedMs += ms) >= *m_statusTimeoutMs) {
        std::string pagers;
        for (const std::string& pager : m_awaitingFinal) {
            pagers += (pagers.empty() ? " " : ", ") + pager;
        }
        m_events.push_back(
            {CentralEvent::Kind::StatusTimeout,
             {},
             "no final status within " + std::to_string(*m_statusTimeoutMs) + " ms for" + pagers});
        m_statusTimedOut = true;
        m_failed = true;
    }
    m_session.Advance(ms);
    Collect();
    StartDue();
}

void CentralSchedule::Receive(const std::string& bytes) {
    for (char byte : bytes) {
        m_session.Receive(byte);
    }
    Collect();
    StartDue();
}

std::vector<CentralEvent> CentralSchedule::TakeEvents() {
    std::vector<CentralEvent> out;
    out.swap(m_events);
    return out;
}

bool CentralSchedule::Done() const {
    if (m_gaveUp) {
        return true;
    }
    return m_nextJob == m_plan.jobs.size() && !m_more && !Polling() && m_session.Idle();
}

bool CentralSchedule::Polling() const {
    if (m_statusTimeoutMs) {
        return !m_statusTimedOut && (m_nextJob < m_plan.jobs.size() || !m_awaitingFinal.empty());
    }
    const bool pollsLeft = !m_plan.polls || m_pollsSent < *m_plan.polls;
    const bool timeLeft = !m_plan.durationMs || m_elapsedMs < *m_plan.durationMs;
    return pollsLeft && timeLeft;
}

void CentralSchedule::Collect() {
    for (CentralEvent& event : m_session.TakeEvents()) {
        if (IsFailure(event.kind)) {
            m_failed = true;
        }
        // A silent line stays silent: waiting out the timeout of every remaining job would only
        // delay the verdict.
        if (event.kind == CentralEvent::Kind::NoAnswer && !m_more) {
            m_gaveUp = true;
        }
        NoteFinalStatus(event);
        m_events.push_back(std::move(event));
    }
    if (m_pollRunning && m_session.Idle()) {
        m_pollRunning = false;
        m_sincePollMs = 0;
    }
}

void CentralSchedule::NoteFinalStatus(const CentralEvent& event) {
    if (!m_statusTimeoutMs) {
        return;
    }
    const auto value = [&](char identifier) {
        const auto found =
            std::ranges::find(event.fields, identifier, &std::pair<char, std::string>::first);
        return found == event.fields.end() ? std::string() : found->second;
    };
    if (event.kind == CentralEvent::Kind::CallAccepted) {
        m_awaitingFinal.push_back(value('1'));
    } else if (event.kind == CentralEvent::Kind::StatusTransfer && value('7') != "2") {
        const auto call = std::ranges::find(m_awaitingFinal, value('1'));
        if (call != m_awaitingFinal.end()) {
            m_awaitingFinal.erase(call);
        }
    }
}

bool CentralSchedule::JobDue() const {
    if (m_nextJob < m_plan.jobs.size()) {
        return true;
    }
    if (!m_more) {
        return false;
    }
    return m_elapsedMs >=
           (m_moreStarted == 0 ? m_more->firstMs : m_lastMoreStartMs + m_more->intervalMs);
}

void CentralSchedule::StartDue() {
    if (m_gaveUp || !m_session.Idle()) {
        return;
    }
    const bool pollDue = Polling() && m_sincePollMs >= m_plan.pollIntervalMs;
    if (!pollDue && !JobDue()) {
        return;
    }
    if (m_nextTiming) {
        m_output += m_session.TakeOutput();
        m_session = CentralSession(*m_nextTiming);
        m_nextTiming.reset();
    }
    if (pollDue) {
        ++m_pollsSent;
        m_pollRunning = true;
        m_session.QueuePoll();
        return;
    }
    CentralJob job;
    if (m_nextJob < m_plan.jobs.size()) {
        job = m_plan.jobs[m_nextJob++];
    } else {
        job = m_more->next();
        ++m_moreStarted;
        m_lastMoreStartMs = m_elapsedMs;
    }
    if (job.kind == CentralJob::Kind::Call) {
        m_session.QueueCall(job.fields);
    } else {
        m_session.QueueStatusRequest(job.fields);
    }
}

}  // namespace espa
