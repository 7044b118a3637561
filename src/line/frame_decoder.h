#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/settings_record.h"
#include "line/frame.h"
#include "line/line_chunk.h"
#include "line/side_decoder.h"

namespace espa {

// Turns the bytes of both directions into frames. Each direction is decoded on its own, so two
// adapters whose reads arrive out of step cannot mix their bytes; the sides meet only where a
// block waits for its check character while the other side has clearly moved on.
class LineDecoder {
  public:
    // As long as the handler waits for the next character of a frame.
    static constexpr std::int64_t kDefaultQuietUs = 3'000'000;
    // Longer than two adapters' clocks can disagree, shorter than any receiver's patience.
    static constexpr std::int64_t kDefaultMovedOnUs = 1'000'000;

    struct Options {
        std::int64_t quietUs = kDefaultQuietUs;
        std::int64_t movedOnUs = kDefaultMovedOnUs;
    };

    explicit LineDecoder(Emulation make) : LineDecoder(make, Options{}) {}
    LineDecoder(Emulation make, Options options);

    void Feed(const LineChunk& chunk);
    // Time has passed without bytes: frames left open longer than the quiet time are closed.
    void Advance(std::int64_t nowUs);
    // The end of the capture: everything open is closed.
    void Finish();

    std::vector<Frame> TakeFrames();

  private:
    SideDecoder& Decoder(Side side) { return m_sides[side == Side::Central ? 0 : 1]; }
    void CloseIfOlder(SideDecoder& decoder, std::int64_t limitUs);
    void Publish(std::vector<Frame>& frames);

    Options m_options;
    std::array<SideDecoder, 2> m_sides;
    std::vector<Frame> m_scratch;
    std::vector<Frame> m_frames;
    std::optional<std::int64_t> m_lastEndUs;
};

}  // namespace espa
