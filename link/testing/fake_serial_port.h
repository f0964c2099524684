// A scripted serial device on a virtual clock, for tests. Every call the link
// makes is recorded with its virtual time; answers are delivered at virtual
// times, so time-outs run without sleeping.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/serial_link.h"
#include "link/timing.h"

namespace tav::fake {

using Nanos = std::chrono::nanoseconds;

// Virtual monotonic time, starting at 0. Sleep advances it at once.
class FakeClock final : public Timing {
  public:
    std::chrono::steady_clock::time_point Now() override {
        return std::chrono::steady_clock::time_point(now_);
    }
    void Sleep(Millis ms) override { Advance(ms); }
    void SleepFor(Nanos d) override { Advance(d); }

    void Advance(Nanos d) { now_ += d; }
    void AdvanceTo(Nanos t) {
        if (t > now_) {
            now_ = t;
        }
    }
    Nanos Elapsed() const { return now_; }

  private:
    Nanos now_{0};
};

// A fixed local date and time.
class FakeLocalClock final : public LocalClock {
  public:
    LocalDateTime now;
    int readings = 0;
    LocalDateTime Now() override {
        ++readings;
        return now;
    }
};

enum class PortCall {
    Open,
    Close,
    RtsOn,
    RtsOff,
    Write,
    WaitTransmitted,
    Flush,
    Read,
    WaitReadable
};

struct PortEvent {
    PortCall call;
    Nanos at;                         // virtual time of the call
    std::vector<std::uint8_t> bytes;  // written or read
    bool ok = true;                   // what the call reported
};

// The device behind the ports the link opens: one receive queue, one log.
class FakeSerialDevice {
  public:
    // Called for every write with the bytes written, at the write's time.
    using Responder = std::function<void(FakeSerialDevice&, std::span<const std::uint8_t>)>;

    explicit FakeSerialDevice(FakeClock& clock) : clock_(clock) {}

    // Ports for SerialLink; each opens this device.
    SerialLink::PortFactory Factory();

    // Makes `bytes` arrive `after` from now (virtual time).
    void Deliver(std::vector<std::uint8_t> bytes, Nanos after = Nanos{0});
    void SetResponder(Responder responder) { responder_ = std::move(responder); }

    // Faults and hardware traits.
    bool failOpen = false;      // Open fails (no such device)
    bool failWrites = false;    // every Write fails
    bool noModemLines = false;  // SetRts fails, as on a pty
    bool hungUp = false;        // WaitReadable returns at once, reads give nothing
    Nanos drainTime{0};         // how long WaitTransmitted blocks

    // What happened.
    const std::vector<PortEvent>& Events() const { return events_; }
    std::vector<PortEvent> EventsOf(PortCall call) const;
    int Count(PortCall call) const;
    std::vector<std::uint8_t> Written() const;              // all bytes, in order
    std::vector<std::vector<std::uint8_t>> Writes() const;  // one entry per write
    bool IsOpen() const { return openCount_ > 0; }
    bool Rts() const { return rts_; }
    std::size_t Queued();
    FakeClock& clock() { return clock_; }

  private:
    friend class FakeSerialPort;
    struct Pending {
        Nanos at;
        std::vector<std::uint8_t> bytes;
    };
    void Log(PortCall call, bool ok = true, std::vector<std::uint8_t> bytes = {});
    void Arrive();  // moves what is due into the receive queue

    FakeClock& clock_;
    Responder responder_;
    std::vector<PortEvent> events_;
    std::vector<Pending> pending_;  // ordered by time
    std::deque<std::uint8_t> queue_;
    int openCount_ = 0;
    bool rts_ = false;
};

}  // namespace tav::fake
