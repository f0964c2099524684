// The platform's serial device behind one small interface. Policy (when RTS
// rises and falls, what counts as idle) lives above it, in SerialLink.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tav {

// Why a port did not open, in the same kinds on every platform; each backend
// maps its system's error codes onto them.
enum class PortErrorKind {
    kOther,
    kMissing,       // no such device
    kBusy,          // another program holds the port
    kNoPermission,  // the user may not open the device
};

struct PortOpenError {
    PortErrorKind kind = PortErrorKind::kOther;
    std::string reason;  // the operating system's words, e.g. "Permission denied"
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens `devicePath` exclusively for reading and writing and applies the
    // receiver's line settings (9600 8N1, raw, no flow control, DTR on, RTS
    // low). Discards bytes left over from before the open.
    virtual bool Open(const std::string& devicePath, PortOpenError* error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Raises or lowers RTS; false where the device has no modem lines.
    virtual bool SetRts(bool on) = 0;
    // Hands all bytes to the driver; false when the write failed.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Blocks until the transmitter has run empty.
    virtual bool WaitTransmitted() = 0;
    // Flushes the port's output.
    virtual void Flush() = 0;
    // Bytes waiting in the receive queue (clears recorded line errors).
    virtual int BytesQueued() = 0;
    // Reads at most `buffer.size()` bytes that have already arrived; never blocks.
    virtual int ReadQueued(std::span<std::uint8_t> buffer) = 0;
    // Waits up to `ms` for a byte to arrive. True when the wait ended early
    // because the device became readable (which may also mean a hang-up).
    virtual bool WaitReadable(int ms) = 0;
    // True when the device has gone away under the open port (an unplugged
    // USB adapter, the far end of a pty closed); never blocks.
    virtual bool HungUp() = 0;
};

// Makes the platform's port (POSIX termios or Win32).
std::unique_ptr<SerialPort> MakePlatformSerialPort();

}  // namespace tav
