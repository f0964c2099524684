// tav1000r-sim as a person runs it: start it, open the printed path, type "?".
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/settings_file.h"
#include "tests/sim/raw_client.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace tav::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using tav::sim::testing::RawClient;

// The program running, its first line of output read.
class Program {
  public:
    explicit Program(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        args.insert(args.begin(), TAV_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, TAV_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = ::fdopen(out[0], "r");
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ != nullptr) {
            std::fclose(out_);
        }
    }

    std::string FirstLine() {
        char line[512] = {};
        if (out_ == nullptr || std::fgets(line, sizeof line, out_) == nullptr) {
            return {};
        }
        std::string s(line);
        if (!s.empty() && s.back() == '\n') {
            s.pop_back();
        }
        return s;
    }

    // Sends `sig` and returns the exit status (-1 when it did not exit).
    int Stop(int sig) {
        ::kill(pid_, sig);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

TEST(SimProgram, PrintsThePathThatAnswersTheVersionQuery) {
    const testsupport::TempFolder folder("tav_sim_prog");
    const auto link = folder.path() / "link";
    Program program({"--link", link.string()});
    const std::string path = program.FirstLine();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);
    RawClient client;
    ASSERT_TRUE(client.Open(link.string()));
    ASSERT_TRUE(client.Write("?"));
    EXPECT_EQ(client.Read(6, 1s), (Bytes{0x76, 0x07, 0x01, 0x00, 0x01, 0x26}));
    client.Close();
    EXPECT_EQ(program.Stop(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimProgram, BootLoaderWithItsVersionAndAFault) {
    Program program(
        {"--boot-loader", "--boot-version", "76 77 01 00 01 10", "--fault", "wrong-echo-block:0"});
    RawClient client;
    ASSERT_TRUE(client.Open(program.FirstLine()));
    ASSERT_TRUE(client.Write("?"));
    EXPECT_EQ(client.Read(6, 1s), (Bytes{0x76, 0x77, 0x01, 0x00, 0x01, 0x10}));
    ASSERT_TRUE(client.Write("F"));
    ASSERT_TRUE(client.Write(Bytes(128, 0xFF)));
    ASSERT_TRUE(client.Write(Bytes{0x80}));
    EXPECT_EQ(client.Read(1, 1s), Bytes{0x7F});
    EXPECT_EQ(program.Stop(SIGINT), 0);
}

TEST(SimProgram, MemoryFromASettingsFileAndHistoryLines) {
    const testsupport::TempFolder folder("tav_sim_prog");
    const auto file = folder.path() / "mem.tv2";
    MemoryImage image;
    for (int i = 0; i < 32; ++i) {
        image.at(5 * 32 + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(i + 1);
    }
    ASSERT_EQ(WriteSettingsFile(image, file), SettingsSaveResult::Saved);
    Program program({"--image", file.string(), "--history-line", "linia 1", "--paced"});
    RawClient client;
    ASSERT_TRUE(client.Open(program.FirstLine()));
    ASSERT_TRUE(client.Write(Bytes{'p', 0x00, 0x05}));
    const Bytes got = client.Read(33, 1s);
    ASSERT_EQ(got.size(), 33u);
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ(got[31], 32);
    EXPECT_EQ(got[32], static_cast<std::uint8_t>(528 & 0xFF));  // 1 + 2 + ... + 32
    ASSERT_TRUE(client.Write("hi"));
    const std::string expected = "TAV-1000 v1.26\r\nlinia 1\r\n";
    EXPECT_EQ(client.Read(expected.size(), 1s), Bytes(expected.begin(), expected.end()));
    EXPECT_EQ(program.Stop(SIGTERM), 0);
}

TEST(SimProgram, WrongOptionsExitWithTwo) {
    for (const char* bad : {"--fault", "--version", "--nonsense"}) {
        Program program({bad, "x"});
        EXPECT_EQ(program.FirstLine(), "");
        EXPECT_EQ(program.Stop(0), 2) << bad;
    }
}

}  // namespace
}  // namespace tav::sim
