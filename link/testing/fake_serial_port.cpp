#include "link/testing/fake_serial_port.h"

#include <algorithm>

namespace tav::fake {

class FakeSerialPort final : public SerialPort {
  public:
    explicit FakeSerialPort(FakeSerialDevice& device) : device_(device) {}
    ~FakeSerialPort() override { Close(); }

    bool Open(const std::string&, PortOpenError* error) override {
        // Exclusive, as the real backends: a second open fails.
        const bool ok = !device_.failOpen && device_.openCount_ == 0;
        device_.Log(PortCall::Open, ok);
        if (!ok) {
            if (error != nullptr) {
                *error = device_.failOpen
                             ? PortOpenError{PortErrorKind::kMissing, "No such file or directory"}
                             : PortOpenError{PortErrorKind::kBusy, "Device or resource busy"};
            }
            return false;
        }
        ++device_.openCount_;
        open_ = true;
        device_.Arrive();
        device_.queue_.clear();  // bytes from before the open are discarded
        return true;
    }
    void Close() override {
        if (open_) {
            open_ = false;
            --device_.openCount_;
            device_.Log(PortCall::Close);
        }
    }
    bool IsOpen() const override { return open_; }

    bool SetRts(bool on) override {
        device_.rts_ = on;
        device_.Log(on ? PortCall::RtsOn : PortCall::RtsOff, !device_.noModemLines);
        return !device_.noModemLines;
    }
    bool Write(std::span<const std::uint8_t> bytes) override {
        const bool ok = !device_.failWrites;
        device_.Log(PortCall::Write, ok, {bytes.begin(), bytes.end()});
        if (ok && device_.responder_) {
            device_.responder_(device_, bytes);
        }
        return ok;
    }
    bool WaitTransmitted() override {
        device_.Log(PortCall::WaitTransmitted);
        device_.clock_.Advance(device_.drainTime);
        return true;
    }
    void Flush() override { device_.Log(PortCall::Flush); }
    int BytesQueued() override {
        device_.Arrive();
        return device_.hungUp ? 0 : static_cast<int>(device_.queue_.size());
    }
    int ReadQueued(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min(buffer.size(), static_cast<std::size_t>(BytesQueued()));
        std::vector<std::uint8_t> got(device_.queue_.begin(), device_.queue_.begin() + n);
        device_.queue_.erase(device_.queue_.begin(), device_.queue_.begin() + n);
        std::copy(got.begin(), got.end(), buffer.begin());
        device_.Log(PortCall::Read, true, std::move(got));
        return static_cast<int>(n);
    }
    bool HungUp() override { return device_.hungUp; }
    bool WaitReadable(int ms) override {
        device_.Log(PortCall::WaitReadable);
        if (device_.hungUp) {
            return true;  // "readable" at once, and nothing to read
        }
        device_.Arrive();
        if (!device_.queue_.empty()) {
            return true;
        }
        const Nanos deadline = device_.clock_.Elapsed() + Millis(ms);
        if (!device_.pending_.empty() && device_.pending_.front().at <= deadline) {
            device_.clock_.AdvanceTo(device_.pending_.front().at);
            device_.Arrive();
            return true;
        }
        device_.clock_.AdvanceTo(deadline);
        return false;
    }

  private:
    FakeSerialDevice& device_;
    bool open_ = false;
};

SerialLink::PortFactory FakeSerialDevice::Factory() {
    return [this] { return std::make_unique<FakeSerialPort>(*this); };
}

void FakeSerialDevice::Deliver(std::vector<std::uint8_t> bytes, Nanos after) {
    Pending p{clock_.Elapsed() + after, std::move(bytes)};
    const auto pos = std::upper_bound(pending_.begin(), pending_.end(), p.at,
                                      [](Nanos t, const Pending& q) { return t < q.at; });
    pending_.insert(pos, std::move(p));
}

void FakeSerialDevice::Arrive() {
    while (!pending_.empty() && pending_.front().at <= clock_.Elapsed()) {
        queue_.insert(queue_.end(), pending_.front().bytes.begin(), pending_.front().bytes.end());
        pending_.erase(pending_.begin());
    }
}

std::size_t FakeSerialDevice::Queued() {
    Arrive();
    return queue_.size();
}

void FakeSerialDevice::Log(PortCall call, bool ok, std::vector<std::uint8_t> bytes) {
    events_.push_back(PortEvent{call, clock_.Elapsed(), std::move(bytes), ok});
}

std::vector<PortEvent> FakeSerialDevice::EventsOf(PortCall call) const {
    std::vector<PortEvent> out;
    std::copy_if(events_.begin(), events_.end(), std::back_inserter(out),
                 [call](const PortEvent& e) { return e.call == call; });
    return out;
}

int FakeSerialDevice::Count(PortCall call) const {
    return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                          [call](const PortEvent& e) { return e.call == call; }));
}

std::vector<std::uint8_t> FakeSerialDevice::Written() const {
    std::vector<std::uint8_t> out;
    for (const PortEvent& e : events_) {
        if (e.call == PortCall::Write && e.ok) {
            out.insert(out.end(), e.bytes.begin(), e.bytes.end());
        }
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> FakeSerialDevice::Writes() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const PortEvent& e : events_) {
        if (e.call == PortCall::Write) {
            out.push_back(e.bytes);
        }
    }
    return out;
}

}  // namespace tav::fake
