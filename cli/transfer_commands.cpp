// read-* and write-*: a settings file to and from the receiver, with the
// backup before a write and the verification after it.
#include <algorithm>
#include <cstdio>

#include "backups.h"
#include "commands.h"
#include "device_session.h"
#include "image/settings_file.h"
#include "image_files.h"
#include "interrupts.h"
#include "link/messages.h"
#include "link/protocol.h"
#include "stop_report.h"
#include "tavctl.h"
#include "translation.h"
#include "write_plan.h"

namespace tav::cli {

namespace {

// The records a write command sends, in order (remote: 1..1000).
std::vector<int> RecordsOf(unsigned operation, int remote) {
    const OperationRecords moved = RecordsOfOperation(operation, remote - 1);
    std::vector<int> records;
    for (int r = moved.first; r <= moved.last; ++r) {
        records.push_back(r);
    }
    return records;
}

bool IsWholeMemory(const std::vector<int>& records) {
    return records.size() == static_cast<std::size_t>(kRecordCount);
}

// The first byte in which the receiver differs from what was written, among
// `records`; "" when none.
std::string FirstDifference(const MemoryImage& written, const MemoryImage& receiver,
                            const std::vector<int>& records) {
    for (int r : records) {
        for (std::size_t b = 0; b < kRecordSize; ++b) {
            const std::size_t offset = static_cast<std::size_t>(r) * kRecordSize + b;
            if (written.at(offset) != receiver.at(offset)) {
                char buf[160];
                std::snprintf(buf, sizeof buf,
                              ", byte %zu (offset 0x%04zx): written 0x%02x, the receiver holds "
                              "0x%02x",
                              b, offset, written.at(offset), receiver.at(offset));
                const std::string remote =
                    r < kRemoteCount ? " (remote " + std::to_string(r + 1) + ")" : "";
                return "record " + std::to_string(r) + remote + buf;
            }
        }
    }
    return {};
}

// Records in which `image` differs from `base`, in order.
std::vector<int> ChangedRecords(const MemoryImage& image, const MemoryImage& base) {
    std::vector<int> changed;
    for (int r = 0; r < kRecordCount; ++r) {
        if (!std::equal(image.RecordAt(r).begin(), image.RecordAt(r).end(),
                        base.RecordAt(r).begin())) {
            changed.push_back(r);
        }
    }
    return changed;
}

}  // namespace

int RunRead(const Args& a, unsigned operation, int remote) {
    const std::string& file = RequireImageOption(a);
    std::unique_ptr<Device> dev = OpenDevice(a);
    // Before a byte is sent: a read whose result cannot be kept is not begun.
    if (!LoadImage(file, dev->image(), Missing::kStartEmpty) || !CanBeSaved(file)) {
        return kExitFailed;
    }
    dev->ctx().selectedRemote = remote - 1;
    const OperationOutcome outcome = RunOperation(*dev, operation);
    // A read that stopped part-way is not saved: FILE keeps what it held.
    if (outcome == OperationOutcome::Stopped) {
        Say(Tr(Tavctl::tr("tavctl: stopped by %1; the read was not finished and %2 was left as "
                          "it was"),
               std::string(InterruptName(Interruption())), file));
    }
    if (outcome != OperationOutcome::Done) {
        return kExitFailed;
    }
    return SaveImage(file, dev->image()) ? kExitDone : kExitFailed;
}

int CarryOutWrite(const Args& a, WritePlan& plan) {
    if (Interruption() != 0) {
        for (const std::string& line : StoppedWriteReport(
                 InterruptName(Interruption()), plan.records, -1, plan.file, plan.backup)) {
            Say(line);
        }
        return kExitFailed;
    }
    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->image() = plan.image;
    dev->ctx().selectedRemote = plan.remote - 1;
    OperationOutcome outcome;
    if (plan.operation != 0) {
        outcome = RunOperation(*dev, plan.operation);
    } else {
        const std::vector<int>& records = plan.records;
        outcome = RunDeviceWork(dev->ctx(), [&records](DeviceContext& ctx) {
            const OperationOutcome o = WriteRecordList(ctx, records);
            if (o == OperationOutcome::Done) {
                ctx.host.ShowMessage(messages::kOk, messages::kOk);
            }
            return o;
        });
    }
    if (outcome == OperationOutcome::Stopped) {
        for (const std::string& line :
             StoppedWriteReport(InterruptName(Interruption()), plan.records,
                                dev->host().stoppedAfter(), plan.file, plan.backup)) {
            Say(line);
        }
        return kExitFailed;
    }
    if (outcome != OperationOutcome::Done) {
        return kExitFailed;
    }
    if (!plan.doneNote.empty()) {
        Say(plan.doneNote);
    }

    if (a.flags.count("--verify") != 0) {
        MemoryImage readBack;
        if (!ReadFromReceiver(a, plan.records, plan.bulk, readBack)) {
            Say(Tr(
                Tavctl::tr("tavctl: the written records could not be read back for verification")));
            return kExitFailed;
        }
        const std::string difference = FirstDifference(plan.image, readBack, plan.records);
        if (!difference.empty()) {
            Say(Tr(Tavctl::tr("tavctl: verification failed: %1"), difference));
            return kExitFailed;
        }
        Say(Tr(Tavctl::tr("tavctl: verified: the receiver holds the %1 written"),
               Count(plan.records.size(), "record")));
    }
    return kExitDone;
}

int RunWrite(const Args& a, unsigned operation, int remote) {
    WritePlan plan;
    plan.file = RequireImageOption(a);
    plan.operation = operation;
    plan.remote = remote;
    const auto backupOption = a.options.find("--backup");
    const auto onlyChanged = a.options.find("--only-changed");
    if (a.flags.count("--backup-full") != 0 && backupOption == a.options.end()) {
        throw UsageError{Tr(Tavctl::tr("--backup-full goes with --backup DIR"))};
    }
    if (!LoadImage(plan.file, plan.image, Missing::kRefuse)) {
        return kExitFailed;
    }
    plan.records = RecordsOf(operation, remote);
    plan.bulk = IsWholeMemory(plan.records);
    if (onlyChanged != a.options.end()) {
        MemoryImage base;
        if (!LoadImage(onlyChanged->second, base, Missing::kRefuse)) {
            return kExitFailed;
        }
        plan.records = ChangedRecords(plan.image, base);
        if (plan.records.empty()) {
            Say(Tr(Tavctl::tr("tavctl: %1 holds the same records as %2; nothing was written"),
                   plan.file, onlyChanged->second));
            return kExitDone;
        }
        plan.bulk =
            plan.records.size() > static_cast<std::size_t>(SingleRecordLimit(kSingleWriteMicros));
    }

    if (backupOption != a.options.end()) {
        plan.backup = TakeBackup(a, backupOption->second, plan.records,
                                 a.flags.count("--backup-full") != 0 || plan.bulk);
        if (plan.backup.empty()) {
            Say(Tr(Tavctl::tr("tavctl: nothing was written")));
            return kExitFailed;
        }
    }

    if (onlyChanged != a.options.end()) {
        if (plan.bulk) {
            Say(Tr(Tavctl::tr("tavctl: %1 differ; the bulk write of the whole memory is faster"),
                   Count(plan.records.size(), "record")));
            plan.operation = kWriteAllMemory;
            plan.records = RecordsOf(kWriteAllMemory, 0);
        } else {
            plan.operation = 0;
            plan.doneNote = "tavctl: wrote the " + Count(plan.records.size(), "changed record") +
                            " one at a time";
        }
    }
    return CarryOutWrite(a, plan);
}

}  // namespace tav::cli
