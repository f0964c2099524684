#include "link/dispatcher.h"

#include "link/firmware.h"
#include "link/messages.h"
#include "link/operation_report.h"

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

ProgressKind KindOf(RecordAccess access) {
    return access == RecordAccess::kRead ? ProgressKind::kRead : ProgressKind::kWrite;
}

// Reports `done` of `total` records or blocks, the bar at `position` of
// minimum..maximum, each of the rest taking `micros` on the line.
struct ProgressReport {
    ProgressKind kind;
    int minimum;
    int maximum;
    int total;
    double micros;

    void Show(DeviceContext& ctx, int position, int done) const {
        ctx.host.ShowProgress(
            {kind, minimum, maximum, position, done, total, (total - done) * micros / 1e6});
    }
    void Start(DeviceContext& ctx) const { Show(ctx, minimum, 0); }
    // The host's stop after `done` records: its message, and the outcome.
    OperationOutcome Stop(DeviceContext& ctx, int done) const {
        ctx.host.ShowMessage(StopMessage(kind, done, total), messages::kWarning);
        return {OperationOutcome::Stopped, OutcomeReason::kStopped, done, total};
    }
};

OutcomeReason ReasonOf(int result) {
    return result == kNoAnswer ? OutcomeReason::kRecordNoAnswer : OutcomeReason::kRecordDamaged;
}

// The end of an operation that transferred `done` of `total` records with
// `result` (kStoppedByHost after the host's stop, already told).
OperationOutcome Conclude(DeviceContext& ctx, int result, std::string_view success, int done = 0,
                          int total = 0) {
    if (result == kStoppedByHost) {
        return {OperationOutcome::Stopped, OutcomeReason::kStopped, done, total};
    }
    if (result == kDeviceOk) {
        ctx.host.ShowMessage(success, kOk);
        return {OperationOutcome::Done, OutcomeReason::kNone, done, total};
    }
    ShowDeviceResult(ctx, result);
    return {OperationOutcome::Failed, ReasonOf(result), done, total};
}

int Transfer(DeviceContext& ctx, RecordAccess access, int record) {
    const int result =
        access == RecordAccess::kRead ? ReadRecord(ctx, record) : WriteRecord(ctx, record);
    if (result == kDeviceOk && access == RecordAccess::kRead) {
        ctx.host.RecordsChanged(record, record);
    }
    return result;
}

// The host's answer between two records: `record` is done, another follows.
bool StopsAfter(DeviceContext& ctx, int record, bool more) {
    return more && ctx.host.StopAfterRecord(record);
}

double SingleMicros(RecordAccess access) {
    return access == RecordAccess::kRead ? kSingleReadMicros : kSingleWriteMicros;
}

// The operation's records one command each, stopping at the first failure
// (or where the host asks). A range (operations 5, 6, 11, 12) shows its
// progress as record - 1000; a single record (1, 3, 9, 10) shows none.
// `done` is set to the records that went through.
int TransferRecords(DeviceContext& ctx, const OperationRecords& records, int& done) {
    done = 0;
    if (records.Count() == 1) {
        const int result = Transfer(ctx, records.access, records.first);
        done = result == kDeviceOk ? 1 : 0;
        return result;
    }
    const ProgressReport progress{KindOf(records.access), records.first - 1000, records.last - 1000,
                                  records.Count(), SingleMicros(records.access)};
    progress.Start(ctx);
    int result = kDeviceOk;
    for (int record = records.first; record <= records.last && result == kDeviceOk; ++record) {
        result = Transfer(ctx, records.access, record);
        done += result == kDeviceOk ? 1 : 0;
        progress.Show(ctx, record - 1000, done);
        if (result == kDeviceOk && StopsAfter(ctx, record, record < records.last)) {
            progress.Stop(ctx, done);
            result = kStoppedByHost;
        }
    }
    return result;
}

OperationOutcome ReadAllMemory(DeviceContext& ctx) {
    BulkReadStart(ctx);
    const ProgressReport progress{ProgressKind::kRead, 0, kRecordCount, kRecordCount,
                                  RecordMicros(ProgressKind::kRead)};
    progress.Start(ctx);
    OutcomeReason failure = OutcomeReason::kNone;
    bool stopped = false;
    int done = 0;
    for (int i = 0; i < kRecordCount && failure == OutcomeReason::kNone && !stopped; ++i) {
        std::array<std::uint8_t, kBulkRecordFrame> frame{};
        if (BulkReadReceive(ctx, frame) < static_cast<int>(frame.size())) {
            ctx.host.ShowMessage("1000R nie odpowiada!", kError);
            failure = OutcomeReason::kRecordNoAnswer;
        } else if (FrameChecksum(std::span(frame).first<kRecordSize>()) == frame[kRecordSize]) {
            std::copy_n(frame.begin(), kRecordSize, ctx.image.RecordAt(i).begin());
            done = i + 1;
        } else {
            ctx.host.ShowMessage(messages::kTransmissionError, kError);
            failure = OutcomeReason::kRecordDamaged;
        }
        // Every record is answered, the failed one too.
        BulkReadAcknowledge(ctx);
        if (i % 16 == 15) {
            progress.Show(ctx, i, done);
        }
        stopped = failure == OutcomeReason::kNone && StopsAfter(ctx, i, i + 1 < kRecordCount);
    }
    if (done > 0) {
        ctx.host.RecordsChanged(0, done - 1);
    }
    if (stopped) {
        return progress.Stop(ctx, done);
    }
    if (failure != OutcomeReason::kNone) {
        return {OperationOutcome::Failed, failure, done, kRecordCount};
    }
    return {OperationOutcome::Done, OutcomeReason::kNone, done, kRecordCount};
}

// Operation 4 and the firmware transfer: blocks with a one-byte echo each.
OperationOutcome SendEchoedBlocks(DeviceContext& ctx, ProgressKind kind, int count,
                                  std::size_t blockSize, std::span<const std::uint8_t> data,
                                  int progressEvery, std::string_view noAnswer,
                                  std::string_view wrongEchoCaption) {
    const ProgressReport progress{kind, 0, count, count, RecordMicros(kind)};
    progress.Start(ctx);
    for (int n = 0; n < count; ++n) {
        const int result = SendBlockAwaitEcho(
            ctx, data.subspan(static_cast<std::size_t>(n) * blockSize, blockSize));
        if (result != kDeviceOk) {
            if (result == kNoAnswer) {
                ctx.host.ShowMessage(noAnswer, kError);
            } else {
                ctx.host.ShowMessage(messages::kTransmissionError, wrongEchoCaption);
            }
            if (n % progressEvery == progressEvery - 1) {
                progress.Show(ctx, n, n);
            }
            return {OperationOutcome::Failed, ReasonOf(result), n, count};
        }
        if (n % progressEvery == progressEvery - 1) {
            progress.Show(ctx, n, n + 1);
        }
        if (StopsAfter(ctx, n, n + 1 < count)) {
            return progress.Stop(ctx, n + 1);
        }
    }
    ctx.host.ShowMessage(kOk, kOk);
    return {OperationOutcome::Done, OutcomeReason::kNone, count, count};
}

OperationOutcome WriteAllMemory(DeviceContext& ctx) {
    BulkWriteStart(ctx);
    return SendEchoedBlocks(ctx, ProgressKind::kWrite, kRecordCount, kRecordSize, ctx.image.Bytes(),
                            16, "TAV-2000 nie odpowiada!", kError);
}

// A stop between two blocks leaves the receiver in its boot loader until an
// update runs whole; the window asks before it stops one.
OperationOutcome UpdateFirmware(DeviceContext& ctx) {
    FirmwareTransferStart(ctx);
    return SendEchoedBlocks(ctx, ProgressKind::kFirmware, kFirmwareBlocks, kFirmwareBlockSize,
                            ctx.firmware, 4, messages::kNoAnswer, kRefusal);
}

bool ValidRemote(int remote) {
    return remote >= 0 && remote < kRemoteCount;
}

// The work of an operation once the application gate has let it through.
OperationOutcome RunApplicationWork(DeviceContext& ctx, unsigned operation) {
    // The records of operations other than 1 and 3 do not depend on the
    // selected remote.
    const int remote = ctx.selectedRemote;
    const OperationRecords records = RecordsOfOperation(operation, remote);
    const auto transfer = [&ctx, &records](std::string_view success) {
        int done = 0;
        const int result = TransferRecords(ctx, records, done);
        return Conclude(ctx, result, success, done, records.Count());
    };
    switch (operation) {
        case kReadSelectedRemote:
        case kWriteSelectedRemote:
            if (!ValidRemote(remote)) {
                return {OperationOutcome::Refused, OutcomeReason::kNoSuchRecord};
            }
            return transfer(operation == kReadSelectedRemote ? "Pilot odczytano z TAV-1000/1000R"
                                                             : "Pilot zapisano w TAV-2000");
        case kReadAllMemory:
            return ReadAllMemory(ctx);
        case kWriteAllMemory:
            return WriteAllMemory(ctx);
        case kWriteScenarios:
            return transfer("Scenariusz zostal wyslany");
        case kReadScenarios:
            return transfer("Scenariusz zostal odebrany");
        case kSetClock:
            return Conclude(ctx, SetDeviceClock(ctx), "Ustawiono zegar w TAV-1000R");
        case kEraseMemory:
            return Conclude(ctx, EraseDeviceMemory(ctx), "TAV-1000R Kasuje cala pamiec");
        case kWriteDisplaySettings:
            return transfer("Stan wyswietlacza zapisano TAV-1000R");
        case kReadDisplaySettings:
            return transfer("Stan wyswietlacza odebrano z TAV-1000R");
        case kWriteClockEvents:
            return transfer("Zd zegarowe zostaly wyslane");
        case kReadClockEvents:
            return transfer("Zd zeg zostaly odebrane");
        case kUpdateFirmware:
            // The application is running: nothing to do, no message.
            return {OperationOutcome::Refused, OutcomeReason::kApplicationRunning};
        default:
            return OperationOutcome::Done;
    }
}

}  // namespace

namespace {

OperationOutcome RunFrame(DeviceContext& ctx, unsigned operation, const DeviceWork& work) {
    using enum OutcomeReason;
    if (ctx.operationRunning) {
        return {OperationOutcome::Refused, kBusy};
    }
    RunningGuard running(ctx.operationRunning);
    OperationHost& host = ctx.host;
    if (ctx.onlineReception) {
        host.ShowMessage("Odbieram zdarzenia.", kError);
        return {OperationOutcome::Refused, kOnlineReception};
    }
    if (operation == kUpdateFirmware && ctx.firmware.size() != kFirmwareSize) {
        // No image to send; the caller tells the user before it gets here.
        return {OperationOutcome::Refused, kNoFirmware};
    }
    if (!OpenSelectedPort(ctx).opened) {
        return {OperationOutcome::Refused, kPortRefused};
    }
    OperationOutcome outcome;
    const VersionKind kind = QueryVersion(ctx);
    if (kind == VersionKind::kApplication) {
        if (ApplicationAccepted(ctx.version)) {
            outcome = work(ctx);
        } else {
            host.ShowMessage("Niewłaściwa wersja programu!", kRefusal);
            outcome = {OperationOutcome::Refused, kApplicationVersion};
        }
    } else if (kind == VersionKind::kBootLoader) {
        if (!BootLoaderAccepted(ctx.version)) {
            host.ShowMessage("Niewłaściwa wersja bootloadera!", kRefusal);
            outcome = {OperationOutcome::Refused, kBootLoaderVersion};
        } else if (operation == kUpdateFirmware) {
            outcome = UpdateFirmware(ctx);
        } else {
            host.ShowMessage(
                "TAV-1000R znajduje się w trybie bootloadera.  Zresetuj urządzenie albo "
                "przeprowadź aktualizację oprogramowania!",
                kRefusal);
            outcome = {OperationOutcome::Refused, kBootLoaderMode};
        }
    } else {
        outcome = {OperationOutcome::Refused,
                   kind == VersionKind::kNoAnswer ? kNoAnswer : kUnknownVersion};
    }
    host.ShowProgress({});
    ctx.link.ClosePort();
    return outcome;
}

OperationOutcome TransferList(DeviceContext& ctx, RecordAccess access,
                              std::span<const int> records) {
    const int total = static_cast<int>(records.size());
    const ProgressReport progress{KindOf(access), 0, total, total, SingleMicros(access)};
    progress.Start(ctx);
    for (int i = 0; i < total; ++i) {
        const int record = records[static_cast<std::size_t>(i)];
        if (record < 0 || record >= kRecordCount) {
            return {OperationOutcome::Refused, OutcomeReason::kNoSuchRecord, i, total};
        }
        const int result = Transfer(ctx, access, record);
        progress.Show(ctx, i + 1, result == kDeviceOk ? i + 1 : i);
        if (result != kDeviceOk) {
            ShowDeviceResult(ctx, result);
            return {OperationOutcome::Failed, ReasonOf(result), i, total};
        }
        if (StopsAfter(ctx, record, i + 1 < total)) {
            return progress.Stop(ctx, i + 1);
        }
    }
    return {OperationOutcome::Done, OutcomeReason::kNone, total, total};
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
