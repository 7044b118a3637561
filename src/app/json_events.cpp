#include "json_events.h"

#include <QDateTime>

#include "calls/call_table.h"

namespace espa {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::string JsonString(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\b':
                out += "\\b";
                continue;
            case '\f':
                out += "\\f";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (byte < 0x20 || byte >= 0x7F) {
            out += "\\u00";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

void JsonLine::Key(std::string_view key) {
    if (!m_members.empty()) {
        m_members += ',';
    }
    m_members += JsonString(key);
    m_members += ':';
}

JsonLine& JsonLine::Add(std::string_view key, std::string_view text) {
    Key(key);
    m_members += JsonString(text);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, long long number) {
    Key(key);
    m_members += std::to_string(number);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, bool flag) {
    Key(key);
    m_members += flag ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::AddNull(std::string_view key) {
    Key(key);
    m_members += "null";
    return *this;
}

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

JsonLine JsonEventWriter::Begin(const char* event) const {
    JsonLine line;
    const QByteArray now = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1();
    line.Add("event", event).Add("time", std::string_view(now.constData(), now.size()));
    return line;
}

void JsonEventWriter::Write(const JsonLine& line) {
    m_out << line.Text() << '\n' << std::flush;
}

void JsonEventWriter::OnCallStored(std::int16_t position, const CallPosition& call) {
    Write(Begin("call_stored")
              .Add("position", position)
              .Add("pager", call.Adres)
              .Add("info", call.Info)
              .Add("bleep", call.Bleep)
              .Add("call_type", call.CallType)
              .Add("nr_of_tx", call.NrOfTx)
              .Add("priority", call.Priority)
              .Add("status", call.ReturnedStatus));
}

void JsonEventWriter::OnStatusRequest(const std::string& pager, std::int16_t position) {
    JsonLine line = Begin("status_request");
    line.Add("pager", pager).Add("found", position >= 0);
    if (position >= 0) {
        line.Add("position", position);
    } else {
        line.AddNull("position");
    }
    Write(line);
}

void JsonEventWriter::OnStatusSent(std::int16_t position, const CallPosition& call,
                                   const std::string& code) {
    Write(Begin("status_sent")
              .Add("position", position)
              .Add("pager", call.Adres)
              .Add("status", call.ReturnedStatus)
              .Add("code", code));
}

void JsonEventWriter::OnNakSent(NakReason reason) {
    Write(Begin("nak_sent").Add("reason", Name(reason)));
}

void JsonEventWriter::OnTimeout(TimeoutKind kind) {
    Write(Begin("timeout").Add("during", Name(kind)));
}

void JsonEventWriter::OnPortOpened(std::int16_t port, const std::string& settings) {
    Write(Begin("port_opened")
              .Add("port", port)
              .Add("device", m_deviceOf(port))
              .Add("settings", settings));
}

void JsonEventWriter::OnPortOpenFailed(std::int16_t port) {
    Write(Begin("port_open_failed").Add("port", port).Add("device", m_deviceOf(port)));
}

void JsonEventWriter::OnPortClosed() {
    Write(Begin("port_closed"));
}

void JsonEventWriter::OnPortLost(int port) {
    Write(Begin("port_lost").Add("port", port).Add("device", m_deviceOf(port)));
}

void JsonEventWriter::OnConnected(int port, const std::string& peer) {
    Write(Begin("connected").Add("port", port).Add("device", m_deviceOf(port)).Add("peer", peer));
}

}  // namespace espa
