// A save against what only Windows refuses: a file that another program
// holds open without sharing. (A read-only file cannot be shown under Wine
// run as root: it opens the file for writing all the same.)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <gtest/gtest.h>
#include <windows.h>

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

// tavctl takes file names from its command line as narrow strings: with the
// programs' manifest those are UTF-8, and the names reach the file system
// whole, Polish letters included.
TEST_F(SettingsFileTest, NarrowUtf8NamesReachTheFileSystem) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    const char8_t* names[] = {u8"sklep Łódź-żółć.tv2", u8"Żółta brama.tv1"};
    for (const char8_t* name : names) {
        const std::string narrow(reinterpret_cast<const char*>(name));
        SCOPED_TRACE(narrow);
        EXPECT_EQ(WriteSettingsFile(RandomImage(5), dir_ / fs::path(narrow)),
                  SettingsSaveResult::Saved);
        EXPECT_TRUE(fs::exists(dir_ / fs::path(name)));
        fs::remove(dir_ / fs::path(name));
    }
    ExpectOnlyFiles({});
}

}  // namespace
}  // namespace tav
