#pragma once

#include <cstdint>
#include <string>

#include "core/line_settings.h"

namespace espa {

enum class HintCause {
    CheckRule,          // the central computes its check character by a wrong rule
    LineSettings,       // the central sends 7 bits while we read 8
    SilentLine,         // nothing at all from the central since the port opened
    Echo,               // our own bytes come back as the central's
    OtherAddress,       // the central selects with the other station's address
    BytesAfterCheck,    // CR LF or the like after the check character
    TelnetNegotiation,  // a telnet client on a raw TCP line
    RequestUnmatched,   // a status request matched no stored call
    NoPoll,             // a status is owed and the central does not poll
    CtsInactive,        // RTS/CTS handshaking chosen while CTS stays inactive
};

// One piece of advice for the engineer at the line, with the bytes that led to it.
struct Hint {
    HintCause cause;
    std::int64_t timeUs = 0;
    std::string text;
    std::string evidence;  // line bytes; show with HexBytes
    bool operator==(const Hint&) const = default;
};

// Facts about the port that the bytes cannot tell.
enum class PortKind { Serial, Pty, Tcp };
enum class Handshake { None, RtsActive, RtsCts };

}  // namespace espa
