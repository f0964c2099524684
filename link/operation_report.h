// The words a device operation's progress and stop are told in, the same for
// the window and tavctl.
#pragma once

#include <string>

#include "dispatcher.h"
#include "operation_host.h"

namespace tav {

// Line time of one record or block of a transfer of `kind`: a bulk read or
// write moves 33 bytes and one answer byte per record, a firmware block its
// 128 bytes, checksum and echo.
double RecordMicros(ProgressKind kind);

// Beside the bar: "Odczyt: rekord 312 z 1024, zostało ok. 25 s"; empty when
// no operation is under way.
std::string ProgressText(const OperationProgress& progress);

// What a stop of a transfer of `kind` left behind: for a read, that the
// copy is as it was; for a write, how many records reached the receiver
// ("Zapis przerwano po 312 z 1024 rekordów: ..."); for the firmware, that the
// receiver stays in its boot loader.
std::string StopMessage(ProgressKind kind, int done, int total);

}  // namespace tav
