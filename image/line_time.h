// How long bytes take on the receiver's line: 9600 baud, 10 bits a byte (start
// bit, eight data bits, stop bit). The tool's link, the simulated receiver's
// pacing and the benchmarks all take it from here.
#pragma once

#include <chrono>
#include <cstddef>

namespace tav {

inline constexpr long long kLineBaud = 9600;
inline constexpr long long kLineBitsPerByte = 10;

// One byte, about 1.0417 ms (to the nearest nanosecond).
inline constexpr std::chrono::nanoseconds kByteLineTime{
    (kLineBitsPerByte * 1'000'000'000LL + kLineBaud / 2) / kLineBaud};

constexpr std::chrono::nanoseconds LineTime(std::size_t bytes) {
    return kByteLineTime * static_cast<long long>(bytes);
}

// One byte in microseconds, for estimates in floating point.
inline constexpr double kLineByteMicros = 1e6 * kLineBitsPerByte / kLineBaud;

}  // namespace tav
