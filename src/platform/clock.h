// The clock of the core: monotonic milliseconds, injected so that timing (the
// backup interval) can be tested.
#pragma once

#include <chrono>
#include <cstdint>

namespace lexova {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a clock that never goes back.
  virtual std::int64_t nowMs() = 0;
};

class SteadyClock final : public Clock {
 public:
  std::int64_t nowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
 public:
  std::int64_t nowMs() override { return now; }
  std::int64_t now = 0;
};

}  // namespace lexova
