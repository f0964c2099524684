// What went over the simulated line, both directions in order, and each
// direction's bytes on their own; bounded when a limit is given.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tav::sim {

// One byte on the line. For a byte from the tool the time it was read off the
// pty; for a byte from the receiver the time it was written to the pty.
struct TrafficEntry {
    std::chrono::steady_clock::time_point time;
    bool fromTool = false;
    std::uint8_t byte = 0;
};

class TrafficLog {
  public:
    explicit TrafficLog(std::size_t limit) : limit_(limit) {}

    void Add(const TrafficEntry& entry);
    // Drops the older half of a log that has reached the limit (0: none).
    void Trim();
    void Clear();
    // The entries, and the log cleared in the same step.
    std::vector<TrafficEntry> Take();

    const std::vector<TrafficEntry>& Entries() const { return traffic_; }
    const std::vector<std::uint8_t>& Received() const { return received_; }
    const std::vector<std::uint8_t>& Sent() const { return sent_; }

  private:
    std::vector<TrafficEntry> traffic_;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint8_t> sent_;
    std::size_t limit_;
};

}  // namespace tav::sim
