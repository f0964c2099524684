// SerialLink on the fake port: the half-duplex send rule, the idle rule of
// the receive, and the link's states.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link_test_support.h"

namespace tav::linktest {
namespace {

using ::testing::ElementsAre;

TEST(SerialLinkSend, RtsIsLowAtOpenAndPulsesOncePerSend) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    EXPECT_FALSE(rig.device.Rts());
    EXPECT_TRUE(rig.link.SendBytes(Bytes{1, 2, 3}));
    EXPECT_TRUE(rig.link.SendBytes(Bytes{4}));
    std::vector<PortCall> calls;
    for (const auto& e : rig.device.Events()) {
        if (e.call != PortCall::Read && e.call != PortCall::Open) {
            calls.push_back(e.call);
        }
    }
    using enum PortCall;
    EXPECT_THAT(calls, ElementsAre(RtsOff,  // lowered at once after the open
                                   RtsOn, Write, WaitTransmitted, RtsOff,  //
                                   RtsOn, Write, WaitTransmitted, RtsOff));
}

TEST(SerialLinkSend, FailedWriteStillLowersRts) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.device.failWrites = true;
    EXPECT_FALSE(rig.link.SendBytes(Bytes{'?'}));
    EXPECT_FALSE(rig.device.Rts());
    EXPECT_EQ(rig.device.Events().back().call, PortCall::RtsOff);
}

// tcdrain on a USB adapter returns early: RTS stays up for the bytes' line
// time (10 bits a byte at 9600 baud) whatever the drain reported. Without
// modem lines (a pty) there is no RTS to hold.
TEST(SerialLinkSend, RtsHeldForTheLineTimeOfTheBytes) {
    struct Row {
        std::size_t bytes;
        fake::Nanos drain;
        bool modemLines;
        fake::Nanos held;
    };
    const Row rows[] = {
        {1, 0ms, true, LineTime(1)},     {33, 0ms, true, LineTime(33)},
        {129, 0ms, true, LineTime(129)}, {129, 10ms, true, LineTime(129)},
        {3, 20ms, true, 20ms},           {129, 0ms, false, 0ms},
    };
    for (const Row& row : rows) {
        Rig rig;
        rig.device.drainTime = row.drain;
        rig.device.noModemLines = !row.modemLines;
        ASSERT_TRUE(rig.Open());
        ASSERT_TRUE(rig.link.SendBytes(Bytes(row.bytes, 0x55)));
        const auto write = rig.device.EventsOf(PortCall::Write).back().at;
        const auto off = rig.device.EventsOf(PortCall::RtsOff).back().at;
        EXPECT_LE(rig.device.EventsOf(PortCall::RtsOn).back().at, write);
        EXPECT_EQ(off - write, row.held) << row.bytes;
    }
}

TEST(SerialLinkReceive, SilenceGivesUpAfterTheIdleLimitOfPeriods) {
    for (const bool hungUp : {false, true}) {
        for (const int limit : {1, 10, 50}) {
            Rig rig;
            ASSERT_TRUE(rig.Open());
            // A hang-up makes the wait return at once with nothing to read:
            // still one period, still 50 ms, no spinning.
            rig.device.hungUp = hungUp;
            Bytes buffer(6);
            EXPECT_EQ(rig.link.ReceiveBytes(buffer, limit), 0);
            EXPECT_EQ(rig.device.Count(PortCall::WaitReadable), limit);
            EXPECT_EQ(rig.clock.Elapsed(), Millis(50 * limit));
        }
    }
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

TEST(SerialLinkState, HangUpIsSeenOnlyOnAnOpenPort) {
    Rig rig;
    rig.device.hungUp = true;
    EXPECT_FALSE(rig.link.PortHungUp());
    ASSERT_TRUE(rig.Open());
    EXPECT_TRUE(rig.link.PortHungUp());
    rig.device.hungUp = false;
    EXPECT_FALSE(rig.link.PortHungUp());
}

TEST(SerialLinkState, OpeningAndClosing) {
    Rig rig;
    // No selected entry, and an entry that maps to no device: nothing opened.
    EXPECT_FALSE(rig.link.OpenSelectedPort(-1).opened);
    EXPECT_FALSE(rig.link.OpenSelectedPort(3).opened);
    EXPECT_EQ(rig.device.Count(PortCall::Open), 0);
    rig.device.failOpen = true;
    const PortOpenOutcome failed = rig.link.OpenSelectedPort(0);
    EXPECT_FALSE(failed.opened);
    EXPECT_EQ(failed.devicePath, "/dev/fake0");
    EXPECT_FALSE(failed.reason.empty());
    EXPECT_FALSE(rig.link.IsOpen());
    // Bytes from before the open are gone.
    rig.device.failOpen = false;
    rig.device.Deliver({9, 9, 9});
    ASSERT_TRUE(rig.Open());
    EXPECT_EQ(rig.device.Queued(), 0u);
    rig.link.ClosePort();
    EXPECT_FALSE(rig.device.IsOpen());
}

}  // namespace
}  // namespace tav::linktest
