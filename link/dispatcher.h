// RunDeviceOperation: the one entry through which every button and menu item
// that talks to the receiver runs its work.
#pragma once

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
};

OperationOutcome RunDeviceOperation(DeviceContext& ctx, unsigned operation);

}  // namespace tav
