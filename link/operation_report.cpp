#include "link/operation_report.h"

#include <cmath>

#include "image/line_time.h"
#include "link/firmware.h"
#include "link/protocol.h"

namespace tav {

double RecordMicros(ProgressKind kind) {
    switch (kind) {
        case ProgressKind::kRead:
        case ProgressKind::kWrite:
            return static_cast<double>(kBulkRecordFrame + 1) * kLineByteMicros;
        case ProgressKind::kFirmware:
            return static_cast<double>(kFirmwareBlockSize + 2) * kLineByteMicros;
        case ProgressKind::kNone:
            break;
    }
    return 0;
}

std::string ProgressText(const OperationProgress& progress) {
    if (!progress.Active() || progress.kind == ProgressKind::kNone) {
        return {};
    }
    const bool firmware = progress.kind == ProgressKind::kFirmware;
    const char* what = firmware                               ? "Aktualizacja: blok "
                       : progress.kind == ProgressKind::kRead ? "Odczyt: rekord "
                                                              : "Zapis: rekord ";
    const long seconds = std::lround(progress.secondsLeft);
    return what + std::to_string(progress.done) + " z " + std::to_string(progress.total) +
           ", zostało ok. " + std::to_string(seconds) + " s";
}

std::string StopMessage(ProgressKind kind, int done, int total) {
    const std::string count = std::to_string(done) + " z " + std::to_string(total);
    switch (kind) {
        case ProgressKind::kRead:
            return "Odczyt przerwano po " + count +
                   " rekordów. Dane w programie pozostały takie, jak przed odczytem.";
        case ProgressKind::kWrite:
            return "Zapis przerwano po " + count +
                   " rekordów. Tylko te rekordy dotarły do TAV-1000R, pozostałe są w nim "
                   "takie, jak przed zapisem.";
        case ProgressKind::kFirmware:
            return "Aktualizację przerwano po " + count +
                   " bloków. TAV-1000R pozostaje w trybie bootloadera, dopóki aktualizacja nie "
                   "przebiegnie w całości.";
        case ProgressKind::kNone:
            break;
    }
    return "Przerwano.";
}

}  // namespace tav
