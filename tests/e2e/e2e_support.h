// Memory contents for the end-to-end tests.
#pragma once

#include <algorithm>

#include "image/memory_image.h"
#include "tests/support/image_pattern.h"

namespace tav::e2etest {

// `base` with records first .. first + count - 1 taken from `from`.
inline MemoryImage WithRecords(MemoryImage base, const MemoryImage& from, int first, int count) {
    for (int r = first; r < first + count; ++r) {
        std::ranges::copy(from.RecordAt(r), base.RecordAt(r).begin());
    }
    return base;
}

}  // namespace tav::e2etest
