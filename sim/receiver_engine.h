// The simulated TAV-1000R's protocol engine: the receiver's side of the command
// protocol and the firmware transfer, plus the history it sends after "hi".
// Bytes in, answers out; no threads, no I/O, no clock.
//
// The engine parses the tool's bytes one at a time, so a frame may arrive in
// any number of pieces with any pauses between them ("z", record high, record
// low; then 32 data bytes; then the checksum). Whoever runs the engine (the
// PtyReceiver in receiver.h, or a test) sends each Reply's bytes after the
// Reply's delay and calls AbortFrame() when the line has been quiet for the
// frame timeout in the middle of a frame.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/line_time.h"
#include "image/memory_image.h"
#include "image/wire_protocol.h"

namespace tav::sim {

using VersionBytes = std::array<std::uint8_t, 6>;

// Application 1.00, software 1.26.
inline constexpr VersionBytes kDefaultApplicationVersion{0x76, 0x07, 0x01, 0x00, 0x01, 0x26};
// Boot loader 1.00, software 1.26 (accepted by the dispatcher's boot-loader gate).
inline constexpr VersionBytes kDefaultBootLoaderVersion{0x76, 0x77, 0x01, 0x00, 0x01, 0x26};

// The firmware's geometry, as ints for the engine's counters.
inline constexpr int kFirmwareBlockCount = wire::kFirmwareBlocks;
inline constexpr int kFirmwareBlockSize = static_cast<int>(wire::kFirmwareBlockSize);
using wire::kFirmwareSize;

inline constexpr char kDefaultHistoryBanner[] = "TAV-1000 v1.26";

// What runs in the receiver.
//  Application: answers "?" with its application version and every command
//  of image/wire_protocol.h except "F".
//  BootLoader: answers "?" with its boot-loader version, takes "F", and
//  ignores every other byte (the application's commands included; bytes that
//  follow an ignored command byte are parsed as commands in their own right).
enum class ReceiverMode { Application, BootLoader };

// Timing of the receiver's answers.
//  paced: the line runs at 9600 baud, 10 bits a byte (kByteTime, about
//  1.0417 ms): a received byte is taken when its last bit would have arrived
//  (1 byte time after it arrived, or after the previous received byte was
//  taken), and each sent byte is delivered 1 byte time after the previous one
//  (scheduled against absolute times, so no error accumulates). Unpaced: as
//  fast as the pty goes.
//  The processing times apply in both cases (0 by default):
//   recordWriteMs   - after the checksum of a record write ("z", each "Z"
//                     record) or of the clock frame ("t"), before the echo;
//   firmwareBlockMs - after the checksum of a firmware block, before the echo;
//   afterHeaderMs   - after a command that asks for an answer ("?", "p" with
//                     its record number, "P", "hi"), before the first byte of
//                     the answer.
struct Pacing {
    bool paced = false;
    int recordWriteMs = 0;
    int firmwareBlockMs = 0;
    int afterHeaderMs = 0;
};

// The line time of one byte.
inline constexpr std::chrono::nanoseconds kByteTime = kByteLineTime;

// Faults on request. Several may be active at once; ClearFaults removes all.
//  BadChecksumAtRecord{at}: record `at` is sent with a wrong checksum byte (the
//    right one + 1), by "p" and by "P", every time until cleared.
//  SilenceFromRecord{at}: records `at` and above get no answer: "p" sends
//    nothing, "P" sends the records below `at` and then stops, "z" and "Z"
//    neither store nor echo. Until cleared.
//  SilenceFromBlock{at}: firmware blocks `at` and above are neither taken nor
//    echoed. Until cleared.
//    In a bulk transfer ("P", "Z", "F") the receiver that falls silent leaves
//    the transfer and ignores every byte until the line has been quiet for the
//    frame timeout; a single command ("p", "z") just goes unanswered.
//  WrongEchoAtRecord{at}: the echo of record `at` ("z" or "Z") is the computed
//    checksum XOR 0xFF; the record itself is handled as usual (stored when its
//    checksum matched). Until cleared.
//  WrongEchoAtBlock{at}: likewise for firmware block `at`.
//  StoresOtherAtRecord{at, count}: a write of record `at` ("z" or "Z") with a
//    good checksum is echoed as usual, but byte `count` (0..31) of the record
//    is stored XOR 0xFF. Until cleared.
//  GarbageBeforeAnswer{at, count}: `count` garbage bytes (kGarbagePattern,
//    repeated) go out before answer number `at`, counted from the injection
//    (0: the next answer). Once.
//  ShortAnswer{at, count}: answer number `at` (counted as above) is cut to its
//    first `count` bytes. Once.
//  HangUpAfterBytes{at}: after `at` more bytes sent by the receiver (counted
//    from the injection; 0: at once) the receiver closes its end of the pty,
//    once the tool has taken those bytes (at most 0.5 s later). Only the
//    PtyReceiver acts on it; the engine ignores it.
// An "answer" is what one command or record asks for: the version, one
// record, one echo, the history text. Event lines are not answers.
enum class FaultKind {
    BadChecksumAtRecord,
    SilenceFromRecord,
    SilenceFromBlock,
    WrongEchoAtRecord,
    WrongEchoAtBlock,
    GarbageBeforeAnswer,
    ShortAnswer,
    HangUpAfterBytes,
    StoresOtherAtRecord,
};

struct Fault {
    FaultKind kind;
    int at = 0;     // record, block, answer number or byte count (see FaultKind)
    int count = 0;  // garbage bytes, or the bytes of a short answer that are sent
};

inline constexpr std::array<std::uint8_t, 8> kGarbagePattern{0xA5, 0x00, 0x5A, 0xFF,
                                                             0x13, 0x76, 0x11, 0x0D};

// The clock as the last "t" with a good checksum set it: the 6 BCD bytes
// seconds, minutes, hours, day, month, year - 2000, as they arrived.
struct ReceiverClock {
    std::array<std::uint8_t, 6> bytes{};
    bool set = false;  // false until the first good "t"
    bool operator==(const ReceiverClock&) const = default;
};

struct ReceiverOptions {
    ReceiverMode mode = ReceiverMode::Application;
    VersionBytes applicationVersion = kDefaultApplicationVersion;
    VersionBytes bootLoaderVersion = kDefaultBootLoaderVersion;
    MemoryImage memory{};  // zero-filled; see ErasedMemory, LoadMemoryFromSettingsFile
    Pacing pacing{};
    std::vector<std::string> history{};  // stored event lines, without CR LF
    // AppendHistory keeps at most this many lines, dropping the oldest (the
    // receiver's log is finite; demo mode runs for days).
    std::size_t historyLimit = 1000;
    std::string historyBanner = kDefaultHistoryBanner;
    // A partial frame or transfer is dropped after this much quiet on the line
    // (no byte in either direction); 0 ms: never.
    std::chrono::milliseconds frameTimeout{1000};
    // After the last firmware block is echoed the receiver restarts into the
    // application (mode becomes Application).
    bool restartAfterFirmware = true;
    // The pty runner keeps at most about this many bytes in each of its logs
    // (traffic, received, sent), dropping the oldest half when it is reached;
    // 0: keeps everything. For receivers that run for days (the demo); waits
    // on the logs' counts are meaningless once they are trimmed.
    std::size_t logLimit = 0;
};

// What the receiver sends in answer to one received byte.
struct Reply {
    std::chrono::milliseconds delay{0};  // processing time before the first byte
    std::vector<std::uint8_t> bytes;
};

// Where the parser stands, for tests and for the runner's frame timeout.
enum class ParseState {
    Idle,               // waiting for a command byte
    ReadRecordNumber,   // after "p": 2 record bytes
    WriteRecordNumber,  // after "z": 2 record bytes
    WriteRecordData,    // "z": 32 data bytes, then the checksum
    ClockData,          // after "t": 6 clock bytes, then the checksum
    HistoryI,           // after "h": waiting for "i"
    BulkRead,           // "P": a record is out, waiting for "x"
    BulkWrite,          // "Z": taking records of 32 + 1 bytes
    Firmware,           // "F": taking blocks of 128 + 1 bytes
    Muted,              // fell silent in a transfer; ignores bytes until quiet
};

class ReceiverEngine {
  public:
    explicit ReceiverEngine(ReceiverOptions options = {});

    // Takes one byte from the tool; returns what the receiver sends because of
    // it, if anything.
    std::optional<Reply> Receive(std::uint8_t byte);
    // Feeds the bytes in order and returns all answer bytes, delays ignored.
    std::vector<std::uint8_t> ReceiveAll(std::span<const std::uint8_t> bytes);

    // The line has been quiet for the frame timeout: drop a partial frame or
    // transfer and go back to Idle. Does nothing in Idle.
    void AbortFrame();
    ParseState State() const { return state_; }
    // Not Idle: the runner's frame timeout applies.
    bool InFrame() const { return state_ != ParseState::Idle; }

    // An event line as the receiver sends it: the bytes and CR LF.
    static std::vector<std::uint8_t> EventLineBytes(const std::string& line);
    // Turns a demo event line, e.g. "2026-12-07 06:29:43 nadajnik 0012 przycisk 3
    // przekaznik 2 zalaczony", from a running counter and the given time.
    static std::string DemoEventLine(int counter, const std::array<std::uint8_t, 6>& clockBcd);

    const ReceiverOptions& Options() const { return options_; }
    const MemoryImage& Memory() const { return options_.memory; }
    void SetMemory(const MemoryImage& memory) { options_.memory = memory; }
    ReceiverMode Mode() const { return options_.mode; }
    // Also drops any partial frame.
    void SetMode(ReceiverMode mode);
    // The six bytes answered to "?" in the current mode.
    const VersionBytes& Version() const;
    // Sets the bytes of the current mode.
    void SetVersion(const VersionBytes& version);
    void SetApplicationVersion(const VersionBytes& version) {
        options_.applicationVersion = version;
    }
    void SetBootLoaderVersion(const VersionBytes& version) { options_.bootLoaderVersion = version; }
    const Pacing& GetPacing() const { return options_.pacing; }
    void SetPacing(const Pacing& pacing) { options_.pacing = pacing; }
    void SetHistory(std::vector<std::string> lines) { options_.history = std::move(lines); }
    void AppendHistory(std::string line);
    const std::vector<std::string>& History() const { return options_.history; }
    void SetFrameTimeout(std::chrono::milliseconds t) { options_.frameTimeout = t; }

    void InjectFault(const Fault& fault);
    void ClearFaults();
    const std::vector<Fault>& Faults() const { return faults_; }

    // The bytes of the firmware blocks taken (good checksum) since the last
    // "F", in order.
    const std::vector<std::uint8_t>& FirmwareReceived() const { return firmware_; }
    // Blocks echoed since the last "F".
    int FirmwareBlocksTaken() const {
        return static_cast<int>(firmware_.size()) / kFirmwareBlockSize;
    }
    const ReceiverClock& Clock() const { return clock_; }
    // Records stored by "z" / "Z" since construction (good checksum only).
    int RecordsWritten() const { return recordsWritten_; }

  private:
    struct PendingOnce {  // Garbage / short answer, counting answers down
        Fault fault;
        int answersLeft;
    };

    std::optional<Reply> Command(std::uint8_t byte);
    std::optional<Reply> Answer(std::vector<std::uint8_t> bytes, int delayMs);
    std::vector<std::uint8_t> RecordFrame(int record) const;
    bool HasFault(FaultKind kind, int index) const;
    bool SilentFrom(FaultKind kind, int index) const;
    // A write with a good checksum: into memory (StoresOtherAtRecord applied).
    void StoreRecord(int record, std::span<const std::uint8_t> data);
    // The end of a record write: the record in buffer_ is stored when
    // `checksum` is its sum, and the sum is echoed (its complement under a
    // wrong-echo fault).
    std::optional<Reply> StoreAndEcho(int record, std::uint8_t checksum);

    ReceiverOptions options_;
    std::vector<Fault> faults_;
    std::vector<PendingOnce> once_;
    ParseState state_ = ParseState::Idle;
    int record_ = 0;  // record or block in progress
    int count_ = 0;   // bytes of the current piece taken so far
    std::array<std::uint8_t, kFirmwareBlockSize> buffer_{};
    std::vector<std::uint8_t> firmware_;
    ReceiverClock clock_;
    int recordsWritten_ = 0;
};

// A memory of 32,768 bytes 0xFF (what "c" leaves).
MemoryImage ErasedMemory();
// Reads a settings file ("$*$10" + image) into `memory`; false with a reason
// when it cannot be used.
bool LoadMemoryFromSettingsFile(const std::string& path, MemoryImage* memory, std::string* error);

}  // namespace tav::sim
