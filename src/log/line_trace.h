#pragma once

#include <cstdint>
#include <string>

namespace espa {

class EventLog;

inline constexpr std::int16_t kTraceSent = 1;
inline constexpr std::int16_t kTraceReceived = 0;

// "[SOH]" for the control codes, "[SP]" for the blank, "[RUB]" for 127, else the byte itself.
std::string CharName(int code);

// "0x" and two uppercase digits for 0..255; "0xxx" above.
std::string ToHexText(std::int16_t value);

// "0".."9", "A".."F".
char HexDigit(int value);

// The trace line without its time stamp: 23 characters for a sent byte, 41 for a received one.
std::string TraceLine(std::int16_t code, std::int16_t direction);

// One debug-log line for one character crossing the line.
void TraceChar(EventLog& log, std::int16_t code, std::int16_t direction);

}  // namespace espa
