// The command frames, checksums, pauses and results of the single commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace tav::linktest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(FrameChecksumTable, EightBitSum) {
    struct Row {
        Bytes data;
        std::uint8_t sum;
    };
    const Row rows[] = {
        {Bytes(32, 0x00), 0x00},      {Bytes(32, 0xFF), 0xE0}, {Bytes(128, 0xFF), 0x80},
        {Bytes{'a', 'b', 'c'}, 0x26}, {Bytes{}, 0x00},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FrameChecksum(row.data), row.sum);
    }
}

// The writes of one command, each one SendBytes call.
TEST(CommandFrames, BytesOnTheWire) {
    struct Row {
        std::string name;
        std::function<void(Rig&)> run;
        std::vector<Bytes> writes;
    };
    Bytes record1019(32);
    for (int i = 0; i < 32; ++i) {
        record1019[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xF0 + i);
    }
    const Row rows[] = {
        {"read 1005", [](Rig& r) { ReadRecord(r.ctx, 1005); }, {{0x70, 0x03, 0xED}}},
        {"read 0", [](Rig& r) { ReadRecord(r.ctx, 0); }, {{0x70, 0x00, 0x00}}},
        {"write 1019",
         [&](Rig& r) {
             std::copy(record1019.begin(), record1019.end(), r.image.RecordAt(1019).begin());
             WriteRecord(r.ctx, 1019);
         },
         {{0x7A, 0x03, 0xFB}, record1019, {Sum(record1019)}}},
        {"clock 2026-12-07 06:29:43",
         [](Rig& r) {
             r.localClock.now = {2026, 12, 7, 6, 29, 43};
             SetDeviceClock(r.ctx);
         },
         {{0x74}, {0x43, 0x29, 0x06, 0x07, 0x12, 0x26}, {0xB1}}},
        {"erase", [](Rig& r) { EraseDeviceMemory(r.ctx); }, {{0x63}}},
        {"version", [](Rig& r) { QueryVersion(r.ctx); }, {{0x3F}}},
        {"history", [](Rig& r) { HistoryRequest(r.ctx); }, {{0x68, 0x69}}},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.Attach();
        ASSERT_TRUE(rig.Open());
        row.run(rig);
        EXPECT_EQ(rig.device.Writes(), row.writes) << row.name;
        // Every single command flushes after each of its sends.
        EXPECT_EQ(rig.device.Count(PortCall::Flush), static_cast<int>(row.writes.size()))
            << row.name;
    }
}

// The pauses between the sends of a frame, measured from the end of one
// transmission (RTS down) to the start of the next (RTS up).
TEST(CommandFrames, PausesBetweenSends) {
    Rig rig;
    rig.Attach();
    ASSERT_TRUE(rig.Open());
    WriteRecord(rig.ctx, 5);
    auto on = rig.device.EventsOf(PortCall::RtsOn);
    auto off = rig.device.EventsOf(PortCall::RtsOff);
    ASSERT_EQ(on.size(), 3u);
    EXPECT_GE(on[1].at - off[1].at, 50ms);  // off[0] is the lowering at open
    EXPECT_GE(on[2].at - off[2].at, 10ms);

    Rig clock;
    clock.Attach();
    ASSERT_TRUE(clock.Open());
    SetDeviceClock(clock.ctx);
    on = clock.device.EventsOf(PortCall::RtsOn);
    off = clock.device.EventsOf(PortCall::RtsOff);
    EXPECT_GE(on[1].at - off[1].at, 50ms);
    EXPECT_GE(on[2].at - off[2].at, 10ms);
    EXPECT_EQ(clock.localClock.readings, 1);  // date and time from one reading
}

TEST(SingleCommands, Results) {
    enum Command { Read, Write, Clock };
    struct Row {
        std::string name;
        Command command;
        std::function<void(ScriptedReceiver&, Rig&)> arrange;
        int result;
    };
    const Row rows[] = {
        {"read ok", Read, [](ScriptedReceiver&, Rig&) {}, kDeviceOk},
        {"read bad checksum", Read, [](ScriptedReceiver& r, Rig&) { r.badChecksumAt = 7; },
         kTransmissionError},
        {"read silent", Read, [](ScriptedReceiver& r, Rig&) { r.silentFrom = 0; }, kNoAnswer},
        {"read 32 bytes then silence", Read,
         [](ScriptedReceiver& r, Rig& rig) {
             r.silentFrom = 0;
             rig.device.Deliver(Bytes(32, 0x11), 60ms);
         },
         kNoAnswer},
        {"write ok", Write, [](ScriptedReceiver&, Rig&) {}, kDeviceOk},
        {"write wrong echo", Write, [](ScriptedReceiver& r, Rig&) { r.wrongEchoAt = 7; },
         kTransmissionError},
        {"write no echo", Write, [](ScriptedReceiver& r, Rig&) { r.silentFrom = 0; }, kNoAnswer},
        {"write failed", Write, [](ScriptedReceiver&, Rig& rig) { rig.device.failWrites = true; },
         kNoAnswer},
        {"clock ok", Clock, [](ScriptedReceiver&, Rig&) {}, kDeviceOk},
        {"clock wrong echo", Clock, [](ScriptedReceiver& r, Rig&) { r.wrongEchoAt = 0; },
         kTransmissionError},
        {"clock no echo", Clock, [](ScriptedReceiver& r, Rig&) { r.silentFrom = 0; }, kNoAnswer},
    };
    for (const Row& row : rows) {
        Rig rig;
        ScriptedReceiver& receiver = rig.Attach();
        receiver.memory.RecordAt(7)[3] = 0x42;
        std::fill(rig.image.RecordAt(7).begin(), rig.image.RecordAt(7).end(), 0xFF);
        const MemoryImage before = rig.image;
        ASSERT_TRUE(rig.Open());
        row.arrange(receiver, rig);
        int result = 0;
        switch (row.command) {
            case Read:
                result = ReadRecord(rig.ctx, 7);
                break;
            case Write:
                result = WriteRecord(rig.ctx, 7);
                break;
            case Clock:
                result = SetDeviceClock(rig.ctx);
                break;
        }
        EXPECT_EQ(result, row.result) << row.name;
        if (row.command == Read) {
            // Only a good read touches the image, and only its record.
            MemoryImage expected = before;
            if (row.result == kDeviceOk) {
                std::copy(receiver.memory.RecordAt(7).begin(), receiver.memory.RecordAt(7).end(),
                          expected.RecordAt(7).begin());
            }
            EXPECT_EQ(rig.image, expected) << row.name;
        }
        EXPECT_FALSE(rig.device.Rts()) << row.name;
    }
}

TEST(SingleCommands, EraseSucceedsWithoutAReceiver) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    EXPECT_EQ(EraseDeviceMemory(rig.ctx), kDeviceOk);
    EXPECT_EQ(rig.device.Count(PortCall::WaitReadable), 0);
}

TEST(SingleCommands, ShowDeviceResultMessages) {
    Rig rig;
    for (int result : {int{kDeviceOk}, int{kTransmissionError}, int{kNoAnswer}, 0, 5}) {
        ShowDeviceResult(rig.ctx, result);
    }
    EXPECT_THAT(rig.host.Messages(),
                ElementsAre("Blad transmisji | Błąd", "TAV-1000R nie odpowiada! | Błąd"));
}

TEST(VersionQuery, AnswersAndTexts) {
    struct Row {
        Bytes answer;
        int kind;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x26}, 1, {"version hardw.ver:1.00 soft.ver:1.26"}},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x05}, 2, {"version boot ldr:1.00 soft.ver:1.05"}},
        {{0x76, 0x07, 0x12, 0x03, 0x0A, 0xB0}, 1, {"version hardw.ver:12.03 soft.ver:a.b0"}},
        {{0x76, 0x33, 0x01, 0x00, 0x01, 0x26}, 0, {}},
        {{0x75, 0x07, 0x01, 0x00, 0x01, 0x26}, 0, {"msg TAV-1000R nie odpowiada! | Błąd"}},
        {{0x76, 0x07, 0x01, 0x00, 0x01}, 0, {"msg TAV-1000R nie odpowiada! | Błąd"}},
        {{}, 0, {"msg TAV-1000R nie odpowiada! | Błąd"}},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.ctx.version = {9, 9, 9, 9, 9, 9};
        rig.device.SetResponder([&](FakeSerialDevice& d, std::span<const std::uint8_t>) {
            d.Deliver(row.answer, 2ms);
        });
        ASSERT_TRUE(rig.Open());
        EXPECT_EQ(QueryVersion(rig.ctx), row.kind);
        EXPECT_EQ(rig.host.log, row.log);
        // The answer lands in the kept version, over what was there.
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(rig.ctx.version[i], i < row.answer.size() ? row.answer[i] : 9);
        }
        // 50 ms after the answer (or after the time-out) before anything else.
        const auto lastRead = rig.device.EventsOf(PortCall::Read).back().at;
        EXPECT_EQ(rig.clock.Elapsed() - lastRead, 50ms);
    }
}

TEST(HistoryRequestGate, FromSoftwareVersion112) {
    struct Row {
        std::uint8_t major, minor;
        bool allowed;
    };
    for (const Row row : {Row{0x01, 0x11, false}, Row{0x01, 0x12, true}, Row{0x01, 0x26, true},
                          Row{0x02, 0x00, true}, Row{0x00, 0x12, true}, Row{0x00, 0x05, false}}) {
        DeviceVersion v{0x76, 0x07, 0x01, 0x00, row.major, row.minor};
        EXPECT_EQ(HistoryRequestAllowed(v), row.allowed) << int{row.major} << "." << int{row.minor};
    }
}

TEST(PortOpening, FailureShowsThePortMessage) {
    Rig rig;
    rig.device.failOpen = true;
    EXPECT_FALSE(OpenSelectedPort(rig.ctx).opened);
    rig.device.failOpen = false;
    ASSERT_TRUE(OpenSelectedPort(rig.ctx).opened);
    // A second program holding the port: the exclusive open fails.
    SerialLink other(rig.device.Factory(), rig.resolver, rig.clock);
    EXPECT_FALSE(other.OpenSelectedPort(0).opened);
    EXPECT_THAT(rig.host.Messages(),
                ElementsAre("Niewłaściwa nazwa portu lub port jest aktywny. | Błąd"));
}

}  // namespace
}  // namespace tav::linktest
