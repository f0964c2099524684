#include "sim/pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tav::sim {
namespace {

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Raw: no echo, no line editing, no CR/LF mapping, no XON/XOFF, 8 bits.
void MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace

bool PtyDevice::Open(std::string* error) {
    const auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        Close();
        return false;
    };
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        return fail(ErrnoText("openpty"));
    }
    MakeRaw(slave_);
    MakeRaw(master_);
    if (!SetNonBlocking(master_) || !SetNonBlocking(slave_)) {
        return fail(ErrnoText("fcntl"));
    }
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    char name[256];
    if (::ttyname_r(slave_, name, sizeof name) != 0) {
        return fail(ErrnoText("ttyname"));
    }
    path_ = name;
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        return fail(ErrnoText("pipe"));
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    // Without inotify the device still works; only the clean-up after each
    // close (exclusive flag, bytes sent to nobody) is missing.
    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ >= 0 &&
        ::inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        CloseFd(watch_);
    }
    openers_ = 0;
    return true;
}

void PtyDevice::Close() {
    HangUp();
    CloseFd(wakeRead_);
    CloseFd(wakeWrite_);
}

void PtyDevice::HangUp() {
    CloseFd(master_);
    CloseFd(slave_);
    CloseFd(watch_);
}

void PtyDevice::Wake() const {
    if (wakeWrite_ >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &c, 1);
    }
}

PtyDevice::Ready PtyDevice::Poll(const timespec& wait, bool wantWrite) {
    pollfd fds[3] = {
        {wakeRead_, POLLIN, 0},
        {master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
        {watch_, POLLIN, 0},
    };
    const nfds_t count = watch_ >= 0 ? 3 : 2;
    Ready ready;
    if (::ppoll(fds, count, &wait, nullptr) <= 0) {
        return ready;
    }
    if ((fds[0].revents & POLLIN) != 0) {
        char drain[64];
        while (::read(wakeRead_, drain, sizeof drain) > 0) {
        }
    }
    ready.watch = count == 3 && (fds[2].revents & POLLIN) != 0;
    ready.writable = (fds[1].revents & POLLOUT) != 0;
    ready.input = (fds[1].revents & POLLIN) != 0;
    ready.hungUp = (fds[1].revents & (POLLHUP | POLLERR)) != 0;
    ready.any = true;
    return ready;
}

ssize_t PtyDevice::Read(std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(master_, buffer, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n > 0) {
            return n;
        }
        // EIO: nobody has the slave open (only without our own fd).
        return (n == 0 || errno == EIO) ? -1 : 0;
    }
}

ssize_t PtyDevice::Write(const std::uint8_t* buffer, std::size_t size) {
    return ::write(master_, buffer, size);
}

// The tool opens the slave with TIOCEXCL; on a pty the slave outlives the
// tool's close, and so would the exclusive flag, refusing the tool's next
// open (EBUSY for anyone but root). It is cleared once the last other has
// closed the device.
bool PtyDevice::HandleWatch() {
    bool lastClosed = false;
    if (watch_ < 0) {
        return lastClosed;
    }
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(watch_, buffer, sizeof buffer);
        if (n <= 0) {
            return lastClosed;
        }
        for (ssize_t off = 0; off < n;) {
            inotify_event event{};
            std::memcpy(&event, buffer + off, sizeof event);
            off += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            if ((event.mask & IN_OPEN) != 0) {
                ++openers_;
            }
            if ((event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_Q_OVERFLOW)) != 0) {
                openers_ = (event.mask & IN_Q_OVERFLOW) != 0 ? 0 : std::max(0, openers_ - 1);
                if (openers_ == 0 && slave_ >= 0) {
                    ::ioctl(slave_, TIOCNXCL);
                    DrainSlave();
                    lastClosed = true;
                }
            }
            if ((event.mask & IN_IGNORED) != 0) {
                CloseFd(watch_);
                return lastClosed;
            }
        }
    }
}

void PtyDevice::DrainSlave() {
    std::uint8_t buffer[4096];
    while (slave_ >= 0 && ::read(slave_, buffer, sizeof buffer) > 0) {
    }
}

int PtyDevice::PendingForTool() const {
    int pending = 0;
    return slave_ >= 0 && ::ioctl(slave_, FIONREAD, &pending) == 0 ? pending : 0;
}

int PtyDevice::PendingFromTool() const {
    int pending = 0;
    return master_ >= 0 && ::ioctl(master_, FIONREAD, &pending) == 0 ? pending : 0;
}

}  // namespace tav::sim
