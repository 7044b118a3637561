#pragma once

#include "core/clock.h"

namespace espa::test {

// A clock that says what the test set.
class FixedClock final : public Clock {
  public:
    LocalDateTime now{2026, 12, 5, 14, 3, 7};
    LocalDateTime Now() const override { return now; }
};

}  // namespace espa::test
