// A memory image filled with a known pattern, for the tests of every layer.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "image/memory_image.h"

namespace tav::testsupport {

// A full memory that differs for each seed in every record, with the bytes a
// cooked terminal would eat or translate in record 1005.
inline MemoryImage PatternImage(int seed) {
    MemoryImage m;
    for (std::size_t i = 0; i < kImageSize; ++i) {
        m.at(i) = static_cast<std::uint8_t>(i * static_cast<std::size_t>(seed) + i / 97);
    }
    constexpr std::array<std::uint8_t, 9> kAwkward = {0x00, 0x11, 0x13, 0x0D, 0x0A,
                                                      0x03, 0x1A, 0x7F, 0xFF};
    std::ranges::copy(kAwkward, m.RecordAt(1005).begin() + 6);
    return m;
}

}  // namespace tav::testsupport
