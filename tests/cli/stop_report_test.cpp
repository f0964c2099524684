// What tavctl says after an interrupt stopped a write part-way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/stop_report.h"

namespace tav::cli {
namespace {

using ::testing::ElementsAre;

TEST(StopReport, NamesTheRecordsTheReceiverHolds) {
    struct Row {
        const char* name;
        std::vector<int> sent;
        int stoppedAfter;
        std::string records;  // "" : nothing went out
    };
    std::vector<int> all(1024);
    for (int r = 0; r < 1024; ++r) {
        all[static_cast<std::size_t>(r)] = r;
    }
    const Row rows[] = {
        {"bulk write", all, 107, "records 0..107 (108 of 1024)"},
        {"scenarios", {1008, 1009, 1010, 1011}, 1009, "records 1008..1009 (2 of 4)"},
        {"changed records, out of order", {7, 3, 4, 900}, 4, "records 7, 3..4 (3 of 4)"},
        {"the first record", {7, 3}, 7, "records 7 (1 of 2)"},
        {"before any record", {7, 3}, -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto lines =
            StoppedWriteReport("SIGINT", row.sent, row.stoppedAfter, "new.tv2", "b/backup.tvr");
        ASSERT_EQ(lines.size(), 2u);
        if (row.records.empty()) {
            EXPECT_THAT(lines[0], ::testing::HasSubstr("before the first record"));
        } else {
            EXPECT_THAT(lines[0], ::testing::HasSubstr("holds " + row.records + " from new.tv2"));
        }
        EXPECT_THAT(lines[0], ::testing::StartsWith("tavctl: stopped by SIGINT"));
        EXPECT_THAT(lines[1], ::testing::EndsWith("b/backup.tvr"));
    }
    EXPECT_THAT(StoppedWriteReport("SIGTERM", all, 0, "f", ""), ElementsAre(::testing::_));
}

}  // namespace
}  // namespace tav::cli
