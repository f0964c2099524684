// The tool's end of the pty in tests: plain POSIX calls, raw mode.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::sim::testing {

class RawClient {
  public:
    RawClient() = default;
    ~RawClient() { Close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    // Opens like the tool's POSIX backend: O_NONBLOCK, flock, TIOCEXCL
    // (when `exclusive`), raw 9600 8N1, input flushed.
    bool Open(const std::string& path, bool exclusive = true) {
        Close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            error_ = errno;
            return false;
        }
        if (exclusive && (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd_, TIOCEXCL) != 0)) {
            error_ = errno;
            Close();
            return false;
        }
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(fd_, TCSANOW, &tio);
        ::tcflush(fd_, TCIFLUSH);
        return true;
    }

    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int error() const { return error_; }

    bool Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, 10);
                continue;
            }
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Write(std::string_view text) {
        return Write(std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    // Reads until `count` bytes arrived or nothing came for `idle`.
    // `hangUp` (optional) is set when the other end has gone.
    std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds idle,
                                   bool* hangUp = nullptr) {
        std::vector<std::uint8_t> out;
        while (out.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, static_cast<int>(idle.count()));
            if (r <= 0) {
                break;
            }
            std::uint8_t buffer[4096];
            const std::size_t want = std::min(sizeof buffer, count - out.size());
            const ssize_t n = ::read(fd_, buffer, want);
            if (n > 0) {
                out.insert(out.end(), buffer, buffer + n);
                continue;
            }
            if (n < 0 && errno == EAGAIN) {
                continue;
            }
            if (hangUp != nullptr) {
                *hangUp = true;
            }
            break;
        }
        return out;
    }

  private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace tav::sim::testing
