// The receiver's clock as the demo lines show it: once set by "t" it runs on
// from the moment it was set; never set, it shows the host's local time.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "sim/receiver_engine.h"

namespace tav::sim {

class RunningClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // The engine's clock after a byte taken at `at`: a new setting starts
    // running from `at`.
    void Follow(const ReceiverClock& clock, TimePoint at);
    // Seconds, minutes, hours, day, month, year (BCD) at `now`.
    std::array<std::uint8_t, 6> At(TimePoint now) const;

  private:
    ReceiverClock last_;
    TimePoint setAt_{};
};

}  // namespace tav::sim
