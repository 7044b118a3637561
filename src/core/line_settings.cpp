#include "core/line_settings.h"

#include <array>
#include <charconv>

namespace espa {
namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::optional<LineSettings::Parity> ParityOf(std::string_view text) {
    if (text.size() != 1) {
        return std::nullopt;
    }
    switch (text[0]) {
        case 'N':
        case 'n':
            return LineSettings::Parity::None;
        case 'E':
        case 'e':
            return LineSettings::Parity::Even;
        case 'O':
        case 'o':
            return LineSettings::Parity::Odd;
        case 'M':
        case 'm':
            return LineSettings::Parity::Mark;
        case 'S':
        case 's':
            return LineSettings::Parity::Space;
    }
    return std::nullopt;
}

std::optional<LineSettings::StopBits> StopBitsOf(std::string_view text) {
    if (text == "1") {
        return LineSettings::StopBits::One;
    }
    if (text == "1.5") {
        return LineSettings::StopBits::OneAndHalf;
    }
    if (text == "2") {
        return LineSettings::StopBits::Two;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text) {
    std::array<std::string_view, 4> parts;
    std::size_t count = 0;
    for (;;) {
        const std::size_t comma = text.find(',');
        if (count == parts.size()) {
            return std::nullopt;
        }
        parts[count++] = text.substr(0, comma);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (count != parts.size()) {
        return std::nullopt;
    }

    LineSettings line;
    const std::string_view baud = parts[0];
    // from_chars alone would also take a minus sign; an overflow is refused, not wrapped.
    if (!AllDigits(baud) ||
        std::from_chars(baud.data(), baud.data() + baud.size(), line.baud).ec != std::errc() ||
        line.baud <= 0) {
        return std::nullopt;
    }
    const auto parity = ParityOf(parts[1]);
    const auto stopBits = StopBitsOf(parts[3]);
    const std::string_view bits = parts[2];
    if (!parity || !stopBits || bits.size() != 1 || bits[0] < '5' || bits[0] > '8') {
        return std::nullopt;
    }
    line.parity = *parity;
    line.dataBits = bits[0] - '0';
    line.stopBits = *stopBits;
    return line;
}

}  // namespace espa
