// A save against what only Windows refuses: a file that another program
// holds open without sharing. (A read-only file cannot be shown under Wine
// run as root: it opens the file for writing all the same.)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/image/settings_file_test_support.h"

namespace tav {
namespace {

using settingstest::RandomImage;
using settingstest::ReadAll;
using settingstest::SettingsFileTest;
using settingstest::WriteAll;
namespace fs = std::filesystem;

TEST_F(SettingsFileTest, RefusedTargetStaysWhole) {
    struct Row {
        const char* name;
        DWORD share;  // what the other program lets others do with the file
        SettingsSaveResult result;
    };
    // Sharing reads and writes but not deletion: the file cannot be replaced,
    // but it can be written in place.
    const Row rows[] = {
        {"held open without sharing", 0, SettingsSaveResult::CannotCreate},
        {"held open sharing reads and writes", FILE_SHARE_READ | FILE_SHARE_WRITE,
         SettingsSaveResult::Saved},
    };
    const std::vector<std::uint8_t> old(32773, 0x5C);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path target = dir_ / "kept.tv2";
        WriteAll(target, old);
        const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, row.share, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(WriteSettingsFile(RandomImage(31), target), row.result);
        CloseHandle(held);
        EXPECT_EQ(ReadAll(target).size(), kSettingsFileSize);
        EXPECT_EQ(ReadAll(target) == old, row.result != SettingsSaveResult::Saved);
        ExpectOnlyFiles({"kept.tv2"});
        // Once the file is free again the save goes through.
        EXPECT_EQ(WriteSettingsFile(RandomImage(31), target), SettingsSaveResult::Saved);
        ExpectOnlyFiles({"kept.tv2"});
        fs::remove(target);
    }
}

// The programs' manifest makes UTF-8 their code page: a narrow string from
// the command line carries Polish letters, and the C runtime's narrow calls
// reach the file of that name.
TEST_F(SettingsFileTest, ProgramsRunWithUtf8AsTheirCodePage) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    const char8_t* names[] = {u8"sklep Łódź-żółć.tv2", u8"Żółta brama.tv1"};
    for (const char8_t* name : names) {
        const fs::path path = dir_ / fs::path(name);
        SCOPED_TRACE(reinterpret_cast<const char*>(name));
        ASSERT_EQ(WriteSettingsFile(RandomImage(5), path), SettingsSaveResult::Saved);
        const std::string narrow = reinterpret_cast<const char*>(path.u8string().c_str());
        std::FILE* file = std::fopen(narrow.c_str(), "rb");
        EXPECT_NE(file, nullptr);
        if (file != nullptr) {
            std::fclose(file);
        }
        fs::remove(path);
    }
    ExpectOnlyFiles({});
}

}  // namespace
}  // namespace tav
