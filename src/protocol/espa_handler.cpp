#include "protocol/espa_handler.h"

#include "calls/call_records.h"
#include "calls/call_table.h"
#include "calls/status_exchange.h"
#include "core/control_chars.h"
#include "core/operator_view.h"
#include "core/settings_record.h"
#include "log/event_log.h"
#include "log/line_trace.h"
#include "protocol/espa_block.h"
#include "serial/datacom.h"

namespace espa {
namespace {

// A CommTechWireLess paging system expects the check character of its status transfers raised by
// this much.
constexpr std::int16_t kCommTechCheckOffset = 6;

// Loaded when we select the central for a status transfer. The wait for its ACK is guarded by the
// CharTimer of the poll, not by this.
constexpr std::int16_t kSelectExchangeTicks = 120;

// The block that the check character was tested on: from the last SOH before ETX. A block that
// was broken off and sent again must not have its type or fields read from the broken part.
std::string JudgedBlock(const std::string& received) {
    const std::size_t soh = received.rfind(SOH, received.find(ETX));
    return soh == std::string::npos ? received : received.substr(soh);
}

}  // namespace

EspaHandler::EspaHandler(const SettingsRecord& settings, Datacom& datacom, EspaBlock& block,
                         CallRecords& records, StatusExchange& status, CallTable& table,
                         EventLog& log, OperatorView& view)
    : m_settings(settings),
      m_datacom(datacom),
      m_block(block),
      m_records(records),
      m_status(status),
      m_table(table),
      m_log(log),
      m_view(view) {}

void EspaHandler::EspaHandlerStep(std::int16_t command) {
    if (ExchangeTimer > 0) {
        --ExchangeTimer;
    }
    TickMediCallTimer();

    // At most one state's row per step: a new state's row runs on the next tick.
    switch (static_cast<HandlerState>(State)) {
        case HandlerState::NotStarted:
            return StepNotStarted(command);
        case HandlerState::WaitAddress:
            return StepWaitAddress();
        case HandlerState::SelectEnq1:
        case HandlerState::SelectAddress2:
        case HandlerState::SelectEnq2:
            return StepSelect();
        case HandlerState::ReceiveBlock:
            return StepReceiveBlock();
        case HandlerState::ReceiveCheck:
            return StepReceiveCheck();
        case HandlerState::ProcessBlock:
            return StepProcessBlock();
        case HandlerState::PollEnq:
            return StepPollEnq();
        case HandlerState::AnswerPoll:
            return StepAnswerPoll();
        case HandlerState::WaitSelectAck:
            return StepWaitSelectAck();
        case HandlerState::SendStatus:
            return StepSendStatus();
        case HandlerState::WaitStatusAck:
            return StepWaitStatusAck();
    }
    // Only a fault can leave another number here: recover to idle rather than stay stuck.
    Log("ERROR: Software into unknown handler status. Reset.");
    Go(HandlerState::WaitAddress);
}

// The MediCall paging system closes a session on its own 60 s after a select; the emulator plays
// that by sending EOT when the timer set at the select runs out, whatever happened in between.
void EspaHandler::TickMediCallTimer() {
    if (MediCallTimer > 1) {
        --MediCallTimer;
    } else if (MediCallTimer == 1) {
        MediCallTimer = 0;
        if (IsMode(m_settings, Emulation::MediCall) && m_settings.Logfile > 3) {
            Log("Medicall800 No EOT received. Session closed.");
            Send(EOT);
            m_events->OnTimeout(TimeoutKind::MediCallSession);
        }
    }
}

// Only start-up's command 10 leaves state 0; nothing is read from the port before that.
void EspaHandler::StepNotStarted(std::int16_t command) {
    if (command != kCommandStart) {
        return;
    }
    RxBuffer.clear();
    CurrentPosition = -1;
    Go(HandlerState::WaitAddress);
}

// Idle: "1" begins the central's select of us, "2" its poll; anything else is line noise.
void EspaHandler::StepWaitAddress() {
    const std::int16_t c = m_datacom.ReadChar();
    if (c == '1') {
        RxBuffer.clear();
        RxBuffer += '1';
        CharTimer = kCharTimeoutTicks;
        Go(HandlerState::SelectEnq1);
    } else if (c == '2') {
        RxBuffer += '2';
        CharTimer = kCharTimeoutTicks;
        Go(HandlerState::PollEnq);
    }
}

// "1" ENQ "2" ENQ, one character per tick; a wrong character drops the select silently.
void EspaHandler::StepSelect() {
    const auto state = static_cast<HandlerState>(State);
    const char expected = state == HandlerState::SelectAddress2 ? '2' : ENQ;
    const std::int16_t c = m_datacom.ReadChar();
    if (c < 0) {
        CharTimerWait();
        return;
    }
    if (c != expected) {
        Go(HandlerState::WaitAddress);
        return;
    }
    if (state == HandlerState::SelectEnq2) {
        SelectReceived();
        return;
    }
    RxBuffer += static_cast<char>(c);
    CharTimer = kCharTimeoutTicks;
    Go(state == HandlerState::SelectEnq1 ? HandlerState::SelectAddress2 : HandlerState::SelectEnq2);
}

// Selected: acknowledge and give the central the exchange time to send its whole block.
void EspaHandler::SelectReceived() {
    CharTimer = kCharTimeoutTicks;
    if (IsMode(m_settings, Emulation::MediCall)) {
        LogAbove(2, "STATUS: 1 ENQ 2 ENQ received, timeout set.");
        MediCallTimer = kMediCallTimeoutTicks;
    }
    RxBuffer.clear();
    LogAbove(1, "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.");
    Send(ACK);
    ExchangeTimer = kExchangeTimeoutTicks;
    Go(HandlerState::ReceiveBlock);
}

// Drains everything that has arrived; ETX hands over to the check character, EOT ends the
// session without an answer.
void EspaHandler::StepReceiveBlock() {
    for (std::int16_t c = m_datacom.ReadChar(); c >= 0; c = m_datacom.ReadChar()) {
        RxBuffer += static_cast<char>(c);
        if (c == ETX) {
            ExchangeTimer = kChecksumTimeoutTicks;
            Go(HandlerState::ReceiveCheck);
            return;
        }
        if (c == EOT) {
            RxBuffer.clear();
            Go(HandlerState::WaitAddress);
            return;
        }
    }
    if (ExchangeTimer <= 0) {
        Log("DEBUG: Timeout while receiving data from master.");
        m_events->OnTimeout(TimeoutKind::Block);
        RxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
}

// Whatever follows ETX is the check character, even if it is a control character.
void EspaHandler::StepReceiveCheck() {
    if (ExchangeTimer <= 0) {
        Log("DEBUG: TimeOut while receiving Checksum from master.");
        m_events->OnTimeout(TimeoutKind::CheckCharacter);
        RxBuffer.clear();
        Go(HandlerState::WaitAddress);
        return;
    }
    const std::int16_t c = m_datacom.ReadChar();
    if (c < 0) {
        return;
    }
    RxBuffer += static_cast<char>(c);
    Go(HandlerState::ProcessBlock);
}

void EspaHandler::StepProcessBlock() {
    const bool commTech = IsMode(m_settings, Emulation::CommTechWireLess);
    if (!commTech) {
        if (m_block.TestBlock(RxBuffer) < 0) {
            Send(NAK);
            m_events->OnNakSent(NakReason::BadCheckCharacter);
            Log("DEBUG: Error in Checksum, NACK sent");
            RxBuffer.clear();
            Go(HandlerState::WaitAddress);
            return;
        }
    } else {
        Log("DEBUG: CommtechWireLess ignores checksum. So does the emulator.. Just send a "
            "character..");
    }

    const std::string block = JudgedBlock(RxBuffer);
    switch (EspaBlock::BlockType(block)) {
        case 1: {
            CurrentPosition = -1;
            const std::int16_t p = m_records.StoreCall(block, CurrentPosition);
            if (CallTable::IsValidPosition(p)) {
                CurrentPosition = p;
                m_table[p].StatusPending = 1;
            }
            Send(ACK);
            break;
        }
        case 3:
            if (commTech) {
                CurrentPosition = -1;
                Send('1');
                Send(NAK);
                m_events->OnNakSent(NakReason::CommTechStatusRequest);
                m_view.Beep();
                Log("DEBUG: CommtechWireLess reacts STRANGE on SOH3 call. DO NOT USE THAT.");
            } else {
                AnswerStatusRequest(block);
            }
            break;
        default:
            // Status transfers and unknown types come only from us; the central gets no answer.
            break;
    }
    RxBuffer.clear();
    Go(HandlerState::WaitAddress);
}

// A found call becomes the one the next poll reports on.
void EspaHandler::AnswerStatusRequest(const std::string& block) {
    const std::int16_t p = m_status.AnswerStatusRequest(block);
    if (CallTable::IsValidPosition(p)) {
        CurrentPosition = p;
        m_table[p].StatusPending = 1;
        Send(ACK);
    } else {
        CurrentPosition = -1;
        Send(NAK);
        m_events->OnNakSent(NakReason::StatusRequestNotFound);
    }
}

// "2" ENQ is the central's poll; any other second character is answered with EOT.
void EspaHandler::StepPollEnq() {
    const std::int16_t c = m_datacom.ReadChar();
    if (c < 0) {
        CharTimerWait();
        return;
    }
    if (c != ENQ) {
        Send(EOT);
        Go(HandlerState::WaitAddress);
        return;
    }
    RxBuffer.clear();
    CharTimer = kCharTimeoutTicks;
    LogAbove(2, "DEBUG: Statusrequest (2 ENQ) received.");
    ExchangeTimer = kExchangeTimeoutTicks;
    Go(HandlerState::AnswerPoll);
}

// The current call is reported while its position holds a status word; only without a current
// call is the table searched for one still owed a status.
void EspaHandler::StepAnswerPoll() {
    bool owed = false;
    if (CallTable::IsValidPosition(CurrentPosition)) {
        owed = !m_table[CurrentPosition].ReturnedStatus.empty();
    } else {
        const std::int16_t p = m_block.FindPendingPosition();
        if (p >= 0) {
            CurrentPosition = p;
            owed = true;
        }
    }

    if (owed) {
        // We select the central ourselves to deliver the status transfer.
        Send('1');
        Send(ENQ);
        RxBuffer.clear();
        ExchangeTimer = kSelectExchangeTicks;
        Go(HandlerState::WaitSelectAck);
        return;
    }
    if (!IsMode(m_settings, Emulation::DataCall)) {
        LogAbove(3,
                 "DEBUG: Error StatusRequest. No status available. Just received 2 ENQ. "
                 "LineCheck?");
    }
    RxBuffer.clear();
    Go(HandlerState::WaitAddress);
    Send(EOT);
}

// Guarded by the CharTimer loaded in state 60: waiting is counted only on ticks without a
// character, and characters other than ACK and EOT are ignored.
void EspaHandler::StepWaitSelectAck() {
    const std::int16_t c = m_datacom.ReadChar();
    if (c == ACK) {
        RxBuffer.clear();
        Go(HandlerState::SendStatus);
    } else if (c == EOT) {
        RxBuffer.clear();
        LogAbove(3, "DEBUG: Expected ACK, received EOT.");
        Go(HandlerState::WaitAddress);
    } else if (c >= 0) {
        // dropped
    } else if (CharTimer > 0) {
        --CharTimer;
    } else {
        Log("DEBUG: TimeOut receiving ACK from central after 2 ENQ 1 ENQ");
        m_events->OnTimeout(TimeoutKind::SelectAck);
        RxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
}

void EspaHandler::StepSendStatus() {
    // The central has acknowledged our select and waits for a block; without a call to report
    // (only possible if CurrentPosition was changed from outside) the session is closed instead.
    if (!CallTable::IsValidPosition(CurrentPosition)) {
        RxBuffer.clear();
        Go(HandlerState::WaitAddress);
        Send(EOT);
        return;
    }
    const std::string data = m_status.SendStatusTransfer(CurrentPosition);
    m_block.SendCharChecked(SOH);
    m_block.TxCheck = 0;  // SOH is not part of the check
    m_block.SendCharChecked('2');
    m_block.SendCharChecked(STX);
    m_block.SendTextChecked(data);

    if (IsMode(m_settings, Emulation::CommTechWireLess)) {
        // Kept as a 16-bit sum, as the paging system we imitate does: from 250 on SendChar
        // refuses it and the block goes out without a check character.
        const auto changed = static_cast<std::int16_t>(m_block.TxCheck + kCommTechCheckOffset);
        Send(changed);
        Log("DEBUG: CommTechWireLess Checksum should be " + ToHexText(m_block.TxCheck) +
            " now changed to: " + ToHexText(changed));
    } else {
        Send(m_block.TxCheck);
    }
    RxBuffer.clear();
    ExchangeTimer = kExchangeTimeoutTicks;
    Go(HandlerState::WaitStatusAck);
}

// Drains what has arrived, looking only for ACK, EOT or NAK.
void EspaHandler::StepWaitStatusAck() {
    for (std::int16_t c = m_datacom.ReadChar(); c >= 0; c = m_datacom.ReadChar()) {
        if (c == ACK) {
            CloseStatusTransfer();
            return;
        }
        if (c == EOT || c == NAK) {
            Log("ERROR: After StatusTransfer no ACK received, only EOT/NAK.");
            RxBuffer.clear();
            Send(EOT);
            Go(HandlerState::WaitAddress);
            return;
        }
    }
    if (ExchangeTimer <= 0) {
        Log("DEBUG: TimeOut receiving ACK from Central after sending status.");
        m_events->OnTimeout(TimeoutKind::StatusAck);
        RxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
}

// A final status ends the call's reporting; QUEUE (or any other word) keeps it current, so the
// next poll reports on the same call again.
void EspaHandler::CloseStatusTransfer() {
    Go(HandlerState::WaitAddress);
    if (CallTable::IsValidPosition(CurrentPosition)) {
        CallPosition& position = m_table[CurrentPosition];
        const std::string word = position.ReturnedStatus;
        if (IsFinalStatus(word)) {
            position.StatusPending = 0;
            CurrentPosition = -1;
            LogAbove(3, "DEBUG: Status " + word + " sent. 2 ENQ no longer points to this call.");
        }
    }
    Send(EOT);
}

void EspaHandler::CharTimerWait() {
    if (CharTimer > 0) {
        --CharTimer;
    } else {
        Go(HandlerState::WaitAddress);
        m_events->OnTimeout(TimeoutKind::Character);
    }
}

void EspaHandler::Send(std::int16_t code) {
    m_datacom.SendChar(code);
}

void EspaHandler::Log(const std::string& text) {
    m_log.WriteLog(text);
}

void EspaHandler::LogAbove(std::int16_t level, const std::string& text) {
    if (m_settings.Logfile > level) {
        m_log.WriteLog(text);
    }
}

}  // namespace espa
