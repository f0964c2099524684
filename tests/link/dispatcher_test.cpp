// RunDeviceOperation: the common frame, the gates, every operation's
// messages, progress and reloads, and the stop at the first failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/dispatcher.h"
#include "link/firmware.h"
#include "link_test_support.h"

namespace tav::linktest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsSupersetOf;

constexpr DeviceVersion kApp126{0x76, 0x07, 0x01, 0x00, 0x01, 0x26};
constexpr DeviceVersion kBoot126{0x76, 0x77, 0x01, 0x00, 0x01, 0x26};
constexpr std::string_view kBootModeMessage =
    "TAV-1000R znajduje się w trybie bootloadera.  Zresetuj urządzenie albo przeprowadź "
    "aktualizację oprogramowania!";

Bytes FirmwarePattern() {
    Bytes b(kFirmwareSize);
    for (std::size_t i = 0; i < b.size(); ++i) {
        b[i] = static_cast<std::uint8_t>(i * 31 + i / 128);
    }
    return b;
}

struct DispatchRig : Rig {
    Bytes firmware = FirmwarePattern();
    ScriptedReceiver& receiver = Attach();
    DispatchRig() {
        ctx.firmware = firmware;
        for (int r = 0; r < kRecordCount; ++r) {
            for (std::size_t i = 0; i < kRecordSize; ++i) {
                receiver.memory.RecordAt(r)[i] = static_cast<std::uint8_t>(r + i * 3);
                image.RecordAt(r)[i] = static_cast<std::uint8_t>(r * 5 + i);
            }
        }
    }
    OperationOutcome Run(unsigned operation) { return RunDeviceOperation(ctx, operation); }
    // The host calls other than the version text, progress and repaints.
    std::vector<std::string> Story() const {
        return host.Without({"version", "range", "pos", "RepaintWindow"});
    }
    std::vector<std::string> Positions() const {
        std::vector<std::string> out;
        for (const std::string& line : host.log) {
            if (line.starts_with("pos ")) {
                out.push_back(line.substr(4));
            }
        }
        return out;
    }
};

std::vector<std::string> Numbers(int first, int last, int step) {
    std::vector<std::string> out;
    for (int i = first; i <= last; i += step) {
        out.push_back(std::to_string(i));
    }
    return out;
}

TEST(DispatcherGates, Versions) {
    struct Row {
        DeviceVersion version;
        unsigned operation;
        std::vector<std::string> messages;
        bool worked;  // the operation's first command went out
    };
    const std::string program = "Niewłaściwa wersja programu! | BŁĄD";
    const std::string loader = "Niewłaściwa wersja bootloadera! | BŁĄD";
    const std::string bootMode = std::string(kBootModeMessage) + " | BŁĄD";
    const Row rows[] = {
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x29},
         kEraseMemory,
         {"TAV-1000R Kasuje cala pamiec | OK"},
         true},
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x00},
         kEraseMemory,
         {"TAV-1000R Kasuje cala pamiec | OK"},
         true},
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x30}, kEraseMemory, {program}, false},
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x80}, kEraseMemory, {program}, false},
        {{0x76, 0x07, 0x01, 0x00, 0x02, 0x00}, kEraseMemory, {program}, false},
        {{0x76, 0x07, 0x01, 0x00, 0x00, 0x26}, kEraseMemory, {program}, false},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x10}, kReadAllMemory, {bootMode}, false},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x10}, kEraseMemory, {bootMode}, false},
        {{0x76, 0x77, 0x01, 0x01, 0x01, 0x26}, kUpdateFirmware, {loader}, false},
        {{0x76, 0x77, 0x02, 0x00, 0x01, 0x26}, kUpdateFirmware, {loader}, false},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x80}, kUpdateFirmware, {loader}, false},
        {{0x76, 0x77, 0x01, 0x00, 0x02, 0x26}, kUpdateFirmware, {loader}, false},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x7F}, kUpdateFirmware, {"OK | OK"}, true},
        {kApp126, kUpdateFirmware, {}, false},  // the application: only "?"
        {{0x76, 0x33, 0x01, 0x00, 0x01, 0x26}, kEraseMemory, {}, false},
        {kApp126, 13, {}, false},  // no work for this number
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        rig.receiver.version = row.version;
        rig.Run(row.operation);
        EXPECT_EQ(rig.host.Messages(), row.messages)
            << VersionText(row.version) << " op " << row.operation;
        const Bytes written = rig.device.Written();
        EXPECT_EQ(written.size() > 1, row.worked) << VersionText(row.version);
        EXPECT_EQ(written.front(), '?');
        // Reset, then close, whatever the outcome.
        EXPECT_EQ(rig.host.log.back(), "reset");
        EXPECT_FALSE(rig.device.IsOpen());
    }
}

TEST(DispatcherGuards, OnlineReceptionSendsNothing) {
    for (unsigned op : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 98u}) {
        DispatchRig rig;
        rig.host.online = true;
        EXPECT_EQ(rig.Run(op), OperationOutcome::Refused);
        EXPECT_THAT(rig.host.log, ElementsAre("msg Odbieram zdarzenia. | Błąd")) << op;
        EXPECT_TRUE(rig.device.Events().empty()) << op;
    }
}

TEST(DispatcherGuards, PortFailureLeavesProgressAndVersionAlone) {
    DispatchRig rig;
    rig.device.failOpen = true;
    EXPECT_EQ(rig.Run(kReadAllMemory), OperationOutcome::Refused);
    EXPECT_THAT(rig.host.log,
                ElementsAre("msg Niewłaściwa nazwa portu lub port jest aktywny. | Błąd"));
}

TEST(DispatcherGuards, NoReentryWhileAMessageWaits) {
    DispatchRig rig;
    std::vector<OperationOutcome> nested;
    rig.host.onMessage = [&] { nested.push_back(rig.Run(kEraseMemory)); };
    EXPECT_EQ(rig.Run(kEraseMemory), OperationOutcome::Done);
    EXPECT_THAT(nested, ElementsAre(OperationOutcome::Refused));
    EXPECT_EQ(rig.receiver.erases, 1);
    EXPECT_FALSE(rig.ctx.operationRunning);
    EXPECT_EQ(rig.Run(kEraseMemory), OperationOutcome::Done);  // free again afterwards
}

TEST(DispatcherGuards, FirmwareUpdateWithoutAnImageSendsNothing) {
    DispatchRig rig;
    rig.ctx.firmware = {};
    rig.receiver.version = kBoot126;
    EXPECT_EQ(rig.Run(kUpdateFirmware), OperationOutcome::Refused);
    EXPECT_TRUE(rig.device.Events().empty());
}

// Every operation against a good receiver: its messages and reloads in order.
TEST(DispatcherOperations, SuccessStories) {
    struct Row {
        unsigned operation;
        std::vector<std::string> story;
    };
    const Row rows[] = {
        {kReadSelectedRemote,
         {"RefreshRemoteGrid", "ShowSelectedRemote", "ShowDisplaySettings",
          "msg Pilot odczytano z TAV-1000/1000R | OK", "reset"}},
        {kWriteSelectedRemote, {"msg Pilot zapisano w TAV-2000 | OK", "reset"}},
        {kWriteAllMemory, {"msg OK | OK", "reset"}},
        {kWriteScenarios, {"msg Scenariusz zostal wyslany | OK", "reset"}},
        {kReadScenarios,
         {"RefreshScenarioPage", "ShowDisplaySettings", "msg Scenariusz zostal odebrany | OK",
          "reset"}},
        {kSetClock, {"msg Ustawiono zegar w TAV-1000R | OK", "reset"}},
        {kEraseMemory, {"msg TAV-1000R Kasuje cala pamiec | OK", "reset"}},
        {kWriteDisplaySettings, {"msg Stan wyswietlacza zapisano TAV-1000R | OK", "reset"}},
        {kReadDisplaySettings,
         {"ShowDisplaySettings", "msg Stan wyswietlacza odebrano z TAV-1000R | OK", "reset"}},
        {kWriteClockEvents, {"msg Zd zegarowe zostaly wyslane | OK", "reset"}},
        {kReadClockEvents,
         {"ShowClockEvents", "ShowDisplaySettings", "msg Zd zeg zostaly odebrane | OK", "reset"}},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        rig.host.remote = 417;
        EXPECT_EQ(rig.Run(row.operation), OperationOutcome::Done) << row.operation;
        EXPECT_EQ(rig.Story(), row.story) << row.operation;
        EXPECT_EQ(rig.host.log.front(), "version hardw.ver:1.00 soft.ver:1.26");
    }
}

// Which records moved, and the progress positions on the way.
TEST(DispatcherOperations, RecordsAndProgress) {
    struct Row {
        unsigned operation;
        int first, last;  // records that end up equal on both sides
        bool read;
        std::string range;
        std::vector<std::string> positions;
    };
    const Row rows[] = {
        {kReadSelectedRemote, 417, 417, true, "", {}},
        {kWriteSelectedRemote, 417, 417, false, "", {}},
        {kWriteScenarios, 1008, 1019, false, "range 8..19", Numbers(8, 19, 1)},
        {kReadScenarios, 1008, 1019, true, "range 8..19", Numbers(8, 19, 1)},
        {kWriteClockEvents, 1000, 1004, false, "range 0..4", Numbers(0, 4, 1)},
        {kReadClockEvents, 1000, 1004, true, "range 0..4", Numbers(0, 4, 1)},
        {kWriteDisplaySettings, 1005, 1005, false, "", {}},
        {kReadDisplaySettings, 1005, 1005, true, "", {}},
        {kReadAllMemory, 0, 1023, true, "range 0..1024", Numbers(15, 1023, 16)},
        {kWriteAllMemory, 0, 1023, false, "range 0..1024", Numbers(15, 1023, 16)},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        rig.host.remote = 417;
        const MemoryImage tool = rig.image, device = rig.receiver.memory;
        rig.Run(row.operation);
        for (int r = 0; r < kRecordCount; ++r) {
            const bool moved = r >= row.first && r <= row.last;
            const auto expectTool = moved && row.read ? device.RecordAt(r) : tool.RecordAt(r);
            const auto expectDevice = moved && !row.read ? tool.RecordAt(r) : device.RecordAt(r);
            ASSERT_TRUE(std::ranges::equal(rig.image.RecordAt(r), expectTool))
                << row.operation << " " << r;
            ASSERT_TRUE(std::ranges::equal(rig.receiver.memory.RecordAt(r), expectDevice))
                << row.operation << " " << r;
        }
        if (!row.range.empty()) {
            EXPECT_THAT(rig.host.log, ::testing::Contains(row.range)) << row.operation;
        }
        EXPECT_EQ(rig.Positions(), row.positions) << row.operation;
    }
}

TEST(DispatcherOperations, ReadAllRedrawsAsRecordsArrive) {
    DispatchRig rig;
    rig.Run(kReadAllMemory);
    const auto& log = rig.host.log;
    EXPECT_EQ(std::count(log.begin(), log.end(), "RefreshRemoteGrid"), 1024);
    EXPECT_EQ(std::count(log.begin(), log.end(), "RepaintWindow"), 64 + 1);
    EXPECT_THAT(
        std::vector<std::string>(log.end() - 4, log.end()),
        ElementsAre("RefreshScenarioGrid", "RefreshSettingsPage", "RepaintWindow", "reset"));
    EXPECT_TRUE(rig.host.Messages().empty());
    // "P" unflushed, then an "x" after every record, each flushed.
    const Bytes written = rig.device.Written();
    EXPECT_EQ(std::count(written.begin(), written.end(), 'x'), 1024);
    EXPECT_EQ(rig.device.Count(PortCall::Flush), 1 + 1024);  // "?" and the "x"s
}

TEST(DispatcherOperations, FirmwareUpdate) {
    DispatchRig rig;
    rig.receiver.version = kBoot126;
    EXPECT_EQ(rig.Run(kUpdateFirmware), OperationOutcome::Done);
    EXPECT_EQ(rig.receiver.firmware, rig.firmware);
    EXPECT_EQ(rig.Story(), (std::vector<std::string>{"msg OK | OK", "reset"}));
    EXPECT_THAT(rig.host.log, ::testing::Contains("range 0..240"));
    EXPECT_EQ(rig.Positions(), Numbers(3, 239, 4));
    // "F", then 240 blocks of two sends each, none flushed.
    EXPECT_EQ(rig.device.Writes().size(), 1u + 1 + 480);
    EXPECT_EQ(rig.device.Count(PortCall::Flush), 1);  // the "?"
    EXPECT_EQ(rig.device.Writes()[1], Bytes{'F'});
}

// Failures part-way: one message, nothing after the failed record, what
// went before stays.
TEST(DispatcherFailures, StopAtTheFirstFailedRecord) {
    struct Row {
        std::string name;
        unsigned operation;
        std::function<void(ScriptedReceiver&)> fault;
        std::vector<std::string> story;
        std::size_t writes;  // sends in all: nothing after the failing record
    };
    const Row rows[] = {
        {"read all, bad record 100",
         kReadAllMemory,
         [](ScriptedReceiver& r) { r.badChecksumAt = 100; },
         {"msg Blad transmisji | Błąd", "RefreshScenarioGrid", "RefreshSettingsPage", "reset"},
         3 + 100},
        {"read all, silent from 100",
         kReadAllMemory,
         [](ScriptedReceiver& r) { r.silentFrom = 100; },
         {"msg 1000R nie odpowiada! | Błąd", "RefreshScenarioGrid", "RefreshSettingsPage", "reset"},
         3 + 100},
        {"write all, wrong echo 100",
         kWriteAllMemory,
         [](ScriptedReceiver& r) { r.wrongEchoAt = 100; },
         {"msg Blad transmisji | Błąd", "reset"},
         2 + 2 * 101},
        {"write all, silent from 100",
         kWriteAllMemory,
         [](ScriptedReceiver& r) { r.silentFrom = 100; },
         {"msg TAV-2000 nie odpowiada! | Błąd", "reset"},
         2 + 2 * 101},
        {"scenarios, wrong echo 1010",
         kWriteScenarios,
         [](ScriptedReceiver& r) { r.wrongEchoAt = 1010; },
         {"msg Blad transmisji | Błąd", "reset"},
         1 + 3 * 3},
        {"read clock events, silent from 1002",
         kReadClockEvents,
         [](ScriptedReceiver& r) { r.silentFrom = 1002; },
         {"msg TAV-1000R nie odpowiada! | Błąd", "reset"},
         1 + 3},
        {"read display, bad checksum",
         kReadDisplaySettings,
         [](ScriptedReceiver& r) { r.badChecksumAt = 1005; },
         {"msg Blad transmisji | Błąd", "reset"},
         2},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        row.fault(rig.receiver);
        EXPECT_EQ(rig.Run(row.operation), OperationOutcome::Failed) << row.name;
        EXPECT_EQ(
            rig.host.Without({"version", "range", "pos", "RepaintWindow", "RefreshRemoteGrid"}),
            row.story)
            << row.name;
        EXPECT_EQ(rig.device.Writes().size(), row.writes) << row.name;
        EXPECT_FALSE(rig.device.IsOpen());
    }
}

TEST(DispatcherFailures, BadRecord100KeepsRecords0To99And101Acknowledgements) {
    DispatchRig rig;
    rig.receiver.badChecksumAt = 100;
    const MemoryImage before = rig.image;
    rig.Run(kReadAllMemory);
    for (int r = 0; r < kRecordCount; ++r) {
        const auto expected = r < 100 ? rig.receiver.memory.RecordAt(r) : before.RecordAt(r);
        ASSERT_TRUE(std::ranges::equal(rig.image.RecordAt(r), expected)) << r;
    }
    const Bytes written = rig.device.Written();
    EXPECT_EQ(std::count(written.begin(), written.end(), 'x'), 101);
    EXPECT_EQ(written.back(), 'x');  // nothing after the failed record's "x"
    EXPECT_EQ(std::count(rig.host.log.begin(), rig.host.log.end(), "RefreshRemoteGrid"), 101);
}

TEST(DispatcherFailures, ScenarioWriteFailingAt1010) {
    DispatchRig rig;
    rig.receiver.wrongEchoAt = 1010;
    const MemoryImage device = rig.receiver.memory;
    rig.Run(kWriteScenarios);
    std::vector<int> headers;
    for (const Bytes& w : rig.device.Writes()) {
        if (w.size() == 3 && w[0] == 'z') {
            headers.push_back(w[1] * 256 + w[2]);
        }
    }
    EXPECT_THAT(headers, ElementsAre(1008, 1009, 1010));
    EXPECT_EQ(rig.Positions(), Numbers(8, 10, 1));
    EXPECT_TRUE(std::ranges::equal(rig.receiver.memory.RecordAt(1009), rig.image.RecordAt(1009)));
    EXPECT_TRUE(std::ranges::equal(rig.receiver.memory.RecordAt(1011), device.RecordAt(1011)));
}

TEST(DispatcherFailures, FirmwareWrongEchoAtBlock17) {
    struct Row {
        std::function<void(ScriptedReceiver&)> fault;
        std::string message;
        int blocksSent;
        std::vector<std::string> positions;
    };
    const Row rows[] = {
        {[](ScriptedReceiver& r) { r.wrongEchoAt = 17; }, "Blad transmisji | BŁĄD", 18,
         Numbers(3, 15, 4)},
        {[](ScriptedReceiver& r) { r.silentFrom = 19; }, "TAV-1000R nie odpowiada! | Błąd", 20,
         Numbers(3, 19, 4)},
    };
    for (const Row& row : rows) {
        DispatchRig rig;
        rig.receiver.version = kBoot126;
        row.fault(rig.receiver);
        EXPECT_EQ(rig.Run(kUpdateFirmware), OperationOutcome::Failed);
        EXPECT_THAT(rig.host.Messages(), ElementsAre(row.message));
        // "?" and "F", then two sends per block tried.
        EXPECT_EQ(rig.device.Writes().size(), 2u + 2 * static_cast<std::size_t>(row.blocksSent));
        EXPECT_EQ(rig.Positions(), row.positions);
    }
}

}  // namespace
}  // namespace tav::linktest
