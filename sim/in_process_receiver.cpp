#include "sim/in_process_receiver.h"

#include "sim/line_schedule.h"

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <thread>

namespace tav::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

// Bytes kept for a user who does not take them (demo lines), at most.
constexpr std::size_t kOutputLimit = 4096;

std::uint8_t Bcd(int value) {
    return static_cast<std::uint8_t>((value / 10) << 4 | value % 10);
}

// Seconds, minutes, hours, day, month, year - 2000: the receiver's clock bytes.
std::array<std::uint8_t, 6> LocalTimeBcd() {
    const std::time_t now = std::time(nullptr);
    // Only the receiver's thread asks, and nothing else in the program keeps
    // the pointer std::localtime returns.
    const std::tm tm = *std::localtime(&now);
    return {Bcd(tm.tm_sec),  Bcd(tm.tm_min),     Bcd(tm.tm_hour),
            Bcd(tm.tm_mday), Bcd(tm.tm_mon + 1), Bcd((tm.tm_year + 1900) % 100)};
}

}  // namespace

struct InProcessReceiver::Impl {
    explicit Impl(ReceiverOptions options) : engine(std::move(options)) {
        line.Reset(SteadyClock::now());
    }

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    ReceiverEngine engine;
    // The bytes in flight both ways, at the line's speed when paced.
    LineSchedule line;
    bool attached = false;
    bool stop = false;
    TimePoint lastActivity = SteadyClock::now();
    bool demo = false;
    std::chrono::milliseconds demoEvery{3000};
    TimePoint nextDemo{};
    int demoCounter = 0;
    std::thread thread;

    bool Paced() const { return engine.GetPacing().paced; }

    void Deliver(const std::vector<std::uint8_t>& bytes, TimePoint ready) {
        lastActivity = ready;
        if (!attached) {
            return;
        }
        line.Send(bytes, ready, Paced());
        changed.notify_all();
    }

    void TakeInput(TimePoint now) {
        while (const std::optional<LineSchedule::Pending> p = line.Take(now, Paced())) {
            lastActivity = now;
            // The receiver is busy for its processing time: the answer is due
            // after it, while the tool may go on sending meanwhile.
            if (std::optional<Reply> reply = engine.Receive(p->byte)) {
                Deliver(reply->bytes, p->at + reply->delay);
            }
        }
    }

    void DemoTick(TimePoint now) {
        // A line waits until a frame or transfer in progress has ended.
        if (!demo || now < nextDemo || engine.InFrame()) {
            return;
        }
        const std::string text = ReceiverEngine::DemoEventLine(demoCounter++, LocalTimeBcd());
        engine.AppendHistory(text);
        if (line.OutputSize() < kOutputLimit) {
            Deliver(ReceiverEngine::EventLineBytes(text), now);
        }
        nextDemo = std::max(nextDemo + demoEvery, now + std::chrono::milliseconds(1));
    }

    TimePoint NextDeadline() const {
        TimePoint deadline = TimePoint::max();
        if (demo) {
            deadline = nextDemo;
        }
        if (!line.InputEmpty()) {
            deadline = std::min(deadline, line.NextInput());
        }
        const auto timeout = engine.Options().frameTimeout;
        if (engine.InFrame() && timeout.count() > 0) {
            deadline = std::min(deadline, lastActivity + timeout);
        }
        return deadline;
    }

    void Run() {
        std::unique_lock lock(mutex);
        while (!stop) {
            const TimePoint now = SteadyClock::now();
            TakeInput(now);
            DemoTick(now);
            const auto timeout = engine.Options().frameTimeout;
            if (engine.InFrame() && timeout.count() > 0 && line.InputEmpty() &&
                now - lastActivity >= timeout) {
                engine.AbortFrame();
            }
            const TimePoint deadline = NextDeadline();
            // Bytes arriving on an idle line wake the receiver; behind bytes
            // already on their way they are due later than the deadline.
            const bool idle = line.InputEmpty();
            const auto woken = [this, idle] { return stop || (idle && !line.InputEmpty()); };
            if (deadline == TimePoint::max()) {
                changed.wait(lock, woken);
            } else {
                changed.wait_until(lock, deadline, woken);
            }
        }
    }
};

InProcessReceiver::InProcessReceiver(ReceiverOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
    impl_->thread = std::thread([this] { impl_->Run(); });
}

InProcessReceiver::~InProcessReceiver() {
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->stop = true;
    }
    impl_->changed.notify_all();
    impl_->thread.join();
}

bool InProcessReceiver::Attach() {
    const std::lock_guard lock(impl_->mutex);
    if (impl_->attached) {
        return false;
    }
    impl_->attached = true;
    return true;
}

void InProcessReceiver::Detach() {
    const std::lock_guard lock(impl_->mutex);
    impl_->attached = false;
    impl_->line.Clear();
}

void InProcessReceiver::Send(std::span<const std::uint8_t> bytes) {
    {
        const std::lock_guard lock(impl_->mutex);
        const TimePoint now = SteadyClock::now();
        for (const std::uint8_t b : bytes) {
            impl_->line.Arrive(b, now, impl_->Paced());
        }
    }
    impl_->changed.notify_all();
}

std::size_t InProcessReceiver::Available() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->line.Due(SteadyClock::now(), impl_->line.OutputSize());
}

std::size_t InProcessReceiver::Take(std::span<std::uint8_t> buffer) {
    const std::lock_guard lock(impl_->mutex);
    const std::size_t n = impl_->line.Due(SteadyClock::now(), buffer.size());
    for (std::size_t i = 0; i < n; ++i) {
        buffer[i] = impl_->line.OutputByte(i);
    }
    impl_->line.Sent(n);
    return n;
}

bool InProcessReceiver::WaitAvailable(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    const TimePoint end = SteadyClock::now() + timeout;
    for (;;) {
        const TimePoint now = SteadyClock::now();
        if (impl_->line.Due(now, 1) > 0) {
            return true;
        }
        if (now >= end) {
            return false;
        }
        // Until the next byte is due (paced, it is on its way), a new one is
        // queued, or the time is up.
        TimePoint until = end;
        if (!impl_->line.OutputEmpty()) {
            until = std::min(until, impl_->line.NextOutput());
        }
        impl_->changed.wait_until(lock, until);
    }
}

MemoryImage InProcessReceiver::Memory() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->engine.Memory();
}

ReceiverMode InProcessReceiver::Mode() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->engine.Mode();
}

std::vector<std::uint8_t> InProcessReceiver::FirmwareReceived() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->engine.FirmwareReceived();
}

void InProcessReceiver::SetDemoEvents(bool on, std::chrono::milliseconds every) {
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->demo = on;
        impl_->demoEvery = std::max(every, std::chrono::milliseconds(1));
        impl_->nextDemo = SteadyClock::now() + impl_->demoEvery;
    }
    impl_->changed.notify_all();
}

}  // namespace tav::sim
