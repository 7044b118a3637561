#pragma once

namespace espa {

struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The current local date and time. The engine never reads the system clock itself, so tests set
// the time they need.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

class SystemClock final : public Clock {
  public:
    LocalDateTime Now() const override;
};

}  // namespace espa
