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

// A stored name reaches the terminal as text, never as control sequences.
TEST(ImageText, ControlCharactersInNamesAreEscaped) {
    MemoryImage image;
    image.RecordAt(0)[0] = 0x12;  // a slot in use, so that it is listed
    WriteDeviceText(image, TextFieldOffset(0), "a\x1b[2Jb\"c\\d\x81");
    WriteDisplayText(image, "\x07\x7f");
    const std::string text = FormatImageText(image);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_EQ(text.find('\x07'), std::string::npos);
    EXPECT_EQ(text.find('\x7f'), std::string::npos);
    EXPECT_EQ(text.find("\xc2\x81"), std::string::npos);
    EXPECT_NE(text.find(R"("a\x1b[2Jb\"c\\d)"), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find(R"("\x07\x7f")"), std::string::npos);
}

}  // namespace
}  // namespace tav::cli
