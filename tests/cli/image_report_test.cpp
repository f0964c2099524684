#include "cli/image_report.h"

#include <gtest/gtest.h>

#include <vector>

namespace tav::cli {
namespace {

// diff reports a change of any byte only if some field is made of it.
TEST(ImageFields, CoverEveryByteOfTheImage) {
    std::vector<int> cover(kImageSize, 0);
    for (const ImageField& f : ImageFields(MemoryImage{})) {
        ASSERT_LE(f.offset + f.length, kImageSize) << f.name;
        for (std::size_t i = 0; i < f.length; ++i) {
            ++cover[f.offset + i];
        }
    }
    for (std::size_t i = 0; i < kImageSize; ++i) {
        // Byte 3 of a remote record is both serial and scenario.
        const bool shared = i < kClockTransmitterOffset && i % kRecordSize == 3;
        EXPECT_EQ(cover[i], shared ? 2 : 1) << "offset " << i;
    }
}

}  // namespace
}  // namespace tav::cli
