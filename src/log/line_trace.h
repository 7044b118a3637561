#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// Line bytes for a person at a UTF-8 terminal: control characters (0x00-0x1F, 0x7F, 0x80-0x9F)
// by their trace names or in hex, never raw; every other byte read as Latin-1.
std::string VisibleText(std::string_view bytes);

// One debug-log line for one character crossing the line.
void TraceChar(EventLog& log, std::int16_t code, std::int16_t direction);

}  // namespace espa
