#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "central/central_session.h"
#include "core/control_chars.h"
#include "core/settings_record.h"
#include "line/answer_stats.h"
#include "line/exchange.h"
#include "line/frame.h"
#include "line/hint.h"

namespace espa {
class CallTable;
}

namespace espa::test {

inline constexpr Side C = Side::Central;
inline constexpr Side P = Side::PagingSystem;
inline const std::string kSelect{'1', ENQ, '2', ENQ};
inline const std::string kPoll{'2', ENQ};

// One read on the line: who sent it, when (ms), the bytes. A conversation is a list of them.
struct Say {
    Side side;
    double ms;
    std::string bytes;
};
using Conversation = std::vector<Say>;

inline Conversation operator+(Conversation a, const Conversation& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Notes about the port, in the order a front end would give them.
struct PortNotes {
    std::int64_t openedMs = -1;  // -1: never noted
    PortKind kind = PortKind::Serial;
    Handshake handshake = Handshake::None;
    LineSettings settings = {};
    int ctsInactiveMs = -1;  // -1: never reported
    const CallTable* table = nullptr;
};

// Everything the layer made of one conversation.
struct LineResult {
    std::vector<Frame> frames;
    std::vector<Exchange> exchanges;
    LineTotals totals;
    AnswerStats stats;
    std::vector<Hint> hints;
};

std::string Ch(char c);
// A block with the right check; `check` replaces it when given.
std::string Block(char header, const EspaFields& fields);
std::string WithCheck(std::string block, char check);
// The two-byte text that makes a block with `pager` and that text have `check` as its right check
// character, and that block.
std::string FillerFor(char header, const std::string& pager, char check);
std::string BlockWithCheck(char header, const std::string& pager, char check);

// Decodes, analyses and diagnoses the conversation, then lets `quietMs` pass after its last read.
LineResult RunLine(const Conversation& conversation, Emulation make = Emulation::Philips,
                   const PortNotes& notes = {}, double quietMs = 10000);

// "C call 1234, check right": the side and FrameContent of each frame.
std::vector<std::string> Contents(const std::vector<Frame>& frames,
                                  Emulation make = Emulation::Philips);

}  // namespace espa::test
