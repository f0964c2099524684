// Byte helpers shared by the simulated receiver's tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <string_view>
#include <vector>

#include "image/memory_image.h"
#include "tests/support/image_pattern.h"

namespace tav::sim::testing {

using Bytes = std::vector<std::uint8_t>;
using testsupport::PatternImage;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

inline Bytes Str(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// The 8-bit sum the receiver checks and echoes.
inline std::uint8_t Sum(const Bytes& b) {
    return static_cast<std::uint8_t>(std::accumulate(b.begin(), b.end(), 0u) & 0xFF);
}

// n bytes that differ from seed to seed.
inline Bytes Pattern(std::size_t n, int seed) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] =
            static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(seed) * 13 + 1) & 0xFF);
    }
    return out;
}

inline Bytes RecordBytes(const MemoryImage& m, int record) {
    const ConstRecord r = m.RecordAt(record);
    return Bytes(r.begin(), r.end());
}

// A record as the receiver sends it: 32 data bytes and their sum.
inline Bytes RecordFrame(const MemoryImage& m, int record) {
    Bytes frame = RecordBytes(m, record);
    frame.push_back(Sum(frame));
    return frame;
}

}  // namespace tav::sim::testing
