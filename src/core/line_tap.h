#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace espa {

// Microseconds on the one time base that stamps line bytes and advances their watch. The system
// clock (UTC) by default, so a frame's time of day can be read against other machines' logs;
// tests give a time they step themselves.
using MicroClock = std::function<std::int64_t()>;

inline std::int64_t SystemTimeUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The kind of device a port opened, as far as the line's electrical facts go: a pty or a TCP
// link has no modem-control lines, so its CTS says nothing about the far end.
enum class PortDevice { Serial, Pty, Tcp };

// Told of the line's bytes where they meet the operating system: when a read brought them in and
// when a write handed them out, not when the engine's tick got round to them.
class LineTap {
  public:
    virtual ~LineTap() = default;
    virtual void OnLineRead(std::int64_t timeUs, const std::string& bytes) = 0;
    virtual void OnLineWritten(std::int64_t timeUs, const std::string& bytes) = 0;
};

}  // namespace espa
