// Every device operation over a pty against the simulated receiver, with the
// real POSIX backend and the real clock (the receiver runs unpaced).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include "link/dispatcher.h"
#include "link/firmware.h"
#include "sim/receiver.h"
#include "tests/link/link_test_support.h"

namespace tav::e2e {
namespace {

using linktest::Bytes;
using linktest::RecordingHost;
using sim::Fault;
using sim::FaultKind;
using ::testing::ElementsAre;
using namespace std::chrono_literals;

MemoryImage Pattern(int seed) {
    MemoryImage m;
    for (std::size_t i = 0; i < kImageSize; ++i) {
        m.at(i) = static_cast<std::uint8_t>(i * seed + i / 97);
    }
    // Bytes a cooked terminal would eat or translate.
    const std::uint8_t awkward[] = {0x00, 0x11, 0x13, 0x0D, 0x0A, 0x03, 0x1A, 0x7F, 0xFF};
    std::copy(std::begin(awkward), std::end(awkward), m.RecordAt(1005).begin() + 6);
    return m;
}

Bytes FirmwarePattern() {
    Bytes b(kFirmwareSize);
    for (std::size_t i = 0; i < b.size(); ++i) {
        b[i] = static_cast<std::uint8_t>((i * 13) ^ (i >> 7));
    }
    return b;
}

[[maybe_unused]] bool SameRecords(const MemoryImage& a, const MemoryImage& b, int first, int last) {
    for (int r = first; r <= last; ++r) {
        if (!std::ranges::equal(a.RecordAt(r), b.RecordAt(r))) {
            return false;
        }
    }
    return true;
}

class DeviceE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::ReceiverOptions options;
        options.memory = Pattern(7);
        // A receiver that fell silent in a transfer is back after this quiet.
        options.frameTimeout = 200ms;
        receiver = std::make_unique<sim::PtyReceiver>(options);
        std::string error;
        ASSERT_TRUE(receiver->Start(&error)) << error;
        resolver.Set(0, receiver->DevicePath());
        ctx.firmware = firmware;
        image = Pattern(3);
        localClock.now = {2026, 12, 7, 6, 29, 43};
    }

    OperationOutcome Run(unsigned operation) {
        const OperationOutcome outcome = RunDeviceOperation(ctx, operation);
        // The last bytes, sent just before the close, may still be on their
        // way through the pty to the receiver.
        std::this_thread::sleep_for(30ms);
        EXPECT_TRUE(receiver->WaitUntilIdle(2s));
        EXPECT_FALSE(link.IsOpen());
        return outcome;
    }
    // The bytes the tool sent.
    Bytes Sent() const { return receiver->ReceivedBytes(); }

    std::unique_ptr<sim::PtyReceiver> receiver;
    FixedPortResolver resolver;
    SystemTiming timing;
    SerialLink link{MakePlatformSerialPort, resolver, timing};
    MemoryImage image;
    RecordingHost host;
    fake::FakeLocalClock localClock;
    Bytes firmware = FirmwarePattern();
    DeviceContext ctx{link, image, host, localClock};
};

TEST_F(DeviceE2e, ReadAndWriteOperations) {
    struct Row {
        unsigned operation;
        int first, last;
        bool read;
        std::string message;
    };
    const Row rows[] = {
        {kReadSelectedRemote, 417, 417, true, "Pilot odczytano z TAV-1000/1000R | OK"},
        {kWriteSelectedRemote, 417, 417, false, "Pilot zapisano w TAV-2000 | OK"},
        {kReadAllMemory, 0, 1023, true, ""},
        {kWriteAllMemory, 0, 1023, false, "OK | OK"},
        {kWriteScenarios, 1008, 1019, false, "Scenariusz zostal wyslany | OK"},
        {kReadScenarios, 1008, 1019, true, "Scenariusz zostal odebrany | OK"},
        {kWriteDisplaySettings, 1005, 1005, false, "Stan wyswietlacza zapisano TAV-1000R | OK"},
        {kReadDisplaySettings, 1005, 1005, true, "Stan wyswietlacza odebrano z TAV-1000R | OK"},
        {kWriteClockEvents, 1000, 1004, false, "Zd zegarowe zostaly wyslane | OK"},
        {kReadClockEvents, 1000, 1004, true, "Zd zeg zostaly odebrane | OK"},
    };
    host.remote = 417;
    for (const Row& row : rows) {
        const MemoryImage deviceBefore = Pattern(static_cast<int>(row.operation) + 11);
        receiver->SetMemory(deviceBefore);
        image = Pattern(static_cast<int>(row.operation) + 5);
        const MemoryImage toolBefore = image;
        host.log.clear();
        EXPECT_EQ(Run(row.operation), OperationOutcome::Done) << row.operation;
        const MemoryImage device = receiver->Memory();
        // The destination holds the moved records and nothing else changed.
        MemoryImage expected = row.read ? toolBefore : deviceBefore;
        const MemoryImage& source = row.read ? deviceBefore : toolBefore;
        for (int r = row.first; r <= row.last; ++r) {
            std::ranges::copy(source.RecordAt(r), expected.RecordAt(r).begin());
        }
        EXPECT_EQ(row.read ? image : device, expected) << row.operation;
        EXPECT_EQ(row.read ? device : image, source) << row.operation;
        EXPECT_EQ(host.Messages(), row.message.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{row.message})
            << row.operation;
    }
}

TEST_F(DeviceE2e, ClockEraseAndVersion) {
    EXPECT_EQ(Run(kSetClock), OperationOutcome::Done);
    EXPECT_THAT(receiver->Clock().bytes, ElementsAre(0x43, 0x29, 0x06, 0x07, 0x12, 0x26));
    const MemoryImage before = image;
    EXPECT_EQ(Run(kEraseMemory), OperationOutcome::Done);
    EXPECT_EQ(receiver->Memory(), sim::ErasedMemory());
    EXPECT_EQ(image, before);
    EXPECT_THAT(host.Messages(), ElementsAre("Ustawiono zegar w TAV-1000R | OK",
                                             "TAV-1000R Kasuje cala pamiec | OK"));
    EXPECT_EQ(host.log.front(), "version hardw.ver:1.00 soft.ver:1.26");
    EXPECT_EQ(Sent(), (Bytes{'?', 't', 0x43, 0x29, 0x06, 0x07, 0x12, 0x26, 0xB1, '?', 'c'}));
}

TEST_F(DeviceE2e, FirmwareUpdate) {
    receiver->SetMode(sim::ReceiverMode::BootLoader);
    EXPECT_EQ(Run(kUpdateFirmware), OperationOutcome::Done);
    EXPECT_EQ(receiver->FirmwareReceived(), firmware);
    EXPECT_THAT(host.Messages(), ElementsAre("OK | OK"));
    EXPECT_EQ(host.log.front(), "version boot ldr:1.00 soft.ver:1.26");
}

TEST_F(DeviceE2e, BootLoaderRefusesOtherOperations) {
    receiver->SetMode(sim::ReceiverMode::BootLoader);
    receiver->SetBootLoaderVersion({0x76, 0x77, 0x01, 0x00, 0x01, 0x10});
    EXPECT_EQ(Run(kReadAllMemory), OperationOutcome::Refused);
    EXPECT_EQ(Sent(), Bytes{'?'});
    receiver->SetBootLoaderVersion({0x76, 0x77, 0x01, 0x01, 0x01, 0x26});
    EXPECT_EQ(Run(kUpdateFirmware), OperationOutcome::Refused);
    EXPECT_EQ(Sent(), (Bytes{'?', '?'}));
    EXPECT_EQ(host.Messages().back(), "Niewłaściwa wersja bootloadera! | BŁĄD");
}

TEST_F(DeviceE2e, BadRecord100InAFullRead) {
    receiver->InjectFault({FaultKind::BadChecksumAtRecord, 100});
    const MemoryImage device = receiver->Memory(), before = image;
    EXPECT_EQ(Run(kReadAllMemory), OperationOutcome::Failed);
    const Bytes sent = Sent();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 'x'), 101);
    EXPECT_TRUE(SameRecords(image, device, 0, 99));
    EXPECT_TRUE(SameRecords(image, before, 100, 1023));
    EXPECT_THAT(host.Messages(), ElementsAre("Blad transmisji | Błąd"));
}

TEST_F(DeviceE2e, TransferFaults) {
    struct Row {
        std::string name;
        unsigned operation;
        Fault fault;
        std::string message;
        std::size_t toolBytes;  // everything the tool sent, "?" included
    };
    const Row rows[] = {
        {"read all, silent from 300",
         kReadAllMemory,
         {FaultKind::SilenceFromRecord, 300},
         "1000R nie odpowiada! | Błąd",
         2 + 301},
        {"write all, wrong echo 17",
         kWriteAllMemory,
         {FaultKind::WrongEchoAtRecord, 17},
         "Blad transmisji | Błąd",
         2 + 18 * 33},
        {"write all, silent from 40",
         kWriteAllMemory,
         {FaultKind::SilenceFromRecord, 40},
         "TAV-2000 nie odpowiada! | Błąd",
         2 + 41 * 33},
        {"scenarios, silent from 1010",
         kWriteScenarios,
         {FaultKind::SilenceFromRecord, 1010},
         "TAV-1000R nie odpowiada! | Błąd",
         1 + 3 * 36},
        {"remote, bad checksum",
         kReadSelectedRemote,
         {FaultKind::BadChecksumAtRecord, 0},
         "Blad transmisji | Błąd",
         1 + 3},
    };
    for (const Row& row : rows) {
        receiver->ClearFaults();
        receiver->ClearTraffic();
        receiver->InjectFault(row.fault);
        host.log.clear();
        EXPECT_EQ(Run(row.operation), OperationOutcome::Failed) << row.name;
        EXPECT_THAT(host.Messages(), ElementsAre(row.message)) << row.name;
        EXPECT_EQ(Sent().size(), row.toolBytes) << row.name;
        std::this_thread::sleep_for(300ms);  // the receiver's frame time-out
    }
}

TEST_F(DeviceE2e, FirmwareFaults) {
    struct Row {
        Fault fault;
        std::string message;
        int blocksSent;
    };
    const Row rows[] = {
        {{FaultKind::WrongEchoAtBlock, 17}, "Blad transmisji | BŁĄD", 18},
        {{FaultKind::SilenceFromBlock, 5}, "TAV-1000R nie odpowiada! | Błąd", 6},
    };
    for (const Row& row : rows) {
        receiver->SetMode(sim::ReceiverMode::BootLoader);
        receiver->ClearFaults();
        receiver->ClearTraffic();
        receiver->InjectFault(row.fault);
        host.log.clear();
        EXPECT_EQ(Run(kUpdateFirmware), OperationOutcome::Failed);
        EXPECT_THAT(host.Messages(), ElementsAre(row.message));
        // "?", "F", then the blocks tried: block 18 is never sent after a
        // wrong echo at block 17.
        const Bytes sent = Sent();
        ASSERT_EQ(sent.size(), 2 + 129u * static_cast<std::size_t>(row.blocksSent));
        for (int n = 0; n < row.blocksSent; ++n) {
            const auto block = sent.begin() + 2 + n * 129;
            EXPECT_TRUE(std::equal(block, block + 128, firmware.begin() + n * 128)) << n;
            EXPECT_EQ(block[128], FrameChecksum(std::span(firmware).subspan(n * 128u, 128)));
        }
        std::this_thread::sleep_for(300ms);
    }
}

// Garbage or a short answer spoils the version query; the next operation
// opens afresh and does not read what was left over.
TEST_F(DeviceE2e, SpoiltVersionAnswers) {
    for (const Fault& fault :
         {Fault{FaultKind::GarbageBeforeAnswer, 0, 3}, Fault{FaultKind::ShortAnswer, 0, 5}}) {
        receiver->InjectFault(fault);
        host.log.clear();
        EXPECT_EQ(Run(kEraseMemory), OperationOutcome::Refused);
        EXPECT_THAT(host.Messages(), ElementsAre("TAV-1000R nie odpowiada! | Błąd"));
        host.log.clear();
        EXPECT_EQ(Run(kEraseMemory), OperationOutcome::Done);
        EXPECT_THAT(host.Messages(), ElementsAre("TAV-1000R Kasuje cala pamiec | OK"));
    }
}

// The receiver hangs up in the middle of a full read: poll reports the
// device readable while reads give nothing. The link must neither spin nor
// hang, and gives up after the idle limit.
TEST_F(DeviceE2e, HangUpDuringAFullRead) {
    receiver->InjectFault({FaultKind::HangUpAfterBytes, 6 + 33 * 20 + 10});
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    EXPECT_EQ(RunDeviceOperation(ctx, kReadAllMemory), OperationOutcome::Failed);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    EXPECT_TRUE(receiver->HungUp());
    EXPECT_THAT(host.Messages(), ElementsAre("1000R nie odpowiada! | Błąd"));
    EXPECT_GE(elapsed, 2500ms);
    EXPECT_LT(elapsed, 4000ms);
    EXPECT_LT(cpu, 0.5);  // 50 idle periods, not a busy loop
}

TEST_F(DeviceE2e, PortIsExclusiveAndOperationsRespectPauses) {
    ASSERT_TRUE(link.OpenSelectedPort(0).opened);
    SerialLink other(MakePlatformSerialPort, resolver, timing);
    EXPECT_FALSE(other.OpenSelectedPort(0).opened);
    link.ClosePort();
    EXPECT_TRUE(other.OpenSelectedPort(0).opened);
    other.ClosePort();

    receiver->ClearTraffic();
    EXPECT_EQ(Run(kWriteDisplaySettings), OperationOutcome::Done);
    std::vector<sim::TrafficEntry> fromTool;
    for (const auto& t : receiver->Traffic()) {
        if (t.fromTool) {
            fromTool.push_back(t);
        }
    }
    // "?", then "z" 03 ED, 32 data bytes, checksum. The times are when the
    // receiver read the bytes, so allow it a millisecond of lateness.
    ASSERT_EQ(fromTool.size(), 1u + 3 + 32 + 1);
    EXPECT_GE(fromTool[1].time - fromTool[0].time, 49ms);   // after the version answer
    EXPECT_GE(fromTool[4].time - fromTool[3].time, 49ms);   // after the header
    EXPECT_GE(fromTool[36].time - fromTool[35].time, 9ms);  // before the checksum
}

}  // namespace
}  // namespace tav::e2e
