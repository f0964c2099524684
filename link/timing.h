// Time behind an interface, so that waits can run on a virtual clock in tests.
#pragma once

#include <chrono>

namespace tav {

using Millis = std::chrono::milliseconds;

class Timing {
  public:
    virtual ~Timing() = default;
    // Monotonic time.
    virtual std::chrono::steady_clock::time_point Now() = 0;
    // Blocks the calling thread for `ms`.
    virtual void Sleep(Millis ms) = 0;
    // Blocks for `d` at the clock's own resolution (this default rounds up to
    // whole milliseconds).
    virtual void SleepFor(std::chrono::nanoseconds d) { Sleep(std::chrono::ceil<Millis>(d)); }
};

// The real clock.
class SystemTiming final : public Timing {
  public:
    std::chrono::steady_clock::time_point Now() override;
    void Sleep(Millis ms) override;
    void SleepFor(std::chrono::nanoseconds d) override;
};

// The computer's local date and time, taken in one reading.
struct LocalDateTime {
    int year = 2000;  // 2000..2099
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class LocalClock {
  public:
    virtual ~LocalClock() = default;
    virtual LocalDateTime Now() = 0;
};

class SystemLocalClock final : public LocalClock {
  public:
    LocalDateTime Now() override;
};

}  // namespace tav
