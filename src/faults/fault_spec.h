#pragma once

#include <cstdint>
#include <string>

namespace espa {

// The ways the emulator can misbehave on purpose, to see how the central copes.
enum class FaultKind {
    NakBlock,      // a block with a right check character answered with NAK, not stored
    RefuseSelect,  // the central's select answered with NAK
    Silent,        // deaf and mute for a while: bytes read and dropped, nothing sent
    Delay,         // every answer goes out late
    BadCheck,      // a status transfer with a wrong check character
    NoEot,         // the EOT that closes a status transfer left out
    DropLine,      // a TCP line hung up for a while
};

// One fault as the user wrote it: "nak-block:2", "nak-block:every=3", "silent:1500".
struct FaultSpec {
    FaultKind kind = FaultKind::NakBlock;
    int count = 0;  // how many times, for the counted kinds; 0 when `every` is set
    int every = 0;  // nak-block:every=N: every N-th block
    int ms = 0;     // silent, delay, drop-line: for how long / how late
    bool operator==(const FaultSpec&) const = default;
};

// One fault taking effect: what the "FAULT:" log line and the JSON event tell, and what the
// central's reaction is judged against. Times are on the line clock (UTC microseconds).
struct FaultEvent {
    FaultSpec spec;
    std::string text;         // the fault as the user wrote it, normalised: "nak-block:every=3"
    std::int64_t timeUs = 0;  // when it took effect: the NAK or the wrong check went out, the
                              // silence, delay or hang-up began
    std::int64_t endUs = 0;   // silent, drop-line: when it ended; the same as timeUs otherwise
    std::string detail;       // what it did, in words: "call block answered with NAK (1 of 2)"
    bool operator==(const FaultEvent&) const = default;
};

}  // namespace espa
