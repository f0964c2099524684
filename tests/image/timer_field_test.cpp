// Timer-grid cells: what a typed text stores.
#include <gtest/gtest.h>

#include <string>

#include "image/memory_image.h"

namespace tav {
namespace {

TEST(TimerFieldTest, TypedTextIsReadAsANumberAndClampedToItsField) {
    struct Row {
        std::string text;
        int field;
        int stored;
    };
    const Row rows[] = {
        {"7", 0, 7},
        {"24", 0, 23},
        {"75", 1, 59},
        {"60", 2, 59},
        {"10", 3, 9},
        {"-3", 1, 0},
        {"+12", 2, 12},
        {"12abc", 1, 12},
        {"ab", 0, 0},
        {"", 3, 0},
        {"-", 0, 0},
        {"+-5", 1, 0},
        {" \t 8", 2, 8},
        {"5 6", 0, 5},
        {"0012", 1, 12},
        // 20 digits: the 32-bit reading saturates instead of wrapping.
        {"12345678901234567890", 0, 23},
        {"4294967296", 2, 59},  // 2^32 would wrap to 0
        {"4294967299", 3, 9},   // 2^32 + 3 would wrap to 3
        {"-99999999999999999999", 1, 0},
        {"2147483647", 3, 9},
        // Only the first 49 characters count.
        {std::string(47, ' ') + "42", 1, 42},
        {std::string(48, ' ') + "42", 1, 4},
        {std::string(49, ' ') + "42", 1, 0},
        {std::string(49, '0') + "9", 3, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(TimerFieldFromText(r.text, r.field), r.stored)
            << '"' << r.text << "\" field " << r.field;
    }
}

}  // namespace
}  // namespace tav
