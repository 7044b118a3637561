#include "json_events.h"

#include <QDateTime>

#include "calls/call_table.h"
#include "common/json_text.h"
#include "faults/fault_spec.h"
#include "faults/fault_text.h"

namespace espa {

Json EventObject(const char* event, const QDateTime& time) {
    Json line;
    line["event"] = event;
    line["time"] = time.toString(Qt::ISODateWithMs).toLatin1().toStdString();
    return line;
}

namespace {

Json Begin(const char* event) {
    return EventObject(event, QDateTime::currentDateTime());
}

}  // namespace

JsonEventWriter::JsonEventWriter(std::ostream& out, DeviceOf deviceOf)
    : m_out(out), m_deviceOf(std::move(deviceOf)) {}

const char* JsonEventWriter::Name(NakReason reason) {
    switch (reason) {
        case NakReason::BadCheckCharacter:
            return "bad_check_character";
        case NakReason::StatusRequestNotFound:
            return "status_request_not_found";
        case NakReason::CommTechStatusRequest:
            return "commtech_status_request";
    }
    return "unknown";
}

const char* JsonEventWriter::Name(TimeoutKind kind) {
    switch (kind) {
        case TimeoutKind::Character:
            return "character";
        case TimeoutKind::Block:
            return "block";
        case TimeoutKind::CheckCharacter:
            return "check_character";
        case TimeoutKind::SelectAck:
            return "select_ack";
        case TimeoutKind::StatusAck:
            return "status_ack";
        case TimeoutKind::MediCallSession:
            return "medicall_session";
    }
    return "unknown";
}

void JsonEventWriter::Write(std::string_view line) {
    m_out << line << '\n' << std::flush;
}

void JsonEventWriter::OnCallStored(std::int16_t position, const CallPosition& call) {
    Json line = Begin("call_stored");
    line["position"] = position;
    line["pager"] = Latin1Json(call.Adres);
    line["info"] = Latin1Json(call.Info);
    line["bleep"] = Latin1Json(call.Bleep);
    line["call_type"] = Latin1Json(call.CallType);
    line["nr_of_tx"] = Latin1Json(call.NrOfTx);
    line["priority"] = Latin1Json(call.Priority);
    line["status"] = Latin1Json(call.ReturnedStatus);
    Write(JsonText(line));
}

void JsonEventWriter::OnStatusRequest(const std::string& pager, std::int16_t position) {
    Json line = Begin("status_request");
    line["pager"] = Latin1Json(pager);
    line["found"] = position >= 0;
    line["position"] = position >= 0 ? Json(position) : Json(nullptr);
    Write(JsonText(line));
}

void JsonEventWriter::OnStatusSent(std::int16_t position, const CallPosition& call,
                                   const std::string& code) {
    Json line = Begin("status_sent");
    line["position"] = position;
    line["pager"] = Latin1Json(call.Adres);
    line["status"] = Latin1Json(call.ReturnedStatus);
    line["code"] = Latin1Json(code);
    Write(JsonText(line));
}

void JsonEventWriter::OnNakSent(NakReason reason) {
    Json line = Begin("nak_sent");
    line["reason"] = Name(reason);
    Write(JsonText(line));
}

void JsonEventWriter::OnTimeout(TimeoutKind kind) {
    Json line = Begin("timeout");
    line["during"] = Name(kind);
    Write(JsonText(line));
}

void JsonEventWriter::OnPortOpened(std::int16_t port, const std::string& settings) {
    Json line = Begin("port_opened");
    line["port"] = port;
    line["device"] = Latin1Json(m_deviceOf(port));
    line["settings"] = Latin1Json(settings);
    Write(JsonText(line));
}

void JsonEventWriter::OnPortOpenFailed(std::int16_t port) {
    Json line = Begin("port_open_failed");
    line["port"] = port;
    line["device"] = Latin1Json(m_deviceOf(port));
    Write(JsonText(line));
}

void JsonEventWriter::OnPortClosed() {
    Write(JsonText(Begin("port_closed")));
}

// The times are the line clock's, as the line's frames are stamped, so a fault and the central's
// answer to it can be set against each other to the microsecond.
void JsonEventWriter::OnFault(const FaultEvent& fault) {
    Json line = Begin("fault");
    line["fault"] = fault.text;
    line["kind"] = std::string(FaultKindName(fault.spec.kind));
    line["detail"] = fault.detail;
    line["start_us"] = fault.timeUs;
    line["end_us"] = fault.endUs;
    Write(JsonText(line));
}

void JsonEventWriter::OnPortLost(int port) {
    Json line = Begin("port_lost");
    line["port"] = port;
    line["device"] = Latin1Json(m_deviceOf(port));
    Write(JsonText(line));
}

void JsonEventWriter::OnConnected(int port, const std::string& peer) {
    Json line = Begin("connected");
    line["port"] = port;
    line["device"] = Latin1Json(m_deviceOf(port));
    line["peer"] = Latin1Json(peer);
    Write(JsonText(line));
}

}  // namespace espa
