// The pseudo-terminal the simulated receiver serves (POSIX): the master side
// it reads and writes, its own fd of the slave that keeps the device usable
// between the tool's opens, an inotify watch counting the tool's opens and
// closes, and a pipe that wakes the serving thread.
//
// Not thread-safe: the receiver calls it under its own lock, except Poll,
// which it calls unlocked from its one thread.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace tav::sim {

class PtyDevice {
  public:
    PtyDevice() = default;
    ~PtyDevice() { Close(); }
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Makes a new raw pty pair; false with the reason, nothing left open.
    bool Open(std::string* error);
    // Closes every fd.
    void Close();
    // Closes the line (master, slave, watch) but keeps the wake-up pipe: the
    // receiver's end hangs up.
    void HangUp();

    bool HasLine() const { return master_ >= 0; }
    // The slave side the tool opens, e.g. "/dev/pts/7".
    const std::string& Path() const { return path_; }

    // Wakes Poll from another thread.
    void Wake() const;

    struct Ready {
        bool input = false;     // the master has bytes from the tool
        bool writable = false;  // the master takes bytes again
        bool hungUp = false;    // nobody has the slave open
        bool watch = false;     // opens or closes to count
        bool any = false;       // anything at all before the time was up
    };
    // Waits up to `wait` for the wake-up pipe, bytes from the tool, the
    // watch, and (with wantWrite) room to write. Drains the wake-up pipe.
    Ready Poll(const timespec& wait, bool wantWrite);

    // Reads bytes from the tool: >0 bytes read; 0 nothing (more) for now;
    // -1 nobody has the slave open.
    ssize_t Read(std::uint8_t* buffer, std::size_t size);
    // Writes to the tool; what write(2) returns.
    ssize_t Write(const std::uint8_t* buffer, std::size_t size);

    // Counts the others' opens and closes of the slave; true when the last of
    // them has just closed it (the exclusive flag is then cleared and the
    // bytes nobody took dropped).
    bool HandleWatch();
    // True while somebody other than the receiver may have the slave open
    // (always true without a watch).
    bool SomebodyListens() const { return watch_ < 0 || openers_ > 0; }
    // Drops the bytes sent while nobody had the slave open.
    void DrainSlave();
    // Bytes written to the tool but not yet read by it.
    int PendingForTool() const;
    // Bytes from the tool not yet read by the receiver.
    int PendingFromTool() const;

  private:
    int master_ = -1;
    int slave_ = -1;  // the receiver's own fd of the slave
    int watch_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int openers_ = 0;
    std::string path_;
};

}  // namespace tav::sim
