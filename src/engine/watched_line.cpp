#include "engine/watched_line.h"

namespace espa {
namespace {

PortKind KindOf(PortDevice device) {
    switch (device) {
        case PortDevice::Pty:
            return PortKind::Pty;
        case PortDevice::Tcp:
            return PortKind::Tcp;
        case PortDevice::Serial:
            break;
    }
    return PortKind::Serial;
}

// HandShake 1 raises RTS and leaves it; 2 and above hand both lines to flow control.
Handshake HandshakeOf(std::int16_t handShake) {
    if (handShake == 0) {
        return Handshake::None;
    }
    return handShake == 1 ? Handshake::RtsActive : Handshake::RtsCts;
}

}  // namespace

void WatchedLine::Start(Emulation make, const CallTable& table) {
    m_watch = std::make_unique<LineWatch>(make);
    m_watch->Doctor().SetCallTable(&table);
    // A status already owed is owed from the start of this watch.
    m_owed = false;
}

void WatchedLine::PortOpened(PortDevice device, const LineSettings& settings,
                             std::int16_t handShake) {
    if (!m_watch) {
        return;
    }
    const std::int64_t now = m_now();
    LineDoctor& doctor = m_watch->Doctor();
    doctor.NotePortOpened(now, KindOf(device));
    doctor.NoteLineSettings(settings);
    doctor.NoteHandshake(now, HandshakeOf(handShake));
}

// Only changes are passed on: the doctor counts the wait from the last poll itself, and telling
// it "owed since then" on every tick would forget those polls.
void WatchedLine::HandlerStepped(bool statusOwed) {
    if (!m_watch) {
        return;
    }
    const std::int64_t now = m_now();
    if (statusOwed != m_owed) {
        m_owed = statusOwed;
        m_watch->Doctor().NoteStatusOwed(statusOwed ? std::optional<std::int64_t>(now)
                                                    : std::nullopt);
    }
    m_watch->Advance(now);
}

void WatchedLine::CtsSensed(bool active) {
    if (m_watch) {
        m_watch->Doctor().NoteCts(m_now(), active);
    }
}

void WatchedLine::OnLineRead(std::int64_t timeUs, const std::string& bytes) {
    if (m_recorder != nullptr) {
        m_recorder->OnLineRead(timeUs, bytes);
    }
    if (m_watch) {
        m_watch->Feed({Side::Central, timeUs, bytes});
    }
}

void WatchedLine::OnLineWritten(std::int64_t timeUs, const std::string& bytes) {
    if (m_recorder != nullptr) {
        m_recorder->OnLineWritten(timeUs, bytes);
    }
    if (m_watch) {
        m_watch->Feed({Side::PagingSystem, timeUs, bytes});
    }
}

}  // namespace espa
