// The serving thread of the simulated receiver on a pty (POSIX): the line's
// schedule, the device and the engine brought together.
#include <sys/prctl.h>

#include <algorithm>
#include <filesystem>

#include "sim/receiver_impl.h"

namespace tav::sim {
namespace {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

// Output bytes the receiver keeps queued at most for demo lines when nobody
// takes them.
constexpr std::size_t kDemoQueueLimit = 4096;

}  // namespace

void PtyReceiver::Impl::TakeInput(TimePoint now) {
    while (const std::optional<LineSchedule::Pending> p = line.Take(now, Paced())) {
        std::optional<Reply> reply = engine.Receive(p->byte);
        clock.Follow(engine.Clock(), p->at);
        if (reply) {
            Enqueue(reply->bytes, p->at + reply->delay);
        }
    }
}

void PtyReceiver::Impl::ReadMaster(TimePoint now, bool* hangUpSeen) {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = pty.Read(buffer, sizeof buffer);
        if (n <= 0) {
            *hangUpSeen = n < 0;
            return;
        }
        const bool paced = Paced();
        for (ssize_t i = 0; i < n; ++i) {
            log.Add({now, true, buffer[i]});
            line.Arrive(buffer[i], now, paced);
        }
        lastByteIn = now;
        log.Trim();
        lastActivity = now;
        TakeInput(now);
    }
}

void PtyReceiver::Impl::WriteDue(TimePoint now) {
    if (!pty.HasLine() || outputBlocked) {
        return;
    }
    std::uint8_t buffer[4096];
    std::size_t limit = sizeof buffer;
    if (hangUpLeft) {
        limit = std::min<std::size_t>(limit, static_cast<std::size_t>(std::max(0LL, *hangUpLeft)));
    }
    const std::size_t k = line.Due(now, limit);
    if (k == 0) {
        return;
    }
    for (std::size_t i = 0; i < k; ++i) {
        buffer[i] = line.OutputByte(i);
    }
    const ssize_t n = pty.Write(buffer, k);
    if (n <= 0) {
        outputBlocked = true;  // the pty takes no more for now: wait for POLLOUT
        return;
    }
    const TimePoint written = SteadyClock::now();
    for (ssize_t i = 0; i < n; ++i) {
        log.Add({written, false, buffer[i]});
    }
    line.Sent(static_cast<std::size_t>(n));
    log.Trim();
    lastActivity = written;
    if (static_cast<std::size_t>(n) < k) {
        outputBlocked = true;
    }
    if (hangUpLeft) {
        *hangUpLeft -= n;
    }
}

void PtyReceiver::Impl::DemoTick(TimePoint now) {
    // A demo line waits until a frame or transfer in progress has ended,
    // so that trying the device buttons in the demo never trips over it.
    if (!demo || now < nextDemo || engine.InFrame()) {
        return;
    }
    const std::string text = ReceiverEngine::DemoEventLine(demoCounter++, clock.At(now));
    engine.AppendHistory(text);
    if (line.OutputSize() < kDemoQueueLimit) {
        Enqueue(ReceiverEngine::EventLineBytes(text), now);
    }
    nextDemo += demoEvery;
    if (nextDemo <= now) {
        nextDemo = now + demoEvery;
    }
}

void PtyReceiver::Impl::FrameTimeout(TimePoint now) {
    const auto timeout = engine.Options().frameTimeout;
    if (engine.InFrame() && timeout.count() > 0 && LineQuiet() && now - lastActivity >= timeout) {
        engine.AbortFrame();
    }
}

bool PtyReceiver::Impl::HangUpDue(TimePoint now) {
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
    return pty.PendingForTool() == 0 || waited >= std::chrono::milliseconds(500);
}

void PtyReceiver::Impl::Run() {
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
        if (!pty.SomebodyListens()) {
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
        if (!line.InputEmpty()) {
            consider(line.NextInput());
        }
        if (!line.OutputEmpty() && !outputBlocked) {
            consider(line.NextOutput());
        }
        if (demo) {
            consider(nextDemo);
        }
        const auto frameTimeout = engine.Options().frameTimeout;
        if (engine.InFrame() && frameTimeout.count() > 0 && LineQuiet()) {
            consider(lastActivity + frameTimeout);
        }
        // Never sleep long without a look: a cap instead of an infinite wait.
        consider(now + std::chrono::milliseconds(500));
        const auto wait = std::max(SteadyClock::duration::zero(), *deadline - now);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        const timespec ts{static_cast<time_t>(ns / 1'000'000'000),
                          static_cast<long>(ns % 1'000'000'000)};

        const bool wantWrite = outputBlocked;
        lock.unlock();
        const PtyDevice::Ready ready = pty.Poll(ts, wantWrite);
        lock.lock();
        if (!ready.any) {
            continue;
        }
        now = SteadyClock::now();
        if (ready.watch) {
            HandleWatch();
        }
        if (ready.writable) {
            outputBlocked = false;
        }
        bool hangUpSeen = false;
        if (ready.input) {
            ReadMaster(now, &hangUpSeen);
        }
        if (ready.hungUp || hangUpSeen) {
            // Nobody has the slave open (cannot happen while our own fd
            // is open, but never spin on it): look again shortly.
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            lock.lock();
        }
    }
    changed.notify_all();
}
void PtyReceiver::Impl::HangUp() {
    pty.HangUp();
    hungUp = true;
    hangUpLeft.reset();
    hangUpFrom.reset();
    line.Clear();
}

PtyReceiver::PtyReceiver(ReceiverOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

PtyReceiver::~PtyReceiver() {
    Stop();
    RemoveSymlink();
}

bool PtyReceiver::Start(std::string* error) {
    if (IsRunning()) {
        return true;
    }
    Stop();  // a thread that ended by hanging up
    std::lock_guard lock(impl_->mu);
    Impl& d = *impl_;
    if (!d.pty.Open(error)) {
        return false;
    }
    d.log.Clear();
    d.outputBlocked = false;
    d.stopRequested = false;
    d.hungUp = false;
    const TimePoint now = SteadyClock::now();
    d.lastActivity = now;
    d.line.Reset(now);
    d.nextDemo = now + d.demoEvery;
    if (!d.linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(d.linkPath, ec);
        std::filesystem::create_symlink(d.pty.Path(), d.linkPath, ec);
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
        impl_->pty.Wake();
    }
    impl_->thread.join();
    std::lock_guard lock(impl_->mu);
    impl_->pty.Close();
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
    return impl_->pty.Path();
}

bool PtyReceiver::MakeSymlink(const std::string& linkPath, std::string* error) {
    std::lock_guard lock(impl_->mu);
    const auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = linkPath + ": " + why;
        }
        return false;
    };
    if (impl_->pty.Path().empty()) {
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
    std::filesystem::create_symlink(impl_->pty.Path(), linkPath, ec);
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

}  // namespace tav::sim
