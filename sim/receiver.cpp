// The pty runner of the simulated receiver (POSIX).
#include "sim/receiver.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace tav::sim {
namespace {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

// Output bytes the receiver keeps queued at most for demo lines when nobody
// takes them.
constexpr std::size_t kDemoQueueLimit = 4096;

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

int FromBcd(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}
std::uint8_t ToBcd(int v) {
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

std::array<std::uint8_t, 6> FromTm(const std::tm& tm) {
    return {ToBcd(tm.tm_sec),  ToBcd(tm.tm_min),     ToBcd(tm.tm_hour),
            ToBcd(tm.tm_mday), ToBcd(tm.tm_mon + 1), ToBcd(tm.tm_year % 100)};
}

// The clock set at some moment, `seconds` later.
std::array<std::uint8_t, 6> AdvanceClock(const std::array<std::uint8_t, 6>& bcd,
                                         long long seconds) {
    std::tm tm{};
    tm.tm_sec = FromBcd(bcd[0]);
    tm.tm_min = FromBcd(bcd[1]);
    tm.tm_hour = FromBcd(bcd[2]);
    tm.tm_mday = FromBcd(bcd[3]);
    tm.tm_mon = FromBcd(bcd[4]) - 1;
    tm.tm_year = 100 + FromBcd(bcd[5]);
    const std::time_t t = ::timegm(&tm) + static_cast<std::time_t>(seconds);
    std::tm out{};
    ::gmtime_r(&t, &out);
    return FromTm(out);
}

std::array<std::uint8_t, 6> LocalClockBytes() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return FromTm(tm);
}

}  // namespace

struct PtyReceiver::Impl {
    explicit Impl(ReceiverOptions options) : engine(options), logLimit(options.logLimit) {}

    struct Pending {
        std::uint8_t byte;
        TimePoint at;  // input: when the byte is taken; output: when it is due
    };

    mutable std::mutex mu;
    mutable std::condition_variable changed;
    ReceiverEngine engine;

    int master = -1;
    int slave = -1;  // the receiver's own fd of the slave; keeps it usable between opens
    int watchFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::string devicePath;
    std::string linkPath;
    std::thread thread;
    bool running = false;
    bool stopRequested = false;
    bool hungUp = false;

    std::deque<Pending> input;
    std::deque<Pending> output;
    TimePoint lastInputTaken{};
    TimePoint lastOutputDue{};
    TimePoint lastActivity{};
    TimePoint lastByteIn{};  // when the tool's latest byte was read
    bool outputBlocked = false;

    std::vector<TrafficEntry> traffic;
    std::vector<std::uint8_t> received;
    std::vector<std::uint8_t> sent;
    std::size_t logLimit = 0;

    // Drops the older half of a log that has reached the limit.
    template <typename Log>
    void Trim(Log& log) {
        if (logLimit > 0 && log.size() >= logLimit) {
            log.erase(log.begin(),
                      log.begin() + static_cast<std::ptrdiff_t>(log.size() - logLimit / 2));
        }
    }
    void TrimLogs() {
        Trim(traffic);
        Trim(received);
        Trim(sent);
    }
    std::optional<long long> hangUpLeft;  // bytes still to send before the hang-up
    std::optional<TimePoint> hangUpFrom;  // when the last of them was out

    bool demo = false;
    std::chrono::milliseconds demoEvery{3000};
    TimePoint nextDemo{};
    int demoCounter = 0;

    // Opens of the slave by others, as inotify reports them.
    int openers = 0;
    ReceiverClock lastClock;
    TimePoint clockSetAt{};

    void Wake() const {
        if (wakeWrite >= 0) {
            const char c = 1;
            [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &c, 1);
        }
    }

    void Enqueue(const std::vector<std::uint8_t>& bytes, TimePoint ready) {
        const bool paced = engine.GetPacing().paced;
        for (std::uint8_t b : bytes) {
            // Paced: a byte is delivered one byte time after the line became
            // free for it; the times chain from the first, so lateness of the
            // thread never accumulates.
            TimePoint due = std::max(ready, lastOutputDue);
            if (paced) {
                due += std::chrono::duration_cast<SteadyClock::duration>(kByteTime);
            }
            lastOutputDue = due;
            output.push_back({b, due});
        }
    }

    void Process(std::uint8_t byte, TimePoint taken) {
        std::optional<Reply> reply = engine.Receive(byte);
        if (engine.Clock() != lastClock) {
            lastClock = engine.Clock();
            clockSetAt = taken;
        }
        if (reply) {
            Enqueue(reply->bytes, taken + reply->delay);
        }
    }

    void TakeInput(TimePoint now) {
        const bool paced = engine.GetPacing().paced;
        while (!input.empty() && (!paced || input.front().at <= now)) {
            const Pending p = input.front();
            input.pop_front();
            Process(p.byte, paced ? p.at : now);
        }
    }

    void ReadMaster(TimePoint now, bool* hangUpSeen) {
        std::uint8_t buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                // EIO: nobody has the slave open (only without our own fd).
                if (n == 0 || errno == EIO) {
                    *hangUpSeen = true;
                }
                return;
            }
            const bool paced = engine.GetPacing().paced;
            for (ssize_t i = 0; i < n; ++i) {
                const std::uint8_t b = buffer[i];
                traffic.push_back({now, true, b});
                received.push_back(b);
                lastByteIn = now;
                if (paced) {
                    // Taken when its last bit would have arrived on the line.
                    lastInputTaken = std::max(now, lastInputTaken) +
                                     std::chrono::duration_cast<SteadyClock::duration>(kByteTime);
                    input.push_back({b, lastInputTaken});
                } else {
                    input.push_back({b, now});
                }
            }
            TrimLogs();
            lastActivity = now;
            TakeInput(now);
        }
    }

    void WriteDue(TimePoint now) {
        if (master < 0 || outputBlocked) {
            return;
        }
        std::uint8_t buffer[4096];
        std::size_t k = 0;
        std::size_t limit = sizeof buffer;
        if (hangUpLeft) {
            limit =
                std::min<std::size_t>(limit, static_cast<std::size_t>(std::max(0LL, *hangUpLeft)));
        }
        while (k < limit && k < output.size() && output[k].at <= now) {
            buffer[k] = output[k].byte;
            ++k;
        }
        if (k == 0) {
            return;
        }
        const ssize_t n = ::write(master, buffer, k);
        if (n <= 0) {
            outputBlocked = true;  // the pty takes no more for now: wait for POLLOUT
            return;
        }
        const TimePoint written = SteadyClock::now();
        for (ssize_t i = 0; i < n; ++i) {
            traffic.push_back({written, false, buffer[i]});
            sent.push_back(buffer[i]);
            output.pop_front();
        }
        TrimLogs();
        lastActivity = written;
        if (static_cast<std::size_t>(n) < k) {
            outputBlocked = true;
        }
        if (hangUpLeft) {
            *hangUpLeft -= n;
        }
    }

    std::array<std::uint8_t, 6> CurrentClock(TimePoint now) const {
        if (!lastClock.set) {
            return LocalClockBytes();
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - clockSetAt);
        return AdvanceClock(lastClock.bytes, elapsed.count());
    }

    void DemoTick(TimePoint now) {
        // A demo line waits until a frame or transfer in progress has ended,
        // so that trying the device buttons in the demo never trips over it.
        if (!demo || now < nextDemo || engine.InFrame()) {
            return;
        }
        const std::string line = ReceiverEngine::DemoEventLine(demoCounter++, CurrentClock(now));
        engine.AppendHistory(line);
        if (output.size() < kDemoQueueLimit) {
            Enqueue(ReceiverEngine::EventLineBytes(line), now);
        }
        nextDemo += demoEvery;
        if (nextDemo <= now) {
            nextDemo = now + demoEvery;
        }
    }

    void FrameTimeout(TimePoint now) {
        const auto timeout = engine.Options().frameTimeout;
        if (engine.InFrame() && timeout.count() > 0 && input.empty() && output.empty() &&
            now - lastActivity >= timeout) {
            engine.AbortFrame();
        }
    }

    // Bytes the receiver sent while nobody had the slave open are lost, as on
    // a line with nobody listening.
    void DrainSlave() {
        std::uint8_t buffer[4096];
        while (slave >= 0 && ::read(slave, buffer, sizeof buffer) > 0) {
        }
        if (outputBlocked) {
            outputBlocked = false;
        }
    }

    // Counts the others' opens and closes of the slave. The tool opens it
    // with TIOCEXCL; on a pty the slave outlives the tool's close, and so
    // would the exclusive flag, refusing the tool's next open (EBUSY for
    // anyone but root). The receiver clears it once the last other has
    // closed the device.
    void HandleWatch() {
        if (watchFd < 0) {
            return;
        }
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(watchFd, buffer, sizeof buffer);
            if (n <= 0) {
                return;
            }
            for (ssize_t off = 0; off < n;) {
                inotify_event event{};
                std::memcpy(&event, buffer + off, sizeof event);
                off += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
                if ((event.mask & IN_OPEN) != 0) {
                    ++openers;
                }
                if ((event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_Q_OVERFLOW)) != 0) {
                    openers = (event.mask & IN_Q_OVERFLOW) != 0 ? 0 : std::max(0, openers - 1);
                    if (openers == 0 && slave >= 0) {
                        ::ioctl(slave, TIOCNXCL);
                        DrainSlave();
                    }
                }
                if ((event.mask & IN_IGNORED) != 0) {
                    CloseFd(watchFd);
                    return;
                }
            }
        }
    }

    void CloseAll() {
        CloseFd(master);
        CloseFd(slave);
        CloseFd(watchFd);
        CloseFd(wakeRead);
        CloseFd(wakeWrite);
    }

    void HangUp() {
        CloseFd(master);
        CloseFd(slave);
        CloseFd(watchFd);
        hungUp = true;
        hangUpLeft.reset();
        hangUpFrom.reset();
        output.clear();
        input.clear();
    }

    // The hang-up comes once the last byte before it is out and has been
    // taken by the tool: closing the master at once would make the kernel
    // throw away the bytes still queued for the slave. A short grace first
    // (the pty hands bytes over asynchronously), then until the slave's
    // queue is empty, at most half a second.
    bool HangUpDue(TimePoint now) {
        if (!hangUpLeft || *hangUpLeft > 0) {
            return false;
        }
        if (!hangUpFrom) {
            hangUpFrom = now;
        }
        const auto waited = now - *hangUpFrom;
        if (waited < std::chrono::milliseconds(20)) {
            return false;
        }
        int pending = 0;
        if (slave >= 0 && ::ioctl(slave, FIONREAD, &pending) == 0 && pending > 0 &&
            waited < std::chrono::milliseconds(500)) {
            return false;
        }
        return true;
    }

    bool IdleNow() const {
        if (!input.empty() || !output.empty()) {
            return false;
        }
        int pending = 0;
        return master < 0 || ::ioctl(master, FIONREAD, &pending) != 0 || pending == 0;
    }

    void Run() {
        // Wake-ups within microseconds of the deadline: the paced byte times
        // are about 1 ms apart.
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
        std::unique_lock lock(mu);
        while (!stopRequested) {
            TimePoint now = SteadyClock::now();
            if (HangUpDue(now)) {
                HangUp();
                break;
            }
            TakeInput(now);
            DemoTick(now);
            FrameTimeout(now);
            WriteDue(now);
            // Opens are counted before the drain: a byte the receiver sent
            // is dropped only when nobody had the device open.
            HandleWatch();
            if (watchFd >= 0 && openers == 0) {
                DrainSlave();
            }
            changed.notify_all();
            if (HangUpDue(now)) {
                HangUp();
                break;
            }

            std::optional<TimePoint> deadline;
            const auto consider = [&](TimePoint t) {
                if (!deadline || t < *deadline) {
                    deadline = t;
                }
            };
            if (hangUpFrom) {
                consider(now + std::chrono::milliseconds(1));
            }
            if (!input.empty()) {
                consider(input.front().at);
            }
            if (!output.empty() && !outputBlocked) {
                consider(output.front().at);
            }
            if (demo) {
                consider(nextDemo);
            }
            const auto frameTimeout = engine.Options().frameTimeout;
            if (engine.InFrame() && frameTimeout.count() > 0 && input.empty() && output.empty()) {
                consider(lastActivity + frameTimeout);
            }
            // Never sleep long without a look: a cap instead of an infinite wait.
            consider(now + std::chrono::milliseconds(500));
            const auto wait = std::max(SteadyClock::duration::zero(), *deadline - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timespec ts{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};

            pollfd fds[3] = {
                {wakeRead, POLLIN, 0},
                {master, static_cast<short>(POLLIN | (outputBlocked ? POLLOUT : 0)), 0},
                {watchFd, POLLIN, 0},
            };
            const nfds_t count = watchFd >= 0 ? 3 : 2;
            lock.unlock();
            const int ready = ::ppoll(fds, count, &ts, nullptr);
            lock.lock();
            if (ready <= 0) {
                continue;
            }
            now = SteadyClock::now();
            if ((fds[0].revents & POLLIN) != 0) {
                char drain[64];
                while (::read(wakeRead, drain, sizeof drain) > 0) {
                }
            }
            if (count == 3 && (fds[2].revents & POLLIN) != 0) {
                HandleWatch();
            }
            if ((fds[1].revents & POLLOUT) != 0) {
                outputBlocked = false;
            }
            bool hangUpSeen = false;
            if ((fds[1].revents & POLLIN) != 0) {
                ReadMaster(now, &hangUpSeen);
            }
            if ((fds[1].revents & (POLLHUP | POLLERR)) != 0 || hangUpSeen) {
                // Nobody has the slave open (cannot happen while our own fd
                // is open, but never spin on it): look again shortly.
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                lock.lock();
            }
        }
        changed.notify_all();
    }
};

PtyReceiver::PtyReceiver(ReceiverOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

PtyReceiver::~PtyReceiver() {
    Stop();
    RemoveSymlink();
}

bool PtyReceiver::Start(std::string* error) {
    const auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        impl_->CloseAll();
        return false;
    };
    if (IsRunning()) {
        return true;
    }
    Stop();  // a thread that ended by hanging up
    std::lock_guard lock(impl_->mu);
    Impl& d = *impl_;
    if (::openpty(&d.master, &d.slave, nullptr, nullptr, nullptr) != 0) {
        return fail(ErrnoText("openpty"));
    }
    MakeRaw(d.slave);
    MakeRaw(d.master);
    if (!SetNonBlocking(d.master) || !SetNonBlocking(d.slave)) {
        return fail(ErrnoText("fcntl"));
    }
    ::fcntl(d.master, F_SETFD, FD_CLOEXEC);
    ::fcntl(d.slave, F_SETFD, FD_CLOEXEC);
    char name[256];
    if (::ttyname_r(d.slave, name, sizeof name) != 0) {
        return fail(ErrnoText("ttyname"));
    }
    d.devicePath = name;
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        return fail(ErrnoText("pipe"));
    }
    d.wakeRead = wake[0];
    d.wakeWrite = wake[1];
    // Without inotify the device still works; only the clean-up after each
    // close (exclusive flag, bytes sent to nobody) is missing.
    d.watchFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (d.watchFd >= 0 &&
        ::inotify_add_watch(d.watchFd, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        CloseFd(d.watchFd);
    }
    d.openers = 0;
    d.input.clear();
    d.output.clear();
    d.traffic.clear();
    d.received.clear();
    d.sent.clear();
    d.outputBlocked = false;
    d.stopRequested = false;
    d.hungUp = false;
    const TimePoint now = SteadyClock::now();
    d.lastActivity = now;
    d.lastInputTaken = now;
    d.lastOutputDue = now;
    d.nextDemo = now + d.demoEvery;
    if (!d.linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(d.linkPath, ec);
        std::filesystem::create_symlink(d.devicePath, d.linkPath, ec);
    }
    d.running = true;
    d.thread = std::thread([&d] { d.Run(); });
    return true;
}

void PtyReceiver::Stop() {
    {
        std::lock_guard lock(impl_->mu);
        if (!impl_->thread.joinable()) {
            return;
        }
        impl_->stopRequested = true;
        impl_->Wake();
    }
    impl_->thread.join();
    std::lock_guard lock(impl_->mu);
    impl_->CloseAll();
    impl_->running = false;
    impl_->changed.notify_all();
}

bool PtyReceiver::IsRunning() const {
    std::lock_guard lock(impl_->mu);
    return impl_->running && !impl_->hungUp;
}

bool PtyReceiver::HungUp() const {
    std::lock_guard lock(impl_->mu);
    return impl_->hungUp;
}

std::string PtyReceiver::DevicePath() const {
    std::lock_guard lock(impl_->mu);
    return impl_->devicePath;
}

bool PtyReceiver::MakeSymlink(const std::string& linkPath, std::string* error) {
    std::lock_guard lock(impl_->mu);
    const auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = linkPath + ": " + why;
        }
        return false;
    };
    if (impl_->devicePath.empty()) {
        return fail("the receiver has no device yet (Start first)");
    }
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(linkPath, ec);
    if (std::filesystem::exists(status)) {
        if (!std::filesystem::is_symlink(status)) {
            return fail("exists and is not a symbolic link");
        }
        std::filesystem::remove(linkPath, ec);
    }
    std::filesystem::create_symlink(impl_->devicePath, linkPath, ec);
    if (ec) {
        return fail(ec.message());
    }
    impl_->linkPath = linkPath;
    return true;
}

void PtyReceiver::RemoveSymlink() {
    std::lock_guard lock(impl_->mu);
    if (impl_->linkPath.empty()) {
        return;
    }
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(impl_->linkPath, ec))) {
        std::filesystem::remove(impl_->linkPath, ec);
    }
    impl_->linkPath.clear();
}

MemoryImage PtyReceiver::Memory() const {
    std::lock_guard lock(impl_->mu);
    return impl_->engine.Memory();
}

std::vector<std::uint8_t> PtyReceiver::RecordBytes(int record) const {
    std::lock_guard lock(impl_->mu);
    const ConstRecord r = impl_->engine.Memory().RecordAt(std::clamp(record, 0, kRecordCount - 1));
    return std::vector<std::uint8_t>(r.begin(), r.end());
}

void PtyReceiver::SetMemory(const MemoryImage& memory) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetMemory(memory);
}

ReceiverMode PtyReceiver::Mode() const {
    std::lock_guard lock(impl_->mu);
    return impl_->engine.Mode();
}

void PtyReceiver::SetMode(ReceiverMode mode) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetMode(mode);
}

VersionBytes PtyReceiver::Version() const {
    std::lock_guard lock(impl_->mu);
    return impl_->engine.Version();
}

void PtyReceiver::SetVersion(const VersionBytes& version) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetVersion(version);
}

void PtyReceiver::SetApplicationVersion(const VersionBytes& version) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetApplicationVersion(version);
}

void PtyReceiver::SetBootLoaderVersion(const VersionBytes& version) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetBootLoaderVersion(version);
}

void PtyReceiver::SetPacing(const Pacing& pacing) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetPacing(pacing);
    impl_->Wake();
}

void PtyReceiver::SetFrameTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetFrameTimeout(timeout);
    impl_->Wake();
}

ReceiverClock PtyReceiver::Clock() const {
    std::lock_guard lock(impl_->mu);
    return impl_->engine.Clock();
}

std::vector<std::uint8_t> PtyReceiver::FirmwareReceived() const {
    std::lock_guard lock(impl_->mu);
    return impl_->engine.FirmwareReceived();
}

void PtyReceiver::InjectFault(const Fault& fault) {
    std::lock_guard lock(impl_->mu);
    if (fault.kind == FaultKind::HangUpAfterBytes) {
        impl_->hangUpLeft = std::max(0, fault.at);
        impl_->hangUpFrom.reset();
    }
    impl_->engine.InjectFault(fault);
    impl_->Wake();
}

void PtyReceiver::ClearFaults() {
    std::lock_guard lock(impl_->mu);
    impl_->engine.ClearFaults();
    impl_->hangUpLeft.reset();
    impl_->hangUpFrom.reset();
}

void PtyReceiver::SendEventLine(const std::string& line, bool alsoStore) {
    std::lock_guard lock(impl_->mu);
    if (alsoStore) {
        impl_->engine.AppendHistory(line);
    }
    impl_->Enqueue(ReceiverEngine::EventLineBytes(line), SteadyClock::now());
    impl_->Wake();
}

void PtyReceiver::SetHistory(std::vector<std::string> lines) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetHistory(std::move(lines));
}

std::vector<std::string> PtyReceiver::History() const {
    std::lock_guard lock(impl_->mu);
    return impl_->engine.History();
}

void PtyReceiver::SetDemoEvents(bool on, std::chrono::milliseconds every) {
    std::lock_guard lock(impl_->mu);
    impl_->demo = on;
    impl_->demoEvery = std::max(every, std::chrono::milliseconds(1));
    impl_->nextDemo = SteadyClock::now() + impl_->demoEvery;
    impl_->Wake();
}

std::vector<TrafficEntry> PtyReceiver::Traffic() const {
    std::lock_guard lock(impl_->mu);
    return impl_->traffic;
}

void PtyReceiver::ClearTraffic() {
    std::lock_guard lock(impl_->mu);
    impl_->traffic.clear();
    impl_->received.clear();
    impl_->sent.clear();
}

std::vector<TrafficEntry> PtyReceiver::TakeTraffic() {
    std::lock_guard lock(impl_->mu);
    std::vector<TrafficEntry> taken;
    taken.swap(impl_->traffic);
    impl_->received.clear();
    impl_->sent.clear();
    return taken;
}

std::vector<std::uint8_t> PtyReceiver::ReceivedBytes() const {
    std::lock_guard lock(impl_->mu);
    return impl_->received;
}

std::vector<std::uint8_t> PtyReceiver::SentBytes() const {
    std::lock_guard lock(impl_->mu);
    return impl_->sent;
}

bool PtyReceiver::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->received.size() >= count; });
}

bool PtyReceiver::WaitForSent(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->sent.size() >= count; });
}

bool PtyReceiver::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->IdleNow(); });
}

bool PtyReceiver::WaitUntilSettled(std::chrono::milliseconds quiet,
                                   std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    const TimePoint start = SteadyClock::now();
    const TimePoint deadline = start + timeout;
    for (;;) {
        const TimePoint now = SteadyClock::now();
        const bool idle = impl_->IdleNow();
        const TimePoint quietFrom = std::max(start, impl_->lastByteIn) + quiet;
        if (idle && now >= quietFrom) {
            return true;
        }
        if (now >= deadline) {
            return false;
        }
        // Idle but not yet quiet long enough: look again when it would be.
        impl_->changed.wait_until(lock, idle ? std::min(deadline, quietFrom) : deadline);
    }
}

}  // namespace tav::sim
