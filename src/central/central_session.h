#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "protocol/espa_fields.h"

namespace espa {

struct CentralEvent {
    enum class Kind {
        CallAccepted,           // block of type 1 acknowledged
        CallRefused,            // NAKed after every retry
        StatusRequestAccepted,  // block of type 3 acknowledged
        StatusRequestRefused,   // NAK: the paging system does not hold the call
        StatusTransfer,         // a status transfer arrived with a good check character
        BadStatusTransfer,      // a status transfer with a wrong check character was NAKed
        PollEmpty,              // the poll was answered with EOT
        NoAnswer,               // the paging system stayed silent past the answer timeout
        UnexpectedAnswer,       // it answered something the exchange does not allow
        Resent,                 // a NAKed call block goes again; detail: how
        Retry,          // silence past the timeout; the job starts again after the retry interval
        StatusTimeout,  // calls still without a final status when the wait for them ran out
        NoEot,  // an acknowledged status transfer was not closed with EOT; the line is taken back
    };
    Kind kind;
    EspaFields fields;  // the block's fields, where there is a block
    // What was received, for the unexpected and bad cases; what was awaited, for NoAnswer and
    // Retry; how a block is resent; which calls a status timeout left waiting.
    std::string detail;
};

const char* EventName(CentralEvent::Kind kind);

// The control station's side of ESPA 4.4.4, as plain state: feed it the bytes received and the
// time that passed, send what it gives. Jobs (call, status request, poll) run one at a time in the
// order queued.
class CentralSession {
  public:
    struct Timing {
        int answerTimeoutMs = 3000;
        int retries = 2;  // a NAKed call block is sent again this many times
        // Added to the check character expected of a status transfer: kCommTechCheckOffset for
        // a CommTechWireLess paging system.
        int transferCheckOffset = 0;
        // A NAKed call block is sent again after a fresh select; else at once, which a paging
        // system that has gone back to idle after its NAK does not take.
        bool reselect = true;
        // After silence past the answer timeout, the job is tried again from its start this many
        // times, each time after the retry interval; then the exchange is given up (NoAnswer).
        int timeoutRetries = 0;
        int retryIntervalMs = 1000;
    };

    CentralSession() : CentralSession(Timing{}) {}
    explicit CentralSession(Timing timing) : m_timing(timing) {}

    void QueueCall(EspaFields fields);
    void QueueStatusRequest(EspaFields fields);
    void QueuePoll();

    // No job running and none queued.
    bool Idle() const { return m_state == State::Idle && m_jobs.empty(); }

    void Receive(char byte);
    void Advance(int ms);

    std::string TakeOutput();
    std::vector<CentralEvent> TakeEvents();

  private:
    enum class State {
        Idle,
        WaitSelectAck,      // sent "1" ENQ "2" ENQ
        WaitBlockAck,       // sent our block
        WaitPollAnswer,     // sent "2" ENQ
        WaitPollSelect,     // got "1", waiting for ENQ
        WaitTransfer,       // acknowledged the select, collecting the status transfer
        WaitTransferCheck,  // got ETX, waiting for the check character
        WaitTransferEot,    // answered the status transfer (ACK, or NAK: it may come again)
        WaitRetry,          // the line fell silent; the job starts again after the interval
    };
    struct Job {
        char header;  // '1' call, '3' status request, '2' poll
        EspaFields fields;
    };

    void StartNextJob();
    void SendJobStart();
    void Finish(CentralEvent::Kind kind, EspaFields fields = {}, std::string detail = {});
    void Send(const std::string& bytes);
    void Expect(State state);
    void OnBlockAnswer(char byte);
    void OnTransferComplete();
    const char* Awaited() const;

    Timing m_timing;
    State m_state = State::Idle;
    std::deque<Job> m_jobs;
    Job m_job{};
    int m_retriesLeft = 0;
    int m_timeoutRetriesLeft = 0;
    int m_silentMs = 0;
    bool m_transferRefused = false;  // the status transfer being closed was NAKed
    std::string m_block;
    std::string m_output;
    std::vector<CentralEvent> m_events;
};

}  // namespace espa
