#pragma once

#include <chrono>
#include <string>

#include "pty_pair.h"

namespace espa::test {

// The central's side of the line, for the tests: ESPA blocks with their check character worked
// out here, independently of the program under test.
namespace central {

inline constexpr char SOH = 0x01;
inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char EOT = 0x04;
inline constexpr char ENQ = 0x05;
inline constexpr char ACK = 0x06;
inline constexpr char NAK = 0x15;
inline constexpr char RS = 0x1E;
inline constexpr char US = 0x1F;

// Exclusive-or of every byte after SOH up to and including ETX.
inline char CheckCharacter(const std::string& afterSoh) {
    unsigned char check = 0;
    for (char c : afterSoh) {
        check ^= static_cast<unsigned char>(c);
    }
    return static_cast<char>(check);
}

// SOH, the header digit, STX, the data, ETX and the check character.
inline std::string Block(char header, const std::string& data) {
    const std::string body = std::string(1, header) + STX + data + ETX;
    return SOH + body + CheckCharacter(body);
}

inline std::string Field(char identifier, const std::string& value) {
    return std::string(1, identifier) + US + value;
}

inline std::string Select() {
    return std::string("1") + ENQ + "2" + ENQ;
}

inline std::string Poll() {
    return std::string("2") + ENQ;
}

}  // namespace central

// A short name for readable failure messages: control bytes as "<05>".
inline std::string Visible(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F) {
            out += '<';
            out += digits[b >> 4];
            out += digits[b & 0x0F];
            out += '>';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace espa::test
