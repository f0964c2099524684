// The settings-file tests' fixture: a fresh folder per test, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "image/settings_file.h"
#include "tests/support/temp_folder.h"

namespace tav::settingstest {

namespace fs = std::filesystem;

inline std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline MemoryImage RandomImage(unsigned seed) {
    MemoryImage image;
    std::mt19937 random(seed);
    for (auto& b : image.Bytes()) {
        b = static_cast<std::uint8_t>(random());
    }
    return image;
}

class SettingsFileTest : public ::testing::Test {
  protected:
    // Only the named files (UTF-8) are in the folder: no temporary file was left behind.
    void ExpectOnlyFiles(std::vector<std::string> names) {
        std::vector<std::string> present;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            // UTF-8 on every platform (string() would throw on Windows for a
            // name outside the system's code page).
            const std::u8string name = entry.path().filename().u8string();
            present.emplace_back(name.begin(), name.end());
        }
        std::sort(present.begin(), present.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(present, names);
    }

    testsupport::TempFolder folder_{"tav-settings"};
    const fs::path dir_ = folder_.path();
};

}  // namespace tav::settingstest
