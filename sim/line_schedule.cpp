#include "sim/line_schedule.h"

#include <algorithm>

#include "sim/receiver_engine.h"

namespace tav::sim {

namespace {
constexpr auto kByte = std::chrono::duration_cast<LineSchedule::TimePoint::duration>(kByteTime);
}  // namespace

void LineSchedule::Reset(TimePoint now) {
    Clear();
    lastInputTaken_ = now;
    lastOutputDue_ = now;
}

void LineSchedule::Clear() {
    input_.clear();
    output_.clear();
}

void LineSchedule::Arrive(std::uint8_t byte, TimePoint now, bool paced) {
    if (paced) {
        lastInputTaken_ = std::max(now, lastInputTaken_) + kByte;
        input_.push_back({byte, lastInputTaken_});
    } else {
        input_.push_back({byte, now});
    }
}

std::optional<LineSchedule::Pending> LineSchedule::Take(TimePoint now, bool paced) {
    if (input_.empty() || (paced && input_.front().at > now)) {
        return std::nullopt;
    }
    Pending p = input_.front();
    input_.pop_front();
    if (!paced) {
        p.at = now;
    }
    return p;
}

void LineSchedule::Send(std::span<const std::uint8_t> bytes, TimePoint ready, bool paced) {
    for (const std::uint8_t b : bytes) {
        TimePoint due = std::max(ready, lastOutputDue_);
        if (paced) {
            due += kByte;
        }
        lastOutputDue_ = due;
        output_.push_back({b, due});
    }
}

std::size_t LineSchedule::Due(TimePoint now, std::size_t limit) const {
    std::size_t k = 0;
    while (k < limit && k < output_.size() && output_[k].at <= now) {
        ++k;
    }
    return k;
}

void LineSchedule::Sent(std::size_t count) {
    output_.erase(output_.begin(),
                  output_.begin() + static_cast<std::ptrdiff_t>(std::min(count, output_.size())));
}

}  // namespace tav::sim
