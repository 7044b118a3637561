#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "line/line_chunk.h"

namespace espa {

enum class FrameKind {
    Select,  // the central's "1" ENQ "2" ENQ, or the paging system's "1" ENQ after a poll
    Poll,    // the central's "2" ENQ
    Ack,
    Nak,
    Eot,
    Block,  // SOH header STX fields ETX check
    Noise,  // bytes that form no frame, or a frame broken off: see NoiseKind
};

enum class NoiseKind {
    Stray,           // bytes that start no frame
    SelectCutShort,  // the central's "1" ENQ without the "2" ENQ that completes it
    BlockCutShort,   // a block without ETX: the line went quiet or EOT came
    BlockRestarted,  // a block broken off by a second SOH that starts it again
};

enum class CheckVerdict {
    Right,
    Wrong,
    Missing,  // the line went quiet after ETX, or the other side had moved on
};

struct BlockField {
    char id = 0;  // '?' for a field without US
    std::string value;
    bool operator==(const BlockField&) const = default;
};

struct Frame {
    Side side = Side::Central;
    FrameKind kind = FrameKind::Noise;
    std::int64_t timeUs = 0;  // first byte
    std::int64_t endUs = 0;   // last byte
    // From the end of the frame before it on the line (either side), as decoded; negative when
    // two adapters' clocks put this one first. None for the first frame.
    std::optional<std::int64_t> gapUs;
    std::string raw;

    std::string address;  // select and poll: the address digits ("12" for "1" ENQ "2" ENQ)
    NoiseKind noise = NoiseKind::Stray;

    // Blocks only.
    char header = 0;  // the byte after SOH; 0 when STX follows at once
    std::vector<BlockField> fields;
    CheckVerdict check = CheckVerdict::Right;
    std::optional<std::uint8_t> receivedCheck;
    int expectedCheck = 0;  // above 255 when a CommTechWireLess sender leaves it out

    // The value of the first field with this identifier, or empty.
    std::string Field(char id) const {
        for (const BlockField& f : fields) {
            if (f.id == id) {
                return f.value;
            }
        }
        return {};
    }
    bool IsBlock(char type) const { return kind == FrameKind::Block && header == type; }
};

}  // namespace espa
