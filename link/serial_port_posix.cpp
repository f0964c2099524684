// The POSIX termios backend.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/serial_port.h"

namespace tav {
namespace {

class PosixSerialPort final : public SerialPort {
  public:
    ~PosixSerialPort() override { Close(); }

    bool Open(const std::string& devicePath, PortOpenError* error) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }

    bool SetRts(bool on) override;
    bool Write(std::span<const std::uint8_t> bytes) override;
    bool WaitTransmitted() override;
    void Flush() override;
    int BytesQueued() override;
    int ReadQueued(std::span<std::uint8_t> buffer) override;
    bool WaitReadable(int ms) override;
    bool HungUp() override;

  private:
    int fd_ = -1;
};

PortErrorKind KindOfErrno(int code) {
    switch (code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:  // a UART without hardware behind it
        case ENOTDIR:
            return PortErrorKind::kMissing;
        case EBUSY:  // TIOCEXCL held by another program
        case EWOULDBLOCK:
            return PortErrorKind::kBusy;
        case EACCES:
        case EPERM:
            return PortErrorKind::kNoPermission;
        default:
            return PortErrorKind::kOther;
    }
}

bool Fail(int fd, PortOpenError* error) {
    const int code = errno;
    if (fd >= 0) {
        (void)::ioctl(fd, TIOCNXCL);  // a pty would keep the exclusive mode
        ::close(fd);
    }
    if (error != nullptr) {
        error->kind = KindOfErrno(code);
        error->reason = std::strerror(code);
    }
    return false;
}

bool PosixSerialPort::Open(const std::string& devicePath, PortOpenError* error) {
    Close();
    // O_NONBLOCK only for the open itself, so it does not wait for a carrier.
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Fail(fd, error);
    }
    // TIOCEXCL makes a second open() fail with EBUSY, except for root, who
    // ignores it; the advisory lock also stops root and cooperating programs.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            errno = EBUSY;
        }
        return Fail(fd, error);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        return Fail(fd, error);
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return Fail(fd, error);
    }
    // Raw bytes: no CR/LF translation, no XON/XOFF, no stripping, no parity
    // marking; NUL, 0x11 and 0x13 arrive as data.
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNBRK | BRKINT |
                                          PARMRK | IGNPAR | ICRNL | INLCR | IGNCR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    // CLOCAL: the modem-status lines are ignored.
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return Fail(fd, error);
    }
    // Writes block until the driver has taken the bytes; reads still return at
    // once (VMIN = VTIME = 0).
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Fail(fd, error);
    }
    // The kernel raises DTR and RTS on open. A pty has no modem lines, so
    // these may fail; that is tolerated.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIS, &dtr);
    (void)::ioctl(fd, TIOCMBIC, &rts);
    // Whatever arrived before the open belongs to nobody.
    ::tcflush(fd, TCIFLUSH);
    fd_ = fd;
    return true;
}

void PosixSerialPort::Close() {
    if (fd_ >= 0) {
        // A pty keeps TIOCEXCL after the last close, so the next open by an
        // ordinary user would fail with EBUSY: give the exclusive mode up first.
        (void)::ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // also releases the lock
        fd_ = -1;
    }
}

bool PosixSerialPort::SetRts(bool on) {
    int bits = TIOCM_RTS;
    return fd_ >= 0 && ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

bool PosixSerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool PosixSerialPort::WaitTransmitted() {
    if (fd_ < 0) {
        return false;
    }
    int rc;
    do {
        rc = ::tcdrain(fd_);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void PosixSerialPort::Flush() {
    // Flushing the output means pushing it to the wire, never discarding it
    // (tcflush(TCOFLUSH) would throw queued bytes away).
    (void)WaitTransmitted();
}

int PosixSerialPort::BytesQueued() {
    int queued = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &queued) != 0) {
        return 0;
    }
    return queued;
}

int PosixSerialPort::ReadQueued(std::span<std::uint8_t> buffer) {
    const int queued = BytesQueued();
    if (queued <= 0 || buffer.empty()) {
        return 0;
    }
    const std::size_t want = std::min(buffer.size(), static_cast<std::size_t>(queued));
    ssize_t n;
    do {
        n = ::read(fd_, buffer.data(), want);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<int>(n) : 0;
}

bool PosixSerialPort::WaitReadable(int ms) {
    if (fd_ < 0) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd_, POLLIN, 0};
        const int rc = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (rc > 0) {
            return true;  // data, or a hang-up or error the next read will show
        }
        if (rc == 0 || errno != EINTR) {
            return false;
        }
    }
}

bool PosixSerialPort::HungUp() {
    if (fd_ < 0) {
        return false;
    }
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

std::unique_ptr<SerialPort> MakePlatformSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

}  // namespace tav
