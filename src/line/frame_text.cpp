#include "line/frame_text.h"

#include <array>
#include <cstdio>

#include "core/control_chars.h"
#include "log/line_trace.h"

namespace espa {
namespace {

std::string Hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// Field identifiers 3 to 7 by name; 1 (the pager) and 2 (the text) need none.
const char* FieldName(char id) {
    switch (id) {
        case '3':
            return "beep";
        case '4':
            return "call type";
        case '5':
            return "transmissions";
        case '6':
            return "priority";
        case '7':
            return "status";
        default:
            return nullptr;
    }
}

std::string BlockName(char header) {
    switch (header) {
        case '1':
            return "call";
        case '2':
            return "status transfer";
        case '3':
            return "status request";
        default:
            return "block type " + ByteText(std::string(1, header));
    }
}

std::string BlockContent(const Frame& block, Emulation make) {
    std::string text = BlockName(block.header);
    for (const BlockField& field : block.fields) {
        const std::string value = ByteText(field.value);
        if (field.id == '1') {
            text += " " + value;
        } else if (field.id == '2') {
            text += " \"" + value + "\"";
        } else if (const char* name = FieldName(field.id)) {
            text += std::string(" ") + name + " " + value;
            const std::string word = field.id == '7' ? StatusCodeName(field.value, make) : "";
            text += word.empty() ? "" : " (" + word + ")";
        } else {
            text += " field " + ByteText(std::string(1, field.id)) + " \"" + value + "\"";
        }
    }
    return text;
}

const char* NoiseName(NoiseKind kind) {
    switch (kind) {
        case NoiseKind::Stray:
            return "noise";
        case NoiseKind::SelectCutShort:
            return "select cut short";
        case NoiseKind::BlockCutShort:
            return "block cut short";
        case NoiseKind::BlockRestarted:
            return "block broken off by SOH";
    }
    return "";
}

}  // namespace

std::string ByteText(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            out += CharName(byte);
        } else if (byte == 0x7F) {
            out += "[DEL]";
        } else if (byte >= 0x80 && byte <= 0x9F) {
            out += "[" + Hex(byte) + "]";
        } else {
            out += c;
        }
    }
    return out;
}

std::string HexBytes(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        out += (out.empty() ? "" : " ") + Hex(static_cast<unsigned char>(c)).substr(2);
    }
    return out;
}

std::string StatusCodeName(const std::string& code, Emulation make) {
    if (make == Emulation::DataCall) {
        return code == "2" ? "paged" : code == "4" ? "not paged" : code == "5" ? "terminated" : "";
    }
    static constexpr std::array<const char*, 4> kWords{"queue", "paged", "absent", "terminated"};
    if (code.size() == 1 && code[0] >= '2' && code[0] <= '5') {
        return kWords[code[0] - '2'];
    }
    return {};
}

std::string CheckVerdictText(const Frame& block) {
    switch (block.check) {
        case CheckVerdict::Right:
            return "right";
        case CheckVerdict::Wrong:
            return "wrong " + Hex(*block.receivedCheck) + ", expected " + Hex(block.expectedCheck);
        case CheckVerdict::Missing:
            return block.expectedCheck > 255 ? "not sent (raised above 255)"
                                             : "missing, expected " + Hex(block.expectedCheck);
    }
    return {};
}

std::string FrameContent(const Frame& frame, Emulation make) {
    const std::string words = FrameWords(frame, make);
    return frame.kind == FrameKind::Block ? words + ", check " + CheckVerdictText(frame) : words;
}

std::string FrameWords(const Frame& frame, Emulation make) {
    switch (frame.kind) {
        case FrameKind::Select:
            return frame.side == Side::Central ? "select " + ByteText(frame.address)
                                               : "select of the central " + ByteText(frame.address);
        case FrameKind::Poll:
            return "poll " + ByteText(frame.address);
        case FrameKind::Ack:
            return "ACK";
        case FrameKind::Nak:
            return "NAK";
        case FrameKind::Eot:
            return "EOT";
        case FrameKind::Block:
            return BlockContent(frame, make);
        case FrameKind::Noise:
            return std::string(NoiseName(frame.noise)) + " " + ByteText(frame.raw);
    }
    return {};
}

std::string TimeOfDayText(std::int64_t timeUs) {
    constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
    const std::int64_t ms = ((timeUs / 1000) % kDayMs + kDayMs) % kDayMs;
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return stamp;
}

std::string FrameLine(const Frame& frame, Emulation make) {
    std::string line = TimeOfDayText(frame.timeUs) +
                       (frame.side == Side::Central ? " C->P " : " P->C ") +
                       FrameContent(frame, make);
    if (frame.gapUs) {
        line += ", after " + std::to_string(*frame.gapUs / 1000) + " ms";
    }
    return line;
}

const char* FrameKindWord(FrameKind kind) {
    switch (kind) {
        case FrameKind::Select:
            return "select";
        case FrameKind::Poll:
            return "poll";
        case FrameKind::Ack:
            return "ack";
        case FrameKind::Nak:
            return "nak";
        case FrameKind::Eot:
            return "eot";
        case FrameKind::Block:
            return "block";
        case FrameKind::Noise:
            return "noise";
    }
    return "";
}

const char* CheckWord(const Frame& frame) {
    if (frame.kind != FrameKind::Block) {
        return "";
    }
    switch (frame.check) {
        case CheckVerdict::Right:
            return "right";
        case CheckVerdict::Wrong:
            return "wrong";
        case CheckVerdict::Missing:
            return "missing";
    }
    return "";
}

}  // namespace espa
