// A folder of a test's own under the system's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace tav::testsupport {

// Made empty when constructed, removed with everything in it when destroyed.
// Its name carries `prefix`, the running test's name and a random part, so
// tests running side by side (ctest -j) never share one.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = test != nullptr ? test->name() : "test";
        // A parameterised test's name has a '/' in it.
        std::ranges::replace(name, '/', '_');
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + name + "-" + std::to_string(random()));
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        // A test may have taken the owner's rights away to make writes fail.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace tav::testsupport
