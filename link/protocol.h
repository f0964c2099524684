// The receiver's command protocol: one-byte commands, record frames with an
// 8-bit checksum, fixed pauses, idle time-outs.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "device_version.h"
#include "image/memory_image.h"
#include "image/wire_protocol.h"
#include "operation_host.h"
#include "serial_link.h"

namespace tav {

// 1 success, -1 transmission error, -2 no answer.
enum DeviceResult : int { kDeviceOk = 1, kTransmissionError = -1, kNoAnswer = -2 };

// Everything one device operation works with. The program owns one of these;
// DeviceVersion lives here, not in a global. The caller sets the values an
// operation starts from before it runs; the operation asks nobody for them.
struct DeviceContext {
    SerialLink& link;
    MemoryImage& image;
    OperationHost& host;
    LocalClock& localClock;
    int portIndex = 0;                         // the selected port's entry, -1 for none
    int selectedRemote = 0;                    // 0..999: the record of operations 1 and 3
    bool onlineReception = false;              // on-line reception holds the port
    DeviceVersion version{};                   // all zeros before the first query
    std::span<const std::uint8_t> firmware{};  // the image operation 98 sends; empty: none
    bool operationRunning = false;
};

std::uint8_t FrameChecksum(std::span<const std::uint8_t> bytes);

// Opens the port ctx.portIndex; on failure shows "Niewłaściwa nazwa
// portu lub port jest aktywny." / "Błąd", hands the host the outcome
// (PortOpenFailed) and returns it.
PortOpenOutcome OpenSelectedPort(DeviceContext& ctx);

// Asks "?" and fills ctx.version. kNoAnswer after "TAV-1000R nie odpowiada!"
// when nothing usable came (fewer than six bytes, or no "v"); kUnknown, without
// a message, for a "v" answer of another kind. An application or boot-loader
// answer shows its version text through the host.
VersionKind QueryVersion(DeviceContext& ctx);

// The single-record and clock commands return a DeviceResult. ReadRecord
// replaces record `record` (0..1023) of the image only on success.
int ReadRecord(DeviceContext& ctx, int record);
int WriteRecord(DeviceContext& ctx, int record);
// Sends the local date and time, taken in one reading of ctx.localClock.
int SetDeviceClock(DeviceContext& ctx);
// "c"; awaits nothing, so always kDeviceOk. The image is not touched.
int EraseDeviceMemory(DeviceContext& ctx);
// "TAV-1000R nie odpowiada!" for kNoAnswer, "Blad transmisji" for
// kTransmissionError (caption "Błąd"); nothing for any other value.
void ShowDeviceResult(DeviceContext& ctx, int result);

using wire::kChecksumPauseMs;
using wire::kFramePauseMs;

// What the transfers cost on the line (image/line_time.h), both directions, with
// their fixed pauses, in microseconds; the receiver's own processing time is
// not counted.
// "z", record number, 32 bytes, checksum; the echo.
inline constexpr double kSingleWriteMicros =
    (3 + 32 + 1 + 1) * kLineByteMicros + (kFramePauseMs + kChecksumPauseMs) * 1000.0;
// "p", record number; 32 bytes and the checksum.
inline constexpr double kSingleReadMicros = (3 + 33) * kLineByteMicros + kFramePauseMs * 1000.0;
// "Z" (or "P"), then 1024 x 34 bytes (33 one way, the echo or "x" the other).
inline constexpr double kBulkTransferMicros =
    kLineByteMicros + kFramePauseMs * 1000.0 + 1024 * 34 * kLineByteMicros;
// The most records for which single-record commands beat one bulk transfer.
constexpr int SingleRecordLimit(double singleMicros) {
    int n = 0;
    while ((n + 1) * singleMicros < kBulkTransferMicros) {
        ++n;
    }
    return n;
}

// Frames of the bulk loops, which live in the dispatcher.
inline constexpr int kBulkIdleLimit = 50;
inline constexpr std::size_t kBulkRecordFrame = wire::kRecordFrameSize;
// BulkRead: "P" (not flushed), 50 ms; then per record 33 bytes (idle limit
// 50), each answered by a flushed "x", also a short or bad one.
void BulkReadStart(DeviceContext& ctx);
int BulkReadReceive(DeviceContext& ctx, std::span<std::uint8_t, kBulkRecordFrame> frame);
void BulkReadAcknowledge(DeviceContext& ctx);
// BulkWrite: "Z" (not flushed), 50 ms. FirmwareTransfer: "F" (not flushed), 20 ms.
void BulkWriteStart(DeviceContext& ctx);
void FirmwareTransferStart(DeviceContext& ctx);
// One record or firmware block of those two: the data, then its checksum, two
// sends back to back, not flushed; the answer is the checksum echoed (idle
// limit 50). A DeviceResult.
int SendBlockAwaitEcho(DeviceContext& ctx, std::span<const std::uint8_t> data);

// "hi", one send, flushed (allowed where HistoryRequestAllowed says so).
void HistoryRequest(DeviceContext& ctx);

}  // namespace tav
