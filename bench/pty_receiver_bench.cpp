// The simulated receiver on its pty, timed: a paced bulk read of the whole
// memory at the real speed of the line (about 36 s) against what the line
// allows, a paced version answer, answers after processing times, the pauses as the receiver logs
// them when a client writes a record with pauses of its own, and the CPU the receiver takes while
// nobody has the device open. Prints each figure beside its goal, the paced ones as ratios to the
// line's time with the absolute times beside them. Exits 1 when a goal is missed (a timing), 2 when
// an answer is wrong or missing (a wrong result). Not part of the test run.
//
//   pty_receiver_bench [--quick]     --quick: without the bulk read
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "image/wire_protocol.h"
#include "sim/receiver.h"
#include "tests/sim/raw_client.h"
#include "tests/sim/sim_test_support.h"
#include "tests/support/image_pattern.h"

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
bool right = true;

void Figure(const char* what, double measured, const char* unit, const char* goal, bool ok,
            const std::string& of = {}) {
    met = met && ok;
    std::printf("%-48s %10.3f %-3s %-18s %-6s %s\n", what, measured, unit, goal,
                ok ? "met" : "MISSED", of.c_str());
}

void Wrong(const char* what) {
    std::printf("WRONG: %s\n", what);
    right = false;
}

std::string Of(double numeratorMs, double denominatorMs) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f ms / %.2f ms", numeratorMs, denominatorMs);
    return text;
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
    o.memory = tav::testsupport::PatternImage(31);
    o.pacing.paced = true;
    Session s(o);
    const auto start = SteadyClock::now();
    s.client.Write(Bytes{tav::wire::kBulkRead});
    for (int r = 0; r < tav::kRecordCount; ++r) {
        if (s.client.Read(33, kIdle) != RecordFrame(o.memory, r)) {
            std::fprintf(stderr, "pty_receiver_bench: record %d did not come\n", r);
            Wrong("paced bulk read: a record did not come");
            return;
        }
        if (r + 1 < tav::kRecordCount) {
            s.client.Write(Bytes{tav::wire::kBulkReadNext});
        }
    }
    const double elapsed = Ms(SteadyClock::now() - start);
    const double bytes = 1.0 + tav::kRecordCount * 33.0 + (tav::kRecordCount - 1.0);
    const double expected = bytes * ByteMs();
    const auto t = s.receiver.Traffic();
    const double logged = Ms(t.back().time - t.front().time);
    std::printf("paced bulk read: %.0f bytes, %.0f ms on the line\n", bytes, expected);
    const double atClient = elapsed / expected;
    const double inLog = logged / expected;
    Figure("paced bulk read at the client / line", atClient, "", "0.97 to 1.03",
           std::abs(atClient - 1) <= 0.03, Of(elapsed, expected));
    Figure("paced bulk read in the log / line", inLog, "", "0.97 to 1.03",
           std::abs(inLog - 1) <= 0.03, Of(logged, expected));
}

void PacedAnswer() {
    ReceiverOptions o;
    o.pacing.paced = true;
    Session s(o);
    s.client.Write(Bytes{tav::wire::kVersionQuery});
    s.client.Read(6, kIdle);
    s.receiver.WaitUntilIdle(1s);
    const auto t = s.receiver.Traffic();
    if (t.size() != 7) {
        Wrong("paced answer: not the 7 bytes of \"?\" and its answer");
        return;
    }
    const double took = Ms(t[6].time - t[0].time);
    const double line = 7 * ByteMs();
    char goal[32];
    std::snprintf(goal, sizeof goal, "1 to %.3f", (line + 5) / line);
    Figure("paced version answer, \"?\" to the last byte / line", took / line, "", goal,
           took >= line - 0.01 && took < line + 5, Of(took, line));
}

void ToolsPausesInTheLog() {
    Session s(ReceiverOptions{});
    const Bytes data = Pattern(32, 1);
    s.client.Write(Bytes{tav::wire::kWriteRecord, 0x03, 0xFB});
    std::this_thread::sleep_for(50ms);
    s.client.Write(data);
    std::this_thread::sleep_for(10ms);
    s.client.Write(Bytes{Sum(data)});
    s.client.Read(1, kIdle);
    s.receiver.WaitUntilIdle(1s);
    const auto t = s.receiver.Traffic();
    if (t.size() != 37) {
        Wrong("pauses in the log: not the 37 bytes of a record write and its echo");
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
    s.client.Write(Bytes{tav::wire::kVersionQuery});
    const bool answered = s.client.Read(6, kIdle).size() == 6;
    const double version = Ms(SteadyClock::now() - start);
    s.client.Write(Bytes{tav::wire::kWriteRecord, 0x00, 0x01});
    s.client.Write(Bytes(32, 0x01));
    start = SteadyClock::now();
    s.client.Write(Bytes{0x20});
    const bool echoed = s.client.Read(1, kIdle).size() == 1;
    const double echo = Ms(SteadyClock::now() - start);
    if (!answered || !echoed) {
        Wrong("processing times: an answer did not come");
        return;
    }
    Figure("version answer after 30 ms processing", version, "ms", ">= 30", version >= 30);
    Figure("record echo after 40 ms processing", echo, "ms", ">= 40", echo >= 40);
}

void IdleWhileClosed() {
    Session s(ReceiverOptions{});
    s.client.Write(Bytes{tav::wire::kVersionQuery});
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
    return !right ? 2 : (met ? 0 : 1);
}
