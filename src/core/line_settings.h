#pragma once

#include <optional>
#include <string_view>

namespace espa {

// How a serial line runs, as the control takes it in a text such as "9600,N,8,1": baud rate,
// parity, data bits and stop bits. Kept apart from any serial library so that every backend and
// espa-central read the same texts the same way.
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    bool operator==(const LineSettings&) const = default;
};

// Exactly four parts between commas: a baud rate of digits above 0, one parity letter (N, E, O,
// M or S, either case), 5 to 8 data bits as one digit, and 1, 1.5 or 2 stop bits. No spaces, no
// signs: nothing for any other text.
std::optional<LineSettings> ParseLineSettings(std::string_view text);

}  // namespace espa
