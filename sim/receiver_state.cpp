// The simulated receiver's state, faults, event lines and observations, each
// read or changed under the receiver's lock.
#include <algorithm>

#include "sim/receiver_impl.h"

namespace tav::sim {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

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
    impl_->pty.Wake();
}

void PtyReceiver::SetFrameTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(impl_->mu);
    impl_->engine.SetFrameTimeout(timeout);
    impl_->pty.Wake();
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
    impl_->pty.Wake();
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
    impl_->pty.Wake();
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
    impl_->pty.Wake();
}

std::vector<TrafficEntry> PtyReceiver::Traffic() const {
    std::lock_guard lock(impl_->mu);
    return impl_->log.Entries();
}

void PtyReceiver::ClearTraffic() {
    std::lock_guard lock(impl_->mu);
    impl_->log.Clear();
}

std::vector<TrafficEntry> PtyReceiver::TakeTraffic() {
    std::lock_guard lock(impl_->mu);
    return impl_->log.Take();
}

std::vector<std::uint8_t> PtyReceiver::ReceivedBytes() const {
    std::lock_guard lock(impl_->mu);
    return impl_->log.Received();
}

std::vector<std::uint8_t> PtyReceiver::SentBytes() const {
    std::lock_guard lock(impl_->mu);
    return impl_->log.Sent();
}

bool PtyReceiver::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout,
                                   [&] { return impl_->log.Received().size() >= count; });
}

bool PtyReceiver::WaitForSent(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout,
                                   [&] { return impl_->log.Sent().size() >= count; });
}

bool PtyReceiver::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->IdleNow(); });
}

bool PtyReceiver::WaitUntilFrameIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mu);
    return impl_->changed.wait_for(lock, timeout, [&] { return !impl_->engine.InFrame(); });
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
