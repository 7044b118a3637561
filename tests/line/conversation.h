#pragma once

#include <string>
#include <vector>

#include "calls/call_table.h"
#include "core/control_chars.h"
#include "espa_frames.h"
#include "line/frame_text.h"
#include "line/line_watch.h"
#include "protocol/espa_fields.h"

namespace espa::test {

inline constexpr Side C = Side::Central;
inline constexpr Side P = Side::PagingSystem;

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

// Notes about the port, in the order a front end would give them; -1: never noted.
struct PortNotes {
    std::int64_t openedMs = -1;
    PortKind kind = PortKind::Serial;
    Handshake handshake = Handshake::None;
    LineSettings settings = {};
    int ctsInactiveMs = -1;
    const CallTable* table = nullptr;
};

// Everything the layer made of one conversation.
struct LineResult {
    std::vector<Frame> frames;
    std::vector<Exchange> exchanges;
    LineTotals totals;
    std::vector<Hint> hints;
};

// The central's select at `ms`, acknowledged, and its block sent and answered.
inline Conversation Selected(double ms, const std::string& block, char answer) {
    return {{C, ms, kSelect}, {P, ms + 10, Ch(ACK)}, {C, ms + 30, block}, {P, ms + 60, Ch(answer)}};
}

// The central's poll at `ms`, answered with our select, and the status transfer.
inline Conversation Polled(double ms, const std::string& transfer) {
    return {
        {C, ms, kPoll}, {P, ms + 25, {'1', ENQ}}, {C, ms + 35, Ch(ACK)}, {P, ms + 60, transfer}};
}

inline Conversation Eot(double ms) {
    return {{C, ms, Ch(EOT)}};
}

inline std::int64_t Us(double ms) {
    return static_cast<std::int64_t>(ms * 1000);
}

inline std::string WithCheck(std::string block, char check) {
    block.back() = check;
    return block;
}

// The two-byte text that makes a block with `pager` and that text have `check` as its right check
// character; printable Latin-1 only, so that the text reads the same in every rendering.
inline std::string FillerFor(char header, const std::string& pager, char check) {
    const auto printable = [](int c) { return (c >= 0x20 && c < 0x7F) || c >= 0xA0; };
    for (int filler = 'a'; filler <= 0xFF; ++filler) {
        const std::string first(1, static_cast<char>(filler));
        const int fix = static_cast<unsigned char>(
            FrameBlock(header, {{'1', pager}, {'2', first}}).back() ^ check);
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
    return {watch.TakeFrames(), watch.TakeExchanges(), watch.Totals(), watch.TakeHints()};
}

}  // namespace espa::test
