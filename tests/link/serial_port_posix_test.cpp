// The POSIX backend's failed opens, each with its portable kind.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "link/serial_port.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_folder.h"

namespace tav::linktest {
namespace {

// A pseudo-terminal to open as a serial device, closed with the test.
class Pty {
  public:
    Pty() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = name;
        }
    }
    ~Pty() {
        for (const int fd : {master_, slave_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const std::string& path() const { return path_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

TEST(PosixSerialPort, FailedOpensSayWhichKind) {
    const testsupport::TempFolder temporary("tav-port");
    const std::filesystem::path& folder = temporary.path();
    const std::string plainFile = (folder / "plain").string();
    std::ofstream(plainFile) << "not a terminal";
    Pty pty;
    ASSERT_FALSE(pty.path().empty());
    // Held by another program (this test's own first open).
    const std::unique_ptr<SerialPort> holder = MakePlatformSerialPort();

    struct Row {
        const char* name;
        std::function<bool(SerialPort&, PortOpenError&)> open;
        PortErrorKind kind;
        const char* reason;
    };
    const Row rows[] = {
        {"missing path",
         [&](SerialPort& p, PortOpenError& e) { return p.Open((folder / "none").string(), &e); },
         PortErrorKind::kMissing, "No such file or directory"},
        {"held by another program",
         [&](SerialPort& p, PortOpenError& e) {
             EXPECT_TRUE(holder->Open(pty.path(), nullptr));
             const bool opened = p.Open(pty.path(), &e);
             holder->Close();
             return opened;
         },
         PortErrorKind::kBusy, "Device or resource busy"},
        {"no permission",
         [&](SerialPort& p, PortOpenError& e) {
             EXPECT_EQ(::chmod(plainFile.c_str(), 0000), 0);
             return testsupport::AsOrdinaryUser([&] { return p.Open(plainFile, &e); });
         },
         PortErrorKind::kNoPermission, "Permission denied"},
        {"no terminal",
         [&](SerialPort& p, PortOpenError& e) {
             EXPECT_EQ(::chmod(plainFile.c_str(), 0644), 0);
             return p.Open(plainFile, &e);
         },
         PortErrorKind::kOther, "Inappropriate ioctl for device"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<SerialPort> port = MakePlatformSerialPort();
        PortOpenError error;
        EXPECT_FALSE(row.open(*port, error));
        EXPECT_FALSE(port->IsOpen());
        EXPECT_EQ(error.kind, row.kind);
        EXPECT_EQ(error.reason, row.reason);
    }
}

}  // namespace
}  // namespace tav::linktest
