#include "line/frame_decoder.h"

#include <algorithm>

namespace espa {

LineDecoder::LineDecoder(Emulation make, Options options)
    : m_options(options),
      m_sides{SideDecoder(Side::Central, make), SideDecoder(Side::PagingSystem, make)} {}

void LineDecoder::Feed(const LineChunk& chunk) {
    if (chunk.bytes.empty()) {
        return;
    }
    SideDecoder& own = Decoder(chunk.from);
    SideDecoder& other = Decoder(OtherSide(chunk.from));
    CloseIfOlder(own, chunk.timeUs - m_options.quietUs);
    // A check character that never came: the other side has answered or started anew.
    if (other.AwaitingCheck()) {
        CloseIfOlder(other, chunk.timeUs - m_options.movedOnUs);
    }
    for (const char byte : chunk.bytes) {
        own.Take(byte, chunk.timeUs, m_scratch);
    }
    Publish(m_scratch);
}

void LineDecoder::Advance(std::int64_t nowUs) {
    for (SideDecoder& decoder : m_sides) {
        CloseIfOlder(decoder, nowUs - m_options.quietUs);
    }
    Publish(m_scratch);
}

void LineDecoder::Finish() {
    for (SideDecoder& decoder : m_sides) {
        decoder.Close(m_scratch);
    }
    Publish(m_scratch);
}

std::vector<Frame> LineDecoder::TakeFrames() {
    std::vector<Frame> out;
    out.swap(m_frames);
    return out;
}

void LineDecoder::CloseIfOlder(SideDecoder& decoder, std::int64_t limitUs) {
    if (decoder.Open() && decoder.LastByteUs() <= limitUs) {
        decoder.Close(m_scratch);
    }
}

void LineDecoder::Publish(std::vector<Frame>& frames) {
    for (Frame& frame : frames) {
        if (m_lastEndUs) {
            frame.gapUs = frame.timeUs - *m_lastEndUs;
        }
        m_lastEndUs = std::max(m_lastEndUs.value_or(frame.endUs), frame.endUs);
        m_frames.push_back(std::move(frame));
    }
    frames.clear();
}

}  // namespace espa
