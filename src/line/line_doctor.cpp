#include "line/line_doctor.h"

#include <algorithm>

#include "core/control_chars.h"
#include "line/doctor_patterns.h"

namespace espa {
namespace {

// Records an occurrence; true from the second one within a minute.
bool Twice(std::vector<std::int64_t>& times, std::int64_t timeUs) {
    std::erase_if(times, [&](std::int64_t t) { return timeUs - t >= LineDoctor::kRepeatUs; });
    times.push_back(timeUs);
    return times.size() >= 2;
}

bool FollowsAtOnce(const Frame& before, const Frame& after) {
    return after.timeUs >= before.timeUs && after.timeUs - before.endUs <= LineDoctor::kAtOnceUs;
}

std::string_view Body(const Frame& block) {
    return std::string_view(block.raw).substr(1, block.raw.find(ETX));
}

}  // namespace

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

// Our own frame back from the central's side at once, twice within a minute: a loopback plug or
// an echoing converter. An echo is no mistake of the central's, so no other rule reads it.
bool LineDoctor::Echo(const Frame& frame) {
    if (!m_havePaging || frame.raw != m_lastPaging.raw || !FollowsAtOnce(m_lastPaging, frame)) {
        return false;
    }
    if (Twice(m_echoes, frame.timeUs)) {
        Name(HintCause::Echo, frame.timeUs,
             "Our own bytes come back from the central's side: a loopback plug or an echoing "
             "converter is on the line instead of the central.",
             frame.raw);
    }
    return true;
}

// Named only when one wrong rule explains two different bad blocks in a row: a rule that merely
// fits one block does so by chance one time in about forty.
void LineDoctor::CheckRules(const Frame& block) {
    if (block.check != CheckVerdict::Wrong) {
        m_lastBadRules.clear();
        return;
    }
    const std::vector<CheckRule> rules = RulesGiving(Body(block), *block.receivedCheck);
    std::vector<CheckRule> both;
    if (Body(block) != m_lastBadBody) {
        for (const CheckRule rule : rules) {
            if (std::find(m_lastBadRules.begin(), m_lastBadRules.end(), rule) !=
                m_lastBadRules.end()) {
                both.push_back(rule);
            }
        }
    }
    m_lastBadRules = rules;
    m_lastBadBody = Body(block);
    if (both.empty()) {
        return;
    }
    std::string names;
    for (const CheckRule rule : both) {
        names += (names.empty() ? "" : " or ") + std::string(CheckRuleName(rule));
    }
    Name(HintCause::CheckRule, block.timeUs,
         "The central computes its check character with " + names +
             (both.size() > 1 ? " (these give the same value)" : "") +
             ": it must be the exclusive-or of every byte after SOH up to and including ETX.",
         block.raw);
}

void LineDoctor::Noise(const Frame& noise) {
    if (noise.noise == NoiseKind::SelectCutShort) {
        const bool swapped = m_haveCentral && m_lastCentral.kind == FrameKind::Poll &&
                             FollowsAtOnce(m_lastCentral, noise);
        if (Twice(m_cutSelects, noise.timeUs)) {
            Name(HintCause::OtherAddress, noise.timeUs,
                 swapped ? "The central sends 2 ENQ 1 ENQ: it selects with the addresses swapped "
                           "and must send 1 ENQ 2 ENQ."
                         : "The central's select stops after 1 ENQ: it must send 1 ENQ 2 ENQ to "
                           "select the paging system.",
                 swapped ? m_lastCentral.raw + noise.raw : noise.raw);
        }
        return;
    }
    // Odd parity leaves SOH as it is, so a block read with the wrong setting starts as one and
    // breaks off: the seven-bit test looks at broken blocks as well as stray bytes.
    if (m_port == PortKind::Tcp && HasTelnetNegotiation(noise.raw)) {
        Name(HintCause::TelnetNegotiation, noise.timeUs,
             "The central's side speaks telnet (IAC negotiation): set the terminal server's port "
             "to raw TCP.",
             noise.raw);
        return;
    }
    // Read with 7 bits the eighth bit never arrives: then such bytes are noise of another kind.
    const std::optional<std::string> setting =
        m_settings.dataBits == 8 ? SevenBitSettingFor(noise.raw) : std::nullopt;
    if (setting) {
        if (setting == m_lastSetting) {
            Name(HintCause::LineSettings, noise.timeUs,
                 "The central sends 7-bit characters that arrive with the eighth bit set: choose " +
                     *setting + " in the settings dialog (now " +
                     std::to_string(m_settings.dataBits) + " bits, parity " + m_settings.parity +
                     ", " + std::to_string(m_settings.stopBits) +
                     (m_settings.stopBits == 1 ? " stop bit)." : " stop bits)."),
                 noise.raw);
        }
        m_lastSetting = setting;
        return;
    }
    constexpr std::size_t kTrailingBytes = 4;
    if (noise.noise == NoiseKind::Stray && m_haveCentral &&
        m_lastCentral.kind == FrameKind::Block && noise.raw.size() <= kTrailingBytes &&
        FollowsAtOnce(m_lastCentral, noise) && Twice(m_trailing, noise.timeUs)) {
        Name(HintCause::BytesAfterCheck, noise.timeUs,
             "The central (or a terminal server) sends bytes after the check character, such as "
             "CR LF: a block must end with its check character.",
             m_lastCentral.raw.substr(m_lastCentral.raw.size() - 2) + noise.raw);
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
