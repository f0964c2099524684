#include "sim/traffic_log.h"

namespace tav::sim {
namespace {

template <typename Log>
void TrimTo(Log& log, std::size_t limit) {
    if (limit > 0 && log.size() >= limit) {
        log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(log.size() - limit / 2));
    }
}

}  // namespace

void TrafficLog::Add(const TrafficEntry& entry) {
    traffic_.push_back(entry);
    (entry.fromTool ? received_ : sent_).push_back(entry.byte);
}

void TrafficLog::Trim() {
    TrimTo(traffic_, limit_);
    TrimTo(received_, limit_);
    TrimTo(sent_, limit_);
}

void TrafficLog::Clear() {
    traffic_.clear();
    received_.clear();
    sent_.clear();
}

std::vector<TrafficEntry> TrafficLog::Take() {
    std::vector<TrafficEntry> taken;
    taken.swap(traffic_);
    received_.clear();
    sent_.clear();
    return taken;
}

}  // namespace tav::sim
