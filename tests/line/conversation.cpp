#include "conversation.h"

#include "core/control_chars.h"
#include "line/frame_text.h"
#include "line/line_watch.h"

namespace espa::test {
namespace {

std::int64_t Us(double ms) {
    return static_cast<std::int64_t>(ms * 1000);
}

}  // namespace

std::string Ch(char c) {
    return std::string(1, c);
}

std::string Block(char header, const EspaFields& fields) {
    return FrameBlock(header, fields);
}

std::string WithCheck(std::string block, char check) {
    block.back() = check;
    return block;
}

std::string FillerFor(char header, const std::string& pager, char check) {
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

std::string BlockWithCheck(char header, const std::string& pager, char check) {
    return FrameBlock(header, {{'1', pager}, {'2', FillerFor(header, pager, check)}});
}

LineResult RunLine(const Conversation& conversation, Emulation make, const PortNotes& notes,
                   double quietMs) {
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

std::vector<std::string> Contents(const std::vector<Frame>& frames, Emulation make) {
    std::vector<std::string> out;
    for (const Frame& frame : frames) {
        out.push_back((frame.side == C ? "C " : "P ") + FrameContent(frame, make));
    }
    return out;
}

}  // namespace espa::test
