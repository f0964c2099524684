#include "link/dispatcher.h"

#include "link/firmware.h"
#include "link/messages.h"

namespace tav {
namespace {

using messages::kError;
using messages::kOk;
using messages::kRefusal;

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

constexpr int kSelected = -1;  // the selected remote's record

struct RecordRow {
    unsigned operation;
    RecordAccess access;
    int first;
    int last;
};

constexpr RecordRow kRecordTable[] = {
    {kReadSelectedRemote, RecordAccess::kRead, kSelected, kSelected},
    {kReadAllMemory, RecordAccess::kRead, 0, kRecordCount - 1},
    {kWriteSelectedRemote, RecordAccess::kWrite, kSelected, kSelected},
    {kWriteAllMemory, RecordAccess::kWrite, 0, kRecordCount - 1},
    {kWriteScenarios, RecordAccess::kWrite, kFirstScenarioRecord, kLastScenarioGroupRecord},
    {kReadScenarios, RecordAccess::kRead, kFirstScenarioRecord, kLastScenarioGroupRecord},
    {kWriteDisplaySettings, RecordAccess::kWrite, kDisplayRecord, kDisplayRecord},
    {kReadDisplaySettings, RecordAccess::kRead, kDisplayRecord, kDisplayRecord},
    {kWriteClockEvents, RecordAccess::kWrite, kFirstClockTransmitterRecord, kClockEventRecord},
    {kReadClockEvents, RecordAccess::kRead, kFirstClockTransmitterRecord, kClockEventRecord},
};

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

int Transfer(DeviceContext& ctx, RecordAccess access, int record) {
    return access == RecordAccess::kRead ? ReadRecord(ctx, record) : WriteRecord(ctx, record);
}

// The host's answer between two records: `record` is done, another follows.
bool StopsAfter(DeviceContext& ctx, int record, bool more) {
    return more && ctx.host.StopAfterRecord(record);
}

// The operation's records one command each, stopping at the first failure
// (or where the host asks). A range (operations 5, 6, 11, 12) shows its
// progress as record - 1000; a single record (1, 3, 9, 10) shows none.
int TransferRecords(DeviceContext& ctx, const OperationRecords& records) {
    if (records.Count() == 1) {
        return Transfer(ctx, records.access, records.first);
    }
    ctx.host.SetProgressRange(records.first - 1000, records.last - 1000);
    int result = kDeviceOk;
    for (int record = records.first; record <= records.last && result == kDeviceOk; ++record) {
        result = Transfer(ctx, records.access, record);
        ctx.host.SetProgressPosition(record - 1000);
        if (result == kDeviceOk && StopsAfter(ctx, record, record < records.last)) {
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
            ctx.host.ShowMessage(messages::kTransmissionError, kError);
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
            ctx.host.ShowMessage(messages::kTransmissionError, wrongEchoCaption);
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
    ctx.host.ShowMessage(kOk, kOk);
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
                            messages::kNoAnswer, kRefusal, Stoppable::kNever);
}

bool ValidRemote(int remote) {
    return remote >= 0 && remote < kRemoteCount;
}

// The work of an operation once the application gate has let it through.
OperationOutcome RunApplicationWork(DeviceContext& ctx, unsigned operation) {
    OperationHost& host = ctx.host;
    // The records of operations other than 1 and 3 do not depend on the
    // selected remote, which is asked for only where it counts.
    const auto transfer = [&ctx, operation](int remote = 0) {
        return TransferRecords(ctx, RecordsOfOperation(operation, remote));
    };
    switch (operation) {
        case kReadSelectedRemote: {
            const int remote = host.SelectedRemote();
            if (!ValidRemote(remote)) {
                return OperationOutcome::Refused;
            }
            const int result = transfer(remote);
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
            return Conclude(ctx, transfer(remote), "Pilot zapisano w TAV-2000");
        }
        case kWriteAllMemory:
            return WriteAllMemory(ctx);
        case kWriteScenarios:
            return Conclude(ctx, transfer(), "Scenariusz zostal wyslany");
        case kReadScenarios: {
            const int result = transfer();
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
            return Conclude(ctx, transfer(), "Stan wyswietlacza zapisano TAV-1000R");
        case kReadDisplaySettings: {
            const int result = transfer();
            if (result == kDeviceOk) {
                host.ShowDisplaySettings();
            }
            const OperationOutcome outcome =
                Conclude(ctx, result, "Stan wyswietlacza odebrano z TAV-1000R");
            host.RepaintWindow();
            return outcome;
        }
        case kWriteClockEvents:
            return Conclude(ctx, transfer(), "Zd zegarowe zostaly wyslane");
        case kReadClockEvents: {
            const int result = transfer();
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
    const VersionKind kind = QueryVersion(ctx);
    if (kind == VersionKind::kApplication) {
        if (ApplicationAccepted(ctx.version)) {
            outcome = work(ctx);
        } else {
            host.ShowMessage("Niewłaściwa wersja programu!", kRefusal);
        }
    } else if (kind == VersionKind::kBootLoader) {
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

OperationOutcome TransferList(DeviceContext& ctx, RecordAccess access,
                              std::span<const int> records) {
    ctx.host.SetProgressRange(0, static_cast<int>(records.size()));
    int result = kDeviceOk;
    for (std::size_t i = 0; i < records.size() && result == kDeviceOk; ++i) {
        const int record = records[i];
        if (record < 0 || record >= kRecordCount) {
            return OperationOutcome::Refused;
        }
        result = Transfer(ctx, access, record);
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

OperationRecords RecordsOfOperation(unsigned operation, int selectedRemote) {
    for (const RecordRow& row : kRecordTable) {
        if (row.operation == operation) {
            return row.first == kSelected
                       ? OperationRecords{row.access, selectedRemote, selectedRemote}
                       : OperationRecords{row.access, row.first, row.last};
        }
    }
    return {};
}

OperationOutcome RunDeviceOperation(DeviceContext& ctx, unsigned operation) {
    return RunFrame(ctx, operation,
                    [operation](DeviceContext& c) { return RunApplicationWork(c, operation); });
}

OperationOutcome RunDeviceWork(DeviceContext& ctx, const DeviceWork& work) {
    // 0 is no operation: a receiver in boot-loader mode is told so.
    return RunFrame(ctx, 0, work);
}

OperationOutcome ReadRecordList(DeviceContext& ctx, std::span<const int> records) {
    return TransferList(ctx, RecordAccess::kRead, records);
}

OperationOutcome WriteRecordList(DeviceContext& ctx, std::span<const int> records) {
    return TransferList(ctx, RecordAccess::kWrite, records);
}

}  // namespace tav
