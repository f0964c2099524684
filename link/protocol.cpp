#include "link/protocol.h"

#include "link/messages.h"

namespace tav {
namespace {

constexpr int kSingleIdleLimit = 10;

void Send(DeviceContext& ctx, std::span<const std::uint8_t> bytes) {
    // The result is not examined: a failed send shows up as a missing answer.
    ctx.link.SendBytes(bytes);
}

void SendFlushed(DeviceContext& ctx, std::span<const std::uint8_t> bytes) {
    Send(ctx, bytes);
    ctx.link.Flush();
}

void SendByteFlushed(DeviceContext& ctx, std::uint8_t byte) {
    SendFlushed(ctx, std::span<const std::uint8_t>(&byte, 1));
}

void Pause(DeviceContext& ctx, int ms) {
    ctx.link.timing().Sleep(Millis(ms));
}

void SendRecordHeader(DeviceContext& ctx, std::uint8_t command, int record) {
    const std::uint8_t header[wire::kRecordHeaderSize] = {
        command, static_cast<std::uint8_t>((record >> 8) & 0xFF),
        static_cast<std::uint8_t>(record & 0xFF)};
    SendFlushed(ctx, header);
}

std::uint8_t Bcd(int value) {
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

// Sends the data, pauses 10 ms, sends the checksum; the answer is its echo.
int SendChecked(DeviceContext& ctx, std::span<const std::uint8_t> data) {
    SendFlushed(ctx, data);
    Pause(ctx, kChecksumPauseMs);
    const std::uint8_t sum = FrameChecksum(data);
    SendByteFlushed(ctx, sum);
    std::uint8_t echo = 0;
    if (ctx.link.ReceiveBytes(std::span<std::uint8_t>(&echo, 1), kSingleIdleLimit) < 1) {
        return kNoAnswer;
    }
    return echo == sum ? kDeviceOk : kTransmissionError;
}

}  // namespace

std::uint8_t FrameChecksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return sum;
}

PortOpenOutcome OpenSelectedPort(DeviceContext& ctx) {
    PortOpenOutcome outcome = ctx.link.OpenSelectedPort(ctx.portIndex);
    if (!outcome.opened) {
        ctx.host.ShowMessage(messages::kPortRefused, messages::kError);
        ctx.host.PortOpenFailed(outcome);
    }
    return outcome;
}

VersionKind QueryVersion(DeviceContext& ctx) {
    SendByteFlushed(ctx, wire::kVersionQuery);
    // The answer goes straight into the kept version: a short answer leaves
    // the bytes that did arrive over the start of the previous one.
    const int n = ctx.link.ReceiveBytes(ctx.version, kSingleIdleLimit);
    Pause(ctx, kFramePauseMs);
    const VersionKind kind = KindOf(ctx.version);
    if (n < static_cast<int>(ctx.version.size()) || kind == VersionKind::kNoAnswer) {
        ctx.host.ShowMessage(messages::kNoAnswer, messages::kError);
        return VersionKind::kNoAnswer;
    }
    if (kind != VersionKind::kUnknown) {
        ctx.host.ShowVersionText(VersionText(ctx.version));
    }
    return kind;
}

int ReadRecord(DeviceContext& ctx, int record) {
    SendRecordHeader(ctx, wire::kReadRecord, record);
    Pause(ctx, kFramePauseMs);
    std::array<std::uint8_t, wire::kRecordFrameSize> answer{};
    if (ctx.link.ReceiveBytes(answer, kSingleIdleLimit) < static_cast<int>(answer.size())) {
        return kNoAnswer;
    }
    const auto data = std::span<const std::uint8_t>(answer).first<kRecordSize>();
    if (FrameChecksum(data) != answer[kRecordSize]) {
        return kTransmissionError;
    }
    std::copy(data.begin(), data.end(), ctx.image.RecordAt(record).begin());
    return kDeviceOk;
}

int WriteRecord(DeviceContext& ctx, int record) {
    SendRecordHeader(ctx, wire::kWriteRecord, record);
    Pause(ctx, kFramePauseMs);
    return SendChecked(ctx, ctx.image.RecordAt(record));
}

int SetDeviceClock(DeviceContext& ctx) {
    // Date and time from one reading, so that the two cannot straddle midnight.
    const LocalDateTime now = ctx.localClock.Now();
    const int year = ((now.year - 2000) % 100 + 100) % 100;
    const std::array<std::uint8_t, 6> frame = {Bcd(now.second), Bcd(now.minute), Bcd(now.hour),
                                               Bcd(now.day),    Bcd(now.month),  Bcd(year)};
    SendByteFlushed(ctx, wire::kSetClock);
    Pause(ctx, kFramePauseMs);
    return SendChecked(ctx, frame);
}

int EraseDeviceMemory(DeviceContext& ctx) {
    SendByteFlushed(ctx, wire::kEraseMemory);
    return kDeviceOk;
}

void ShowDeviceResult(DeviceContext& ctx, int result) {
    if (result == kNoAnswer) {
        ctx.host.ShowMessage(messages::kNoAnswer, messages::kError);
    } else if (result == kTransmissionError) {
        ctx.host.ShowMessage(messages::kTransmissionError, messages::kError);
    }
}

void HistoryRequest(DeviceContext& ctx) {
    SendFlushed(ctx, wire::kHistoryRequest);
}

void BulkReadStart(DeviceContext& ctx) {
    Send(ctx, std::span(&wire::kBulkRead, 1));
    Pause(ctx, kFramePauseMs);
}

int BulkReadReceive(DeviceContext& ctx, std::span<std::uint8_t, kBulkRecordFrame> frame) {
    return ctx.link.ReceiveBytes(frame, kBulkIdleLimit);
}

void BulkReadAcknowledge(DeviceContext& ctx) {
    SendByteFlushed(ctx, wire::kBulkReadNext);
}

void BulkWriteStart(DeviceContext& ctx) {
    Send(ctx, std::span(&wire::kBulkWrite, 1));
    Pause(ctx, kFramePauseMs);
}

void FirmwareTransferStart(DeviceContext& ctx) {
    Send(ctx, std::span(&wire::kFirmwareTransfer, 1));
    Pause(ctx, wire::kFirmwarePauseMs);
}

int SendBlockAwaitEcho(DeviceContext& ctx, std::span<const std::uint8_t> data) {
    const std::uint8_t sum = FrameChecksum(data);
    Send(ctx, data);
    Send(ctx, std::span<const std::uint8_t>(&sum, 1));
    std::uint8_t echo = 0;
    if (ctx.link.ReceiveBytes(std::span<std::uint8_t>(&echo, 1), kBulkIdleLimit) < 1) {
        return kNoAnswer;
    }
    return echo == sum ? kDeviceOk : kTransmissionError;
}

}  // namespace tav
