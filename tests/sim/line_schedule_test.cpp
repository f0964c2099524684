// The line's timing on virtual time: when the receiver takes the tool's bytes
// and when its own go out, paced and unpaced.
#include <gtest/gtest.h>

#include <vector>

#include "image/memory_image.h"
#include "sim/line_schedule.h"
#include "sim/receiver_engine.h"

namespace tav::sim {
namespace {

using TimePoint = LineSchedule::TimePoint;
using Duration = TimePoint::duration;

const Duration kB = std::chrono::duration_cast<Duration>(kByteTime);
const TimePoint kT0 = TimePoint(std::chrono::seconds(100));

// Times in byte times after kT0 (fractions through `extra`).
TimePoint At(int bytes, Duration extra = Duration::zero()) {
    return kT0 + bytes * kB + extra;
}

TEST(LineScheduleTest, TheToolsBytesAreTakenWhenTheirLastBitIsIn) {
    struct Row {
        const char* name;
        bool paced;
        std::vector<TimePoint> arrivals;  // one byte each
        std::vector<TimePoint> taken;
    };
    const Duration ms = std::chrono::milliseconds(1);
    const Row rows[] = {
        {"one byte", true, {At(0)}, {At(1)}},
        {"a burst queues on the line", true, {At(0), At(0), At(0)}, {At(1), At(2), At(3)}},
        {"after a pause the line is free", true, {At(0), At(10)}, {At(1), At(11)}},
        {"read late, still one byte time each",
         true,
         {At(0), At(1, ms / 2)},
         {At(1), At(2, ms / 2)}},
        {"unpaced: taken when read", false, {At(0), At(0), At(5)}, {At(0), At(0), At(5)}},
    };
    for (const Row& r : rows) {
        LineSchedule line;
        line.Reset(kT0);
        std::vector<TimePoint> taken;
        for (std::size_t i = 0; i < r.arrivals.size(); ++i) {
            line.Arrive(static_cast<std::uint8_t>(i), r.arrivals[i], r.paced);
            // Nothing is taken before its time...
            while (const auto p = line.Take(r.arrivals[i], r.paced)) {
                taken.push_back(p->at);
            }
        }
        // ...and each at its own time when the clock gets there.
        while (!line.InputEmpty()) {
            const TimePoint next = line.NextInput();
            ASSERT_FALSE(line.Take(next - Duration(1), r.paced)) << r.name;
            const auto p = line.Take(next, r.paced);
            ASSERT_TRUE(p) << r.name;
            taken.push_back(p->at);
        }
        EXPECT_EQ(taken, r.taken) << r.name;
    }
}

TEST(LineScheduleTest, TheReceiversBytesLeaveOneByteTimeApart) {
    struct Send {
        int bytes;
        TimePoint ready;
    };
    struct Row {
        const char* name;
        bool paced;
        std::vector<Send> sends;
        std::vector<TimePoint> due;
    };
    const Row rows[] = {
        {"an answer", true, {{3, At(0)}}, {At(1), At(2), At(3)}},
        {"a second answer waits for the first",
         true,
         {{2, At(0)}, {1, At(0)}},
         {At(1), At(2), At(3)}},
        {"a later answer starts from its own time", true, {{1, At(0)}, {1, At(7)}}, {At(1), At(8)}},
        {"unpaced: due when ready", false, {{2, At(4)}, {1, At(2)}}, {At(4), At(4), At(4)}},
    };
    for (const Row& r : rows) {
        LineSchedule line;
        line.Reset(kT0);
        for (const Send& s : r.sends) {
            const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(s.bytes), 0x55);
            line.Send(bytes, s.ready, r.paced);
        }
        std::vector<TimePoint> due;
        while (!line.OutputEmpty()) {
            const TimePoint next = line.NextOutput();
            EXPECT_EQ(line.Due(next - Duration(1), 100), 0u) << r.name;
            EXPECT_GE(line.Due(next, 100), 1u) << r.name;
            due.push_back(next);
            line.Sent(1);
        }
        EXPECT_EQ(due, r.due) << r.name;
    }
}

TEST(LineScheduleTest, DueBytesAreCountedUpToTheLimit) {
    LineSchedule line;
    line.Reset(kT0);
    const std::vector<std::uint8_t> bytes{1, 2, 3, 4};
    line.Send(bytes, At(0), false);
    EXPECT_EQ(line.Due(At(0), 100), 4u);
    EXPECT_EQ(line.Due(At(0), 3), 3u);
    line.Sent(3);
    EXPECT_EQ(line.OutputSize(), 1u);
    EXPECT_EQ(line.OutputByte(0), 4);
}

// A bulk read of the whole memory at the line's real speed, the tool sending
// each "x" as the last byte of a record arrives: "P", 1024 records of 33
// bytes and 1023 "x", one after the other, with no gap.
TEST(LineScheduleTest, PacedBulkReadTakesTheLineTimeOfItsBytes) {
    ReceiverEngine engine;
    LineSchedule line;
    line.Reset(kT0);
    TimePoint now = kT0;
    line.Arrive('P', now, true);
    int records = 0;
    std::size_t bytesOut = 0;
    while (!line.InputEmpty()) {
        now = line.NextInput();
        const auto p = line.Take(now, true);
        ASSERT_TRUE(p);
        if (const std::optional<Reply> reply = engine.Receive(p->byte)) {
            line.Send(reply->bytes, p->at + reply->delay, true);
        }
        if (line.OutputEmpty()) {
            continue;
        }
        // The tool reads the record and asks for the next one when it is in.
        while (!line.OutputEmpty()) {
            now = line.NextOutput();
            line.Sent(1);
            ++bytesOut;
        }
        if (++records < kRecordCount) {
            line.Arrive('x', now, true);
        }
    }
    EXPECT_EQ(records, kRecordCount);
    EXPECT_EQ(bytesOut, static_cast<std::size_t>(kRecordCount) * 33u);
    const int bytes = 1 + kRecordCount * 33 + (kRecordCount - 1);
    EXPECT_EQ(now, At(bytes));
}

}  // namespace
}  // namespace tav::sim
