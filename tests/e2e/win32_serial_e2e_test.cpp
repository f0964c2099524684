// The Win32 serial backend end to end: the real SerialLink, protocol and
// dispatcher open \\.\COMn, behind which Wine has a pty of a native simulated
// receiver (with_simulators.sh starts them and names the ports). A pty has no
// modem lines and Wine does not refuse a second exclusive open of it: RTS and
// the exclusive open are tested on the scripted fake (tests/link).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "image/settings_file.h"
#include "link/dispatcher.h"
#include "tests/link/link_test_support.h"
#include "tests/support/image_pattern.h"

namespace tav::e2e {
namespace {

using linktest::Bytes;
using testsupport::PatternImage;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Port index 0 (the host's selected port) is COMn of the real resolver.
class OnePort final : public PortResolver {
  public:
    explicit OnePort(int index) : index_(index) {}
    std::optional<std::string> DevicePath(int) const override {
        return PlatformPortResolver().DevicePath(index_);
    }

  private:
    int index_;
};

// "COM7" in `variable` -> 6; -1 when the variable is unset.
int PortIndex(const char* variable) {
    const char* name = std::getenv(variable);
    if (name == nullptr) {
        return -1;
    }
    for (int i = 0; i < kPortCount; ++i) {
        if (PortNames[static_cast<std::size_t>(i)] == name) {
            return i;
        }
    }
    return -1;
}

// The memory the receivers started with.
MemoryImage StartMemory() {
    MemoryImage memory;
    const char* file = std::getenv("TAV_E2E_IMAGE");
    EXPECT_NE(file, nullptr);
    if (file != nullptr) {
        EXPECT_EQ(ReadSettingsFile(memory, file), SettingsLoadResult::Loaded) << file;
    }
    return memory;
}

// The records [first, last] of `from`, the rest of `rest`.
MemoryImage Records(const MemoryImage& from, int first, int last, const MemoryImage& rest) {
    MemoryImage out = rest;
    for (int r = first; r <= last; ++r) {
        std::ranges::copy(from.RecordAt(r), out.RecordAt(r).begin());
    }
    return out;
}

// Processor time of this process (user and kernel).
Clock::duration ProcessorTime() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds((ticks(kernel) + ticks(user)) * 100));
}

class Win32SerialE2e : public ::testing::Test {
  protected:
    // Uses the receiver named by `variable`; skips without one.
    bool Use(const char* variable) {
        const int index = PortIndex(variable);
        if (index < 0) {
            return false;
        }
        resolver = std::make_unique<OnePort>(index);
        link = std::make_unique<SerialLink>(MakePlatformSerialPort, *resolver, timing);
        ctx = std::make_unique<DeviceContext>(*link, image, host, localClock);
        return true;
    }

    // Runs `operation`; its wall time goes to `took`.
    OperationOutcome Run(unsigned operation, Clock::duration* took = nullptr) {
        host.log.clear();
        const auto start = Clock::now();
        const OperationOutcome outcome = RunDeviceOperation(*ctx, operation);
        if (took != nullptr) {
            *took = Clock::now() - start;
        }
        EXPECT_FALSE(link->IsOpen());
        return outcome;
    }

    std::unique_ptr<PortResolver> resolver;
    SystemTiming timing;
    std::unique_ptr<SerialLink> link;
    MemoryImage image;
    linktest::RecordingHost host;
    fake::FakeLocalClock localClock;
    std::unique_ptr<DeviceContext> ctx;
};

TEST_F(Win32SerialE2e, ReadsTheReceiversMemory) {
    if (!Use("TAV_E2E_READ_PORT")) {
        GTEST_SKIP() << "no receiver: run under with_simulators.sh";
    }
    const MemoryImage device = StartMemory();
    struct Row {
        unsigned operation;
        int first, last;
        std::string message;
    };
    const Row rows[] = {
        {kReadSelectedRemote, 417, 417, "Pilot odczytano z TAV-1000/1000R | OK"},
        {kReadClockEvents, 1000, 1004, "Zd zeg zostaly odebrane | OK"},
        {kReadAllMemory, 0, 1023, ""},
    };
    ctx->selectedRemote = 417;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.operation);
        image = PatternImage(3);
        EXPECT_EQ(Run(row.operation), OperationOutcome::Done);
        EXPECT_EQ(image, Records(device, row.first, row.last, PatternImage(3)));
        EXPECT_EQ(host.Messages(), row.message.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{row.message});
        EXPECT_EQ(host.Lines("version "), std::vector<std::string>{"hardw.ver:1.00 soft.ver:1.26"});
    }
}

TEST_F(Win32SerialE2e, WritesArriveWhole) {
    if (!Use("TAV_E2E_WRITE_PORT")) {
        GTEST_SKIP() << "no receiver: run under with_simulators.sh";
    }
    struct Row {
        unsigned write;
        unsigned readBack;
        int first, last;
        std::string message;
    };
    const Row rows[] = {
        {kWriteSelectedRemote, kReadSelectedRemote, 9, 9, "Pilot zapisano w TAV-2000 | OK"},
        {kWriteDisplaySettings, kReadDisplaySettings, 1005, 1005,
         "Stan wyswietlacza zapisano TAV-1000R | OK"},
        {kWriteAllMemory, kReadAllMemory, 0, 1023, "OK | OK"},
    };
    ctx->selectedRemote = 9;
    int seed = 5;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.write);
        const MemoryImage written = PatternImage(seed += 2);
        image = written;
        EXPECT_EQ(Run(row.write), OperationOutcome::Done);
        EXPECT_EQ(host.Messages(), std::vector<std::string>{row.message});
        // Read back over another image: the written records came through.
        image = MemoryImage{};
        EXPECT_EQ(Run(row.readBack), OperationOutcome::Done);
        EXPECT_EQ(Records(image, row.first, row.last, MemoryImage{}),
                  Records(written, row.first, row.last, MemoryImage{}));
    }
}

// At the real line speed a full transfer takes the line time of its bytes
// and not much more: the link waits for bytes, not for polling periods.
TEST_F(Win32SerialE2e, PacedTransfersRunAtTheLineSpeed) {
    if (!Use("TAV_E2E_PACED_PORT")) {
        GTEST_SKIP() << "no receiver: run under with_simulators.sh";
    }
    Clock::duration took{};
    image = MemoryImage{};
    EXPECT_EQ(Run(kReadAllMemory, &took), OperationOutcome::Done);
    EXPECT_EQ(image, StartMemory());
    // Each record: 33 bytes one way, its answer ("x" or the echo) the other;
    // the paced receiver takes the tool's bytes at the line's speed as well.
    const auto line = LineTime(1024 * (kBulkRecordFrame + 1));
    std::printf("paced full read: %lld ms, line time %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<Millis>(took).count()),
                static_cast<long long>(std::chrono::duration_cast<Millis>(line).count()));

    const MemoryImage written = PatternImage(17);
    image = written;
    EXPECT_EQ(Run(kWriteAllMemory, &took), OperationOutcome::Done);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"OK | OK"});
    std::printf("paced full write: %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<Millis>(took).count()));
    image = MemoryImage{};
    ctx->selectedRemote = 999;
    EXPECT_EQ(Run(kReadSelectedRemote), OperationOutcome::Done);
    EXPECT_EQ(Records(image, 999, 999, MemoryImage{}), Records(written, 999, 999, MemoryImage{}));
}

// A receiver that stops answering, and one whose line goes away part-way:
// the transfer ends with the no-answer message after the idle time-out and
// the records before stay. The time it took and the processor time it cost
// are printed, not judged.
TEST_F(Win32SerialE2e, ReceiverGoneMidTransfer) {
    struct Row {
        const char* variable;
        unsigned operation;
        int goodRecords;
        const char* message;
    };
    const Row rows[] = {
        {"TAV_E2E_SILENT_PORT", kReadAllMemory, 300, "1000R nie odpowiada! | Błąd"},
        {"TAV_E2E_SILENT_PORT", kWriteAllMemory, 300, "TAV-2000 nie odpowiada! | Błąd"},
        {"TAV_E2E_HANGUP_PORT", kReadAllMemory, 100, "1000R nie odpowiada! | Błąd"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.variable) + " " + std::to_string(row.operation));
        if (!Use(row.variable)) {
            GTEST_SKIP() << "no receiver: run under with_simulators.sh";
        }
        const MemoryImage device = StartMemory();
        image = PatternImage(9);
        Clock::duration took{};
        const auto processor = ProcessorTime();
        EXPECT_EQ(Run(row.operation, &took), OperationOutcome::Failed);
        const auto used = ProcessorTime() - processor;
        EXPECT_EQ(host.Messages(), std::vector<std::string>{row.message});
        if (row.operation == kReadAllMemory) {
            EXPECT_EQ(image, Records(device, 0, row.goodRecords - 1, PatternImage(9)));
        }
        // 50 empty periods of 50 ms.
        std::printf("%s: gave up after %lld ms, %lld ms of processor time\n", row.variable,
                    static_cast<long long>(std::chrono::duration_cast<Millis>(took).count()),
                    static_cast<long long>(std::chrono::duration_cast<Millis>(used).count()));
    }
}

// The backend itself sees the far end close: HungUp() says so, and a wait on
// the dead line ends with nothing (its time and processor time printed).
TEST_F(Win32SerialE2e, BackendReportsTheHangUp) {
    if (!Use("TAV_E2E_HANGUP2_PORT")) {
        GTEST_SKIP() << "no receiver: run under with_simulators.sh";
    }
    ASSERT_TRUE(link->OpenSelectedPort(0).opened);
    std::uint8_t version[6];
    link->SendBytes(Bytes{'?'});
    ASSERT_EQ(link->ReceiveBytes(version, 10), 6);
    EXPECT_FALSE(link->PortHungUp());
    link->SendBytes(Bytes{'P'});
    int records = 0;
    std::uint8_t frame[kBulkRecordFrame];
    while (link->ReceiveBytes(frame, 10) == static_cast<int>(kBulkRecordFrame)) {
        ++records;
        link->SendBytes(Bytes{'x'});
    }
    EXPECT_EQ(records, 100);
    EXPECT_TRUE(link->PortHungUp());

    const auto start = Clock::now();
    const auto processor = ProcessorTime();
    EXPECT_EQ(link->ReceiveBytes(frame, 10), 0);
    const auto took = Clock::now() - start;
    std::printf("wait on the dead line: %lld ms, %lld ms of processor time\n",
                static_cast<long long>(std::chrono::duration_cast<Millis>(took).count()),
                static_cast<long long>(
                    std::chrono::duration_cast<Millis>(ProcessorTime() - processor).count()));
    link->ClosePort();
}

}  // namespace
}  // namespace tav::e2e
