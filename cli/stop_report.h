// What tavctl says when an interrupt stopped a transfer part-way.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace tav::cli {

// The records of `sent` (in the order they go out) that were done when the
// transfer stopped after record `stoppedAfter`; empty when it stopped before
// the first (or `stoppedAfter` is not among them).
std::vector<int> RecordsDoneBefore(std::span<const int> sent, int stoppedAfter);

// The records as a short list: runs of consecutive numbers as ranges, in the
// given order ("0..107", "1008..1010, 1015", "7, 3"); "none" when empty.
std::string RecordRanges(std::span<const int> records);

// The lines for a write that `interrupt` (its name) stopped after
// `stoppedAfter` (-1: before the first record went out): which records of
// `sent` the receiver now holds from `file`, and where `backup` is ("" for
// none).
std::vector<std::string> StoppedWriteReport(const std::string& interrupt, std::span<const int> sent,
                                            int stoppedAfter, const std::string& file,
                                            const std::string& backup);

}  // namespace tav::cli
