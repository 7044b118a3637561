#pragma once

#include "core/rgb.h"

namespace espa {

// The activity flags and the four lamp colours, as plain state: the window only paints them.
struct LampState {
    // Set by SendChar/ReadChar, cleared by the lamp tick that turns the lamp dark.
    bool TxActivity = false;
    bool RxActivity = false;
    bool TxBlink = false;
    bool RxBlink = false;

    Rgb tx{192, 0, 0};
    Rgb rx{0, 192, 0};
    Rgb cts{192, 192, 0};
    Rgb rts{192, 192, 0};
};

inline constexpr Rgb kTxBright{255, 0, 0};
inline constexpr Rgb kTxDark{128, 0, 0};
inline constexpr Rgb kRxBright{0, 255, 0};
inline constexpr Rgb kRxDark{0, 128, 0};
inline constexpr Rgb kLineActive{255, 255, 128};
inline constexpr Rgb kLineInactive{192, 192, 0};

}  // namespace espa
