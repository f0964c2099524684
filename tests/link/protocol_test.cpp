// The command frames, checksums, pauses and results of the single commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace tav::linktest {
namespace {

using sim::Fault;
using sim::FaultKind;
using ::testing::ElementsAre;

TEST(FrameChecksumTable, EightBitSum) {
    const std::pair<Bytes, std::uint8_t> rows[] = {
        {Bytes(32, 0x00), 0x00},      {Bytes(32, 0xFF), 0xE0}, {Bytes(128, 0xFF), 0x80},
        {Bytes{'a', 'b', 'c'}, 0x26}, {Bytes{}, 0x00},
    };
    for (const auto& [data, sum] : rows) {
        EXPECT_EQ(FrameChecksum(data), sum);
    }
}

// The sends of each command (one entry per SendBytes), each one flushed.
TEST(CommandFrames, BytesOnTheWire) {
    Bytes record(32);
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(0xF0 + i);
    }
    const std::tuple<std::string, std::function<void(Rig&)>, std::vector<Bytes>> rows[] = {
        {"read 1005", [](Rig& r) { ReadRecord(r.ctx, 1005); }, {{0x70, 0x03, 0xED}}},
        {"read 0", [](Rig& r) { ReadRecord(r.ctx, 0); }, {{0x70, 0x00, 0x00}}},
        {"write 1019",
         [&](Rig& r) {
             std::ranges::copy(record, r.image.RecordAt(1019).begin());
             WriteRecord(r.ctx, 1019);
         },
         {{0x7A, 0x03, 0xFB}, record, {FrameChecksum(record)}}},
        {"clock",
         [](Rig& r) {
             r.localClock.now = {2026, 12, 7, 6, 29, 43};
             SetDeviceClock(r.ctx);
         },
         {{0x74}, {0x43, 0x29, 0x06, 0x07, 0x12, 0x26}, {0xB1}}},
        {"erase", [](Rig& r) { EraseDeviceMemory(r.ctx); }, {{0x63}}},
        {"version", [](Rig& r) { QueryVersion(r.ctx); }, {{0x3F}}},
        {"history", [](Rig& r) { HistoryRequest(r.ctx); }, {{0x68, 0x69}}},
    };
    for (const auto& [name, run, writes] : rows) {
        Rig rig;
        ASSERT_TRUE(rig.Open());
        run(rig);
        EXPECT_EQ(rig.device.Writes(), writes) << name;
        EXPECT_EQ(rig.device.Count(PortCall::Flush), static_cast<int>(writes.size())) << name;
    }
}

// From the end of one transmission (RTS down) to the start of the next:
// 50 ms after the header or "t", 10 ms before the checksum.
TEST(CommandFrames, PausesBetweenSends) {
    for (const bool clock : {false, true}) {
        Rig rig;
        ASSERT_TRUE(rig.Open());
        clock ? SetDeviceClock(rig.ctx) : WriteRecord(rig.ctx, 5);
        const auto on = rig.device.EventsOf(PortCall::RtsOn);
        const auto off = rig.device.EventsOf(PortCall::RtsOff);  // [0]: at the open
        ASSERT_EQ(on.size(), 3u);
        EXPECT_EQ(on[1].at - off[1].at, 50ms);
        EXPECT_EQ(on[2].at - off[2].at, 10ms);
    }
}

TEST(SingleCommands, Results) {
    enum Command { Read, Write, Clock };
    const std::tuple<std::string, Command, std::optional<Fault>, int> rows[] = {
        {"read ok", Read, {}, kDeviceOk},
        {"read bad checksum", Read, Fault{FaultKind::BadChecksumAtRecord, 7}, kTransmissionError},
        {"read silent", Read, Fault{FaultKind::SilenceFromRecord, 7}, kNoAnswer},
        {"read 32 bytes only", Read, Fault{FaultKind::ShortAnswer, 0, 32}, kNoAnswer},
        {"write ok", Write, {}, kDeviceOk},
        {"write wrong echo", Write, Fault{FaultKind::WrongEchoAtRecord, 7}, kTransmissionError},
        {"write no echo", Write, Fault{FaultKind::SilenceFromRecord, 7}, kNoAnswer},
        {"clock ok", Clock, {}, kDeviceOk},
        {"clock wrong echo", Clock, Fault{FaultKind::GarbageBeforeAnswer, 0, 1},
         kTransmissionError},
        {"clock no echo", Clock, Fault{FaultKind::ShortAnswer, 0, 0}, kNoAnswer},
    };
    for (const auto& [name, command, fault, expected] : rows) {
        Rig rig;
        MemoryImage device;
        device.RecordAt(7)[3] = 0x42;
        rig.receiver->SetMemory(device);
        std::ranges::fill(rig.image.RecordAt(7), 0xFF);
        const MemoryImage before = rig.image;
        if (fault) {
            rig.receiver->InjectFault(*fault);
        }
        ASSERT_TRUE(rig.Open());
        const int result = command == Read    ? ReadRecord(rig.ctx, 7)
                           : command == Write ? WriteRecord(rig.ctx, 7)
                                              : SetDeviceClock(rig.ctx);
        EXPECT_EQ(result, expected) << name;
        // Only a good read changes the image, and only its record.
        MemoryImage expectedImage = before;
        if (command == Read && expected == kDeviceOk) {
            std::ranges::copy(device.RecordAt(7), expectedImage.RecordAt(7).begin());
        }
        EXPECT_EQ(rig.image, expectedImage) << name;
    }
    // Erase awaits nothing: success without a receiver.
    Rig rig;
    rig.device.SetResponder(nullptr);
    ASSERT_TRUE(rig.Open());
    EXPECT_EQ(EraseDeviceMemory(rig.ctx), kDeviceOk);
    EXPECT_EQ(rig.device.Count(PortCall::WaitReadable), 0);
}

TEST(SingleCommands, ShowDeviceResultMessages) {
    Rig rig;
    for (const int result : {1, -1, -2, 0, 5}) {
        ShowDeviceResult(rig.ctx, result);
    }
    EXPECT_THAT(rig.host.Messages(),
                ElementsAre("Blad transmisji | Błąd", "TAV-1000R nie odpowiada! | Błąd"));
}

TEST(VersionQuery, AnswersAndTexts) {
    const std::string noAnswer = "msg TAV-1000R nie odpowiada! | Błąd";
    constexpr auto App = VersionKind::kApplication;
    constexpr auto None = VersionKind::kNoAnswer;
    const std::tuple<Bytes, VersionKind, std::vector<std::string>> rows[] = {
        {{0x76, 0x07, 0x01, 0x00, 0x01, 0x26}, App, {"version hardw.ver:1.00 soft.ver:1.26"}},
        {{0x76, 0x77, 0x01, 0x00, 0x01, 0x05},
         VersionKind::kBootLoader,
         {"version boot ldr:1.00 soft.ver:1.05"}},
        {{0x76, 0x07, 0x12, 0x03, 0x0A, 0xB0}, App, {"version hardw.ver:12.03 soft.ver:a.b0"}},
        {{0x76, 0x33, 0x01, 0x00, 0x01, 0x26}, VersionKind::kUnknown, {}},
        {{0x75, 0x07, 0x01, 0x00, 0x01, 0x26}, None, {noAnswer}},
        {{0x76, 0x07, 0x01, 0x00, 0x01}, None, {noAnswer}},
        {{}, None, {noAnswer}},
    };
    for (const auto& [answer, kind, log] : rows) {
        Rig rig;
        rig.ctx.version = {9, 9, 9, 9, 9, 9};
        rig.device.SetResponder(
            [&](FakeSerialDevice& d, std::span<const std::uint8_t>) { d.Deliver(answer, 2ms); });
        ASSERT_TRUE(rig.Open());
        EXPECT_EQ(QueryVersion(rig.ctx), kind);
        EXPECT_EQ(rig.host.log, log);
        // The answer lands in the kept version, over what was there.
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(rig.ctx.version[i], i < answer.size() ? answer[i] : 9);
        }
        // 50 ms after the answer (or the time-out) before anything else.
        EXPECT_EQ(rig.clock.Elapsed() - rig.device.EventsOf(PortCall::Read).back().at, 50ms);
    }
}

TEST(PortOpening, FailureShowsThePortMessage) {
    Rig rig;
    rig.device.failOpen = true;
    EXPECT_FALSE(OpenSelectedPort(rig.ctx).opened);
    rig.device.failOpen = false;
    ASSERT_TRUE(OpenSelectedPort(rig.ctx).opened);
    // Another program holding the port: the exclusive open fails.
    SerialLink other(rig.device.Factory(), rig.resolver, rig.clock);
    EXPECT_FALSE(other.OpenSelectedPort(0).opened);
    EXPECT_THAT(rig.host.Messages(),
                ElementsAre("Niewłaściwa nazwa portu lub port jest aktywny. | Błąd"));
}

}  // namespace
}  // namespace tav::linktest
