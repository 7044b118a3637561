#include "log/line_trace.h"

#include <array>

#include "core/num_text.h"
#include "log/event_log.h"

namespace espa {
namespace {

constexpr std::array<const char*, 33> kControlNames{
    "[NUL]", "[SOH]", "[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[BEL]", "[BS]",
    "[HT]",  "[LF]",  "[VT]",  "[FF]",  "[CR]",  "[SO]",  "[SI]",  "[DLE]", "[DC1]",
    "[DC2]", "[DC3]", "[DC4]", "[NAK]", "[SYN]", "[ETB]", "[CAN]", "[EM]",  "[SUB]",
    "[ESC]", "[FS]",  "[GS]",  "[RS]",  "[US]",  "[SP]"};

constexpr std::size_t kColumnWidth = 6;

std::string Column(const std::string& value) {
    return (value + std::string(kColumnWidth, ' ')).substr(0, kColumnWidth);
}

}  // namespace

std::string CharName(int code) {
    if (code >= 0 && code < static_cast<int>(kControlNames.size())) {
        return kControlNames[code];
    }
    if (code == 127) {
        return "[RUB]";
    }
    return std::string(1, static_cast<char>(code & 0xFF));
}

char HexDigit(int value) {
    return value >= 10 ? static_cast<char>('A' + value - 10) : static_cast<char>('0' + value);
}

std::string ToHexText(std::int16_t value) {
    if (value > 255) {
        return "0xxx";
    }
    const int v = value < 0 ? 0 : value;
    return std::string("0x") + HexDigit(v / 16) + HexDigit(v % 16);
}

std::string TraceLine(std::int16_t code, std::int16_t direction) {
    const std::string columns =
        Column(CharName(code)) + Column(NumToText(code)) + Column(ToHexText(code));
    if (direction == kTraceSent) {
        return "TxD: " + columns;
    }
    return "RxD: " + std::string(18, ' ') + columns;
}

std::string VisibleText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + 16);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += CharName(byte);
        } else if (byte >= 0x80 && byte <= 0x9F) {
            out += "[" + ToHexText(byte) + "]";
        } else if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

void TraceChar(EventLog& log, std::int16_t code, std::int16_t direction) {
    log.WriteDebugLog(TraceLine(code, direction));
}

}  // namespace espa
