#pragma once

#include <cstdint>
#include <string>

namespace espa {

// The role that sent the bytes; a capture or a pair of serial taps knows this as well as the
// emulator does, so nothing in this layer asks where the bytes came from.
enum class Side { Central, PagingSystem };

inline Side OtherSide(Side side) {
    return side == Side::Central ? Side::PagingSystem : Side::Central;
}

// Bytes as one read delivered them, stamped by the caller in microseconds (monotonic or wall
// clock, as long as one run uses one). Chunks of one side come in time order; the two sides may be
// tens of milliseconds apart when each has its own adapter.
struct LineChunk {
    Side from = Side::Central;
    std::int64_t timeUs = 0;
    std::string bytes;
    bool operator==(const LineChunk&) const = default;
};

}  // namespace espa
