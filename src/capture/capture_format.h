#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "line/line_chunk.h"

namespace espa {

// A capture of the line is a pcap file of the first user link type (LINKTYPE_USER0, which
// Wireshark calls USER0), microsecond stamps. Each record is one LineChunk: a direction byte, then
// the bytes as one read delivered them. data/espa.lua decodes it in Wireshark.
inline constexpr int kCaptureLinkType = 147;
inline constexpr std::uint8_t kFromCentral = 0;
inline constexpr std::uint8_t kFromPagingSystem = 1;

inline std::uint8_t DirectionByte(Side side) {
    return side == Side::Central ? kFromCentral : kFromPagingSystem;
}

inline std::optional<Side> SideOfDirectionByte(std::uint8_t byte) {
    if (byte == kFromCentral) {
        return Side::Central;
    }
    if (byte == kFromPagingSystem) {
        return Side::PagingSystem;
    }
    return std::nullopt;
}

// Success, or why not, in words for the person who named the file.
using CaptureError = std::optional<std::string>;

}  // namespace espa
