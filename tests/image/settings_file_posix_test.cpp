// Saves that depend on POSIX file semantics: file size limits, modes, owners,
// symbolic and hard links, the rights of an ordinary user.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <vector>

#include "tests/image/settings_file_test_support.h"
#include "tests/support/ordinary_user.h"

namespace tav {
namespace {

using settingstest::RandomImage;
using settingstest::ReadAll;
using settingstest::SettingsFileTest;
using settingstest::WriteAll;
namespace fs = std::filesystem;

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
    std::error_code why;
    const auto result = WriteSettingsFile(RandomImage(11), path, &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(result, SettingsSaveResult::WriteFailed);
    EXPECT_EQ(why, std::errc::file_too_large);
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

using testsupport::AsOrdinaryUser;

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
    // Root may write a 0444 file, and so a save by root replaces it.
    const bool root = ::geteuid() == 0;
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
         SettingsSaveResult::WriteProtected,
         {"locked.tv2"},
         {},
         {"locked.tv2"},
         {},
         0444},
        {"read-only file, writable folder",
         [&](const fs::path& d) {
             oldFile(d / "locked.tv2", 0444);
             fs::permissions(d, static_cast<fs::perms>(0777));
             return d / "locked.tv2";
         },
         true,
         SettingsSaveResult::WriteProtected,
         {"locked.tv2"},
         {},
         {"locked.tv2"},
         {},
         0444},
        {"read-only file, written by whoever may write it",
         [&](const fs::path& d) {
             oldFile(d / "locked.tv2", 0444);
             return d / "locked.tv2";
         },
         false,
         root ? SettingsSaveResult::Saved : SettingsSaveResult::WriteProtected,
         {"locked.tv2"},
         root ? std::vector<std::string>{"locked.tv2"} : std::vector<std::string>{},
         root ? std::vector<std::string>{} : std::vector<std::string>{"locked.tv2"},
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
    std::vector<std::uint8_t> saved(kSettingsFileSize);
    std::copy_n(kSettingsHeader, kSettingsHeaderSize, saved.begin());
    std::copy(image.Bytes().begin(), image.Bytes().end(), saved.begin() + kSettingsHeaderSize);
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

// The probe before a long read finds what the save after it would find, and
// leaves the folder as it was.
TEST_F(SettingsFileTest, ProbeFindsWhatTheSaveWouldFind) {
    struct Row {
        const char* name;
        std::function<fs::path(const fs::path& dir)> prepare;
        SettingsSaveResult probe;
        std::vector<std::string> files;
    };
    const auto file = [](const fs::path& path, unsigned mode) {
        WriteAll(path, std::vector<std::uint8_t>(100, 0x11));
        fs::permissions(path, static_cast<fs::perms>(mode));
        return path;
    };
    const Row rows[] = {
        {"new file",
         [](const fs::path& d) { return d / "new.tv2"; },
         SettingsSaveResult::Saved,
         {}},
        {"new file, folder without create permission",
         [](const fs::path& d) {
             fs::permissions(d, static_cast<fs::perms>(0555));
             return d / "new.tv2";
         },
         SettingsSaveResult::CannotCreate,
         {}},
        {"writable file, folder without create permission",
         [&](const fs::path& d) {
             file(d / "old.tv2", 0666);
             fs::permissions(d, static_cast<fs::perms>(0555));
             return d / "old.tv2";
         },
         SettingsSaveResult::Saved,
         {"old.tv2"}},
        {"read-only file",
         [&](const fs::path& d) { return file(d / "old.tv2", 0444); },
         SettingsSaveResult::WriteProtected,
         {"old.tv2"}},
        {"a folder of that name",
         [](const fs::path& d) {
             fs::create_directory(d / "sub.tv2");
             return d / "sub.tv2";
         },
         SettingsSaveResult::WriteFailed,
         {"sub.tv2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::permissions(dir_, static_cast<fs::perms>(0777));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::permissions(dir_, static_cast<fs::perms>(0777));
        const fs::path target = row.prepare(dir_);
        const auto probe = AsOrdinaryUser([&] { return ProbeSave(target); });
        EXPECT_EQ(probe, row.probe);
        ExpectOnlyFiles(row.files);
        const auto save = AsOrdinaryUser([&] { return WriteSettingsFile(RandomImage(3), target); });
        EXPECT_EQ(save == SettingsSaveResult::Saved, probe == SettingsSaveResult::Saved);
    }
    fs::permissions(dir_, static_cast<fs::perms>(0755));
}

}  // namespace
}  // namespace tav
