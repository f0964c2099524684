#include "sim/in_process_receiver.h"

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <deque>
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
    explicit Impl(ReceiverOptions options) : engine(std::move(options)) {}

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    ReceiverEngine engine;
    std::deque<std::uint8_t> input;   // from the tool, not taken yet
    std::deque<std::uint8_t> output;  // to the tool, not taken yet
    bool attached = false;
    bool stop = false;
    TimePoint lastActivity = SteadyClock::now();
    bool demo = false;
    std::chrono::milliseconds demoEvery{3000};
    TimePoint nextDemo{};
    int demoCounter = 0;
    std::thread thread;

    void Deliver(const std::vector<std::uint8_t>& bytes) {
        lastActivity = SteadyClock::now();
        if (!attached) {
            return;
        }
        output.insert(output.end(), bytes.begin(), bytes.end());
        changed.notify_all();
    }

    void DemoTick(TimePoint now) {
        // A line waits until a frame or transfer in progress has ended.
        if (!demo || now < nextDemo || engine.InFrame()) {
            return;
        }
        const std::string line = ReceiverEngine::DemoEventLine(demoCounter++, LocalTimeBcd());
        engine.AppendHistory(line);
        if (output.size() < kOutputLimit) {
            Deliver(ReceiverEngine::EventLineBytes(line));
        }
        nextDemo = std::max(nextDemo + demoEvery, now + std::chrono::milliseconds(1));
    }

    TimePoint NextDeadline() const {
        TimePoint deadline = TimePoint::max();
        if (demo) {
            deadline = nextDemo;
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
            if (!input.empty()) {
                const std::uint8_t byte = input.front();
                input.pop_front();
                lastActivity = SteadyClock::now();
                std::optional<Reply> reply = engine.Receive(byte);
                if (!reply) {
                    continue;
                }
                // The receiver is busy for its processing time; the tool may
                // go on sending meanwhile.
                if (reply->delay.count() > 0 &&
                    changed.wait_for(lock, reply->delay, [this] { return stop; })) {
                    break;
                }
                Deliver(reply->bytes);
                continue;
            }
            const TimePoint now = SteadyClock::now();
            DemoTick(now);
            const auto timeout = engine.Options().frameTimeout;
            if (engine.InFrame() && timeout.count() > 0 && now - lastActivity >= timeout) {
                engine.AbortFrame();
            }
            const TimePoint deadline = NextDeadline();
            const auto ready = [this] { return stop || !input.empty(); };
            if (deadline == TimePoint::max()) {
                changed.wait(lock, ready);
            } else {
                changed.wait_until(lock, deadline, ready);
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
    impl_->output.clear();
}

void InProcessReceiver::Send(std::span<const std::uint8_t> bytes) {
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->input.insert(impl_->input.end(), bytes.begin(), bytes.end());
    }
    impl_->changed.notify_all();
}

std::size_t InProcessReceiver::Available() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->output.size();
}

std::size_t InProcessReceiver::Take(std::span<std::uint8_t> buffer) {
    const std::lock_guard lock(impl_->mutex);
    const std::size_t n = std::min(buffer.size(), impl_->output.size());
    std::copy_n(impl_->output.begin(), n, buffer.begin());
    impl_->output.erase(impl_->output.begin(),
                        impl_->output.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

bool InProcessReceiver::WaitAvailable(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [this] { return !impl_->output.empty(); });
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
