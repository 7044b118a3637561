#include "central_schedule.h"

#include <utility>

namespace espa {
namespace {

bool IsFailure(CentralEvent::Kind kind) {
    switch (kind) {
        case CentralEvent::Kind::NoAnswer:
        case CentralEvent::Kind::UnexpectedAnswer:
        case CentralEvent::Kind::CallRefused:
        case CentralEvent::Kind::BadStatusTransfer:
            return true;
        default:
            return false;
    }
}

}  // namespace

CentralSchedule::CentralSchedule(Plan plan, CentralSession::Timing timing)
    : m_plan(std::move(plan)), m_session(timing) {
    StartDue();
}

void CentralSchedule::Advance(int ms) {
    m_elapsedMs += ms;
    if (!m_pollRunning) {
        m_sincePollMs += ms;
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
    return m_nextJob == m_plan.jobs.size() && !Polling() && m_session.Idle();
}

bool CentralSchedule::Polling() const {
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
        if (event.kind == CentralEvent::Kind::NoAnswer) {
            m_gaveUp = true;
        }
        m_events.push_back(std::move(event));
    }
    if (m_pollRunning && m_session.Idle()) {
        m_pollRunning = false;
        m_sincePollMs = 0;
    }
}

void CentralSchedule::StartDue() {
    if (m_gaveUp || !m_session.Idle()) {
        return;
    }
    if (Polling() && m_sincePollMs >= m_plan.pollIntervalMs) {
        ++m_pollsSent;
        m_pollRunning = true;
        m_session.QueuePoll();
        return;
    }
    if (m_nextJob < m_plan.jobs.size()) {
        const CentralJob& job = m_plan.jobs[m_nextJob++];
        if (job.kind == CentralJob::Kind::Call) {
            m_session.QueueCall(job.fields);
        } else {
            m_session.QueueStatusRequest(job.fields);
        }
    }
}

}  // namespace espa
