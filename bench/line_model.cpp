#include "bench/line_model.h"

#include "link/serial_link.h"

namespace tav::bench {

std::chrono::duration<double> LineBudget::Limit() const {
    return std::chrono::duration<double>(LineTime(toolBytes + receiverBytes)) + pauses;
}

LineBudget BudgetOf(const std::vector<sim::TrafficEntry>& traffic) {
    using namespace std::chrono_literals;
    // A read's pause less its answer, which arrives meanwhile.
    const std::chrono::nanoseconds readPause = 50ms - LineTime(kRecordSize + 1);
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
            case '?':
                budget.pauses += 50ms;
                i += 1;
                break;
            case 'p':
                budget.pauses += readPause;
                i += 3;
                break;
            case 'z':
                budget.pauses += 60ms;
                i += 3 + kRecordSize + 1;
                break;
            case 't':
                budget.pauses += 60ms;
                i += 1 + 6 + 1;
                break;
            case 'P':
                budget.pauses += readPause;
                i = tool.size();
                break;
            case 'Z':
                budget.pauses += 50ms;
                i = tool.size();
                break;
            case 'F':
                budget.pauses += 20ms;
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
