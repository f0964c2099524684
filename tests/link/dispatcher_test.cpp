// RunDeviceOperation: the common frame, the gates, every operation's
// messages, progress and reloads, and the stop at the first failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "link/dispatcher.h"
#include "link/firmware.h"
#include "link/operation_report.h"
#include "link_test_support.h"
#include "tests/support/image_pattern.h"

namespace tav::linktest {
namespace {

using sim::Fault;
using sim::FaultKind;
using sim::ReceiverMode;
using ::testing::Contains;
using ::testing::ElementsAre;
using testsupport::PatternImage;

std::vector<std::string> Numbers(int first, int last, int step) {
    std::vector<std::string> out;
    for (int i = first; i <= last; i += step) {
        out.push_back(std::to_string(i));
    }
    return out;
}

struct DispatchRig : Rig {
    Bytes firmware = Bytes(kFirmwareSize);
    DispatchRig() {
        for (std::size_t i = 0; i < firmware.size(); ++i) {
            firmware[i] = static_cast<std::uint8_t>(i * 31 + i / 128);
        }
        ctx.firmware = firmware;
        image = PatternImage(5);
        receiver->SetMemory(PatternImage(3));
        ctx.selectedRemote = 417;
    }
    OperationOutcome Run(unsigned operation) { return RunDeviceOperation(ctx, operation); }
    void Answer(ReceiverMode mode, const DeviceVersion& version) {
        receiver->SetMode(mode);
        receiver->SetVersion(version);
    }
    int Sent(std::uint8_t byte) const {
        const Bytes w = device.Written();
        return static_cast<int>(std::count(w.begin(), w.end(), byte));
    }
};

TEST(DispatcherGates, Versions) {
    const std::string program = "Niewłaściwa wersja programu! | BŁĄD";
    const std::string loader = "Niewłaściwa wersja bootloadera! | BŁĄD";
    const std::string bootMode =
        "TAV-1000R znajduje się w trybie bootloadera.  Zresetuj urządzenie albo przeprowadź "
        "aktualizację oprogramowania! | BŁĄD";
    const std::string erased = "TAV-1000R Kasuje cala pamiec | OK";
    constexpr auto App = ReceiverMode::Application;
    constexpr auto Boot = ReceiverMode::BootLoader;
    struct Row {
        ReceiverMode mode;
        DeviceVersion version;
        unsigned operation;
        std::vector<std::string> messages;
        std::size_t sent;  // bytes sent in all, "?" included
    };
    const Row rows[] = {
        {App, {0x76, 0x07, 0x01, 0x00, 0x01, 0x29}, kEraseMemory, {erased}, 2},
        {App, {0x76, 0x07, 0x01, 0x00, 0x01, 0x00}, kEraseMemory, {erased}, 2},
        {App, {0x76, 0x07, 0x01, 0x00, 0x01, 0x30}, kEraseMemory, {program}, 1},
        {App, {0x76, 0x07, 0x01, 0x00, 0x01, 0x80}, kEraseMemory, {program}, 1},
        {App, {0x76, 0x07, 0x01, 0x00, 0x02, 0x00}, kEraseMemory, {program}, 1},
        {App, {0x76, 0x07, 0x01, 0x00, 0x01, 0x26}, kUpdateFirmware, {}, 1},
        {App, {0x76, 0x33, 0x01, 0x00, 0x01, 0x26}, kEraseMemory, {}, 1},
        {App, {0x76, 0x07, 0x01, 0x00, 0x01, 0x26}, 13, {}, 1},
        {Boot, {0x76, 0x77, 0x01, 0x00, 0x01, 0x10}, kReadAllMemory, {bootMode}, 1},
        {Boot, {0x76, 0x77, 0x01, 0x01, 0x01, 0x26}, kUpdateFirmware, {loader}, 1},
        {Boot, {0x76, 0x77, 0x02, 0x00, 0x01, 0x26}, kUpdateFirmware, {loader}, 1},
        {Boot, {0x76, 0x77, 0x01, 0x00, 0x01, 0x80}, kUpdateFirmware, {loader}, 1},
        {Boot, {0x76, 0x77, 0x01, 0x00, 0x02, 0x26}, kUpdateFirmware, {loader}, 1},
        {Boot, {0x76, 0x77, 0x01, 0x00, 0x01, 0x7F}, kUpdateFirmware, {"OK | OK"}, 2 + 240 * 129},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        rig.Answer(row.mode, row.version);
        rig.Run(row.operation);
        const std::string what = VersionText(row.version) + " op " + std::to_string(row.operation);
        EXPECT_EQ(rig.host.Messages(), row.messages) << what;
        EXPECT_EQ(rig.device.Written().size(), row.sent) << what;
        EXPECT_EQ(rig.host.log.back(), "reset") << what;
        EXPECT_FALSE(rig.device.IsOpen()) << what;
    }
}

TEST(DispatcherGuards, RefusalsThatSendNothing) {
    for (const unsigned op : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 98u}) {
        DispatchRig rig;
        rig.ctx.onlineReception = true;
        EXPECT_EQ(rig.Run(op), OperationOutcome::Refused);
        EXPECT_THAT(rig.host.log, ElementsAre("msg Odbieram zdarzenia. | Błąd")) << op;
        EXPECT_TRUE(rig.device.Events().empty()) << op;
    }
    DispatchRig noPort;
    noPort.device.failOpen = true;
    EXPECT_EQ(noPort.Run(kReadAllMemory), OperationOutcome::Refused);
    EXPECT_THAT(noPort.host.log,
                ElementsAre("msg Niewłaściwa nazwa portu lub port jest aktywny. | Błąd"));
    DispatchRig noImage;
    noImage.ctx.firmware = {};
    noImage.Answer(ReceiverMode::BootLoader, sim::kDefaultBootLoaderVersion);
    EXPECT_EQ(noImage.Run(kUpdateFirmware), OperationOutcome::Refused);
    EXPECT_TRUE(noImage.device.Events().empty());
}

TEST(DispatcherGuards, NoReentryWhileAMessageWaits) {
    DispatchRig rig;
    std::vector<OperationOutcome::Kind> nested;
    rig.host.onMessage = [&] { nested.push_back(rig.Run(kEraseMemory).kind); };
    EXPECT_EQ(rig.Run(kEraseMemory), OperationOutcome::Done);
    EXPECT_THAT(nested, ElementsAre(OperationOutcome::Refused));
    EXPECT_EQ(rig.Sent('c'), 1);
    EXPECT_EQ(rig.Run(kEraseMemory), OperationOutcome::Done);  // free again afterwards
}

// Every operation against a good receiver: the records moved, the progress
// positions, the records changed, and the messages in order.
TEST(DispatcherOperations, Successes) {
    struct Row {
        unsigned operation;
        int first, last;
        bool read;
        std::vector<std::string> positions;
        std::vector<std::string> story;
    };
    const std::vector<std::string> none;
    const Row rows[] = {
        {kReadSelectedRemote, 417, 417, true, none, {"msg Pilot odczytano z TAV-1000/1000R | OK"}},
        {kWriteSelectedRemote, 417, 417, false, none, {"msg Pilot zapisano w TAV-2000 | OK"}},
        {kReadAllMemory, 0, 1023, true, Numbers(15, 1023, 16), {}},
        {kWriteAllMemory, 0, 1023, false, Numbers(15, 1023, 16), {"msg OK | OK"}},
        {kWriteScenarios,
         1008,
         1019,
         false,
         Numbers(8, 19, 1),
         {"msg Scenariusz zostal wyslany | OK"}},
        {kReadScenarios,
         1008,
         1019,
         true,
         Numbers(8, 19, 1),
         {"msg Scenariusz zostal odebrany | OK"}},
        {kSetClock, 0, -1, false, none, {"msg Ustawiono zegar w TAV-1000R | OK"}},
        {kWriteDisplaySettings,
         1005,
         1005,
         false,
         none,
         {"msg Stan wyswietlacza zapisano TAV-1000R | OK"}},
        {kReadDisplaySettings,
         1005,
         1005,
         true,
         none,
         {"msg Stan wyswietlacza odebrano z TAV-1000R | OK"}},
        {kWriteClockEvents,
         1000,
         1004,
         false,
         Numbers(0, 4, 1),
         {"msg Zd zegarowe zostaly wyslane | OK"}},
        {kReadClockEvents,
         1000,
         1004,
         true,
         Numbers(0, 4, 1),
         {"msg Zd zeg zostaly odebrane | OK"}},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        const MemoryImage tool = rig.image, device = rig.receiver->Memory();
        EXPECT_EQ(rig.Run(row.operation), OperationOutcome::Done) << row.operation;
        MemoryImage expected = row.read ? tool : device;
        for (int r = row.first; r <= row.last; ++r) {
            std::ranges::copy((row.read ? device : tool).RecordAt(r), expected.RecordAt(r).begin());
        }
        EXPECT_EQ(row.read ? rig.image : rig.receiver->Memory(), expected) << row.operation;
        EXPECT_EQ(row.read ? rig.receiver->Memory() : rig.image, row.read ? device : tool);
        EXPECT_EQ(rig.host.Lines("pos "), row.positions) << row.operation;
        std::vector<std::string> story = row.story;
        story.push_back("reset");
        EXPECT_EQ(rig.host.Story(), story) << row.operation;
        EXPECT_EQ(rig.host.log.front(), "version hardw.ver:1.00 soft.ver:1.26");
        // A read names every record it changed, a write none.
        std::vector<std::string> changed;
        for (const std::string& range : rig.host.Lines("records ")) {
            const std::size_t dots = range.find("..");
            for (int r = std::stoi(range.substr(0, dots)); r <= std::stoi(range.substr(dots + 2));
                 ++r) {
                changed.push_back(std::to_string(r));
            }
        }
        EXPECT_EQ(changed, row.read ? Numbers(row.first, row.last, 1) : none) << row.operation;
    }
}

TEST(DispatcherOperations, RangesAndRecordsChanged) {
    const std::pair<unsigned, std::string> ranges[] = {
        {kReadAllMemory, "range 0..1024"},
        {kWriteAllMemory, "range 0..1024"},
        {kWriteScenarios, "range 8..19"},
        {kReadClockEvents, "range 0..4"},
    };
    for (const auto& [operation, range] : ranges) {
        DispatchRig rig;
        rig.Run(operation);
        EXPECT_THAT(rig.host.log, Contains(range));
    }
    // The full read names its records once, at its end; "P" goes unflushed,
    // every "x" flushed.
    DispatchRig rig;
    rig.Run(kReadAllMemory);
    EXPECT_EQ(rig.host.Lines("records "), std::vector<std::string>{"0..1023"});
    EXPECT_EQ(rig.Sent('x'), 1024);
    EXPECT_EQ(rig.device.Count(PortCall::Flush), 1 + 1024);
}

// Each operation moves exactly the records its table row names: a read
// replaces those of the image and no others, a write stores those in the
// receiver and no others, and neither touches the other side.
TEST(DispatcherOperations, RecordsMovedAreTheTableRow) {
    const auto same = [](const MemoryImage& a, const MemoryImage& b, int r) {
        return std::equal(a.RecordAt(r).begin(), a.RecordAt(r).end(), b.RecordAt(r).begin());
    };
    for (unsigned op = 1; op <= 12; ++op) {
        if (op == kEraseMemory) {
            continue;  // empties the receiver's memory, moves no records
        }
        DispatchRig rig;
        const MemoryImage image = rig.image;
        const MemoryImage receiver = rig.receiver->Memory();
        ASSERT_EQ(rig.Run(op), OperationOutcome::Done) << op;
        const OperationRecords records = RecordsOfOperation(op, rig.ctx.selectedRemote);
        const bool read = records.access == RecordAccess::kRead;
        const bool written = records.access == RecordAccess::kWrite;
        for (int r = 0; r < kRecordCount; ++r) {
            const bool moved = records.Contains(r);
            EXPECT_TRUE(same(rig.image, read && moved ? receiver : image, r)) << op << " " << r;
            EXPECT_TRUE(same(rig.receiver->Memory(), written && moved ? image : receiver, r))
                << op << " " << r;
        }
    }
    for (const unsigned op : {7u, 8u, 98u, 13u}) {
        EXPECT_EQ(RecordsOfOperation(op, 417).Count(), 0) << op;
    }
}

TEST(DispatcherOperations, FirmwareUpdate) {
    DispatchRig rig;
    rig.Answer(ReceiverMode::BootLoader, sim::kDefaultBootLoaderVersion);
    EXPECT_EQ(rig.Run(kUpdateFirmware), OperationOutcome::Done);
    EXPECT_EQ(rig.receiver->FirmwareReceived(), rig.firmware);
    EXPECT_EQ(rig.host.Story(), (std::vector<std::string>{"msg OK | OK", "reset"}));
    EXPECT_THAT(rig.host.log, Contains("range 0..240"));
    EXPECT_EQ(rig.host.Lines("pos "), Numbers(3, 239, 4));
    // "?", "F", then two sends a block; only the "?" is flushed.
    EXPECT_EQ(rig.device.Writes().size(), 2u + 480);
    EXPECT_EQ(rig.device.Count(PortCall::Flush), 1);
}

// One message, nothing sent after the failing record or block, and what
// went before stays.
TEST(DispatcherFailures, StopAtTheFirstFailure) {
    struct Row {
        std::string name;
        unsigned operation;
        Fault fault;
        std::vector<std::string> story;
        std::size_t writes;
        std::vector<std::string> positions;
    };
    const std::vector<std::string> reloads = {"reset"};
    const auto with = [](std::string message, std::vector<std::string> rest) {
        rest.insert(rest.begin(), "msg " + message);
        return rest;
    };
    const Row rows[] = {
        {"read all, bad record 100",
         kReadAllMemory,
         {FaultKind::BadChecksumAtRecord, 100},
         with("Blad transmisji | Błąd", reloads),
         2 + 101,
         Numbers(15, 95, 16)},
        {"read all, silent from 100",
         kReadAllMemory,
         {FaultKind::SilenceFromRecord, 100},
         with("1000R nie odpowiada! | Błąd", reloads),
         2 + 101,
         Numbers(15, 95, 16)},
        {"write all, wrong echo 111",
         kWriteAllMemory,
         {FaultKind::WrongEchoAtRecord, 111},
         with("Blad transmisji | Błąd", {"reset"}),
         2 + 2 * 112,
         Numbers(15, 111, 16)},
        {"write all, silent from 100",
         kWriteAllMemory,
         {FaultKind::SilenceFromRecord, 100},
         with("TAV-2000 nie odpowiada! | Błąd", {"reset"}),
         2 + 2 * 101,
         Numbers(15, 95, 16)},
        {"scenarios, wrong echo 1010",
         kWriteScenarios,
         {FaultKind::WrongEchoAtRecord, 1010},
         with("Blad transmisji | Błąd", {"reset"}),
         1 + 3 * 3,
         Numbers(8, 10, 1)},
        {"clock events, silent from 1002",
         kReadClockEvents,
         {FaultKind::SilenceFromRecord, 1002},
         with("TAV-1000R nie odpowiada! | Błąd", {"reset"}),
         1 + 3,
         Numbers(0, 2, 1)},
        {"display, bad checksum",
         kReadDisplaySettings,
         {FaultKind::BadChecksumAtRecord, 1005},
         with("Blad transmisji | Błąd", {"reset"}),
         2,
         {}},
        {"firmware, wrong echo 17",
         kUpdateFirmware,
         {FaultKind::WrongEchoAtBlock, 17},
         with("Blad transmisji | BŁĄD", {"reset"}),
         2 + 2 * 18,
         Numbers(3, 15, 4)},
        {"firmware, silent from 19",
         kUpdateFirmware,
         {FaultKind::SilenceFromBlock, 19},
         with("TAV-1000R nie odpowiada! | Błąd", {"reset"}),
         2 + 2 * 20,
         Numbers(3, 19, 4)},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        if (row.operation == kUpdateFirmware) {
            rig.Answer(ReceiverMode::BootLoader, sim::kDefaultBootLoaderVersion);
        }
        const MemoryImage tool = rig.image, device = rig.receiver->Memory();
        rig.receiver->InjectFault(row.fault);
        EXPECT_EQ(rig.Run(row.operation), OperationOutcome::Failed) << row.name;
        EXPECT_EQ(rig.host.Story(), row.story) << row.name;
        EXPECT_EQ(rig.device.Writes().size(), row.writes) << row.name;
        EXPECT_EQ(rig.host.Lines("pos "), row.positions) << row.name;
        EXPECT_FALSE(rig.device.IsOpen());
        if (row.operation == kReadAllMemory) {
            // Records 0..99 arrived and stay; the rest are as they were.
            for (int r = 0; r < kRecordCount; ++r) {
                const auto want = (r < 100 ? device : tool).RecordAt(r);
                ASSERT_TRUE(std::ranges::equal(rig.image.RecordAt(r), want)) << r;
            }
            EXPECT_EQ(rig.Sent('x'), 101);
        }
        if (row.operation == kWriteScenarios) {
            EXPECT_TRUE(
                std::ranges::equal(rig.receiver->Memory().RecordAt(1009), tool.RecordAt(1009)));
            EXPECT_TRUE(
                std::ranges::equal(rig.receiver->Memory().RecordAt(1011), device.RecordAt(1011)));
        }
    }
}

}  // namespace
}  // namespace tav::linktest

namespace tav::linktest {
namespace {

// A host that asks to stop gets the records before the stop done and whole,
// the rest untouched, the stop's message, the count in the outcome, and the
// port closed; the firmware transfer stops between two blocks.
TEST(DispatcherStops, AfterTheRecordTheHostNames) {
    struct Row {
        const char* name;
        std::function<OperationOutcome(DeviceContext&)> run;
        int stopAfter;
        bool write;                  // the receiver gets records, else the image
        std::vector<int> done;       // records transferred before the stop
        std::vector<int> untouched;  // records left as they were
        OperationOutcome::Kind outcome;
        int doneCount;
        int total;
        std::string message;
    };
    const auto op = [](unsigned operation) {
        return [operation](DeviceContext& c) { return RunDeviceOperation(c, operation); };
    };
    const std::string wrote =
        " rekordów. Tylko te rekordy dotarły do TAV-1000R, pozostałe są w nim takie, jak przed "
        "zapisem. | UWAGA!";
    const std::string read =
        " rekordów. Dane w programie pozostały takie, jak przed odczytem. | UWAGA!";
    static const int kList[] = {7, 3, 900};
    const Row rows[] = {
        {"bulk write",
         op(kWriteAllMemory),
         107,
         true,
         {0, 50, 107},
         {108, 500, 1023},
         OperationOutcome::Stopped,
         108,
         1024,
         "Zapis przerwano po 108 z 1024" + wrote},
        {"bulk read",
         op(kReadAllMemory),
         40,
         false,
         {0, 40},
         {41, 1023},
         OperationOutcome::Stopped,
         41,
         1024,
         "Odczyt przerwano po 41 z 1024" + read},
        {"scenarios written",
         op(kWriteScenarios),
         kFirstScenarioRecord + 2,
         true,
         {kFirstScenarioRecord, kFirstScenarioRecord + 2},
         {kFirstScenarioRecord + 3, kLastScenarioGroupRecord},
         OperationOutcome::Stopped,
         3,
         12,
         "Zapis przerwano po 3 z 12" + wrote},
        {"clock events read",
         op(kReadClockEvents),
         kFirstClockTransmitterRecord,
         false,
         {kFirstClockTransmitterRecord},
         {kFirstClockTransmitterRecord + 1, kClockEventRecord},
         OperationOutcome::Stopped,
         1,
         5,
         "Odczyt przerwano po 1 z 5" + read},
        {"record list written",
         [](DeviceContext& c) {
             return RunDeviceWork(c, [](DeviceContext& d) { return WriteRecordList(d, kList); });
         },
         3,
         true,
         {7, 3},
         {900},
         OperationOutcome::Stopped,
         2,
         3,
         "Zapis przerwano po 2 z 3" + wrote},
        {"a stop asked after the last record changes nothing",
         op(kWriteDisplaySettings),
         kDisplayRecord,
         true,
         {kDisplayRecord},
         {},
         OperationOutcome::Done,
         1,
         1,
         "Stan wyswietlacza zapisano TAV-1000R | OK"},
        {"firmware",
         op(kUpdateFirmware),
         5,
         false,
         {},
         {},
         OperationOutcome::Stopped,
         6,
         240,
         "Aktualizację przerwano po 6 z 240 bloków. TAV-1000R pozostaje w trybie bootloadera, "
         "dopóki aktualizacja nie przebiegnie w całości. | UWAGA!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DispatchRig rig;
        const bool firmware = std::string_view(row.name) == "firmware";
        if (firmware) {
            rig.Answer(ReceiverMode::BootLoader, {0x76, 0x77, 0x01, 0x00, 0x01, 0x26});
        }
        const MemoryImage toolBefore = rig.image;
        const MemoryImage receiverBefore = rig.receiver->Memory();
        rig.host.stopAfter = [&row](int record) { return record == row.stopAfter; };
        const OperationOutcome outcome = row.run(rig.ctx);
        EXPECT_EQ(outcome.kind, row.outcome);
        EXPECT_EQ(outcome.done, row.doneCount);
        EXPECT_EQ(outcome.total, row.total);
        const MemoryImage& from = row.write ? toolBefore : receiverBefore;
        const MemoryImage& into = row.write ? rig.receiver->Memory() : rig.image;
        const MemoryImage& old = row.write ? receiverBefore : toolBefore;
        for (int r : row.done) {
            EXPECT_TRUE(std::ranges::equal(into.RecordAt(r), from.RecordAt(r))) << r;
        }
        for (int r : row.untouched) {
            EXPECT_TRUE(std::ranges::equal(into.RecordAt(r), old.RecordAt(r))) << r;
        }
        EXPECT_THAT(rig.host.Messages(), ElementsAre(row.message));
        EXPECT_EQ(rig.host.log.back(), "reset");
        EXPECT_FALSE(rig.device.IsOpen());
        if (firmware) {
            // Whole blocks only: the receiver took the six before the stop.
            const std::vector<std::uint8_t> got = rig.receiver->FirmwareReceived();
            EXPECT_TRUE(std::ranges::equal(got, std::span(rig.firmware).first(6 * 128)));
        }
    }
}

}  // namespace
}  // namespace tav::linktest

namespace tav::linktest {
namespace {

// Beside the bar: where the transfer is and what the rest takes on the line.
TEST(OperationReport, ProgressText) {
    const auto at = [](ProgressKind kind, int done, int total) {
        return OperationProgress{
            kind, 0, total, done - 1, done, total, (total - done) * RecordMicros(kind) / 1e6};
    };
    const std::pair<OperationProgress, std::string> rows[] = {
        {at(ProgressKind::kRead, 312, 1024), "Odczyt: rekord 312 z 1024, zostało ok. 25 s"},
        {at(ProgressKind::kWrite, 1, 1024), "Zapis: rekord 1 z 1024, zostało ok. 36 s"},
        {at(ProgressKind::kFirmware, 120, 240), "Aktualizacja: blok 120 z 240, zostało ok. 16 s"},
        {at(ProgressKind::kRead, 1024, 1024), "Odczyt: rekord 1024 z 1024, zostało ok. 0 s"},
        {OperationProgress{}, ""},
    };
    for (const auto& [progress, text] : rows) {
        EXPECT_EQ(ProgressText(progress), text);
    }
}

}  // namespace
}  // namespace tav::linktest
