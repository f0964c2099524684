#include "sim/receiver_clock.h"

#include <ctime>

namespace tav::sim {
namespace {

int FromBcd(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}
std::uint8_t ToBcd(int v) {
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

std::array<std::uint8_t, 6> FromTm(const std::tm& tm) {
    return {ToBcd(tm.tm_sec),  ToBcd(tm.tm_min),     ToBcd(tm.tm_hour),
            ToBcd(tm.tm_mday), ToBcd(tm.tm_mon + 1), ToBcd(tm.tm_year % 100)};
}

// The clock set at some moment, `seconds` later.
std::array<std::uint8_t, 6> AdvanceClock(const std::array<std::uint8_t, 6>& bcd,
                                         long long seconds) {
    std::tm tm{};
    tm.tm_sec = FromBcd(bcd[0]);
    tm.tm_min = FromBcd(bcd[1]);
    tm.tm_hour = FromBcd(bcd[2]);
    tm.tm_mday = FromBcd(bcd[3]);
    tm.tm_mon = FromBcd(bcd[4]) - 1;
    tm.tm_year = 100 + FromBcd(bcd[5]);
    const std::time_t t = ::timegm(&tm) + static_cast<std::time_t>(seconds);
    std::tm out{};
    ::gmtime_r(&t, &out);
    return FromTm(out);
}

std::array<std::uint8_t, 6> LocalClockBytes() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return FromTm(tm);
}

}  // namespace

void RunningClock::Follow(const ReceiverClock& clock, TimePoint at) {
    if (clock != last_) {
        last_ = clock;
        setAt_ = at;
    }
}

std::array<std::uint8_t, 6> RunningClock::At(TimePoint now) const {
    if (!last_.set) {
        return LocalClockBytes();
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - setAt_);
    return AdvanceClock(last_.bytes, elapsed.count());
}

}  // namespace tav::sim
