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
#include "line/frame_text.h"
#include "line/hint.h"
#include "line/line_watch.h"

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

inline std::int64_t Us(double ms) {
    return static_cast<std::int64_t>(ms * 1000);
}

inline std::string Ch(char c) {
    return std::string(1, c);
}

inline std::string Block(char header, const EspaFields& fields) {
    return FrameBlock(header, fields);
}

inline std::string WithCheck(std::string block, char check) {
    block.back() = check;
    return block;
}

// The two-byte text that makes a block with `pager` and that text have `check` as its right check
// character.
inline std::string FillerFor(char header, const std::string& pager, char check) {
    // Printable Latin-1 only, so that the text reads the same in every rendering.
    const auto printable = [](int c) { return (c >= 0x20 && c < 0x7F) || c >= 0xA0; };
    for (int filler = 'a'; filler <= 0xFF; ++filler) {
        const std::string first(1, static_cast<char>(filler));
        const std::string block = FrameBlock(header, {{'1', pager}, {'2', first}});
        const int fix = static_cast<unsigned char>(block.back() ^ check);
        if (printable(filler) && printable(fix)) {
            return first + static_cast<char>(fix);
        }
    }
    return {};
}

inline std::string BlockWithCheck(char header, const std::string& pager, char check) {
    return FrameBlock(header, {{'1', pager}, {'2', FillerFor(header, pager, check)}});
}

// Decodes, analyses and diagnoses the conversation, then lets `quietMs` pass after its last read.
inline LineResult RunLine(const Conversation& conversation, Emulation make = Emulation::Philips,
                          const PortNotes& notes = {}, double quietMs = 10000) {
    LineWatch watch(make);
    LineDoctor& doctor = watch.Doctor();
    doctor.SetCallTable(notes.table);
    doctor.NoteLineSettings(notes.settings);
    if (notes.openedMs >= 0) {
        doctor.NotePortOpened(Us(notes.openedMs), notes.kind);
        doctor.NoteHandshake(Us(notes.openedMs), notes.handshake);
    }
    if (notes.ctsInactiveMs >= 0) {
        doctor.NoteCts(Us(notes.ctsInactiveMs), false);
    }
    double lastMs = 0;
    for (const Say& say : conversation) {
        watch.Feed({say.side, Us(say.ms), say.bytes});
        lastMs = std::max(lastMs, say.ms);
    }
    watch.Advance(Us(lastMs + quietMs));
    watch.Finish();
    return {watch.TakeFrames(), watch.TakeExchanges(), watch.Totals(), watch.Stats(),
            watch.TakeHints()};
}

// "C call 1234, check right": the side and FrameContent of each frame.
inline std::vector<std::string> Contents(const std::vector<Frame>& frames,
                                         Emulation make = Emulation::Philips) {
    std::vector<std::string> out;
    for (const Frame& frame : frames) {
        out.push_back((frame.side == C ? "C " : "P ") + FrameContent(frame, make));
    }
    return out;
}

}  // namespace espa::test
