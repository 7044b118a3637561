#include "line/side_decoder.h"

#include "core/control_chars.h"
#include "line/check_rules.h"
#include "protocol/espa_fields.h"

namespace espa {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::vector<BlockField> ParseFields(const std::string& data) {
    std::vector<BlockField> fields;
    for (auto& [id, value] : DecodeFields(data)) {
        fields.push_back({id, std::move(value)});
    }
    return fields;
}

}  // namespace

void SideDecoder::Take(char byte, std::int64_t timeUs, std::vector<Frame>& out) {
    m_lastUs = timeUs;
    switch (m_step) {
        case Step::Idle:
            if (byte == SOH) {
                FlushNoise(out);
                Start(Step::Block, byte, timeUs);
            } else if (byte == ACK || byte == NAK || byte == EOT) {
                FlushNoise(out);
                Start(Step::Idle, byte, timeUs);
                Emit(byte == ACK   ? FrameKind::Ack
                     : byte == NAK ? FrameKind::Nak
                                   : FrameKind::Eot,
                     out);
            } else if (IsDigit(byte)) {
                // Not yet a frame: without ENQ after it the digit stays in the noise run.
                Start(Step::Digit, byte, timeUs);
            } else {
                NoiseByte(byte, timeUs, out);
            }
            return;
        case Step::Digit:
            if (byte != ENQ) {
                NoiseByte(m_bytes.front(), m_startUs, out);
                m_step = Step::Idle;
                return Take(byte, timeUs, out);
            }
            FlushNoise(out);
            Append(byte, timeUs);
            // Only the central's "1" ENQ waits for the "2" ENQ of a select; with any other digit it
            // is a poll, and on the paging system's side "1" ENQ selects the central.
            if (m_side == Side::Central && m_bytes.front() == '1') {
                m_step = Step::SelectDigit;
                return;
            }
            return Emit(m_side == Side::Central ? FrameKind::Poll : FrameKind::Select, out);
        case Step::SelectDigit:
        case Step::SelectEnq: {
            const bool fits = m_step == Step::SelectDigit ? IsDigit(byte) : byte == ENQ;
            if (!fits) {
                Emit(FrameKind::Noise, out, NoiseKind::SelectCutShort);
                return Take(byte, timeUs, out);
            }
            Append(byte, timeUs);
            if (m_step == Step::SelectDigit) {
                m_step = Step::SelectEnq;
                return;
            }
            return Emit(FrameKind::Select, out);
        }
        case Step::Block:
            if (byte == SOH) {
                Emit(FrameKind::Noise, out, NoiseKind::BlockRestarted);
                return Start(Step::Block, byte, timeUs);
            }
            if (byte == EOT) {
                Emit(FrameKind::Noise, out, NoiseKind::BlockCutShort);
                return Take(byte, timeUs, out);
            }
            Append(byte, timeUs);
            if (m_bytes.size() >= kLongestBlock && byte != ETX) {
                return Emit(FrameKind::Noise, out, NoiseKind::BlockCutShort);
            }
            if (byte == ETX) {
                m_step = Step::Check;
                // A raised check above 255 is never sent: the block ends here.
                if (ExpectedCheck(std::string_view(m_bytes).substr(1), m_side, m_make) > 255) {
                    EmitBlock(out);
                }
            }
            return;
        case Step::Check:
            Append(byte, timeUs);
            return EmitBlock(out);
    }
}

void SideDecoder::Close(std::vector<Frame>& out) {
    switch (m_step) {
        case Step::Idle:
            break;
        case Step::Digit:
            NoiseByte(m_bytes.front(), m_startUs, out);
            m_step = Step::Idle;
            break;
        case Step::SelectDigit:
        case Step::SelectEnq:
            Emit(FrameKind::Noise, out, NoiseKind::SelectCutShort);
            break;
        case Step::Block:
            Emit(FrameKind::Noise, out, NoiseKind::BlockCutShort);
            break;
        case Step::Check:
            EmitBlock(out);
            break;
    }
    FlushNoise(out);
}

void SideDecoder::Start(Step step, char byte, std::int64_t timeUs) {
    m_step = step;
    m_bytes.assign(1, byte);
    m_startUs = timeUs;
    m_endUs = timeUs;
}

void SideDecoder::Append(char byte, std::int64_t timeUs) {
    m_bytes += byte;
    m_endUs = timeUs;
}

void SideDecoder::Emit(FrameKind kind, std::vector<Frame>& out, NoiseKind noise) {
    Frame frame;
    frame.side = m_side;
    frame.kind = kind;
    frame.timeUs = m_startUs;
    frame.endUs = m_endUs;
    frame.raw = std::move(m_bytes);
    frame.noise = noise;
    if (kind == FrameKind::Select || kind == FrameKind::Poll) {
        for (const char c : frame.raw) {
            if (c != ENQ) {
                frame.address += c;
            }
        }
    }
    out.push_back(std::move(frame));
    m_bytes.clear();
    m_step = Step::Idle;
}

void SideDecoder::EmitBlock(std::vector<Frame>& out) {
    const std::string bytes = m_bytes;
    const std::size_t etx = bytes.find(ETX);
    const std::string_view body = std::string_view(bytes).substr(1, etx);
    Emit(FrameKind::Block, out);
    Frame& block = out.back();
    block.header = bytes.size() > 1 && bytes[1] != STX ? bytes[1] : 0;
    const std::size_t stx = bytes.find(STX);
    if (stx != std::string::npos && stx < etx) {
        block.fields = ParseFields(bytes.substr(stx + 1, etx - stx - 1));
    }
    block.expectedCheck = ExpectedCheck(body, m_side, m_make);
    if (etx + 1 < bytes.size()) {
        block.receivedCheck = static_cast<std::uint8_t>(bytes[etx + 1]);
        block.check =
            *block.receivedCheck == block.expectedCheck ? CheckVerdict::Right : CheckVerdict::Wrong;
    } else {
        block.check = CheckVerdict::Missing;
    }
}

void SideDecoder::FlushNoise(std::vector<Frame>& out) {
    if (m_noise.empty()) {
        return;
    }
    Frame frame;
    frame.side = m_side;
    frame.kind = FrameKind::Noise;
    frame.timeUs = m_noiseStartUs;
    frame.endUs = m_noiseEndUs;
    frame.raw = std::move(m_noise);
    out.push_back(std::move(frame));
    m_noise.clear();
}

void SideDecoder::NoiseByte(char byte, std::int64_t timeUs, std::vector<Frame>& out) {
    if (m_noise.empty()) {
        m_noiseStartUs = timeUs;
    }
    m_noise += byte;
    m_noiseEndUs = timeUs;
    if (m_noise.size() >= kLongestNoise) {
        FlushNoise(out);
    }
}

}  // namespace espa
