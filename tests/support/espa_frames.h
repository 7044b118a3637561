#pragma once

#include <initializer_list>
#include <string>
#include <utility>

// What a central puts on the line, built here from the byte values up and with nothing from src/,
// so a fault in the program's own framing or check character cannot hide in the expectation.
namespace espa::test::frames {

inline constexpr char SOH = 0x01;
inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char EOT = 0x04;
inline constexpr char ENQ = 0x05;
inline constexpr char ACK = 0x06;
inline constexpr char NAK = 0x15;
inline constexpr char RS = 0x1E;
inline constexpr char US = 0x1F;

inline std::string Ch(char c) {
    return std::string(1, c);
}

inline std::string Select() {
    return std::string("1") + ENQ + "2" + ENQ;
}
inline std::string Poll() {
    return std::string("2") + ENQ;
}

// Exclusive-or of every byte after SOH up to and including ETX.
inline char CheckCharacter(const std::string& afterSoh) {
    unsigned char check = 0;
    for (const char c : afterSoh) {
        check ^= static_cast<unsigned char>(c);
    }
    return static_cast<char>(check);
}

inline std::string Field(char identifier, const std::string& value) {
    return std::string(1, identifier) + US + value;
}

// The data part: the fields with RS between them.
inline std::string Fields(std::initializer_list<std::pair<char, std::string>> fields) {
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

// Bytes for a failure message: control bytes and 8-bit bytes as "<05>".
inline std::string Visible(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F) {
            out += {'<', digits[b >> 4], digits[b & 0x0F], '>'};
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace espa::test::frames
