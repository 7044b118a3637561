#include "line/line_doctor.h"

#include <algorithm>

#include "line/doctor_patterns.h"

namespace espa {
void LineDoctor::NotePortOpened(std::int64_t timeUs, PortKind kind) {
    m_openedUs = timeUs;
    m_port = kind;
    m_centralHeard = false;
    m_silenceNamed = false;
}

void LineDoctor::NoteHandshake(std::int64_t timeUs, Handshake handshake) {
    m_handshake = handshake;
    m_handshakeUs = timeUs;
}

void LineDoctor::NoteCts(std::int64_t timeUs, bool active) {
    if (active) {
        m_ctsInactiveUs.reset();
    } else if (!m_ctsInactiveUs) {
        m_ctsInactiveUs = timeUs;
    }
}

void LineDoctor::NoteStatusOwed(std::optional<std::int64_t> sinceUs) {
    m_owedUs = sinceUs;
}

void LineDoctor::Add(const Frame& frame) {
    if (frame.side == Side::Central) {
        FromCentral(frame);
        m_lastCentral = frame;
        m_haveCentral = true;
    } else {
        FromPagingSystem(frame);
        m_lastPaging = frame;
        m_havePaging = true;
    }
}

void LineDoctor::Advance(std::int64_t nowUs) {
    if (m_openedUs && !m_centralHeard && !m_silenceNamed && nowUs - *m_openedUs >= kSilentLineUs) {
        m_silenceNamed = true;
        Name(HintCause::SilentLine, nowUs,
             "Nothing has come from the central since the port opened: check that this is the "
             "central's port, that the cable is crossed (null-modem), and that the central polls "
             "or selects on its own.",
             {});
    }
    if (m_owedUs && nowUs - *m_owedUs >= kNoPollUs) {
        m_owedUs = nowUs;
        Name(HintCause::NoPoll, nowUs,
             "A status has been waiting for a minute and the central sends no poll (2 ENQ): the "
             "central must poll to receive status transfers.",
             {});
    }
    // A pty or a TCP line has no modem lines, so its CTS reads inactive whatever the far end does.
    if (m_handshake == Handshake::RtsCts && m_port == PortKind::Serial && m_openedUs &&
        m_ctsInactiveUs &&
        nowUs - std::max({*m_ctsInactiveUs, m_handshakeUs, *m_openedUs}) >= kCtsWaitUs) {
        Name(HintCause::CtsInactive, nowUs,
             "RTS/CTS handshaking is chosen but CTS stays inactive, so nothing can be sent: choose "
             "No HandShake, or wire the central's RTS to our CTS.",
             {});
    }
}

std::vector<Hint> LineDoctor::TakeHints() {
    std::vector<Hint> out;
    out.swap(m_hints);
    return out;
}

void LineDoctor::FromCentral(const Frame& frame) {
    m_centralHeard = true;
    if (Echo(frame)) {
        return;
    }
    switch (frame.kind) {
        case FrameKind::Block:
            CheckRules(frame);
            m_awaitingAnswer = frame;
            break;
        case FrameKind::Poll:
            if (m_owedUs) {
                m_owedUs = frame.timeUs;
            }
            break;
        case FrameKind::Noise:
            Noise(frame);
            break;
        default:
            break;
    }
}

void LineDoctor::FromPagingSystem(const Frame& frame) {
    const bool answer = frame.kind == FrameKind::Ack || frame.kind == FrameKind::Nak;
    if (m_awaitingAnswer && answer) {
        const Frame request = *m_awaitingAnswer;
        m_awaitingAnswer.reset();
        if (request.header == '1' && frame.kind == FrameKind::Ack && !m_owedUs) {
            m_owedUs = frame.timeUs;
        }
        if (request.header == '3' && frame.kind == FrameKind::Nak) {
            const std::string why =
                m_make == Emulation::CommTechWireLess
                    ? "a CommTechWireLess paging system answers every status request with NAK"
                : m_table ? RequestMismatch(request, *m_table)
                          : "no stored call has the same fields";
            Name(HintCause::RequestUnmatched, frame.timeUs,
                 "A status request for pager " + request.Field('1') + " matched no call: " + why +
                     ".",
                 request.raw);
        }
    }
    // An empty answer to a poll: nothing is owed any more.
    if (frame.kind == FrameKind::Eot && m_haveCentral && m_lastCentral.kind == FrameKind::Poll) {
        m_owedUs.reset();
    }
}

void LineDoctor::Name(HintCause cause, std::int64_t timeUs, std::string text,
                      std::string evidence) {
    std::optional<std::int64_t>& last = m_lastNamedUs[static_cast<int>(cause)];
    if (last && timeUs - *last < kRepeatUs) {
        return;
    }
    last = timeUs;
    m_hints.push_back({cause, timeUs, std::move(text), std::move(evidence)});
}

}  // namespace espa
