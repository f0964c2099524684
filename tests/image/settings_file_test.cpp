#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "image/file_names.h"
#include "image/file_output.h"
#include "image/older_model_import.h"

#include "tests/image/settings_file_test_support.h"

namespace tav {
namespace {

using settingstest::RandomImage;
using settingstest::ReadAll;
using settingstest::SettingsFileTest;
using settingstest::WriteAll;
namespace fs = std::filesystem;

TEST_F(SettingsFileTest, SavedFileIsHeaderThenEveryByte) {
    const MemoryImage image = RandomImage(7);
    const fs::path path = dir_ / "a.tv2";
    ASSERT_EQ(WriteSettingsFile(image, path), SettingsSaveResult::Saved);
    const auto bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 32773u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 5),
              (std::vector<std::uint8_t>{0x24, 0x2A, 0x24, 0x31, 0x30}));
    EXPECT_TRUE(std::equal(image.Bytes().begin(), image.Bytes().end(), bytes.begin() + 5));

    MemoryImage loaded;
    ASSERT_EQ(ReadSettingsFile(loaded, path), SettingsLoadResult::Loaded);
    EXPECT_EQ(loaded, image);
    ExpectOnlyFiles({"a.tv2"});
}

TEST_F(SettingsFileTest, SaveReplacesAnExistingFile) {
    const fs::path path = dir_ / "b.tv2";
    WriteAll(path, std::vector<std::uint8_t>(40000, 0xEE));
    const MemoryImage image = RandomImage(8);
    ASSERT_EQ(WriteSettingsFile(image, path), SettingsSaveResult::Saved);
    EXPECT_EQ(ReadAll(path).size(), 32773u);
    ExpectOnlyFiles({"b.tv2"});
}

TEST_F(SettingsFileTest, LoadRefusals) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> content;
        SettingsLoadResult result;
    };
    auto withHeader = [](const char* header, std::size_t imageBytes) {
        std::vector<std::uint8_t> bytes(header, header + 5);
        bytes.resize(5 + imageBytes, 0x11);
        return bytes;
    };
    const Row rows[] = {
        {"version 11", withHeader("$*$11", kImageSize), SettingsLoadResult::UnsupportedVersion},
        {"foreign signature", withHeader("$*#10", kImageSize), SettingsLoadResult::WrongType},
        {"foreign signature and version", withHeader("#*$11", kImageSize),
         SettingsLoadResult::WrongType},
        {"empty", {}, SettingsLoadResult::WrongType},
        {"four bytes", {'$', '*', '$', '1'}, SettingsLoadResult::WrongType},
        {"header only", withHeader("$*$10", 0), SettingsLoadResult::Incomplete},
        {"100 image bytes", withHeader("$*$10", 100), SettingsLoadResult::Incomplete},
        {"one byte short", withHeader("$*$10", kImageSize - 1), SettingsLoadResult::Incomplete},
    };
    const MemoryImage before = RandomImage(9);
    for (const auto& row : rows) {
        const fs::path path = dir_ / "c.tv2";
        WriteAll(path, row.content);
        MemoryImage image = before;
        EXPECT_EQ(ReadSettingsFile(image, path), row.result) << row.name;
        EXPECT_EQ(image, before) << row.name << ": the image must stay untouched";
    }
    MemoryImage image = before;
    EXPECT_EQ(ReadSettingsFile(image, dir_ / "missing.tv2"), SettingsLoadResult::CannotOpen);
    EXPECT_EQ(ReadSettingsFile(image, dir_), SettingsLoadResult::CannotOpen);
    EXPECT_EQ(image, before);
}

TEST_F(SettingsFileTest, LongerFileLoadsAndIgnoresTheRest) {
    const MemoryImage image = RandomImage(10);
    std::vector<std::uint8_t> bytes{'$', '*', '$', '1', '0'};
    bytes.insert(bytes.end(), image.Bytes().begin(), image.Bytes().end());
    bytes.resize(bytes.size() + 77, 0xAA);
    WriteAll(dir_ / "d.tv2", bytes);
    MemoryImage loaded;
    ASSERT_EQ(ReadSettingsFile(loaded, dir_ / "d.tv2"), SettingsLoadResult::Loaded);
    EXPECT_EQ(loaded, image);
}

TEST_F(SettingsFileTest, CannotCreateInAMissingFolder) {
    EXPECT_EQ(WriteSettingsFile(MemoryImage{}, dir_ / "no" / "such.tv2"),
              SettingsSaveResult::CannotCreate);
}

TEST_F(SettingsFileTest, FailedRenameLeavesTheTargetAndNoTemporary) {
    // A folder of that name cannot be replaced by the file.
    fs::create_directories(dir_ / "taken.tv2" / "inside");
    EXPECT_EQ(WriteSettingsFile(MemoryImage{}, dir_ / "taken.tv2"),
              SettingsSaveResult::WriteFailed);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.tv2" / "inside"));
    ExpectOnlyFiles({"taken.tv2"});
}

// The save's temporary file is made only under a name nobody uses: an existing
// file is neither opened nor cut short.
TEST_F(SettingsFileTest, CreateNewRefusesANameInUse) {
    struct Row {
        const char* name;
        std::function<fs::path(const fs::path& dir)> prepare;
        bool created;
    };
    const Row rows[] = {
        {"a new name", [](const fs::path& d) { return d / "new.tmp"; }, true},
        {"an existing file",
         [](const fs::path& d) {
             WriteAll(d / "old.tmp", {1, 2, 3});
             return d / "old.tmp";
         },
         false},
        {"an existing folder",
         [](const fs::path& d) {
             fs::create_directories(d / "folder.tmp");
             return d / "folder.tmp";
         },
         false},
        {"in a missing folder", [](const fs::path& d) { return d / "no" / "new.tmp"; }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path target = row.prepare(dir_);
        const bool existed = fs::exists(target);
        std::FILE* file = file_output::CreateNew(target, target);
        EXPECT_EQ(file != nullptr, row.created);
        if (file != nullptr) {
            EXPECT_EQ(std::fwrite("abc", 1, 3, file), 3u);
            EXPECT_TRUE(file_output::FlushToDisk(file));
            std::fclose(file);
            EXPECT_EQ(ReadAll(target), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
        } else if (existed && fs::is_regular_file(target)) {
            EXPECT_EQ(ReadAll(target), (std::vector<std::uint8_t>{1, 2, 3}));
        }
    }
}

// Any name the file system holds saves, loads and imports, Polish letters too
// (on Windows outside the narrow code page of an English system).
TEST_F(SettingsFileTest, NamesBeyondPlainLetters) {
    const char8_t* names[] = {u8"plain.tv2", u8"with spaces.tv2", u8"sklep Łódź-żółć.tv2"};
    const MemoryImage image = RandomImage(21);
    for (const char8_t* name : names) {
        const fs::path path = dir_ / fs::path(name);
        SCOPED_TRACE(reinterpret_cast<const char*>(name));
        ASSERT_EQ(WriteSettingsFile(image, path), SettingsSaveResult::Saved);
        // Saved again over itself: the replacing path.
        ASSERT_EQ(WriteSettingsFile(image, path), SettingsSaveResult::Saved);
        MemoryImage loaded;
        EXPECT_EQ(ReadSettingsFile(loaded, path), SettingsLoadResult::Loaded);
        EXPECT_EQ(loaded, image);
        EXPECT_EQ(ImportOlderModelFile(loaded, path), OlderModelImportResult::Imported);
        fs::remove(path);
    }
    ExpectOnlyFiles({});
}

// tavctl holds names as UTF-8 text from its command line: the file it saves
// carries that very name, and the name reads back as the same text.
TEST_F(SettingsFileTest, NamesGivenAsUtf8TextNameTheSameFile) {
    const std::string names[] = {"plain.tv2", "Żółta brama.tv2", "zdarzenia ąęśćńźŁ.txt"};
    const MemoryImage image = RandomImage(22);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string text = Utf8FromPath(dir_) + "/" + name;
        ASSERT_EQ(WriteSettingsFile(image, PathFromUtf8(text)), SettingsSaveResult::Saved);
        ExpectOnlyFiles({name});
        EXPECT_EQ(Utf8FromPath(PathFromUtf8(text).filename()), name);
        MemoryImage loaded;
        EXPECT_EQ(ReadSettingsFile(loaded, PathFromUtf8(text)), SettingsLoadResult::Loaded);
        fs::remove(PathFromUtf8(text));
    }
}

}  // namespace
}  // namespace tav
