#include "bench/line_model.h"

#include "image/wire_protocol.h"
#include "link/serial_link.h"

namespace tav::bench {
namespace {

std::chrono::milliseconds Ms(int ms) {
    return std::chrono::milliseconds(ms);
}

}  // namespace

std::chrono::duration<double> LineBudget::Limit() const {
    return std::chrono::duration<double>(LineTime(toolBytes + receiverBytes)) + pauses;
}

LineBudget BudgetOf(const std::vector<sim::TrafficEntry>& traffic) {
    // A read's pause less its answer, which arrives meanwhile.
    const std::chrono::nanoseconds readPause =
        Ms(wire::kFramePauseMs) - LineTime(wire::kRecordFrameSize);
    LineBudget budget;
    std::vector<std::uint8_t> tool;
    for (const sim::TrafficEntry& e : traffic) {
        if (e.fromTool) {
            tool.push_back(e.byte);
        } else {
            ++budget.receiverBytes;
        }
    }
    budget.toolBytes = tool.size();
    std::size_t i = 0;
    while (i < tool.size()) {
        const std::uint8_t command = tool[i];
        switch (command) {
            case wire::kVersionQuery:
                budget.pauses += Ms(wire::kFramePauseMs);
                i += 1;
                break;
            case wire::kReadRecord:
                budget.pauses += readPause;
                i += wire::kRecordHeaderSize;
                break;
            case wire::kWriteRecord:
                budget.pauses += Ms(wire::kFramePauseMs + wire::kChecksumPauseMs);
                i += wire::kRecordHeaderSize + wire::kRecordFrameSize;
                break;
            case wire::kSetClock:
                budget.pauses += Ms(wire::kFramePauseMs + wire::kChecksumPauseMs);
                i += 1 + wire::kClockFrameSize + 1;
                break;
            case wire::kBulkRead:
                budget.pauses += readPause;
                i = tool.size();
                break;
            case wire::kBulkWrite:
                budget.pauses += Ms(wire::kFramePauseMs);
                i = tool.size();
                break;
            case wire::kFirmwareTransfer:
                budget.pauses += Ms(wire::kFirmwarePauseMs);
                i = tool.size();
                break;
            default:  // "c", "h", "i" and anything else: no pause
                i += 1;
                break;
        }
    }
    return budget;
}

}  // namespace tav::bench
