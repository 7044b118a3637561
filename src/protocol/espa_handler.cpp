#include "protocol/espa_handler.h"

#include "calls/call_records.h"
#include "calls/call_table.h"
#include "calls/status_exchange.h"
#include "core/control_chars.h"
#include "core/make_variant.h"
#include "core/operator_view.h"
#include "core/settings_record.h"
#include "faults/fault_injector.h"
#include "log/event_log.h"
#include "log/line_trace.h"
#include "protocol/espa_block.h"
#include "serial/datacom.h"

namespace espa {
namespace {

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
    if (m_exchangeTimer > 0) {
        --m_exchangeTimer;
    }
    TickMediCallTimer();

    // At most one state's row per step: a new state's row runs on the next tick.
    switch (m_state) {
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
}

// The MediCall paging system closes a session on its own 60 s after a select; the emulator plays
// that by sending EOT when the timer set at the select runs out, whatever happened in between.
void EspaHandler::TickMediCallTimer() {
    if (m_mediCallTimer > 1) {
        --m_mediCallTimer;
    } else if (m_mediCallTimer == 1) {
        m_mediCallTimer = 0;
        if (VariantOf(m_settings).sessionTimeoutTicks > 0 && m_settings.Logfile > 3) {
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
    m_rxBuffer.clear();
    m_currentPosition = -1;
    Go(HandlerState::WaitAddress);
}

// Idle: "1" begins the central's select of us, "2" its poll; anything else is line noise.
void EspaHandler::StepWaitAddress() {
    const std::int16_t c = m_datacom.ReadChar();
    if (c == '1') {
        m_rxBuffer.clear();
        m_rxBuffer += '1';
        m_charTimer = kCharTimeoutTicks;
        Go(HandlerState::SelectEnq1);
    } else if (c == '2') {
        m_rxBuffer += '2';
        m_charTimer = kCharTimeoutTicks;
        Go(HandlerState::PollEnq);
    }
}

// "1" ENQ "2" ENQ, one character per tick; a wrong character drops the select silently.
void EspaHandler::StepSelect() {
    const HandlerState state = m_state;
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
    m_rxBuffer += static_cast<char>(c);
    m_charTimer = kCharTimeoutTicks;
    Go(state == HandlerState::SelectEnq1 ? HandlerState::SelectAddress2 : HandlerState::SelectEnq2);
}

// Selected: acknowledge and give the central the exchange time to send its whole block.
void EspaHandler::SelectReceived() {
    if (m_faults != nullptr) {
        m_faults->OnExchange();
        if (Refused(m_faults->RefuseSelect())) {
            return;
        }
    }
    m_charTimer = kCharTimeoutTicks;
    if (const std::int16_t session = VariantOf(m_settings).sessionTimeoutTicks; session > 0) {
        LogAbove(2, "STATUS: 1 ENQ 2 ENQ received, timeout set.");
        m_mediCallTimer = session;
    }
    m_rxBuffer.clear();
    LogAbove(1, "DEBUG: Poll&Select (1ENQ 2ENQ) received, ACK sent.");
    Send(ACK);
    m_exchangeTimer = kExchangeTimeoutTicks;
    Go(HandlerState::ReceiveBlock);
}

// Drains everything that has arrived; ETX hands over to the check character, EOT ends the
// session without an answer.
void EspaHandler::StepReceiveBlock() {
    for (std::int16_t c = m_datacom.ReadChar(); c >= 0; c = m_datacom.ReadChar()) {
        m_rxBuffer += static_cast<char>(c);
        if (c == ETX) {
            m_exchangeTimer = kChecksumTimeoutTicks;
            Go(HandlerState::ReceiveCheck);
            return;
        }
        if (c == EOT) {
            m_rxBuffer.clear();
            Go(HandlerState::WaitAddress);
            return;
        }
    }
    if (m_exchangeTimer <= 0) {
        Log("DEBUG: Timeout while receiving data from master.");
        m_events->OnTimeout(TimeoutKind::Block);
        m_rxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
}

// Whatever follows ETX is the check character, even if it is a control character.
void EspaHandler::StepReceiveCheck() {
    if (m_exchangeTimer <= 0) {
        Log("DEBUG: TimeOut while receiving Checksum from master.");
        m_events->OnTimeout(TimeoutKind::CheckCharacter);
        m_rxBuffer.clear();
        Go(HandlerState::WaitAddress);
        return;
    }
    const std::int16_t c = m_datacom.ReadChar();
    if (c < 0) {
        return;
    }
    m_rxBuffer += static_cast<char>(c);
    Go(HandlerState::ProcessBlock);
}

void EspaHandler::StepProcessBlock() {
    const MakeVariant& variant = VariantOf(m_settings);
    if (variant.checksReceivedBlocks) {
        if (m_block.TestBlock(m_rxBuffer) < 0) {
            Send(NAK);
            m_events->OnNakSent(NakReason::BadCheckCharacter);
            Log("DEBUG: Error in Checksum, NACK sent");
            m_rxBuffer.clear();
            Go(HandlerState::WaitAddress);
            return;
        }
    } else {
        Log("DEBUG: CommtechWireLess ignores checksum. So does the emulator.. Just send a "
            "character..");
    }

    const std::string block = JudgedBlock(m_rxBuffer);
    switch (EspaBlock::BlockType(block)) {
        case 1:
            if (m_faults != nullptr && Refused(m_faults->NakBlock("call block"))) {
                return;
            }
            // Stored as pending: the next poll reports on it.
            m_currentPosition = m_records.StoreCall(block);
            Send(ACK);
            break;
        case 3:
            if (variant.refusesStatusRequests) {
                m_currentPosition = -1;
                Send('1');
                Send(NAK);
                m_events->OnNakSent(NakReason::CommTechStatusRequest);
                m_view.Beep();
                Log("DEBUG: CommtechWireLess reacts STRANGE on SOH3 call. DO NOT USE THAT.");
            } else if (m_faults == nullptr ||
                       !Refused(m_faults->NakBlock("status request block"))) {
                AnswerStatusRequest(block);
            }
            break;
        default:
            // Status transfers and unknown types come only from us; the central gets no answer.
            break;
    }
    m_rxBuffer.clear();
    Go(HandlerState::WaitAddress);
}

// A found call becomes the one the next poll reports on.
void EspaHandler::AnswerStatusRequest(const std::string& block) {
    const std::int16_t p = m_status.AnswerStatusRequest(block);
    if (CallTable::IsValidPosition(p)) {
        m_currentPosition = p;
        m_table[p].StatusPending = 1;
        Send(ACK);
    } else {
        m_currentPosition = -1;
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
    if (m_faults != nullptr) {
        m_faults->OnExchange();
    }
    m_rxBuffer.clear();
    m_charTimer = kCharTimeoutTicks;
    LogAbove(2, "DEBUG: Statusrequest (2 ENQ) received.");
    m_exchangeTimer = kExchangeTimeoutTicks;
    Go(HandlerState::AnswerPoll);
}

// The current call is reported while its position holds a status word; only without a current
// call is the table searched for one still owed a status.
void EspaHandler::StepAnswerPoll() {
    bool owed = false;
    if (CallTable::IsValidPosition(m_currentPosition)) {
        owed = !m_table[m_currentPosition].ReturnedStatus.empty();
    } else {
        const std::int16_t p = m_block.FindPendingPosition();
        if (p >= 0) {
            m_currentPosition = p;
            owed = true;
        }
    }

    if (owed) {
        // We select the central ourselves to deliver the status transfer.
        Send('1');
        Send(ENQ);
        m_rxBuffer.clear();
        m_exchangeTimer = kSelectExchangeTicks;
        Go(HandlerState::WaitSelectAck);
        return;
    }
    if (VariantOf(m_settings).logsLineCheck) {
        LogAbove(3,
                 "DEBUG: Error StatusRequest. No status available. Just received 2 ENQ. "
                 "LineCheck?");
    }
    m_rxBuffer.clear();
    Go(HandlerState::WaitAddress);
    Send(EOT);
}

// Guarded by the CharTimer loaded in state 60: waiting is counted only on ticks without a
// character, and characters other than ACK and EOT are ignored.
void EspaHandler::StepWaitSelectAck() {
    const std::int16_t c = m_datacom.ReadChar();
    if (c == ACK) {
        m_rxBuffer.clear();
        Go(HandlerState::SendStatus);
    } else if (c == EOT) {
        m_rxBuffer.clear();
        LogAbove(3, "DEBUG: Expected ACK, received EOT.");
        Go(HandlerState::WaitAddress);
    } else if (c >= 0) {
        // dropped
    } else if (m_charTimer > 0) {
        --m_charTimer;
    } else {
        Log("DEBUG: TimeOut receiving ACK from central after 2 ENQ 1 ENQ");
        m_events->OnTimeout(TimeoutKind::SelectAck);
        m_rxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
}

void EspaHandler::StepSendStatus() {
    // The central has acknowledged our select and waits for a block; without a call to report
    // (the operator deleted it while we waited) the session is closed instead.
    if (!CallTable::IsValidPosition(m_currentPosition)) {
        m_rxBuffer.clear();
        Go(HandlerState::WaitAddress);
        Send(EOT);
        return;
    }
    const std::string data = m_status.SendStatusTransfer(m_currentPosition);
    m_block.SendCharChecked(SOH);
    m_block.TxCheck = 0;  // SOH is not part of the check
    m_block.SendCharChecked('2');
    m_block.SendCharChecked(STX);
    m_block.SendTextChecked(data);

    if (const std::int16_t offset = VariantOf(m_settings).transferCheckOffset; offset != 0) {
        // Kept as a 16-bit sum, as the paging system we imitate does: raised past 255 SendChar
        // refuses it and the block goes out without a check character.
        const auto changed = static_cast<std::int16_t>(m_block.TxCheck + offset);
        Send(changed);
        Log("DEBUG: CommTechWireLess Checksum should be " + ToHexText(m_block.TxCheck) +
            " now changed to: " + ToHexText(changed));
    } else if (const auto wrong =
                   m_faults != nullptr ? m_faults->BadCheck(m_block.TxCheck) : std::nullopt) {
        Send(*wrong);
    } else {
        Send(m_block.TxCheck);
    }
    m_rxBuffer.clear();
    m_exchangeTimer = kExchangeTimeoutTicks;
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
            m_rxBuffer.clear();
            Send(EOT);
            Go(HandlerState::WaitAddress);
            return;
        }
    }
    if (m_exchangeTimer <= 0) {
        Log("DEBUG: TimeOut receiving ACK from Central after sending status.");
        m_events->OnTimeout(TimeoutKind::StatusAck);
        m_rxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
}

// A final status ends the call's reporting; QUEUE (or any other word) keeps it current, so the
// next poll reports on the same call again.
void EspaHandler::CloseStatusTransfer() {
    Go(HandlerState::WaitAddress);
    if (CallTable::IsValidPosition(m_currentPosition)) {
        CallPosition& position = m_table[m_currentPosition];
        const std::string word = position.ReturnedStatus;
        if (IsFinalStatus(word)) {
            position.StatusPending = 0;
            m_currentPosition = -1;
            LogAbove(3, "DEBUG: Status " + word + " sent. 2 ENQ no longer points to this call.");
        }
    }
    if (m_faults == nullptr || !m_faults->NoEot()) {
        Send(EOT);
    }
}

// Left where it was, the current position would point at the row that moved up into it (a call
// the central did not ask about) or at an empty row, and the call it was owed a status for would
// never be reported.
void EspaHandler::OnPositionDeleted(std::int16_t p) {
    if (m_currentPosition == p) {
        m_currentPosition = -1;
    } else if (m_currentPosition > p && CallTable::IsValidPosition(m_currentPosition)) {
        --m_currentPosition;
    }
}

void EspaHandler::CharTimerWait() {
    if (m_charTimer > 0) {
        --m_charTimer;
    } else {
        Go(HandlerState::WaitAddress);
        m_events->OnTimeout(TimeoutKind::Character);
    }
}

bool EspaHandler::Refused(bool refuse) {
    if (refuse) {
        Send(NAK);
        m_rxBuffer.clear();
        Go(HandlerState::WaitAddress);
    }
    return refuse;
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
