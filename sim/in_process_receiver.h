// The simulated TAV-1000R inside the tool's own process: the ReceiverEngine
// served by one background thread, reached through function calls instead of
// a device. Where there are no pseudo-terminals (Windows) the demo hands the
// window a serial-port object over one of these.
//
// Unpaced (the demo): answers go out as soon as the engine gives them (after
// its processing delays). Paced (ReceiverOptions::pacing), the bytes both ways
// take the line's time, as through a real serial line at 9600 baud. A partial frame is dropped
// after the frame timeout, as on a line. Only one user may be attached at a time, as only one
// program may hold a serial port; bytes the receiver sends while nobody is attached are lost, as on
// a line with nobody listening.
//
// Every public member is thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "image/memory_image.h"
#include "sim/receiver_engine.h"

namespace tav::sim {

class InProcessReceiver {
  public:
    explicit InProcessReceiver(ReceiverOptions options = {});
    ~InProcessReceiver();  // stops the thread
    InProcessReceiver(const InProcessReceiver&) = delete;
    InProcessReceiver& operator=(const InProcessReceiver&) = delete;

    // ---- the tool's side -----------------------------------------------------
    // False when somebody is attached already.
    bool Attach();
    // Drops what was sent to the tool and not taken yet.
    void Detach();
    // Bytes from the tool, taken by the receiver in order.
    void Send(std::span<const std::uint8_t> bytes);
    // Bytes sent to the tool and not taken yet.
    std::size_t Available() const;
    // Takes at most buffer.size() of them; never blocks.
    std::size_t Take(std::span<std::uint8_t> buffer);
    // Waits up to `timeout` for a byte to take; true when one is there.
    bool WaitAvailable(std::chrono::milliseconds timeout) const;

    // ---- the receiver --------------------------------------------------------
    MemoryImage Memory() const;
    ReceiverMode Mode() const;
    std::vector<std::uint8_t> FirmwareReceived() const;
    // Demo mode: a plausible event line every `every`, also stored in the
    // history, with the local time.
    void SetDemoEvents(bool on, std::chrono::milliseconds every = std::chrono::seconds(3));

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tav::sim
