// Any file content as an older-model remote list: only bytes 0..3 of records
// 0..499 change, each from its file byte by the older model's bit coding (or to
// an empty slot), with the scenario bits and bits 3..2 of byte 3 cleared.
#include <algorithm>
#include <cstdlib>

#include "image/older_model_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tav::MemoryImage image;
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        image.at(i) = static_cast<std::uint8_t>(i * 31 + 7);
    }
    const tav::MemoryImage before = image;
    tav::ImportOlderModelEntries(image, {data, size});
    for (int r = 0; r < tav::kRecordCount; ++r) {
        const auto now = image.RecordAt(r);
        const auto old = before.RecordAt(r);
        const std::size_t firstKept = r < tav::kOlderModelEntries ? 4 : 0;
        if (!std::equal(now.begin() + static_cast<std::ptrdiff_t>(firstKept), now.end(),
                        old.begin() + static_cast<std::ptrdiff_t>(firstKept))) {
            std::abort();
        }
        if (r >= tav::kOlderModelEntries) {
            continue;
        }
        if ((now[3] & 0x0F) != 0) {
            std::abort();
        }
        const std::size_t at = static_cast<std::size_t>(r) * 4;
        std::uint8_t expected[4] = {0, 0, 0, 0};
        if (at + 4 <= size && at + 4 <= tav::kOlderModelUsedBytes) {
            for (int j = 0; j < 4; ++j) {
                expected[j] = tav::ConvertOlderModelByte(data[at + static_cast<std::size_t>(j)]);
            }
            if (std::all_of(expected, expected + 4, [](std::uint8_t b) { return b == 0xFF; })) {
                std::fill(expected, expected + 4, 0);
            }
            expected[3] &= 0xF0;
            if (!std::equal(now.begin(), now.begin() + 4, expected)) {
                std::abort();
            }
        }
    }
    return 0;
}
