#pragma once

#include <cstdint>

namespace espa {

// A colour as the engine decides it; the window turns it into its own colour type.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

}  // namespace espa
