#include "link/dispatcher.h"

#include "link/firmware.h"

namespace tav {
namespace {

constexpr std::string_view kError = "Błąd";
constexpr std::string_view kRefusal = "BŁĄD";
constexpr std::string_view kOk = "OK";

// Marks an operation as running for the life of the guard.
class RunningGuard {
  public:
    explicit RunningGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningGuard() { flag_ = false; }
    RunningGuard(const RunningGuard&) = delete;
    RunningGuard& operator=(const RunningGuard&) = delete;

  private:
    bool& flag_;
};

// A device result of its own for a transfer the host stopped between records.
constexpr int kStoppedByHost = 0;

bool ApplicationAccepted(const DeviceVersion& v) {
    return v[4] == 0x01 && v[5] <= 0x29;
}

bool BootLoaderAccepted(const DeviceVersion& v) {
    return v[2] == 0x01 && v[3] == 0x00 && v[4] == 0x01 && v[5] < 0x80;
}

OperationOutcome Conclude(DeviceContext& ctx, int result, std::string_view success) {
    if (result == kStoppedByHost) {
        return OperationOutcome::Stopped;
    }
    if (result == kDeviceOk) {
        ctx.host.ShowMessage(success, kOk);
        return OperationOutcome::Done;
    }
    ShowDeviceResult(ctx, result);
    return OperationOutcome::Failed;
}

enum class Direction { Read, Write };

// The host's answer between two records: `record` is done, another follows.
bool StopsAfter(DeviceContext& ctx, int record, bool more) {
    return more && ctx.host.StopAfterRecord(record);
}

// Operations 5, 6, 11 and 12: one command per record, stopping at the first
// failure (or where the host asks); the progress shows record - 1000.
int TransferRange(DeviceContext& ctx, Direction direction, int first, int last) {
    ctx.host.SetProgressRange(first - 1000, last - 1000);
    int result = kDeviceOk;
    for (int record = first; record <= last && result == kDeviceOk; ++record) {
        result = direction == Direction::Read ? ReadRecord(ctx, record) : WriteRecord(ctx, record);
        ctx.host.SetProgressPosition(record - 1000);
        if (result == kDeviceOk && StopsAfter(ctx, record, record < last)) {
            result = kStoppedByHost;
        }
    }
    return result;
}

OperationOutcome ReadAllMemory(DeviceContext& ctx) {
    BulkReadStart(ctx);
    ctx.host.SetProgressRange(0, kRecordCount);
    bool failed = false;
    bool stopped = false;
    for (int i = 0; i < kRecordCount && !failed && !stopped; ++i) {
        std::array<std::uint8_t, kBulkRecordFrame> frame{};
        if (BulkReadReceive(ctx, frame) < static_cast<int>(frame.size())) {
            ctx.host.ShowMessage("1000R nie odpowiada!", kError);
            failed = true;
        } else if (FrameChecksum(std::span(frame).first<kRecordSize>()) == frame[kRecordSize]) {
            std::copy_n(frame.begin(), kRecordSize, ctx.image.RecordAt(i).begin());
        } else {
            ctx.host.ShowMessage("Blad transmisji", kError);
            failed = true;
        }
        // Every record is answered, the failed one too.
        BulkReadAcknowledge(ctx);
        ctx.host.RefreshRemoteGrid();
        if (i % 16 == 15) {
            ctx.host.SetProgressPosition(i);
            ctx.host.RepaintWindow();
        }
        stopped = !failed && StopsAfter(ctx, i, i + 1 < kRecordCount);
    }
    ctx.host.RefreshScenarioGrid();
    ctx.host.RefreshSettingsPage();
    ctx.host.RepaintWindow();
    if (stopped) {
        return OperationOutcome::Stopped;
    }
    return failed ? OperationOutcome::Failed : OperationOutcome::Done;
}

// Whether the host may stop a transfer of blocks between two blocks.
enum class Stoppable { kBetweenRecords, kNever };

// Operation 4 and the firmware transfer: blocks with a one-byte echo each.
OperationOutcome SendEchoedBlocks(DeviceContext& ctx, int count, std::size_t blockSize,
                                  std::span<const std::uint8_t> data, int progressEvery,
                                  std::string_view noAnswer, std::string_view wrongEchoCaption,
                                  Stoppable stoppable) {
    ctx.host.SetProgressRange(0, count);
    bool failed = false;
    for (int n = 0; n < count && !failed; ++n) {
        const int result = SendBlockAwaitEcho(
            ctx, data.subspan(static_cast<std::size_t>(n) * blockSize, blockSize));
        if (result == kNoAnswer) {
            ctx.host.ShowMessage(noAnswer, kError);
            failed = true;
        } else if (result != kDeviceOk) {
            ctx.host.ShowMessage("Blad transmisji", wrongEchoCaption);
            failed = true;
        }
        if (n % progressEvery == progressEvery - 1) {
            ctx.host.SetProgressPosition(n);
        }
        if (!failed && stoppable == Stoppable::kBetweenRecords &&
            StopsAfter(ctx, n, n + 1 < count)) {
            return OperationOutcome::Stopped;
        }
    }
    if (failed) {
        return OperationOutcome::Failed;
    }
    ctx.host.ShowMessage("OK", kOk);
    return OperationOutcome::Done;
}

OperationOutcome WriteAllMemory(DeviceContext& ctx) {
    BulkWriteStart(ctx);
    return SendEchoedBlocks(ctx, kRecordCount, kRecordSize, ctx.image.Bytes(), 16,
                            "TAV-2000 nie odpowiada!", kError, Stoppable::kBetweenRecords);
}

// A firmware half sent is worse than one not begun: it runs to its end.
OperationOutcome UpdateFirmware(DeviceContext& ctx) {
    FirmwareTransferStart(ctx);
    return SendEchoedBlocks(ctx, kFirmwareBlocks, kFirmwareBlockSize, ctx.firmware, 4,
                            "TAV-1000R nie odpowiada!", kRefusal, Stoppable::kNever);
}

bool ValidRemote(int remote) {
    return remote >= 0 && remote < kRemoteCount;
}

// The work of an operation once the application gate has let it through.
OperationOutcome RunApplicationWork(DeviceContext& ctx, unsigned operation) {
    OperationHost& host = ctx.host;
    switch (operation) {
        case kReadSelectedRemote: {
            const int remote = host.SelectedRemote();
            if (!ValidRemote(remote)) {
                return OperationOutcome::Refused;
            }
            const int result = ReadRecord(ctx, remote);
            if (result == kDeviceOk) {
                host.RefreshRemoteGrid();
                host.ShowSelectedRemote();
                host.ShowDisplaySettings();
            }
            return Conclude(ctx, result, "Pilot odczytano z TAV-1000/1000R");
        }
        case kReadAllMemory:
            return ReadAllMemory(ctx);
        case kWriteSelectedRemote: {
            const int remote = host.SelectedRemote();
            if (!ValidRemote(remote)) {
                return OperationOutcome::Refused;
            }
            return Conclude(ctx, WriteRecord(ctx, remote), "Pilot zapisano w TAV-2000");
        }
        case kWriteAllMemory:
            return WriteAllMemory(ctx);
        case kWriteScenarios:
            return Conclude(ctx,
                            TransferRange(ctx, Direction::Write, kFirstScenarioRecord,
                                          kLastScenarioGroupRecord),
                            "Scenariusz zostal wyslany");
        case kReadScenarios: {
            const int result =
                TransferRange(ctx, Direction::Read, kFirstScenarioRecord, kLastScenarioGroupRecord);
            if (result == kDeviceOk) {
                host.RefreshScenarioPage();
                host.ShowDisplaySettings();
            }
            return Conclude(ctx, result, "Scenariusz zostal odebrany");
        }
        case kSetClock:
            return Conclude(ctx, SetDeviceClock(ctx), "Ustawiono zegar w TAV-1000R");
        case kEraseMemory:
            return Conclude(ctx, EraseDeviceMemory(ctx), "TAV-1000R Kasuje cala pamiec");
        case kWriteDisplaySettings:
            return Conclude(ctx, WriteRecord(ctx, kDisplayRecord),
                            "Stan wyswietlacza zapisano TAV-1000R");
        case kReadDisplaySettings: {
            const int result = ReadRecord(ctx, kDisplayRecord);
            if (result == kDeviceOk) {
                host.ShowDisplaySettings();
            }
            const OperationOutcome outcome =
                Conclude(ctx, result, "Stan wyswietlacza odebrano z TAV-1000R");
            host.RepaintWindow();
            return outcome;
        }
        case kWriteClockEvents:
            return Conclude(ctx,
                            TransferRange(ctx, Direction::Write, kFirstClockTransmitterRecord,
                                          kClockEventRecord),
                            "Zd zegarowe zostaly wyslane");
        case kReadClockEvents: {
            const int result = TransferRange(ctx, Direction::Read, kFirstClockTransmitterRecord,
                                             kClockEventRecord);
            if (result == kDeviceOk) {
                host.ShowClockEvents();
                host.ShowDisplaySettings();
            }
            return Conclude(ctx, result, "Zd zeg zostaly odebrane");
        }
        case kUpdateFirmware:
            // The application is running: nothing to do, no message.
            return OperationOutcome::Refused;
        default:
            return OperationOutcome::Done;
    }
}

}  // namespace

namespace {

OperationOutcome RunFrame(DeviceContext& ctx, unsigned operation, const DeviceWork& work) {
    if (ctx.operationRunning) {
        return OperationOutcome::Refused;
    }
    RunningGuard running(ctx.operationRunning);
    OperationHost& host = ctx.host;
    if (host.OnlineReceptionActive()) {
        host.ShowMessage("Odbieram zdarzenia.", kError);
        return OperationOutcome::Refused;
    }
    if (operation == kUpdateFirmware && ctx.firmware.size() != kFirmwareSize) {
        // No image to send; the caller tells the user before it gets here.
        return OperationOutcome::Refused;
    }
    if (!OpenSelectedPort(ctx).opened) {
        return OperationOutcome::Refused;
    }
    OperationOutcome outcome = OperationOutcome::Refused;
    const int kind = QueryVersion(ctx);
    if (kind == 1) {
        if (ApplicationAccepted(ctx.version)) {
            outcome = work(ctx);
        } else {
            host.ShowMessage("Niewłaściwa wersja programu!", kRefusal);
        }
    } else if (kind == 2) {
        if (!BootLoaderAccepted(ctx.version)) {
            host.ShowMessage("Niewłaściwa wersja bootloadera!", kRefusal);
        } else if (operation == kUpdateFirmware) {
            outcome = UpdateFirmware(ctx);
        } else {
            host.ShowMessage(
                "TAV-1000R znajduje się w trybie bootloadera.  Zresetuj urządzenie albo "
                "przeprowadź aktualizację oprogramowania!",
                kRefusal);
        }
    }
    host.ResetProgress();
    ctx.link.ClosePort();
    return outcome;
}

OperationOutcome TransferList(DeviceContext& ctx, Direction direction,
                              std::span<const int> records) {
    ctx.host.SetProgressRange(0, static_cast<int>(records.size()));
    int result = kDeviceOk;
    for (std::size_t i = 0; i < records.size() && result == kDeviceOk; ++i) {
        const int record = records[i];
        if (record < 0 || record >= kRecordCount) {
            return OperationOutcome::Refused;
        }
        result = direction == Direction::Read ? ReadRecord(ctx, record) : WriteRecord(ctx, record);
        ctx.host.SetProgressPosition(static_cast<int>(i) + 1);
        if (result == kDeviceOk && StopsAfter(ctx, record, i + 1 < records.size())) {
            return OperationOutcome::Stopped;
        }
    }
    if (result != kDeviceOk) {
        ShowDeviceResult(ctx, result);
        return OperationOutcome::Failed;
    }
    return OperationOutcome::Done;
}

}  // namespace

OperationOutcome RunDeviceOperation(DeviceContext& ctx, unsigned operation) {
    return RunFrame(ctx, operation,
                    [operation](DeviceContext& c) { return RunApplicationWork(c, operation); });
}

OperationOutcome RunDeviceWork(DeviceContext& ctx, const DeviceWork& work) {
    // 0 is no operation: a receiver in boot-loader mode is told so.
    return RunFrame(ctx, 0, work);
}

OperationOutcome ReadRecordList(DeviceContext& ctx, std::span<const int> records) {
    return TransferList(ctx, Direction::Read, records);
}

OperationOutcome WriteRecordList(DeviceContext& ctx, std::span<const int> records) {
    return TransferList(ctx, Direction::Write, records);
}

}  // namespace tav
