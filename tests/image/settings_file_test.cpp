#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <vector>

#include "image/settings_file.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

MemoryImage RandomImage(unsigned seed) {
    MemoryImage image;
    std::mt19937 random(seed);
    for (auto& b : image.Bytes()) {
        b = static_cast<std::uint8_t>(random());
    }
    return image;
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tav-settings-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Only the named files are in the folder: no temporary file was left behind.
    void ExpectOnlyFiles(std::vector<std::string> names) {
        std::vector<std::string> present;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            present.push_back(entry.path().filename().string());
        }
        std::sort(present.begin(), present.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(present, names);
    }

    fs::path dir_;
};

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

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileWhole) {
    const fs::path path = dir_ / "old.tv2";
    const std::vector<std::uint8_t> old(32773, 0x5C);
    WriteAll(path, old);

    // Files may grow to 1000 bytes only: the image write fails part-way.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = WriteSettingsFile(RandomImage(11), path);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(result, SettingsSaveResult::WriteFailed);
    EXPECT_EQ(ReadAll(path), old);
    ExpectOnlyFiles({"old.tv2"});
}

TEST_F(SettingsFileTest, FailedOverwriteInPlaceIsReported) {
    // A hard-linked file is written in place; files may grow to 1000 bytes only.
    const fs::path path = dir_ / "linked.tv2";
    WriteAll(path, std::vector<std::uint8_t>(10, 0x5C));
    fs::create_hard_link(path, dir_ / "other.tv2");
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = WriteSettingsFile(RandomImage(13), path);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(result, SettingsSaveResult::OverwriteFailed);
    ExpectOnlyFiles({"linked.tv2", "other.tv2"});
}

TEST_F(SettingsFileTest, FailedRenameLeavesTheTargetAndNoTemporary) {
    // A folder of that name cannot be replaced by the file.
    fs::create_directories(dir_ / "taken.tv2" / "inside");
    EXPECT_EQ(WriteSettingsFile(MemoryImage{}, dir_ / "taken.tv2"),
              SettingsSaveResult::WriteFailed);
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.tv2" / "inside"));
    ExpectOnlyFiles({"taken.tv2"});
}

// Runs `body` with the rights of an ordinary user: as root (the usual test
// run) with the effective ids of "nobody" for its duration.
template <typename Body>
auto AsOrdinaryUser(Body body) {
    const bool root = ::geteuid() == 0;
    if (root) {
        EXPECT_EQ(::setegid(65534), 0);
        EXPECT_EQ(::seteuid(65534), 0);
    }
    auto result = body();
    if (root) {
        EXPECT_EQ(::seteuid(0), 0);
        EXPECT_EQ(::setegid(0), 0);
    }
    return result;
}

unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// A save keeps what a plain overwrite keeps: the link and the file it names,
// the file's mode, its other names, and a writable file in a folder where no
// new file can be made.
TEST_F(SettingsFileTest, SaveKeepsWhatAPlainOverwriteKeeps) {
    struct Row {
        const char* name;
        // Prepares the folder; returns the path the user saves to.
        std::function<fs::path(const fs::path& dir)> prepare;
        bool ordinaryUser;
        SettingsSaveResult result;
        std::vector<std::string> files;  // in the folder afterwards
        std::vector<std::string> newIn;  // names that read the new content
        std::vector<std::string> oldIn;  // names that still read the old content
        std::vector<std::string> links;  // names that are still symbolic links
        unsigned mode;                   // of the first of newIn/oldIn; 0: not checked
    };
    const std::vector<std::uint8_t> old(32773, 0x5C);
    const auto oldFile = [&](const fs::path& path, unsigned mode) {
        WriteAll(path, old);
        fs::permissions(path, static_cast<fs::perms>(mode));
    };
    const Row rows[] = {
        {"over a symbolic link",
         [&](const fs::path& d) {
             oldFile(d / "real.tv2", 0644);
             fs::create_symlink("real.tv2", d / "link.tv2");
             return d / "link.tv2";
         },
         false,
         SettingsSaveResult::Saved,
         {"link.tv2", "real.tv2"},
         {"real.tv2"},
         {},
         {"link.tv2"},
         0644},
        {"over a link to a file not there yet",
         [&](const fs::path& d) {
             fs::create_symlink("new.tv2", d / "link.tv2");
             return d / "link.tv2";
         },
         false,
         SettingsSaveResult::Saved,
         {"link.tv2", "new.tv2"},
         {"new.tv2"},
         {},
         {"link.tv2"},
         0},
        {"over a 600 file",
         [&](const fs::path& d) {
             oldFile(d / "own.tv2", 0600);
             return d / "own.tv2";
         },
         false,
         SettingsSaveResult::Saved,
         {"own.tv2"},
         {"own.tv2"},
         {},
         {},
         0600},
        {"over a hard-linked file",
         [&](const fs::path& d) {
             oldFile(d / "one.tv2", 0640);
             fs::create_hard_link(d / "one.tv2", d / "two.tv2");
             return d / "one.tv2";
         },
         false,
         SettingsSaveResult::Saved,
         {"one.tv2", "two.tv2"},
         {"one.tv2", "two.tv2"},
         {},
         {},
         0640},
        {"writable file, folder without create permission",
         [&](const fs::path& d) {
             WriteAll(d / "shared.tv2", std::vector<std::uint8_t>(40000, 0x5C));  // longer
             fs::permissions(d / "shared.tv2", static_cast<fs::perms>(0666));
             fs::permissions(d, static_cast<fs::perms>(0555));
             return d / "shared.tv2";
         },
         true,
         SettingsSaveResult::Saved,
         {"shared.tv2"},
         {"shared.tv2"},
         {},
         {},
         0666},
        {"read-only file, folder without create permission",
         [&](const fs::path& d) {
             oldFile(d / "locked.tv2", 0444);
             fs::permissions(d, static_cast<fs::perms>(0555));
             return d / "locked.tv2";
         },
         true,
         SettingsSaveResult::CannotCreate,
         {"locked.tv2"},
         {},
         {"locked.tv2"},
         {},
         0444},
        {"new file, folder without create permission",
         [&](const fs::path& d) {
             fs::permissions(d, static_cast<fs::perms>(0555));
             return d / "new.tv2";
         },
         true,
         SettingsSaveResult::CannotCreate,
         {},
         {},
         {},
         {},
         0},
    };
    const MemoryImage image = RandomImage(12);
    std::vector<std::uint8_t> saved{'$', '*', '$', '1', '0'};
    saved.insert(saved.end(), image.Bytes().begin(), image.Bytes().end());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::permissions(dir_, static_cast<fs::perms>(0755));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const fs::path target = row.prepare(dir_);
        const auto result = row.ordinaryUser
                                ? AsOrdinaryUser([&] { return WriteSettingsFile(image, target); })
                                : WriteSettingsFile(image, target);
        EXPECT_EQ(result, row.result);
        ExpectOnlyFiles(row.files);
        for (const auto& name : row.newIn) {
            EXPECT_TRUE(ReadAll(dir_ / name) == saved) << name << " should hold the new file";
        }
        for (const auto& name : row.oldIn) {
            EXPECT_TRUE(ReadAll(dir_ / name) == old) << name << " should hold the old file";
        }
        for (const auto& name : row.links) {
            EXPECT_TRUE(fs::is_symlink(dir_ / name)) << name;
        }
        if (row.mode != 0) {
            const auto& first = row.newIn.empty() ? row.oldIn.front() : row.newIn.front();
            EXPECT_EQ(ModeOf(dir_ / first), row.mode);
        }
    }
    fs::permissions(dir_, static_cast<fs::perms>(0755));
}

}  // namespace
}  // namespace tav
