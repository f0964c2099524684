// The simulated receiver on its pty, timed: a paced bulk read of the whole
// memory at the real speed of the line (about 36 s) against what the line
// allows, a paced version answer, answers after processing times, the pauses as the receiver logs
// them when a client writes a record with pauses of its own, and the CPU the receiver takes while
// nobody has the device open. Prints each figure beside its goal; exits 1 when one is missed. Not
// part of the test run.
//
//   pty_receiver_bench [--quick]     --quick: without the bulk read
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "sim/receiver.h"
#include "tests/sim/raw_client.h"
#include "tests/sim/sim_test_support.h"

namespace {

using namespace std::chrono_literals;
using namespace tav::sim;
using namespace tav::sim::testing;
using SteadyClock = std::chrono::steady_clock;

constexpr auto kIdle = 500ms;

double Ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double ByteMs() {
    return std::chrono::duration<double, std::milli>(kByteTime).count();
}

double ProcessCpuMs() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

bool met = true;

void Figure(const char* what, double measured, const char* unit, const char* goal, bool ok) {
    met = met && ok;
    std::printf("%-48s %10.2f %-3s %-16s %s\n", what, measured, unit, goal, ok ? "met" : "MISSED");
}

struct Session {
    explicit Session(ReceiverOptions options) : receiver(std::move(options)) {
        std::string error;
        if (!receiver.Start(&error) || !client.Open(receiver.DevicePath())) {
            std::fprintf(stderr, "pty_receiver_bench: %s\n", error.c_str());
            std::exit(2);
        }
    }
    PtyReceiver receiver;
    RawClient client;
};

void PacedBulkRead() {
    ReceiverOptions o;
    o.memory = PatternMemory();
    o.pacing.paced = true;
    Session s(o);
    const auto start = SteadyClock::now();
    s.client.Write(Str("P"));
    for (int r = 0; r < tav::kRecordCount; ++r) {
        if (s.client.Read(33, kIdle) != RecordFrame(o.memory, r)) {
            std::fprintf(stderr, "pty_receiver_bench: record %d did not come\n", r);
            met = false;
            return;
        }
        if (r + 1 < tav::kRecordCount) {
            s.client.Write(Str("x"));
        }
    }
    const double elapsed = Ms(SteadyClock::now() - start);
    const double bytes = 1.0 + tav::kRecordCount * 33.0 + (tav::kRecordCount - 1.0);
    const double expected = bytes * ByteMs();
    const auto t = s.receiver.Traffic();
    const double logged = Ms(t.back().time - t.front().time);
    std::printf("paced bulk read: %.0f bytes, %.0f ms on the line\n", bytes, expected);
    const double off = 100.0 * (elapsed - expected) / expected;
    const double loggedOff = 100.0 * (logged - expected) / expected;
    Figure("bulk read at the client, off the line time", off, "%", "within 3 %",
           std::abs(off) <= 3);
    Figure("bulk read in the log, off the line time", loggedOff, "%", "within 3 %",
           std::abs(loggedOff) <= 3);
}

void PacedAnswer() {
    ReceiverOptions o;
    o.pacing.paced = true;
    Session s(o);
    s.client.Write(Str("?"));
    s.client.Read(6, kIdle);
    s.receiver.WaitUntilIdle(1s);
    const auto t = s.receiver.Traffic();
    if (t.size() != 7) {
        met = false;
        return;
    }
    const double took = Ms(t[6].time - t[0].time);
    Figure("version answer, \"?\" to the last byte", took, "ms", "7 byte times +5",
           took >= 7 * ByteMs() - 0.01 && took < 7 * ByteMs() + 5);
}

void ToolsPausesInTheLog() {
    Session s(ReceiverOptions{});
    const Bytes data = Pattern(32, 1);
    s.client.Write(Bytes{'z', 0x03, 0xFB});
    std::this_thread::sleep_for(50ms);
    s.client.Write(data);
    std::this_thread::sleep_for(10ms);
    s.client.Write(Bytes{Sum(data)});
    s.client.Read(1, kIdle);
    s.receiver.WaitUntilIdle(1s);
    const auto t = s.receiver.Traffic();
    if (t.size() != 37) {
        met = false;
        return;
    }
    const double header = Ms(t[3].time - t[2].time);
    const double data32 = Ms(t[34].time - t[3].time);
    const double beforeSum = Ms(t[35].time - t[34].time);
    Figure("logged pause, header to data (50 ms sleep)", header, "ms", ">= 45", header >= 45);
    Figure("logged spread of 32 data bytes in one write", data32, "ms", "< 5", data32 < 5);
    Figure("logged pause, data to checksum (10 ms sleep)", beforeSum, "ms", ">= 8", beforeSum >= 8);
}

void ProcessingTimes() {
    ReceiverOptions o;
    o.pacing = Pacing{false, 40, 0, 30};
    Session s(o);
    auto start = SteadyClock::now();
    s.client.Write(Str("?"));
    s.client.Read(6, kIdle);
    const double version = Ms(SteadyClock::now() - start);
    s.client.Write(Bytes{'z', 0x00, 0x01});
    s.client.Write(Bytes(32, 0x01));
    start = SteadyClock::now();
    s.client.Write(Bytes{0x20});
    s.client.Read(1, kIdle);
    const double echo = Ms(SteadyClock::now() - start);
    Figure("version answer after 30 ms processing", version, "ms", ">= 30", version >= 30);
    Figure("record echo after 40 ms processing", echo, "ms", ">= 40", echo >= 40);
}

void IdleWhileClosed() {
    Session s(ReceiverOptions{});
    s.client.Write(Str("?"));
    s.client.Read(6, kIdle);
    s.client.Close();
    const double before = ProcessCpuMs();
    std::this_thread::sleep_for(500ms);
    const double used = ProcessCpuMs() - before;
    Figure("CPU in 500 ms with the device closed", used, "ms", "< 50", used < 50);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    IdleWhileClosed();
    PacedAnswer();
    ToolsPausesInTheLog();
    ProcessingTimes();
    if (!quick) {
        PacedBulkRead();
    }
    return met ? 0 : 1;
}
