#include "serial/datacom.h"

#include <array>

#include "core/num_text.h"
#include "core/operator_view.h"
#include "core/settings_record.h"
#include "faults/fault_injector.h"
#include "log/event_log.h"
#include "log/line_trace.h"
#include "serial/lamp_state.h"
#include "serial/serial_control.h"

namespace espa {
namespace {

constexpr std::array<const char*, 6> kBaudTexts{"300", "1200", "2400", "4800", "9600", "19200"};
constexpr std::array<const char*, 3> kParityTexts{",N", ",E", ",O"};
constexpr std::array<const char*, 2> kBitsTexts{",7", ",8"};
constexpr std::array<const char*, 2> kStopBitsTexts{",1", ",2"};

// An index outside its list (only a hand-edited espa.set gives one) falls back to the usual
// 9600,N,8,1 piece rather than failing the open.
template <std::size_t N>
const char* Pick(const std::array<const char*, N>& texts, std::int16_t index,
                 const char* fallback) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) {
        return fallback;
    }
    return texts[static_cast<std::size_t>(index)];
}

constexpr int kNoFlowControl = 0;
constexpr int kRtsCtsFlowControl = 2;
constexpr std::int16_t kLineActive16 = 1;
constexpr std::int16_t kLineInactive16 = -1;

constexpr const char* kRtsToolTip = "RTS status, click here to change";

// One lamp step: a lamp with activity goes bright on one tick and dark on the next, clearing the
// activity so that continuous traffic alternates rather than staying lit.
void BlinkLamp(bool& activity, bool& blink, Rgb& lamp, Rgb bright, Rgb dark) {
    if (!activity) {
        return;
    }
    if (!blink) {
        blink = true;
        lamp = bright;
    } else {
        blink = false;
        activity = false;
        lamp = dark;
    }
}

}  // namespace

std::string LineSettingsText(std::int16_t baudRate, std::int16_t parity, std::int16_t bits,
                             std::int16_t stopBits) {
    std::string text = Pick(kBaudTexts, baudRate, "9600");
    text += Pick(kParityTexts, parity, ",N");
    text += Pick(kBitsTexts, bits, ",8");
    text += Pick(kStopBitsTexts, stopBits, ",1");
    return text;
}

Datacom::Datacom(SerialControl& control, const SettingsRecord& settings, EventLog& log,
                 OperatorView& view, LampState& lamps)
    : m_control(control), m_settings(settings), m_log(log), m_view(view), m_lamps(lamps) {}

// Every step is tried in the control's own order and the first refusal ends the open. What was
// already set stays set: the next open sets everything again anyway.
std::int16_t Datacom::OpenPort(std::int16_t compoort, std::int16_t baudRate, std::int16_t parity,
                               std::int16_t bits, std::int16_t stopBits, std::int16_t handShake) {
    const auto port = static_cast<std::int16_t>(compoort + 1);
    const std::string settingsText = LineSettingsText(baudRate, parity, bits, stopBits);
    const bool opened =
        m_control.SetCommPort(port) &&
        m_control.SetHandshaking(handShake == 0 || handShake == 1 ? kNoFlowControl
                                                                  : kRtsCtsFlowControl) &&
        m_control.SetRTSEnable(handShake != 0) && m_control.SetSettings(settingsText) &&
        m_control.SetNullDiscard(false) && m_control.SetEOFEnable(false) &&
        m_control.SetDTREnable(true) && m_control.SetInputLen(1) && m_control.SetPortOpen(true);
    if (!opened) {
        m_log.WriteLog("Error opening ComPort: " + SignedNumText(port));
        m_events->OnPortOpenFailed(port);
        return -1;
    }
    m_view.SetRtsToolTip(handShake == 0 ? kRtsToolTip : "");
    m_log.WriteLog("Com:" + SignedNumText(port) +
                   " opened for ESPA emulation with: " + settingsText);
    m_view.SetPortCaption(" Serial Port Com" + NumToText(port) + ":  " + settingsText);
    m_events->OnPortOpened(port, settingsText);
    return 0;
}

void Datacom::ClosePort() {
    if (m_control.SetPortOpen(false)) {
        m_log.WriteLog("Comport closed by software.");
        m_events->OnPortClosed();
    } else {
        m_log.WriteLog("Error closing comport.");
    }
}

std::int16_t Datacom::ReadChar() {
    // Set on every call: the control may have been reconfigured since the last read.
    if (!m_control.SetInputLen(1)) {
        return -1;
    }
    const std::optional<int> waiting = m_control.InBufferCount();
    if (!waiting || *waiting <= 0) {
        return -1;
    }
    m_lamps.RxActivity = true;
    if (m_faults != nullptr && m_faults->Deaf()) {
        // Everything waiting goes, so that nothing heard in the silence is read after it.
        std::size_t dropped = 0;
        for (auto text = m_control.Input(); text && !text->empty(); text = m_control.Input()) {
            dropped += text->size();
        }
        m_faults->Dropped(dropped);
        return -1;
    }
    const std::optional<std::string> text = m_control.Input();
    // A read that delivers nothing is no character: answering 0 here would put a NUL into a
    // block that never arrived on the line.
    if (!text || text->empty()) {
        return -1;
    }
    const auto code = static_cast<std::int16_t>(static_cast<unsigned char>((*text)[0]));
    if (m_settings.Logfile > 2) {
        TraceChar(m_log, code, kTraceReceived);
    }
    return code;
}

std::int16_t Datacom::SendChar(std::int16_t code) {
    if (code < 0 || code > 255) {
        return -1;
    }
    if (m_faults != nullptr && m_faults->TakesOutgoing(static_cast<char>(code))) {
        return 0;
    }
    return SendNow(code);
}

std::int16_t Datacom::SendNow(std::int16_t code) {
    // The lamp flashes even when the control refuses the byte: the engine did try to send.
    m_lamps.TxActivity = true;
    if (!m_control.Output(std::string(1, static_cast<char>(code)))) {
        return -1;
    }
    if (m_settings.Logfile > 2) {
        TraceChar(m_log, code, kTraceSent);
    }
    return 0;
}

// A closed port senses nothing and drives nothing, whatever the control remembers, so both line
// lamps show inactive after a failed open.
std::int16_t Datacom::CtsLineState() {
    if (!m_control.PortOpen()) {
        return kLineInactive16;
    }
    const std::optional<bool> cts = m_control.CTSHolding();
    return cts.value_or(false) ? kLineActive16 : kLineInactive16;
}

std::int16_t Datacom::RtsLineState() {
    if (!m_control.PortOpen()) {
        return kLineInactive16;
    }
    const std::optional<bool> rts = m_control.RTSEnable();
    return rts.value_or(false) ? kLineActive16 : kLineInactive16;
}

// Only handshake 0 leaves RTS to the operator: with 1 it stays on as opened, with 2 and above it
// belongs to the flow control.
void Datacom::LabLinkStatusClick() {
    if (m_settings.Logfile <= 0) {
        return;
    }
    if (m_settings.HandShake != 0) {
        m_log.WriteLog("STATUS: Wrong HandShakeType, no manual adjustment possible.");
        return;
    }
    // A control that cannot say or cannot switch changed nothing, so nothing is reported as made.
    const std::optional<bool> rts = m_control.RTSEnable();
    if (!rts) {
        return;
    }
    if (*rts) {
        if (m_control.SetRTSEnable(false)) {
            m_log.WriteLog("STATUS: RTS made INACTIVE (-12V).");
        }
    } else if (m_control.SetRTSEnable(true)) {
        m_log.WriteLog("STATUS: RTS made ACTIVE (+12V).");
    }
}

void Datacom::TickLamps() {
    BlinkLamp(m_lamps.TxActivity, m_lamps.TxBlink, m_lamps.tx, kTxBright, kTxDark);
    BlinkLamp(m_lamps.RxActivity, m_lamps.RxBlink, m_lamps.rx, kRxBright, kRxDark);
    m_lamps.cts = CtsLineState() >= 0 ? kLineActive : kLineInactive;
    m_lamps.rts = RtsLineState() >= 0 ? kLineActive : kLineInactive;
}

}  // namespace espa
