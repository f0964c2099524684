// SerialLink on the fake port: the half-duplex send rule, the idle rule of
// the receive, and the link's states.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace tav::linktest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<PortCall> Calls(const FakeSerialDevice& d, std::initializer_list<PortCall> only) {
    std::vector<PortCall> out;
    for (const auto& e : d.Events()) {
        if (std::find(only.begin(), only.end(), e.call) != only.end()) {
            out.push_back(e.call);
        }
    }
    return out;
}

TEST(SerialLinkSend, RtsIsLowAtOpenAndPulsesOncePerSend) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    EXPECT_FALSE(rig.device.Rts());
    const Bytes a{1, 2, 3}, b{4};
    EXPECT_TRUE(rig.link.SendBytes(a));
    EXPECT_TRUE(rig.link.SendBytes(b));
    EXPECT_FALSE(rig.device.Rts());
    EXPECT_THAT(
        Calls(rig.device,
              {PortCall::RtsOn, PortCall::RtsOff, PortCall::Write, PortCall::WaitTransmitted}),
        ElementsAre(PortCall::RtsOff,  // lowered at once after the open
                    PortCall::RtsOn, PortCall::Write, PortCall::WaitTransmitted, PortCall::RtsOff,
                    PortCall::RtsOn, PortCall::Write, PortCall::WaitTransmitted, PortCall::RtsOff));
}

TEST(SerialLinkSend, FailedWriteStillLowersRts) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.device.failWrites = true;
    EXPECT_FALSE(rig.link.SendBytes(Bytes{'?'}));
    EXPECT_FALSE(rig.device.Rts());
    EXPECT_EQ(rig.device.Events().back().call, PortCall::RtsOff);
    EXPECT_EQ(rig.device.Count(PortCall::WaitTransmitted), 0);
}

// tcdrain on a USB adapter returns early: RTS stays up for the bytes' line
// time (10 bits a byte at 9600 baud) whatever the drain reported.
TEST(SerialLinkSend, RtsHeldForTheLineTimeOfTheBytes) {
    struct Row {
        std::size_t bytes;
        fake::Nanos drain;
    };
    for (const Row row : {Row{1, 0ms}, Row{33, 0ms}, Row{129, 0ms}, Row{129, 10ms}, Row{3, 20ms}}) {
        Rig rig;
        rig.device.drainTime = row.drain;
        ASSERT_TRUE(rig.Open());
        ASSERT_TRUE(rig.link.SendBytes(Bytes(row.bytes, 0x55)));
        const auto on = rig.device.EventsOf(PortCall::RtsOn).back().at;
        const auto write = rig.device.EventsOf(PortCall::Write).back().at;
        const auto off = rig.device.EventsOf(PortCall::RtsOff).back().at;
        const auto line = LineTime(row.bytes);
        EXPECT_LE(on, write);
        EXPECT_GE(off - write, line) << row.bytes;
        EXPECT_LT(off - write, std::max<fake::Nanos>(line, row.drain) + 1ms) << row.bytes;
    }
}

TEST(SerialLinkSend, NoLineTimeWaitWithoutModemLines) {
    Rig rig;
    rig.device.noModemLines = true;  // a pty
    ASSERT_TRUE(rig.Open());
    EXPECT_TRUE(rig.link.SendBytes(Bytes(129, 0)));
    EXPECT_EQ(rig.clock.Elapsed(), 0ns);
}

TEST(SerialLinkReceive, SilenceGivesUpAfterTheIdleLimitOfPeriods) {
    for (int limit : {1, 10, 50}) {
        Rig rig;
        ASSERT_TRUE(rig.Open());
        Bytes buffer(6);
        EXPECT_EQ(rig.link.ReceiveBytes(buffer, limit), 0);
        EXPECT_EQ(rig.device.Count(PortCall::WaitReadable), limit);
        EXPECT_EQ(rig.clock.Elapsed(), Millis(50 * limit));
    }
}

// An unplugged adapter: poll says readable, read gives nothing. Each such
// wake-up is one idle period and still lasts 50 ms.
TEST(SerialLinkReceive, HangUpCountsAsIdleWithoutSpinning) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.device.hungUp = true;
    Bytes buffer(1);
    EXPECT_EQ(rig.link.ReceiveBytes(buffer, 10), 0);
    EXPECT_EQ(rig.device.Count(PortCall::WaitReadable), 10);
    EXPECT_EQ(rig.clock.Elapsed(), 500ms);
}

TEST(SerialLinkReceive, PiecesAreJoinedAndTakenAsSoonAsComplete) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    Bytes answer(33);
    for (std::size_t i = 0; i < answer.size(); ++i) {
        answer[i] = static_cast<std::uint8_t>(i * 7);
    }
    // 10, 10 and 13 bytes; the last gap is longer than one period.
    rig.device.Deliver(Bytes(answer.begin(), answer.begin() + 10), 5ms);
    rig.device.Deliver(Bytes(answer.begin() + 10, answer.begin() + 20), 30ms);
    rig.device.Deliver(Bytes(answer.begin() + 20, answer.end()), 120ms);
    Bytes buffer(33);
    EXPECT_EQ(rig.link.ReceiveBytes(buffer, 10), 33);
    EXPECT_EQ(buffer, answer);
    EXPECT_EQ(rig.clock.Elapsed(), 120ms);
}

TEST(SerialLinkReceive, TimeOutCountsFromTheLastByte) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.device.Deliver({1}, 400ms);
    rig.device.Deliver({2}, 800ms);
    Bytes buffer(3);
    EXPECT_EQ(rig.link.ReceiveBytes(buffer, 10), 2);
    EXPECT_EQ(rig.clock.Elapsed(), 800ms + 500ms);
}

TEST(SerialLinkReceive, SurplusStaysQueuedAndBinaryBytesPass) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.device.Deliver({0x00, 0x11, 0x13, 0x0D, 0x0A, 0xFF, 0x42});
    Bytes first(5);
    EXPECT_EQ(rig.link.ReceiveBytes(first, 10), 5);
    EXPECT_THAT(first, ElementsAre(0x00, 0x11, 0x13, 0x0D, 0x0A));
    EXPECT_EQ(rig.device.Queued(), 2u);
    Bytes rest(8);
    EXPECT_EQ(rig.link.ReadQueued(rest), 2);
    EXPECT_THAT(Bytes(rest.begin(), rest.begin() + 2), ElementsAre(0xFF, 0x42));
}

TEST(SerialLinkState, NothingWorksWithoutAPort) {
    Rig rig;
    Bytes buffer(4);
    EXPECT_FALSE(rig.link.SendBytes(Bytes{1}));
    EXPECT_EQ(rig.link.ReadQueued(buffer), 0);
    EXPECT_EQ(rig.link.ReceiveBytes(buffer, 10), 0);
    EXPECT_EQ(rig.clock.Elapsed(), 500ms);  // runs into its time-out
    rig.link.ClosePort();
    EXPECT_TRUE(rig.device.Events().empty());
}

TEST(SerialLinkState, OpenFailuresLeaveNoPort) {
    Rig rig;
    // No selected entry, and an entry that maps to no device: nothing is opened.
    EXPECT_FALSE(rig.link.OpenSelectedPort(-1).opened);
    EXPECT_FALSE(rig.link.OpenSelectedPort(3).opened);
    EXPECT_EQ(rig.device.Count(PortCall::Open), 0);
    rig.device.failOpen = true;
    const PortOpenOutcome outcome = rig.link.OpenSelectedPort(0);
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(outcome.devicePath, "/dev/fake0");
    EXPECT_FALSE(outcome.reason.empty());
    EXPECT_FALSE(rig.link.IsOpen());
}

TEST(SerialLinkState, StaleBytesAreDiscardedAtOpen) {
    Rig rig;
    rig.device.Deliver({9, 9, 9});
    ASSERT_TRUE(rig.Open());
    EXPECT_EQ(rig.device.Queued(), 0u);
    rig.link.ClosePort();
    EXPECT_FALSE(rig.device.IsOpen());
}

TEST(PortNamesTable, FifteenNamesInOrder) {
    EXPECT_EQ(PortNames.front(), "COM1");
    EXPECT_EQ(PortNames[9], "COM10");
    EXPECT_EQ(PortNames.back(), "COM15");
}

}  // namespace
}  // namespace tav::linktest
