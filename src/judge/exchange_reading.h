#pragma once

#include <optional>
#include <string>

#include "line/exchange.h"

namespace espa {

inline bool From(const Frame& frame, Side side, FrameKind kind) {
    return frame.side == side && frame.kind == kind;
}

// The status transfer of a poll, or null.
inline const Frame* TransferOf(const Exchange& exchange) {
    for (const Frame& frame : exchange.frames) {
        if (frame.side == Side::PagingSystem && frame.IsBlock('2')) {
            return &frame;
        }
    }
    return nullptr;
}

// "1 try", "3 tries".
inline std::string Counted(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace espa
