#include "stop_report.h"
#include "translation.h"

#include <algorithm>

namespace tav::cli {

std::vector<int> RecordsDoneBefore(std::span<const int> sent, int stoppedAfter) {
    const auto last = std::find(sent.begin(), sent.end(), stoppedAfter);
    if (last == sent.end()) {
        return {};
    }
    return {sent.begin(), last + 1};
}

std::string RecordRanges(std::span<const int> records) {
    std::string out;
    for (std::size_t i = 0; i < records.size();) {
        std::size_t end = i + 1;
        while (end < records.size() && records[end] == records[end - 1] + 1) {
            ++end;
        }
        if (!out.empty()) {
            out += ", ";
        }
        out += std::to_string(records[i]);
        if (end - i > 1) {
            out += ".." + std::to_string(records[end - 1]);
        }
        i = end;
    }
    return out.empty() ? Tr(Tavctl::tr("none")) : out;
}

std::vector<std::string> StoppedWriteReport(const std::string& interrupt, std::span<const int> sent,
                                            int stoppedAfter, const std::string& file,
                                            const std::string& backup) {
    const std::vector<int> done = RecordsDoneBefore(sent, stoppedAfter);
    std::vector<std::string> lines;
    if (done.empty()) {
        lines.push_back(Tr(Tavctl::tr("tavctl: stopped by %1 before the first record went out; "
                                      "the receiver holds nothing new from %2"),
                           interrupt, file));
    } else {
        lines.push_back(Tr(Tavctl::tr("tavctl: stopped by %1 after record %2; the receiver now "
                                      "holds records %3 (%4 of %5) from %6, the rest as it was "
                                      "before"),
                           interrupt, std::to_string(stoppedAfter), RecordRanges(done),
                           std::to_string(done.size()), std::to_string(sent.size()), file));
    }
    if (!backup.empty()) {
        lines.push_back(Tr(Tavctl::tr("tavctl: the backup made before the write is %1"), backup));
    }
    return lines;
}

}  // namespace tav::cli
