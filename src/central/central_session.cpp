#include "central/central_session.h"

#include "core/control_chars.h"

namespace espa {

const char* EventName(CentralEvent::Kind kind) {
    switch (kind) {
        case CentralEvent::Kind::CallAccepted:
            return "call-accepted";
        case CentralEvent::Kind::CallRefused:
            return "call-refused";
        case CentralEvent::Kind::StatusRequestAccepted:
            return "status-request-accepted";
        case CentralEvent::Kind::StatusRequestRefused:
            return "status-request-refused";
        case CentralEvent::Kind::StatusTransfer:
            return "status-transfer";
        case CentralEvent::Kind::BadStatusTransfer:
            return "bad-status-transfer";
        case CentralEvent::Kind::PollEmpty:
            return "poll-empty";
        case CentralEvent::Kind::NoAnswer:
            return "no-answer";
        case CentralEvent::Kind::UnexpectedAnswer:
            return "unexpected-answer";
        case CentralEvent::Kind::Resent:
            return "resent";
        case CentralEvent::Kind::Retry:
            return "retry";
        case CentralEvent::Kind::StatusTimeout:
            return "status-timeout";
        case CentralEvent::Kind::NoEot:
            return "no-eot";
    }
    return "unknown";
}

void CentralSession::QueueCall(EspaFields fields) {
    m_jobs.push_back({'1', std::move(fields)});
    StartNextJob();
}

void CentralSession::QueueStatusRequest(EspaFields fields) {
    m_jobs.push_back({'3', std::move(fields)});
    StartNextJob();
}

void CentralSession::QueuePoll() {
    m_jobs.push_back({'2', {}});
    StartNextJob();
}

std::string CentralSession::TakeOutput() {
    std::string out;
    out.swap(m_output);
    return out;
}

std::vector<CentralEvent> CentralSession::TakeEvents() {
    std::vector<CentralEvent> out;
    out.swap(m_events);
    return out;
}

void CentralSession::Send(const std::string& bytes) {
    m_output += bytes;
}

void CentralSession::Expect(State state) {
    m_state = state;
    m_silentMs = 0;
}

void CentralSession::StartNextJob() {
    if (m_state != State::Idle || m_jobs.empty()) {
        return;
    }
    m_job = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_retriesLeft = m_timing.retries;
    m_timeoutRetriesLeft = m_timing.timeoutRetries;
    SendJobStart();
}

void CentralSession::SendJobStart() {
    if (m_job.header == '2') {
        Send(std::string{'2', ENQ});
        Expect(State::WaitPollAnswer);
    } else {
        Send(std::string{'1', ENQ, '2', ENQ});
        Expect(State::WaitSelectAck);
    }
}

void CentralSession::Finish(CentralEvent::Kind kind, EspaFields fields, std::string detail) {
    m_events.push_back({kind, std::move(fields), std::move(detail)});
    m_state = State::Idle;
    StartNextJob();
}

void CentralSession::Advance(int ms) {
    if (m_state == State::Idle) {
        return;
    }
    m_silentMs += ms;
    if (m_state == State::WaitRetry) {
        if (m_silentMs >= m_timing.retryIntervalMs) {
            SendJobStart();
        }
        return;
    }
    if (m_silentMs < m_timing.answerTimeoutMs) {
        return;
    }
    if (m_state == State::WaitTransferEot) {
        // The transfer itself came, and has been reported: the line is not dead, so the central
        // takes it back and goes on. After a refused transfer the missing EOT is nothing new.
        if (!m_transferRefused) {
            m_events.push_back({CentralEvent::Kind::NoEot, {}, {}});
        }
        m_state = State::Idle;
        StartNextJob();
        return;
    }
    if (m_timeoutRetriesLeft > 0) {
        --m_timeoutRetriesLeft;
        m_events.push_back({CentralEvent::Kind::Retry, m_job.fields, Awaited()});
        Expect(State::WaitRetry);
        return;
    }
    Finish(CentralEvent::Kind::NoAnswer, m_job.fields, Awaited());
}

// Named for the operator reading a "no answer" report: which step of the exchange fell silent.
const char* CentralSession::Awaited() const {
    switch (m_state) {
        case State::Idle:
            return "";
        case State::WaitSelectAck:
            return "ACK of the select";
        case State::WaitBlockAck:
            return "ACK or NAK of the block";
        case State::WaitPollAnswer:
            return "answer to the poll";
        case State::WaitPollSelect:
            return "ENQ of the paging system's select";
        case State::WaitTransfer:
            return "status transfer block";
        case State::WaitTransferCheck:
            return "check character of the status transfer";
        case State::WaitTransferEot:
            return "EOT after the status transfer";
        case State::WaitRetry:
            return "";
    }
    return "";
}

void CentralSession::Receive(char byte) {
    if (m_state == State::WaitRetry) {
        return;  // late or stray: the retry interval runs on regardless
    }
    m_silentMs = 0;
    switch (m_state) {
        case State::Idle:
        case State::WaitRetry:
            return;  // nothing asked: line noise
        case State::WaitSelectAck:
            if (byte == ACK) {
                Send(FrameBlock(m_job.header, m_job.fields));
                Expect(State::WaitBlockAck);
            } else {
                Finish(CentralEvent::Kind::UnexpectedAnswer, m_job.fields, std::string(1, byte));
            }
            return;
        case State::WaitBlockAck:
            OnBlockAnswer(byte);
            return;
        case State::WaitPollAnswer:
            if (byte == EOT) {
                Finish(CentralEvent::Kind::PollEmpty);
            } else if (byte == '1') {
                Expect(State::WaitPollSelect);
            } else {
                Finish(CentralEvent::Kind::UnexpectedAnswer, {}, std::string(1, byte));
            }
            return;
        case State::WaitPollSelect:
            if (byte == ENQ) {
                Send(std::string(1, ACK));
                m_block.clear();
                m_transferRefused = false;
                Expect(State::WaitTransfer);
            } else {
                Finish(CentralEvent::Kind::UnexpectedAnswer, {}, std::string{'1', byte});
            }
            return;
        case State::WaitTransfer:
            if (byte == EOT) {
                Finish(CentralEvent::Kind::UnexpectedAnswer, {}, m_block + byte);
                return;
            }
            m_block += byte;
            if (byte == ETX) {
                m_state = State::WaitTransferCheck;
            }
            return;
        case State::WaitTransferCheck:
            m_block += byte;
            OnTransferComplete();
            return;
        case State::WaitTransferEot:
            if (byte == EOT) {
                m_state = State::Idle;
                StartNextJob();
            } else if (byte == SOH && m_transferRefused) {
                // The paging system sends the refused transfer again.
                m_block.assign(1, SOH);
                Expect(State::WaitTransfer);
            }
            return;
    }
}

void CentralSession::OnBlockAnswer(char byte) {
    const bool isCall = m_job.header == '1';
    if (byte == ACK) {
        Send(std::string(1, EOT));
        Finish(
            isCall ? CentralEvent::Kind::CallAccepted : CentralEvent::Kind::StatusRequestAccepted,
            m_job.fields);
    } else if (byte == NAK && isCall && m_retriesLeft > 0) {
        // The paging system has gone back to idle after its NAK: select it again, then resend.
        // Without the select the block goes again at once, as some centrals do.
        --m_retriesLeft;
        m_events.push_back({CentralEvent::Kind::Resent, m_job.fields,
                            m_timing.reselect ? "after a fresh select" : "without a fresh select"});
        if (m_timing.reselect) {
            Send(std::string{'1', ENQ, '2', ENQ});
            Expect(State::WaitSelectAck);
        } else {
            Send(FrameBlock(m_job.header, m_job.fields));
            Expect(State::WaitBlockAck);
        }
    } else if (byte == NAK) {
        Finish(isCall ? CentralEvent::Kind::CallRefused : CentralEvent::Kind::StatusRequestRefused,
               m_job.fields);
    } else if (!isCall && byte == '1') {
        // Some paging systems put a "1" before the NAK of a status request; wait for what follows.
    } else {
        Finish(CentralEvent::Kind::UnexpectedAnswer, m_job.fields, std::string(1, byte));
    }
}

// A status transfer is judged from its last SOH, like any block; the data is what stands
// between STX and ETX.
void CentralSession::OnTransferComplete() {
    const std::size_t etx = m_block.find(ETX);
    const std::size_t soh = m_block.rfind(SOH, etx);
    const std::size_t start = soh == std::string::npos ? 0 : soh + 1;
    int check = 0;
    for (std::size_t i = start; i <= etx; ++i) {
        check ^= static_cast<unsigned char>(m_block[i]);
    }
    check += m_timing.transferCheckOffset;
    const std::size_t stx = m_block.find(STX, start);
    const std::string data =
        stx == std::string::npos || stx > etx ? "" : m_block.substr(stx + 1, etx - stx - 1);
    if (check == static_cast<unsigned char>(m_block[etx + 1])) {
        Send(std::string(1, ACK));
        m_events.push_back({CentralEvent::Kind::StatusTransfer, DecodeFields(data), {}});
        m_transferRefused = false;
        Expect(State::WaitTransferEot);
    } else {
        Send(std::string(1, NAK));
        m_events.push_back({CentralEvent::Kind::BadStatusTransfer, DecodeFields(data), m_block});
        // The paging system answers the NAK with EOT (or sends the block again). Until then the
        // exchange stays open, or the next job's select would meet that EOT as its answer.
        m_transferRefused = true;
        Expect(State::WaitTransferEot);
    }
}

}  // namespace espa
