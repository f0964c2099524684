// Every device operation over a pty against the simulated receiver, with the
// real POSIX backend and the real clock (the receiver runs unpaced).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include "link/dispatcher.h"
#include "link/firmware.h"
#include "sim/receiver.h"
#include "tests/e2e/e2e_support.h"
#include "tests/link/link_test_support.h"
#include "tests/support/pty_receivers.h"

namespace tav::e2e {
namespace {

using e2etest::WithRecords;
using linktest::Bytes;
using sim::Fault;
using sim::FaultKind;
using sim::ReceiverMode;
using ::testing::ElementsAre;
using testsupport::PatternImage;
using namespace std::chrono_literals;

class DeviceE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::ReceiverOptions options;
        options.frameTimeout = 200ms;  // a receiver that fell silent is soon back
        receiver = testsupport::ReceiverBehindPort(resolver, 0, options);
        ASSERT_TRUE(receiver);
        for (std::size_t i = 0; i < firmware.size(); ++i) {
            firmware[i] = static_cast<std::uint8_t>((i * 13) ^ (i >> 7));
        }
        ctx.firmware = firmware;
        localClock.now = {2026, 12, 7, 6, 29, 43};
    }

    OperationOutcome Run(unsigned operation) {
        host.log.clear();
        receiver->ClearTraffic();
        const OperationOutcome outcome = RunDeviceOperation(ctx, operation);
        // The last bytes, sent just before the close, may still be on their
        // way through the pty.
        EXPECT_TRUE(receiver->WaitUntilSettled(50ms, 2s));
        EXPECT_FALSE(link.IsOpen());
        return outcome;
    }
    Bytes Sent() const { return receiver->ReceivedBytes(); }

    std::unique_ptr<sim::PtyReceiver> receiver;
    FixedPortResolver resolver;
    SystemTiming timing;
    SerialLink link{MakePlatformSerialPort, resolver, timing};
    MemoryImage image;
    linktest::RecordingHost host;
    fake::FakeLocalClock localClock;
    Bytes firmware = Bytes(kFirmwareSize);
    DeviceContext ctx{link, image, host, localClock};
};

TEST_F(DeviceE2e, ReadAndWriteOperations) {
    const std::tuple<unsigned, int, int, bool, std::string> rows[] = {
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
    ctx.selectedRemote = 417;
    for (const auto& [operation, first, last, read, message] : rows) {
        const MemoryImage device = PatternImage(static_cast<int>(operation) + 11);
        const MemoryImage tool = PatternImage(static_cast<int>(operation) + 5);
        receiver->SetMemory(device);
        image = tool;
        EXPECT_EQ(Run(operation), OperationOutcome::Done) << operation;
        // The destination holds the moved records, and nothing else changed.
        const MemoryImage expected = read ? WithRecords(tool, device, first, last - first + 1)
                                          : WithRecords(device, tool, first, last - first + 1);
        EXPECT_EQ(read ? image : receiver->Memory(), expected) << operation;
        EXPECT_EQ(read ? receiver->Memory() : image, read ? device : tool) << operation;
        EXPECT_EQ(host.Messages(),
                  message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message});
    }
}

TEST_F(DeviceE2e, ClockEraseAndFirmware) {
    EXPECT_EQ(Run(kSetClock), OperationOutcome::Done);
    EXPECT_THAT(receiver->Clock().bytes, ElementsAre(0x43, 0x29, 0x06, 0x07, 0x12, 0x26));
    EXPECT_EQ(Sent(), (Bytes{'?', 't', 0x43, 0x29, 0x06, 0x07, 0x12, 0x26, 0xB1}));

    image = PatternImage(3);
    EXPECT_EQ(Run(kEraseMemory), OperationOutcome::Done);
    EXPECT_EQ(receiver->Memory(), sim::ErasedMemory());
    EXPECT_EQ(image, PatternImage(3));
    EXPECT_THAT(host.Messages(), ElementsAre("TAV-1000R Kasuje cala pamiec | OK"));

    receiver->SetMode(ReceiverMode::BootLoader);
    EXPECT_EQ(Run(kUpdateFirmware), OperationOutcome::Done);
    EXPECT_EQ(receiver->FirmwareReceived(), firmware);
    EXPECT_EQ(host.log.front(), "version boot ldr:1.00 soft.ver:1.26");
    EXPECT_THAT(host.Messages(), ElementsAre("OK | OK"));
}

// Each fault the receiver can inject part-way through a transfer: one
// message, and the traffic log shows nothing sent after the failure.
TEST_F(DeviceE2e, TransferFaults) {
    struct Row {
        std::string name;
        unsigned operation;
        Fault fault;
        std::string message;
        std::size_t sent;  // bytes from the tool, "?" included
    };
    const Row rows[] = {
        {"read all, bad record 100",
         kReadAllMemory,
         {FaultKind::BadChecksumAtRecord, 100},
         "Blad transmisji | Błąd",
         2 + 101},
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
        {"firmware, wrong echo 17",
         kUpdateFirmware,
         {FaultKind::WrongEchoAtBlock, 17},
         "Blad transmisji | BŁĄD",
         2 + 18 * 129},
        {"firmware, silent from 5",
         kUpdateFirmware,
         {FaultKind::SilenceFromBlock, 5},
         "TAV-1000R nie odpowiada! | Błąd",
         2 + 6 * 129},
    };
    const MemoryImage device = PatternImage(7), tool = PatternImage(3);
    for (const Row& row : rows) {
        receiver->SetMemory(device);
        receiver->SetMode(row.operation == kUpdateFirmware ? ReceiverMode::BootLoader
                                                           : ReceiverMode::Application);
        receiver->ClearFaults();
        receiver->InjectFault(row.fault);
        image = tool;
        EXPECT_EQ(Run(row.operation), OperationOutcome::Failed) << row.name;
        EXPECT_THAT(host.Messages(), ElementsAre(row.message)) << row.name;
        const Bytes sent = Sent();
        EXPECT_EQ(sent.size(), row.sent) << row.name;
        if (row.operation == kReadAllMemory) {
            // 101 "x" after a bad record 100; records 0..99 kept.
            const int good = row.fault.at;
            EXPECT_EQ(std::count(sent.begin(), sent.end(), 'x'), good + 1);
            for (int r = 0; r < kRecordCount; ++r) {
                const auto want = (r < good ? device : tool).RecordAt(r);
                ASSERT_TRUE(std::ranges::equal(image.RecordAt(r), want)) << row.name << r;
            }
        }
        // The receiver's frame time-out ends what the tool left half done.
        ASSERT_TRUE(receiver->WaitUntilSettled(10ms, 1s));
        ASSERT_TRUE(receiver->WaitUntilFrameIdle(2s));
    }
}

// Garbage or a short answer spoils the version query; the next operation
// opens afresh and reads nothing that was left over.
TEST_F(DeviceE2e, SpoiltVersionAnswers) {
    for (const Fault& fault :
         {Fault{FaultKind::GarbageBeforeAnswer, 0, 3}, Fault{FaultKind::ShortAnswer, 0, 5}}) {
        receiver->InjectFault(fault);
        EXPECT_EQ(Run(kEraseMemory), OperationOutcome::Refused);
        EXPECT_THAT(host.Messages(), ElementsAre("TAV-1000R nie odpowiada! | Błąd"));
        EXPECT_EQ(Run(kEraseMemory), OperationOutcome::Done);
        EXPECT_THAT(host.Messages(), ElementsAre("TAV-1000R Kasuje cala pamiec | OK"));
    }
}

// The receiver hangs up in the middle of a full read: poll reports the
// device readable while reads give nothing. The link does not hang and gives
// up with the no-answer message.
TEST_F(DeviceE2e, HangUpDuringAFullRead) {
    receiver->InjectFault({FaultKind::HangUpAfterBytes, 6 + 33 * 20 + 10});
    EXPECT_EQ(RunDeviceOperation(ctx, kReadAllMemory), OperationOutcome::Failed);
    EXPECT_TRUE(receiver->HungUp());
    EXPECT_THAT(host.Messages(), ElementsAre("1000R nie odpowiada! | Błąd"));
}

TEST_F(DeviceE2e, PortIsExclusiveAndPausesHold) {
    ASSERT_TRUE(link.OpenSelectedPort(0).opened);
    SerialLink other(MakePlatformSerialPort, resolver, timing);
    EXPECT_FALSE(other.OpenSelectedPort(0).opened);
    link.ClosePort();
    EXPECT_TRUE(other.OpenSelectedPort(0).opened);
    other.ClosePort();

    EXPECT_EQ(Run(kWriteDisplaySettings), OperationOutcome::Done);
    std::vector<sim::TrafficEntry> fromTool;
    std::ranges::copy_if(receiver->Traffic(), std::back_inserter(fromTool),
                         [](const sim::TrafficEntry& t) { return t.fromTool; });
    // "?", "z" 03 ED, 32 data bytes, checksum: the frame arrives whole. The
    // link's pauses between its parts are checked on the fake clock
    // (tests/link) and timed by bench/pty_receiver_bench.
    ASSERT_EQ(fromTool.size(), 1u + 3 + 32 + 1);
    EXPECT_EQ(fromTool[1].byte, 'z');
}

}  // namespace
}  // namespace tav::e2e
