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

// What became of one call, for callers that need more than the messages
// (tavctl's exit status). The window ignores it.
enum class OperationOutcome {
    Done,     // the operation's work ran to its end
    Refused,  // on-line guard, re-entry, port, version or mode gate
    Failed,   // a record or block failed part-way
    Stopped,  // the host asked to stop after a record; those before it are done
};

// Runs `operation` (1..12, 98; any other number runs only the common frame):
// the on-line guard, the port opening, the version query with the
// application and boot-loader gates, the work with its progress, messages and
// reloads, then ResetProgress and ClosePort. Every message goes through
// ctx.host.
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
// (StopAfterRecord). No success message. Reads copy each
// good record into ctx.image.
OperationOutcome ReadRecordList(DeviceContext& ctx, std::span<const int> records);
OperationOutcome WriteRecordList(DeviceContext& ctx, std::span<const int> records);

}  // namespace tav
