#pragma once

#include <cstdint>
#include <string>

#include "core/engine_events.h"

namespace espa {

class CallRecords;
class CallTable;
class Datacom;
class EspaBlock;
class EventLog;
class FaultInjector;
class OperatorView;
class StatusExchange;
struct SettingsRecord;

// States of the session handler; the numbers are fixed.
enum class HandlerState : std::int16_t {
    NotStarted = 0,
    WaitAddress = 10,
    SelectEnq1 = 21,
    SelectAddress2 = 22,
    SelectEnq2 = 23,
    ReceiveBlock = 30,
    ReceiveCheck = 40,
    ProcessBlock = 50,
    PollEnq = 60,
    AnswerPoll = 65,
    WaitSelectAck = 70,
    SendStatus = 80,
    WaitStatusAck = 90,
};

inline constexpr std::int16_t kCommandTick = 0;
inline constexpr std::int16_t kCommandStart = 10;

// Timeouts in handler ticks of 25 ms.
inline constexpr std::int16_t kCharTimeoutTicks = 120;      // 3 s
inline constexpr std::int16_t kExchangeTimeoutTicks = 200;  // 5 s
inline constexpr std::int16_t kChecksumTimeoutTicks = 120;  // 3 s

// The paging system's side of the ESPA 4.4.4 line: one call of EspaHandlerStep per 25 ms tick.
// Never waits inside a step; all waiting is staying in a state across ticks.
class EspaHandler {
  public:
    EspaHandler(const SettingsRecord& settings, Datacom& datacom, EspaBlock& block,
                CallRecords& records, StatusExchange& status, CallTable& table, EventLog& log,
                OperatorView& view);

    // command 10 starts the handler from state 0; 0 is an ordinary tick.
    void EspaHandlerStep(std::int16_t command);

    // Who is told of NAKs and timeouts; the observer must outlive the handler.
    void SetEvents(EngineEvents& events) { m_events = &events; }
    // Which faults the handler plays; none until set. The injector must outlive the handler.
    void SetFaults(FaultInjector& faults) { m_faults = &faults; }

    // Start-up's command has been given: the handler reads the line.
    bool IsStarted() const { return m_state != HandlerState::NotStarted; }
    HandlerState State() const { return m_state; }
    // The call the next poll reports on, -1 for none.
    std::int16_t CurrentPosition() const { return m_currentPosition; }
    // Ticks left of the session timer a make may arm at a select; 0 when it does not run.
    std::int16_t MediCallTimer() const { return m_mediCallTimer; }
    // What has been received of the current block.
    const std::string& RxBuffer() const { return m_rxBuffer; }

    // The operator deleted position p and the rows below moved up: the current call moves with
    // its row, or is gone with it.
    void OnPositionDeleted(std::int16_t p);
    // Start-up forgets a session timer left running.
    void ResetMediCallTimer() { m_mediCallTimer = 0; }

  private:
    // One function per state (the three select states share one).
    void StepNotStarted(std::int16_t command);
    void StepWaitAddress();
    void StepSelect();
    void StepReceiveBlock();
    void StepReceiveCheck();
    void StepProcessBlock();
    void StepPollEnq();
    void StepAnswerPoll();
    void StepWaitSelectAck();
    void StepSendStatus();
    void StepWaitStatusAck();

    void TickMediCallTimer();
    void SelectReceived();
    void AnswerStatusRequest(const std::string& block);
    void CloseStatusTransfer();
    void CharTimerWait();
    // A deliberate fault refuses what the handler would have acknowledged: NAK, nothing kept.
    bool Refused(bool refuse);

    void Go(HandlerState next) { m_state = next; }
    void Send(std::int16_t code);
    void Log(const std::string& text);
    void LogAbove(std::int16_t level, const std::string& text);

    const SettingsRecord& m_settings;
    Datacom& m_datacom;
    EspaBlock& m_block;
    CallRecords& m_records;
    StatusExchange& m_status;
    CallTable& m_table;
    EventLog& m_log;
    OperatorView& m_view;
    EngineEvents* m_events = &NoEngineEvents();
    FaultInjector* m_faults = nullptr;

    HandlerState m_state = HandlerState::NotStarted;
    std::int16_t m_exchangeTimer = 0;
    std::int16_t m_charTimer = 0;
    std::int16_t m_mediCallTimer = 0;
    std::int16_t m_currentPosition = 0;
    std::string m_rxBuffer;
};

}  // namespace espa
