#pragma once

#include <functional>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

// What a central puts on the line, built here from the byte values up and with nothing from src/,
// so a fault in the program's own framing or check character cannot hide in the expectation.
namespace espa::test {
namespace frames {

inline constexpr char SOH = 0x01, STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06,
                      NAK = 0x15, RS = 0x1E, US = 0x1F;

inline std::string Ch(char c) {
    return std::string(1, c);
}

// Exclusive-or of every byte after SOH up to and including ETX.
inline char CheckCharacter(const std::string& afterSoh) {
    return std::accumulate(afterSoh.begin(), afterSoh.end(), char(0), std::bit_xor<char>());
}

inline std::string Field(char identifier, const std::string& value) {
    return std::string(1, identifier) + US + value;
}

using FieldList = std::vector<std::pair<char, std::string>>;

// The data part: the fields with RS between them.
inline std::string Fields(const FieldList& fields) {
    std::string data;
    for (const auto& [identifier, value] : fields) {
        data += (data.empty() ? "" : Ch(RS)) + Field(identifier, value);
    }
    return data;
}

// SOH, the header digit, STX, the data, ETX and the check character.
inline std::string Block(char header, const std::string& data) {
    const std::string body = Ch(header) + STX + data + ETX;
    return SOH + body + CheckCharacter(body);
}

// A block whose check character has the bits of `mask` flipped.
inline std::string CheckFlipped(std::string block, char mask) {
    block.back() = static_cast<char>(block.back() ^ mask);
    return block;
}

// Bytes for a failure message: control bytes and 8-bit bytes as "<05>".
inline std::string Visible(const std::string& bytes) {
    std::string out;
    for (const unsigned char b : bytes) {
        out += b < 0x20 || b >= 0x7F
                   ? std::string{'<', "0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0x0F], '>'}
                   : std::string(1, static_cast<char>(b));
    }
    return out;
}

}  // namespace frames

// The short names the in-process suites use.
using frames::Ch;
using frames::CheckCharacter;
inline std::string CallBlock(const frames::FieldList& fields) {
    return frames::Block('1', frames::Fields(fields));
}
inline std::string RequestBlock(const frames::FieldList& fields) {
    return frames::Block('3', frames::Fields(fields));
}
inline const std::string kSelect{'1', frames::ENQ, '2', frames::ENQ};
inline const std::string kPoll{'2', frames::ENQ};

// A call to pager "12ab" whose check character is `wanted`, a and b printable.
inline std::string CallBlockWithCheck(char wanted) {
    for (char a = '0'; a <= 'z'; ++a) {
        const std::string head = std::string("1") + frames::STX + "1" + frames::US + "12" + a;
        const auto b = static_cast<char>(CheckCharacter(head + frames::ETX) ^ wanted);
        if (b >= '0' && b <= 'z') {
            return CallBlock({{'1', std::string("12") + a + b}});
        }
    }
    return {};
}

}  // namespace espa::test
