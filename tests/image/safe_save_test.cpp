// The safe save for files of any length: what the file holds afterwards.
#include <gtest/gtest.h>

#include <vector>

#include "image/safe_save.h"
#include "tests/image/settings_file_test_support.h"

namespace tav {
namespace {

using settingstest::ReadAll;
using settingstest::SettingsFileTest;
using settingstest::WriteAll;
namespace fs = std::filesystem;

// Replaced atomically, or written in place when the file has a second name:
// either way the file holds exactly the new bytes, however long the old ones.
TEST_F(SettingsFileTest, SaveFileSafelyLeavesExactlyTheNewBytes) {
    struct Row {
        std::size_t oldSize;  // 0: no file before
        std::size_t newSize;
        bool hardLinked;
    };
    const Row rows[] = {
        {0, 0, false},     {0, 17, false},   {40000, 3, false},
        {5, 40000, false}, {40000, 3, true}, {5, 100, true},
    };
    int n = 0;
    for (const Row& row : rows) {
        const fs::path path = dir_ / ("out" + std::to_string(++n) + ".txt");
        const fs::path other = dir_ / ("other" + std::to_string(n) + ".txt");
        if (row.oldSize > 0) {
            WriteAll(path, std::vector<std::uint8_t>(row.oldSize, 0xEE));
        }
        if (row.hardLinked) {
            fs::create_hard_link(path, other);
        }
        std::vector<std::uint8_t> bytes(row.newSize);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
        }
        EXPECT_EQ(SaveFileSafely(path, bytes), SaveResult::Saved) << n;
        EXPECT_EQ(ReadAll(path), bytes) << n;
        if (row.hardLinked) {
            EXPECT_EQ(ReadAll(other), bytes) << n;
        }
    }
}

}  // namespace
}  // namespace tav
