// The doctor's rules that read the central's frames: echoes, check rules and noise.
#include <algorithm>

#include "core/control_chars.h"
#include "line/doctor_patterns.h"
#include "line/line_doctor.h"

namespace espa {
namespace {

// Records an occurrence; true from the second one within a minute.
bool Twice(std::vector<std::int64_t>& times, std::int64_t timeUs) {
    std::erase_if(times, [&](std::int64_t t) { return timeUs - t >= LineDoctor::kRepeatUs; });
    times.push_back(timeUs);
    return times.size() >= 2;
}

// "8 bits, parity N, 1 stop bit": the port's settings as the dialog names them.
std::string SettingsWords(const LineSettings& line) {
    constexpr const char* kParity = "NEOMS";
    const char* stop = line.stopBits == LineSettings::StopBits::One          ? "1 stop bit"
                       : line.stopBits == LineSettings::StopBits::OneAndHalf ? "1.5 stop bits"
                                                                             : "2 stop bits";
    return std::to_string(line.dataBits) + " bits, parity " +
           kParity[static_cast<int>(line.parity)] + ", " + stop;
}

bool FollowsAtOnce(const Frame& before, const Frame& after) {
    return after.timeUs >= before.timeUs && after.timeUs - before.endUs <= LineDoctor::kAtOnceUs;
}

std::string_view Body(const Frame& block) {
    return std::string_view(block.raw).substr(1, block.raw.find(ETX));
}

}  // namespace

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
                     *setting + " in the settings dialog (now " + SettingsWords(m_settings) + ").",
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

}  // namespace espa
