// RunDeviceOperation: the one entry through which every button and menu item
// that talks to the receiver runs its work.
#pragma once

#include <functional>
#include <span>

#include "protocol.h"

namespace tav {

enum DeviceOperation : unsigned {
    kReadSelectedRemote = 1,
    kReadAllMemory = 2,
    kWriteSelectedRemote = 3,
    kWriteAllMemory = 4,
    kWriteScenarios = 5,
    kReadScenarios = 6,
    kSetClock = 7,
    kEraseMemory = 8,
    kWriteDisplaySettings = 9,
    kReadDisplaySettings = 10,
    kWriteClockEvents = 11,
    kReadClockEvents = 12,
    kUpdateFirmware = 98,
};

// Which records an operation moves between the image and the receiver, in the
// order it moves them: first..last (none: first > last). A read replaces
// those records of the image; a write sends them and leaves the image as it
// is. One table serves the dispatcher, tavctl's backups and verification, and
// the fuzz target's check that nothing else changes.
enum class RecordAccess { kNone, kRead, kWrite };
struct OperationRecords {
    RecordAccess access = RecordAccess::kNone;
    int first = 0;
    int last = -1;

    int Count() const { return last < first ? 0 : last - first + 1; }
    bool Contains(int record) const { return record >= first && record <= last; }
};
// `selectedRemote` (0..999) is the record of operations 1 and 3. The set-clock,
// erase and firmware operations, and any unknown number, move no records.
OperationRecords RecordsOfOperation(unsigned operation, int selectedRemote);

// Why an operation ended as it did.
enum class OutcomeReason {
    kNone,                // it ran to its end
    kBusy,                // another operation runs on the same context
    kOnlineReception,     // on-line reception holds the port
    kNoFirmware,          // operation 98 without a whole firmware image
    kPortRefused,         // the port did not open
    kNoAnswer,            // nothing usable answered the version query
    kUnknownVersion,      // a version answer of neither kind
    kApplicationVersion,  // an application version the tool does not accept
    kBootLoaderVersion,   // a boot-loader version the tool does not accept
    kBootLoaderMode,      // the receiver waits in its boot loader
    kApplicationRunning,  // operation 98 while the application runs
    kNoSuchRecord,        // a selected remote or listed record out of range
    kRecordNoAnswer,      // a record or block went unanswered
    kRecordDamaged,       // a record or block came back wrong
    kStopped,             // the host asked to stop
};

// What became of one call, with its reason. `done` of `total` records (or
// firmware blocks) went through, in the order the operation moves them; for
// an operation without a transfer of several both stay 0.
struct OperationOutcome {
    enum Kind {
        Done,     // the operation's work ran to its end
        Refused,  // on-line guard, re-entry, port, version or mode gate
        Failed,   // a record or block failed part-way
        Stopped,  // the host asked to stop after a record; those before it are done
    };
    Kind kind = Refused;
    OutcomeReason reason = OutcomeReason::kNone;
    int done = 0;
    int total = 0;

    constexpr OperationOutcome(Kind k = Refused, OutcomeReason r = OutcomeReason::kNone,
                               int doneCount = 0, int totalCount = 0)
        : kind(k), reason(r), done(doneCount), total(totalCount) {}
    constexpr bool operator==(Kind k) const { return kind == k; }
};

// Runs `operation` (1..12, 98; any other number runs only the common frame)
// from the values in ctx (port, selected remote, reception state, image,
// firmware): the on-line guard, the port opening, the version query with the
// application and boot-loader gates, the work with its progress and messages,
// then the progress reset and ClosePort. Every message goes through ctx.host;
// a stop gets its message (StopMessage) there too.
// Refused without touching the port: while another operation runs on the
// same context (a message box of a running operation may run a nested event
// loop), and operation 98 when ctx.firmware is not a whole image.
OperationOutcome RunDeviceOperation(DeviceContext& ctx, unsigned operation);

// The same common frame (guard, port, version query, application gate, reset,
// close) around work of the caller's own, run only when the application gate
// lets it through. A receiver in boot-loader mode gets the boot-loader notice.
using DeviceWork = std::function<OperationOutcome(DeviceContext&)>;
OperationOutcome RunDeviceWork(DeviceContext& ctx, const DeviceWork& work);

// Reads or writes the listed records one at a time ("p" / "z"), in the given
// order, with the progress range 0..count; stops at the first failure and
// shows its result (ShowDeviceResult), or stops where the host asks
// (StopAfterRecord). No success message. Reads copy each good record into
// ctx.image and report it (RecordsChanged).
OperationOutcome ReadRecordList(DeviceContext& ctx, std::span<const int> records);
OperationOutcome WriteRecordList(DeviceContext& ctx, std::span<const int> records);

}  // namespace tav
