#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "core/control_chars.h"

// What a central sends, built here without the program's helpers.
namespace espa::test {

using Field = std::pair<char, std::string>;

inline std::string Ch(char c) {
    return std::string(1, c);
}

// The data part of a block: identifier, US, value, RS between fields, ETX at the end.
inline std::string DataPart(std::initializer_list<Field> fields) {
    std::string data;
    for (const Field& f : fields) {
        data += (data.empty() ? "" : Ch(RS)) + f.first + US + f.second;
    }
    return data + ETX;
}

// Exclusive-or of the bytes given.
inline char XorOf(const std::string& bytes) {
    unsigned char check = 0;
    for (const char c : bytes) {
        check ^= static_cast<unsigned char>(c);
    }
    return static_cast<char>(check);
}

// SOH, the type digit, STX, the data (ending with ETX) and the check character over everything
// after SOH.
inline std::string Block(char type, const std::string& data) {
    const std::string body = Ch(type) + STX + data;
    return Ch(SOH) + body + XorOf(body);
}
inline std::string CallBlock(std::initializer_list<Field> fields) {
    return Block('1', DataPart(fields));
}
inline std::string RequestBlock(std::initializer_list<Field> fields) {
    return Block('3', DataPart(fields));
}

// A call to pager "12ab" whose check character is `wanted`, a and b printable.
inline std::string CallBlockWithCheck(char wanted) {
    for (char a = '0'; a <= 'z'; ++a) {
        const std::string head = std::string("1") + STX + "1" + US + "12" + a;
        const auto b = static_cast<char>(XorOf(head + ETX) ^ wanted);
        if (b >= '0' && b <= 'z') {
            return Block('1', DataPart({{'1', std::string("12") + a + b}}));
        }
    }
    return {};
}

inline const std::string kSelect = std::string("1") + ENQ + "2" + ENQ;
inline const std::string kPoll = std::string("2") + ENQ;

}  // namespace espa::test
