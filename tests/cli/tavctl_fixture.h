// What the tavctl tests share: tavctl run as a child process (its output, its
// exit status, a terminal when asked), the simulated receiver on a pty, and
// files made up in a folder of the test's own. The tests are split by command
// group: tavctl_device_test.cpp, tavctl_files_test.cpp, tavctl_writes_test.cpp,
// tavctl_usage_test.cpp.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "image/memory_image.h"
#include "image/record_backup.h"
#include "image/settings_file.h"
#include "sim/receiver.h"
#include "tests/support/image_pattern.h"
#include "tests/support/temp_folder.h"

namespace tav::tavctl_test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testsupport::PatternImage;

// tavctl speaks the user's language: the tests expect English unless a row
// says otherwise, whatever the language of whoever runs them.
inline const bool kEnglish = [] {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        unsetenv(name);
    }
    return setenv("LANG", "C.UTF-8", 1) == 0;
}();

struct Result {
    int status = -1;
    int signal = 0;  // the signal that ended tavctl, or 0
    std::string out;
    std::string err;
};

// tavctl as a child process, its standard output and error in files (or its
// standard error on a terminal).
class Child {
  public:
    // `inChild` runs in the child just before tavctl starts (limits, user);
    // `outPath` takes standard output instead of a file of the test's own.
    explicit Child(std::vector<std::string> args, bool errOnTerminal = false,
                   const std::function<void()>& inChild = nullptr,
                   const std::string& outPath = "") {
        static int count = 0;
        base_ = fs::temp_directory_path() /
                ("tavctl-run-" + std::to_string(getpid()) + "-" + std::to_string(++count));
        int slave = -1;
        if (errOnTerminal && openpty(&terminal_, &slave, nullptr, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "openpty";
        }
        pid_ = fork();
        if (pid_ == 0) {
            const int out = outPath.empty() ? open((base_.string() + ".out").c_str(),
                                                   O_WRONLY | O_CREAT | O_TRUNC, 0600)
                                            : open(outPath.c_str(), O_WRONLY);
            const int err =
                open((base_.string() + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            dup2(slave >= 0 ? slave : err, STDERR_FILENO);
            // The terminal answers questions too; otherwise there is none to ask on.
            dup2(slave >= 0 ? slave : open("/dev/null", O_RDONLY), STDIN_FILENO);
            if (inChild) {
                inChild();
            }
            std::string path = TAVCTL_PATH;
            std::vector<char*> argv = {path.data()};
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        if (slave >= 0) {
            close(slave);
            fcntl(terminal_, F_SETFL, O_NONBLOCK);
        }
    }

    void Signal(int sig) const { kill(pid_, sig); }
    // Types `text` on the terminal (errOnTerminal).
    void Type(const std::string& text) const {
        EXPECT_EQ(write(terminal_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Waits for the end (kills the child after `timeout`) and collects the output.
    Result Finish(std::chrono::milliseconds timeout = 60s) {
        Result r;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "tavctl did not end in time";
                kill(pid_, SIGKILL);
            }
            ReadTerminal();
            std::this_thread::sleep_for(5ms);
        }
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        ReadTerminal();
        for (auto [suffix, into] : {std::pair{".out", &r.out}, std::pair{".err", &r.err}}) {
            const fs::path file = base_.string() + suffix;
            std::ifstream in(file, std::ios::binary);
            into->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            fs::remove(file);
        }
        if (terminal_ >= 0) {
            r.err = terminalText_;
            close(terminal_);
        }
        return r;
    }

  private:
    void ReadTerminal() {
        char buf[4096];
        ssize_t n = 0;
        while (terminal_ >= 0 && (n = read(terminal_, buf, sizeof buf)) > 0) {
            terminalText_.append(buf, static_cast<std::size_t>(n));
        }
    }

    fs::path base_;
    pid_t pid_ = -1;
    int terminal_ = -1;
    std::string terminalText_;
};

inline Result Tavctl(const std::vector<std::string>& args) {
    return Child(args).Finish();
}

inline std::vector<std::uint8_t> FileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline MemoryImage LoadFile(const fs::path& p) {
    MemoryImage m;
    EXPECT_EQ(ReadSettingsFile(m, p), SettingsLoadResult::Loaded) << p;
    return m;
}

inline bool SameRecords(const MemoryImage& a, const MemoryImage& b, int first, int last) {
    for (int r = first; r <= last; ++r) {
        if (!std::equal(a.RecordAt(r).begin(), a.RecordAt(r).end(), b.RecordAt(r).begin())) {
            return false;
        }
    }
    return true;
}

inline std::uint8_t FrameChecksumOf(const std::uint8_t* record) {
    std::uint8_t sum = 0;
    for (int i = 0; i < 32; ++i) {
        sum = static_cast<std::uint8_t>(sum + record[i]);
    }
    return sum;
}

// pdftotext's text of a PDF file.
inline std::string PdfText(const std::string& pdf) {
    std::string text;
    if (std::FILE* p = popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) {
            text.append(buf, n);
        }
        pclose(p);
    }
    return text;
}

inline std::vector<std::string> DiffLines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(out.substr(start, nl - start));
    }
    return lines;
}

class TavctlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(&error)) << error;
        sim_.SetMemory(PatternImage(1));
    }
    void TearDown() override { sim_.Stop(); }

    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Dev(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim_.DevicePath()});
        return args;
    }
    void Save(const MemoryImage& m, const std::string& name) const {
        ASSERT_EQ(WriteSettingsFile(m, File(name)), SettingsSaveResult::Saved);
    }

    testsupport::TempFolder folder_{"tavctl-test"};
    const fs::path dir_ = folder_.path();
    sim::PtyReceiver sim_;
};

using TavctlFiles = TavctlTest;  // file commands need no receiver, but a folder

inline std::string BackupName(std::time_t t, int n, const char* extension) {
    char buf[32];
    std::tm local{};
    localtime_r(&t, &local);
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return std::string("backup-") + buf + (n == 1 ? "" : "-" + std::to_string(n)) + extension;
}

inline std::string FileText(const fs::path& p) {
    const auto bytes = FileBytes(p);
    return {bytes.begin(), bytes.end()};
}

// The files in a folder, by name.
inline std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs tavctl with files limited to `bytes`.
inline std::function<void()> FileSizeLimit(rlim_t bytes) {
    return [bytes] {
        struct rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
}

// Runs tavctl as "nobody" when the tests run as root.
inline void AsNobody() {
    if (geteuid() == 0) {
        (void)setgid(65534);
        (void)setuid(65534);
    }
}

// Runs in the child: the user's language as `variable`=`value`, the other
// three variables unset.
inline std::function<void()> Language(const char* variable, const char* value) {
    return [=] {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            unsetenv(name);
        }
        setenv(variable, value, 1);
    };
}

}  // namespace tav::tavctl_test
