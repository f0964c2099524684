// When the simulated receiver takes each byte from the tool and when each of
// its own bytes goes out. Paced, the line runs at its real speed: a byte from
// the tool is taken when its last bit would have arrived (one byte time after
// the line became free for it), and the receiver's bytes leave one byte time
// apart, the times chained from the first so that a late caller never adds
// up. Unpaced, a byte is taken when it is read and sent as soon as it is due.
//
// Pure: every time comes in as an argument, so the pacing can be checked on
// virtual time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

namespace tav::sim {

class LineSchedule {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Pending {
        std::uint8_t byte;
        TimePoint at;  // input: when the byte is taken; output: when it is due
    };

    // Forgets every byte; the line is free from `now` on.
    void Reset(TimePoint now);
    // Forgets every byte still waiting in either direction.
    void Clear();

    // A byte from the tool, read at `now`.
    void Arrive(std::uint8_t byte, TimePoint now, bool paced);
    // The next byte from the tool that has been taken by `now` (paced), or
    // the next one at all (unpaced), with the time it counts as taken.
    std::optional<Pending> Take(TimePoint now, bool paced);

    // Queues the receiver's `bytes`, the first due no earlier than `ready`.
    void Send(std::span<const std::uint8_t> bytes, TimePoint ready, bool paced);
    // How many of the leading output bytes are due at `now`, at most `limit`.
    std::size_t Due(TimePoint now, std::size_t limit) const;
    std::uint8_t OutputByte(std::size_t index) const { return output_[index].byte; }
    // The first `count` output bytes have gone out.
    void Sent(std::size_t count);

    bool InputEmpty() const { return input_.empty(); }
    bool OutputEmpty() const { return output_.empty(); }
    std::size_t OutputSize() const { return output_.size(); }
    // When the next byte from the tool is taken / the next output byte is
    // due; only when there is one.
    TimePoint NextInput() const { return input_.front().at; }
    TimePoint NextOutput() const { return output_.front().at; }

  private:
    std::deque<Pending> input_;
    std::deque<Pending> output_;
    TimePoint lastInputTaken_{};
    TimePoint lastOutputDue_{};
};

}  // namespace tav::sim
