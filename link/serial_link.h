// The tool's one connection to the receiver: at most one open port, driven as
// a half-duplex line (RTS high only while the tool sends).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "image/line_time.h"
#include "port_resolver.h"
#include "serial_port.h"
#include "timing.h"

namespace tav {

inline constexpr int kIdlePollMs = 50;

struct PortOpenOutcome {
    bool opened = false;
    std::string devicePath;  // empty when the name maps to no device
    // Why it failed: the kind (kMissing also when the name maps to no device)
    // and the operating system's words.
    PortErrorKind error = PortErrorKind::kOther;
    std::string reason;
};

class SerialLink {
  public:
    using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

    SerialLink(PortFactory makePort, const PortResolver& resolver, Timing& timing);
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Opens port `index` (0..254: COM1..COM255; -1: no selected entry, nothing
    // is opened).
    // Shows no message: the caller does (see OpenSelectedPort in protocol.h).
    PortOpenOutcome OpenSelectedPort(int index);
    void ClosePort();
    bool IsOpen() const;

    // One transmission: RTS up, write, wait until drained and at least the
    // line time of the bytes has passed since the write began, RTS down (on
    // every path out, a failed write included). True when the bytes were
    // handed over and the transmitter has run empty; false without a port.
    // Where the device has no RTS line (a pty) there is nothing to hold up,
    // and the line-time wait is skipped.
    bool SendBytes(std::span<const std::uint8_t> bytes);
    // Flushes the output of the open port.
    void Flush();
    // What has already arrived, at most buffer.size() bytes; never waits.
    int ReadQueued(std::span<std::uint8_t> buffer);
    // Collects up to buffer.size() bytes; gives up after `idleLimit`
    // consecutive 50 ms periods with nothing received. An empty period waits
    // for the next byte rather than sleeping, so an answer is taken as soon as
    // it is complete; a wait that ends at once without data (hang-up, error)
    // still counts as one period and lasts its 50 ms. Surplus bytes stay
    // queued for the next read. Returns the count received (0 without a port).
    int ReceiveBytes(std::span<std::uint8_t> buffer, int idleLimit);
    // True when the open port's device has gone away; false without a port.
    bool PortHungUp();

    Timing& timing() { return timing_; }
    const PortResolver& resolver() const { return resolver_; }

  private:
    PortFactory makePort_;
    const PortResolver& resolver_;
    Timing& timing_;
    std::unique_ptr<SerialPort> port_;
};

}  // namespace tav
