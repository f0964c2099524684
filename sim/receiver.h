// The simulated TAV-1000R on a pseudo-terminal: the ReceiverEngine
// (receiver_engine.h) served by one background thread on the master side of
// an openpty() pair. The tool opens DevicePath() (the slave side) with its
// real serial backend, as it would open a serial device.
//
// The pty is raw on both sides, so every byte (0x00, 0x11, 0x13, CR, LF)
// passes untouched. The tool may open and close the device any number of
// times (every device operation does); the receiver keeps running and the
// device stays usable. Exclusive opens (TIOCEXCL, flock) by the tool work:
// while the tool holds the device a second open is refused, and after its
// close the next open succeeds, for an ordinary user too (the receiver clears
// the exclusive flag, which on a pty would outlive the close, when it sees
// the last close; a tool that clears it itself, TIOCNXCL before close(), does
// not depend on that). Bytes the receiver sends while nobody has the device
// open are lost, as on a line with nobody listening.
//
// Every public member is thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/memory_image.h"
#include "sim/receiver_engine.h"
#include "sim/traffic_log.h"

namespace tav::sim {

class PtyReceiver {
  public:
    explicit PtyReceiver(ReceiverOptions options = {});
    ~PtyReceiver();  // stops the thread, closes the pty, removes the symlink
    PtyReceiver(const PtyReceiver&) = delete;
    PtyReceiver& operator=(const PtyReceiver&) = delete;

    // Opens the pty and starts serving it. False with the reason when the pty
    // cannot be made. Starting again after Stop() or a hang-up makes a new pty
    // (a new DevicePath; an existing symlink is pointed at it).
    bool Start(std::string* error);
    // Stops the thread and closes the pty. The engine's state (memory,
    // clock, traffic log) stays readable.
    void Stop();
    bool IsRunning() const;
    // True after a HangUpAfterBytes fault has closed the receiver's end.
    bool HungUp() const;

    // The slave side the tool opens, e.g. "/dev/pts/7"; empty before Start.
    std::string DevicePath() const;
    // Makes (or replaces) the symbolic link `linkPath` -> DevicePath(); it is
    // removed again by the destructor. Refuses to replace anything that is
    // not a symbolic link.
    bool MakeSymlink(const std::string& linkPath, std::string* error);
    void RemoveSymlink();

    // ---- the receiver's state ----------------------------------------------
    // A copy: keep it in a variable before taking spans of it
    // (receiver.Memory().RecordAt(n) dangles at the end of the statement).
    MemoryImage Memory() const;
    // The 32 bytes of record `record` (0..1023), copied.
    std::vector<std::uint8_t> RecordBytes(int record) const;
    void SetMemory(const MemoryImage& memory);
    ReceiverMode Mode() const;
    void SetMode(ReceiverMode mode);
    // The bytes answered to "?" in the current mode / set them.
    VersionBytes Version() const;
    void SetVersion(const VersionBytes& version);
    void SetApplicationVersion(const VersionBytes& version);
    void SetBootLoaderVersion(const VersionBytes& version);
    void SetPacing(const Pacing& pacing);
    void SetFrameTimeout(std::chrono::milliseconds timeout);
    ReceiverClock Clock() const;  // the last clock set by "t"
    // Bytes of the firmware blocks taken since the last "F".
    std::vector<std::uint8_t> FirmwareReceived() const;

    // ---- faults ------------------------------------------------------------
    void InjectFault(const Fault& fault);
    void ClearFaults();

    // ---- on-line events ----------------------------------------------------
    // Sends `line` + CR LF at once (after whatever is already on its way).
    // With alsoStore the line is appended to the history too.
    void SendEventLine(const std::string& line, bool alsoStore = false);
    // Stored lines, sent after "hi" behind the banner line.
    void SetHistory(std::vector<std::string> lines);
    std::vector<std::string> History() const;
    // Demo mode: a plausible event line every `every`, also stored in the
    // history.
    void SetDemoEvents(bool on, std::chrono::milliseconds every = std::chrono::seconds(3));

    // ---- observations ------------------------------------------------------
    // Both directions, in order, since Start or ClearTraffic.
    std::vector<TrafficEntry> Traffic() const;
    void ClearTraffic();
    // Traffic() and ClearTraffic() in one step: nothing is lost in between
    // (a long-running program takes the log now and then to bound it).
    std::vector<TrafficEntry> TakeTraffic();
    // The bytes from the tool, since Start or ClearTraffic. Like every
    // observation here a copy: take begin() and end() of one variable.
    std::vector<std::uint8_t> ReceivedBytes() const;
    // The bytes the receiver sent, since Start or ClearTraffic.
    std::vector<std::uint8_t> SentBytes() const;
    // Waits until at least `count` bytes from the tool were received since
    // Start or ClearTraffic; false on time-out.
    bool WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;
    // Waits until at least `count` bytes were sent since Start or
    // ClearTraffic; false on time-out.
    bool WaitForSent(std::size_t count, std::chrono::milliseconds timeout) const;
    // Waits until every received byte has been processed and every answer
    // has been written to the pty; false on time-out.
    bool WaitUntilIdle(std::chrono::milliseconds timeout) const;
    // WaitUntilIdle, and no byte from the tool for `quiet` since the call
    // and since the latest one: a pty hands written bytes to the other side
    // a moment later, so what the tool wrote just before it closed the port
    // may not be readable yet when its operation returns.
    bool WaitUntilSettled(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout) const;
    // Waits until no frame or transfer is in progress: ended, or dropped by
    // the frame time-out after the tool went quiet; false on time-out.
    bool WaitUntilFrameIdle(std::chrono::milliseconds timeout) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tav::sim
