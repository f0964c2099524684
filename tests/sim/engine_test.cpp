// The receiver's protocol engine, driven directly: bytes in, answers out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "image/settings_file.h"
#include "sim/receiver_engine.h"
#include "tests/sim/sim_test_support.h"
#include "tests/support/temp_folder.h"

namespace tav::sim {
namespace {

using namespace tav::sim::testing;

// A bulk command followed by `count` blocks of `size` bytes 0xFF, each with
// its checksum.
Bytes BlocksOfFF(std::string_view command, int count, std::size_t size) {
    Bytes all = Str(command);
    const Bytes block(size, 0xFF);
    for (int n = 0; n < count; ++n) {
        all.insert(all.end(), block.begin(), block.end());
        all.push_back(Sum(block));
    }
    return all;
}

// Feeds bytes one at a time and collects every reply.
std::vector<Reply> FeedEach(ReceiverEngine& e, const Bytes& bytes) {
    std::vector<Reply> replies;
    for (std::uint8_t b : bytes) {
        if (auto r = e.Receive(b)) {
            replies.push_back(*r);
        }
    }
    return replies;
}

ReceiverOptions WithMemory(const MemoryImage& m) {
    ReceiverOptions o;
    o.memory = m;
    return o;
}

// ---- version query ---------------------------------------------------------

TEST(EngineVersion, ApplicationAnswersDefaultVersion) {
    ReceiverEngine e;
    EXPECT_EQ(e.ReceiveAll(Str("?")), B({0x76, 0x07, 0x01, 0x00, 0x01, 0x26}));
    EXPECT_EQ(e.State(), ParseState::Idle);
}

TEST(EngineVersion, AnySixBytesCanBeSet) {
    ReceiverEngine e;
    e.SetVersion({0x76, 0x33, 0x02, 0x10, 0x01, 0x30});
    EXPECT_EQ(e.ReceiveAll(Str("?")), B({0x76, 0x33, 0x02, 0x10, 0x01, 0x30}));
}

TEST(EngineVersion, BootLoaderAnswersItsOwnVersion) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    ReceiverEngine e(o);
    EXPECT_EQ(e.ReceiveAll(Str("?")), B({0x76, 0x77, 0x01, 0x00, 0x01, 0x26}));
    e.SetBootLoaderVersion({0x76, 0x77, 0x01, 0x01, 0x01, 0x05});
    EXPECT_EQ(e.ReceiveAll(Str("?")), B({0x76, 0x77, 0x01, 0x01, 0x01, 0x05}));
    e.SetMode(ReceiverMode::Application);
    EXPECT_EQ(e.ReceiveAll(Str("?")), B({0x76, 0x07, 0x01, 0x00, 0x01, 0x26}));
}

// ---- checksums of known frames, seen through the echoes --------------------

TEST(EngineChecksum, EchoesTheSumsOfKnownFrames) {
    ReceiverEngine e;
    // 32 x 0x00 -> 0x00, 32 x 0xFF -> 0xE0.
    EXPECT_EQ(e.ReceiveAll(Cat({Str("z"), B({0, 1}), Bytes(32, 0x00), B({0x00})})), B({0x00}));
    EXPECT_EQ(e.ReceiveAll(Cat({Str("z"), B({0, 1}), Bytes(32, 0xFF), B({0xE0})})), B({0xE0}));
    // A 128-byte block of 0xFF -> 0x80.
    e.SetMode(ReceiverMode::BootLoader);
    EXPECT_EQ(e.ReceiveAll(Cat({Str("F"), Bytes(128, 0xFF), B({0x80})})), B({0x80}));
}

// ---- single record read ----------------------------------------------------

struct ReadRow {
    int record;
    Bytes header;
    friend void PrintTo(const ReadRow& r, std::ostream* os) { *os << "record " << r.record; }
};

class EngineReadRecord : public ::testing::TestWithParam<ReadRow> {};

TEST_P(EngineReadRecord, AnswersDataAndChecksum) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    const auto replies = FeedEach(e, GetParam().header);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, RecordFrame(m, GetParam().record));
    EXPECT_EQ(e.State(), ParseState::Idle);
}

INSTANTIATE_TEST_SUITE_P(Rows, EngineReadRecord,
                         ::testing::Values(ReadRow{0, B({0x70, 0x00, 0x00})},
                                           ReadRow{1005, B({0x70, 0x03, 0xED})},
                                           ReadRow{1019, B({0x70, 0x03, 0xFB})},
                                           ReadRow{1023, B({0x70, 0x03, 0xFF})},
                                           ReadRow{256, B({0x70, 0x01, 0x00})}));

TEST(EngineReadRecordPieces, HeaderInPiecesAnswersOnlyAfterTheLastByte) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    EXPECT_FALSE(e.Receive('p'));
    EXPECT_EQ(e.State(), ParseState::ReadRecordNumber);
    EXPECT_FALSE(e.Receive(0x03));
    const auto reply = e.Receive(0xED);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, RecordFrame(m, 1005));
}

TEST(EngineReadRecordPieces, RecordBeyond1023GetsNoAnswer) {
    ReceiverEngine e;
    EXPECT_TRUE(e.ReceiveAll(B({'p', 0x04, 0x00})).empty());
    EXPECT_TRUE(e.ReceiveAll(B({'p', 0xFF, 0xFF})).empty());
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
}

// ---- single record write ---------------------------------------------------

TEST(EngineWriteRecord, StoresOnMatchingChecksumAndEchoesIt) {
    ReceiverEngine e;
    const Bytes data = Pattern(32, 5);
    EXPECT_FALSE(e.Receive('z'));
    EXPECT_FALSE(e.Receive(0x03));
    EXPECT_FALSE(e.Receive(0xFB));  // record 1019
    EXPECT_EQ(e.State(), ParseState::WriteRecordData);
    for (std::uint8_t b : data) {
        EXPECT_FALSE(e.Receive(b));
    }
    const auto reply = e.Receive(Sum(data));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, B({Sum(data)}));
    EXPECT_EQ(RecordBytes(e.Memory(), 1019), data);
    EXPECT_EQ(e.RecordsWritten(), 1);
    EXPECT_EQ(e.State(), ParseState::Idle);
}

TEST(EngineWriteRecord, WrongChecksumIsNotStoredAndTheComputedOneIsEchoed) {
    ReceiverEngine e;
    const Bytes data = Pattern(32, 9);
    const auto out = e.ReceiveAll(Cat({B({'z', 0x00, 0x07}), data, B({Sum(data) ^ 0x01})}));
    EXPECT_EQ(out, B({Sum(data)}));
    EXPECT_EQ(RecordBytes(e.Memory(), 7), Bytes(32, 0x00));
    EXPECT_EQ(e.RecordsWritten(), 0);
}

TEST(EngineWriteRecord, RecordBeyond1023IsReadWholeButNeitherStoredNorEchoed) {
    ReceiverEngine e;
    const Bytes data = Pattern(32, 1);
    EXPECT_TRUE(e.ReceiveAll(Cat({B({'z', 0x04, 0x00}), data, B({Sum(data)})})).empty());
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.Memory(), MemoryImage{});
}

TEST(EngineWriteRecord, EveryByteValueIsData) {
    // 0x00, 0x11, 0x13, CR, LF and the command letters inside a frame are data.
    ReceiverEngine e;
    const Bytes data = B({0x00, 0x11, 0x13, 0x0D, 0x0A, '?',  'p',  'z',  't',  'c',  'P',
                          'Z',  'F',  'h',  'i',  'x',  0xFF, 0x7F, 0x03, 0x04, 0x1A, 0x1C,
                          0x80, 0x81, 0x00, 0x00, 0x11, 0x13, 0x0A, 0x0D, 0x76, 0x07});
    ASSERT_EQ(data.size(), 32u);
    EXPECT_EQ(e.ReceiveAll(Cat({B({'z', 0x00, 0x02}), data, B({Sum(data)})})), B({Sum(data)}));
    EXPECT_EQ(RecordBytes(e.Memory(), 2), data);
    EXPECT_EQ(e.ReceiveAll(B({'p', 0x00, 0x02})), Cat({data, B({Sum(data)})}));
}

// ---- clock -----------------------------------------------------------------

TEST(EngineClock, DocumentedExampleSetsTheClockAndEchoesB1) {
    ReceiverEngine e;
    const Bytes clock = B({0x43, 0x29, 0x06, 0x07, 0x12, 0x26});  // 2026-12-07 06:29:43
    EXPECT_FALSE(e.Receive('t'));
    EXPECT_EQ(e.State(), ParseState::ClockData);
    EXPECT_TRUE(FeedEach(e, clock).empty());
    const auto reply = e.Receive(0xB1);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes, B({0xB1}));
    EXPECT_TRUE(e.Clock().set);
    EXPECT_EQ(Bytes(e.Clock().bytes.begin(), e.Clock().bytes.end()), clock);
}

TEST(EngineClock, WrongChecksumLeavesTheClock) {
    ReceiverEngine e;
    const Bytes clock = B({0x43, 0x29, 0x06, 0x07, 0x12, 0x26});
    EXPECT_EQ(e.ReceiveAll(Cat({Str("t"), clock, B({0xB2})})), B({0xB1}));
    EXPECT_FALSE(e.Clock().set);
}

// ---- erase -----------------------------------------------------------------

TEST(EngineErase, FillsTheMemoryWith0xFFAndAnswersNothing) {
    ReceiverEngine e(WithMemory(PatternImage(31)));
    EXPECT_TRUE(e.ReceiveAll(Str("c")).empty());
    EXPECT_EQ(e.Memory(), ErasedMemory());
    EXPECT_EQ(e.ReceiveAll(B({'p', 0x00, 0x00})), Cat({Bytes(32, 0xFF), B({0xE0})}));
}

// ---- bulk read ---------------------------------------------------------------

TEST(EngineBulkRead, SendsEachRecordAfterTheXForThePreviousOne) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    auto first = e.Receive('P');
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes, RecordFrame(m, 0));
    EXPECT_EQ(e.State(), ParseState::BulkRead);
    for (int r = 1; r < kRecordCount; ++r) {
        auto next = e.Receive('x');
        ASSERT_TRUE(next) << r;
        ASSERT_EQ(next->bytes, RecordFrame(m, r)) << r;
    }
    EXPECT_FALSE(e.Receive('x'));  // the "x" after record 1023 ends the transfer
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_FALSE(e.Receive('x'));  // an "x" outside a transfer means nothing
}

TEST(EngineBulkRead, AnyOtherByteEndsTheTransferAndIsACommand) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    e.ReceiveAll(Str("Pxx"));
    const auto out = e.ReceiveAll(Str("?"));
    EXPECT_EQ(out, B({0x76, 0x07, 0x01, 0x00, 0x01, 0x26}));
    EXPECT_EQ(e.State(), ParseState::Idle);
}

// ---- bulk write --------------------------------------------------------------

TEST(EngineBulkWrite, Takes1024RecordsWithAnEchoEach) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e;
    EXPECT_FALSE(e.Receive('Z'));
    for (int r = 0; r < kRecordCount; ++r) {
        const Bytes data = RecordBytes(m, r);
        ASSERT_TRUE(FeedEach(e, data).empty()) << r;
        const auto echo = e.Receive(Sum(data));
        ASSERT_TRUE(echo) << r;
        ASSERT_EQ(echo->bytes, B({Sum(data)})) << r;
    }
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.Memory(), m);
    EXPECT_EQ(e.RecordsWritten(), kRecordCount);
}

TEST(EngineBulkWrite, BadChecksumRecordIsSkippedAndTheComputedSumEchoed) {
    ReceiverEngine e;
    const Bytes r0 = Pattern(32, 1);
    const Bytes r1 = Pattern(32, 2);
    const auto out = e.ReceiveAll(Cat({Str("Z"), r0, B({Sum(r0) + 1}), r1, B({Sum(r1)})}));
    EXPECT_EQ(out, B({Sum(r0), Sum(r1)}));
    EXPECT_EQ(RecordBytes(e.Memory(), 0), Bytes(32, 0));
    EXPECT_EQ(RecordBytes(e.Memory(), 1), r1);
    EXPECT_EQ(e.State(), ParseState::BulkWrite);
}

// ---- firmware ----------------------------------------------------------------

Bytes FirmwarePattern() {
    return Pattern(kFirmwareSize, 3);
}

TEST(EngineFirmware, BootLoaderTakes240BlocksAndRestartsIntoTheApplication) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    ReceiverEngine e(o);
    const Bytes image = FirmwarePattern();
    EXPECT_FALSE(e.Receive('F'));
    EXPECT_EQ(e.State(), ParseState::Firmware);
    for (int n = 0; n < kFirmwareBlockCount; ++n) {
        const Bytes block(image.begin() + n * kFirmwareBlockSize,
                          image.begin() + (n + 1) * kFirmwareBlockSize);
        ASSERT_TRUE(FeedEach(e, block).empty()) << n;
        const auto echo = e.Receive(Sum(block));
        ASSERT_TRUE(echo) << n;
        ASSERT_EQ(echo->bytes, B({Sum(block)})) << n;
    }
    EXPECT_EQ(e.FirmwareReceived(), image);
    EXPECT_EQ(e.FirmwareBlocksTaken(), 240);
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.Mode(), ReceiverMode::Application);
    EXPECT_EQ(e.ReceiveAll(Str("?"))[1], 0x07);
}

TEST(EngineFirmware, CanStayInTheBootLoaderAfterTheLastBlock) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    o.restartAfterFirmware = false;
    ReceiverEngine e(o);
    const Bytes all = BlocksOfFF("F", kFirmwareBlockCount, 128);
    EXPECT_EQ(e.ReceiveAll(all), Bytes(240, 0x80));
    EXPECT_EQ(e.Mode(), ReceiverMode::BootLoader);
}

TEST(EngineFirmware, ApplicationIgnoresF) {
    ReceiverEngine e;
    EXPECT_TRUE(e.ReceiveAll(Str("F")).empty());
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
}

TEST(EngineFirmware, BootLoaderIgnoresTheApplicationsCommands) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    o.memory = PatternImage(31);
    ReceiverEngine e(o);
    EXPECT_TRUE(e.ReceiveAll(Str("c")).empty());
    EXPECT_EQ(e.Memory(), PatternImage(31));
    EXPECT_TRUE(e.ReceiveAll(Str("P")).empty());
    EXPECT_TRUE(e.ReceiveAll(Str("x")).empty());
    EXPECT_TRUE(e.ReceiveAll(Str("hi")).empty());
    EXPECT_TRUE(e.ReceiveAll(B({'p', 0x00, 0x05})).empty());
    EXPECT_TRUE(e.ReceiveAll(Cat({Str("Z"), Bytes(33, 0x00)})).empty());
    EXPECT_TRUE(e.ReceiveAll(Cat({Str("t"), Bytes(7, 0x00)})).empty());
    EXPECT_FALSE(e.Clock().set);
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.ReceiveAll(Str("?"))[1], 0x77);
}

TEST(EngineFirmware, NewFStartsAgainFromBlockZero) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    ReceiverEngine e(o);
    e.ReceiveAll(Cat({Str("F"), Bytes(128, 0x01), B({0x80})}));
    EXPECT_EQ(e.FirmwareBlocksTaken(), 1);
    e.AbortFrame();
    e.ReceiveAll(Str("F"));
    EXPECT_EQ(e.FirmwareBlocksTaken(), 0);
}

// ---- history -------------------------------------------------------------------

TEST(EngineHistory, BannerThenStoredLinesEachWithCrLf) {
    ReceiverOptions o;
    o.history = {"2026-12-07 06:29:43 nadajnik 0012", "", "linia 3"};
    ReceiverEngine e(o);
    EXPECT_FALSE(e.Receive('h'));
    EXPECT_EQ(e.State(), ParseState::HistoryI);
    const auto reply = e.Receive('i');
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->bytes,
              Str("TAV-1000 v1.26\r\n2026-12-07 06:29:43 nadajnik 0012\r\n\r\nlinia 3\r\n"));
}

TEST(EngineHistory, EmptyHistoryIsTheBannerAlone) {
    ReceiverEngine e;
    EXPECT_EQ(e.ReceiveAll(Str("hi")), Str("TAV-1000 v1.26\r\n"));
    e.AppendHistory("x");
    EXPECT_EQ(e.ReceiveAll(Str("hi")), Str("TAV-1000 v1.26\r\nx\r\n"));
}

TEST(EngineHistory, AppendKeepsTheNewestLinesUpToTheLimit) {
    ReceiverOptions o;
    o.historyLimit = 3;
    ReceiverEngine e(o);
    for (int i = 0; i < 5; ++i) {
        e.AppendHistory(std::to_string(i));
    }
    EXPECT_EQ(e.History(), (std::vector<std::string>{"2", "3", "4"}));
}

TEST(EngineHistory, HFollowedByAnotherByteTreatsThatByteAsACommand) {
    ReceiverEngine e;
    EXPECT_EQ(e.ReceiveAll(Str("h?")), B({0x76, 0x07, 0x01, 0x00, 0x01, 0x26}));
}

// ---- idle bytes, mode changes, frame abort ----------------------------------

TEST(EngineIdle, BytesThatAreNoCommandAreIgnored) {
    ReceiverEngine e;
    EXPECT_TRUE(e.ReceiveAll(B({0x00, 'x', 'i', 0x0D, 0x0A, 0xFF, 'F', 'a'})).empty());
    EXPECT_EQ(e.State(), ParseState::Idle);
}

TEST(EngineIdle, AbortFrameDropsAPartialFrame) {
    ReceiverEngine e;
    e.ReceiveAll(Cat({B({'z', 0x00, 0x01}), Bytes(10, 0xAA)}));
    EXPECT_TRUE(e.InFrame());
    e.AbortFrame();
    EXPECT_FALSE(e.InFrame());
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
    EXPECT_EQ(e.Memory(), MemoryImage{});
}

TEST(EngineIdle, SetModeDropsAPartialFrame) {
    ReceiverEngine e;
    e.ReceiveAll(Str("p"));
    e.SetMode(ReceiverMode::Application);
    EXPECT_EQ(e.State(), ParseState::Idle);
}

// ---- processing times --------------------------------------------------------

TEST(EngineDelays, EachAnswerCarriesItsProcessingTime) {
    ReceiverOptions o;
    o.pacing = Pacing{false, 7, 11, 13};
    ReceiverEngine e(o);
    auto delayOf = [&](const Bytes& bytes) {
        const auto replies = FeedEach(e, bytes);
        EXPECT_EQ(replies.size(), 1u);
        return replies.empty() ? -1 : static_cast<int>(replies.back().delay.count());
    };
    EXPECT_EQ(delayOf(Str("?")), 13);
    EXPECT_EQ(delayOf(B({'p', 0, 1})), 13);
    EXPECT_EQ(delayOf(Str("hi")), 13);
    EXPECT_EQ(delayOf(Cat({B({'z', 0, 1}), Bytes(33, 0)})), 7);
    EXPECT_EQ(delayOf(Cat({Str("t"), Bytes(7, 0)})), 7);
    EXPECT_EQ(delayOf(Str("P")), 13);
    EXPECT_EQ(delayOf(Str("x")), 0);
    e.AbortFrame();
    EXPECT_EQ(delayOf(Cat({Str("Z"), Bytes(33, 0)})), 7);
    e.AbortFrame();
    e.SetMode(ReceiverMode::BootLoader);
    EXPECT_EQ(delayOf(Cat({Str("F"), Bytes(129, 0)})), 11);
}

// ---- faults --------------------------------------------------------------------

TEST(EngineFaults, BadChecksumAtRecordInSingleAndBulkRead) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    e.InjectFault({FaultKind::BadChecksumAtRecord, 100});
    Bytes bad = RecordFrame(m, 100);
    bad[32] = static_cast<std::uint8_t>(bad[32] + 1);
    EXPECT_EQ(e.ReceiveAll(B({'p', 0x00, 100})), bad);
    EXPECT_EQ(e.ReceiveAll(B({'p', 0x00, 99})), RecordFrame(m, 99));
    e.ReceiveAll(Str("P"));
    for (int r = 1; r < 100; ++r) {
        e.Receive('x');
    }
    EXPECT_EQ(e.ReceiveAll(Str("x")), bad);
    EXPECT_EQ(e.ReceiveAll(Str("x")), RecordFrame(m, 101));
    e.ClearFaults();
    EXPECT_EQ(e.ReceiveAll(B({'p', 0x00, 100})), RecordFrame(m, 100));
}

TEST(EngineFaults, SilenceFromRecordInSingleCommands) {
    ReceiverEngine e(WithMemory(PatternImage(31)));
    e.InjectFault({FaultKind::SilenceFromRecord, 500});
    EXPECT_EQ(e.ReceiveAll(B({'p', 0x01, 0xF3})).size(), 33u);  // 499
    EXPECT_TRUE(e.ReceiveAll(B({'p', 0x01, 0xF4})).empty());    // 500
    EXPECT_TRUE(e.ReceiveAll(B({'p', 0x03, 0xFF})).empty());    // 1023
    EXPECT_EQ(e.State(), ParseState::Idle);
    const Bytes data = Pattern(32, 4);
    EXPECT_TRUE(e.ReceiveAll(Cat({B({'z', 0x01, 0xF4}), data, B({Sum(data)})})).empty());
    EXPECT_EQ(RecordBytes(e.Memory(), 500), RecordBytes(PatternImage(31), 500));
    EXPECT_EQ(e.State(), ParseState::Idle);
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
}

TEST(EngineFaults, SilenceFromRecordInBulkReadMutesUntilTheFrameIsAborted) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    e.InjectFault({FaultKind::SilenceFromRecord, 3});
    EXPECT_EQ(e.ReceiveAll(Str("Pxx")),
              Cat({RecordFrame(m, 0), RecordFrame(m, 1), RecordFrame(m, 2)}));
    EXPECT_TRUE(e.ReceiveAll(Str("x")).empty());
    EXPECT_EQ(e.State(), ParseState::Muted);
    EXPECT_TRUE(e.ReceiveAll(Str("?")).empty());
    e.AbortFrame();
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
}

TEST(EngineFaults, SilenceFromRecordZeroSilencesPItself) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::SilenceFromRecord, 0});
    EXPECT_TRUE(e.ReceiveAll(Str("P")).empty());
    EXPECT_EQ(e.State(), ParseState::Muted);
}

TEST(EngineFaults, SilenceFromRecordInBulkWrite) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::SilenceFromRecord, 2});
    Bytes all = Str("Z");
    for (int r = 0; r < 3; ++r) {
        const Bytes d = Pattern(32, r);
        all.insert(all.end(), d.begin(), d.end());
        all.push_back(Sum(d));
    }
    EXPECT_EQ(e.ReceiveAll(all), B({Sum(Pattern(32, 0)), Sum(Pattern(32, 1))}));
    EXPECT_EQ(e.State(), ParseState::Muted);
    EXPECT_EQ(RecordBytes(e.Memory(), 1), Pattern(32, 1));
    EXPECT_EQ(RecordBytes(e.Memory(), 2), Bytes(32, 0));
}

TEST(EngineFaults, SilenceFromBlock) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    ReceiverEngine e(o);
    e.InjectFault({FaultKind::SilenceFromBlock, 1});
    const Bytes all = BlocksOfFF("F", 2, 128);
    EXPECT_EQ(e.ReceiveAll(all), B({0x80}));
    EXPECT_EQ(e.State(), ParseState::Muted);
    EXPECT_EQ(e.FirmwareBlocksTaken(), 1);
}

TEST(EngineFaults, WrongEchoAtRecordInSingleAndBulkWrite) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::WrongEchoAtRecord, 5});
    const Bytes d = Bytes(32, 0xFF);
    EXPECT_EQ(e.ReceiveAll(Cat({B({'z', 0, 5}), d, B({0xE0})})), B({0xE0 ^ 0xFF}));
    EXPECT_EQ(RecordBytes(e.Memory(), 5), d);  // stored: only the echo is wrong
    EXPECT_EQ(e.ReceiveAll(Cat({B({'z', 0, 4}), d, B({0xE0})})), B({0xE0}));
    const Bytes all = BlocksOfFF("Z", 6, 32);
    EXPECT_EQ(e.ReceiveAll(all), B({0xE0, 0xE0, 0xE0, 0xE0, 0xE0, 0x1F}));
}

TEST(EngineFaults, StoresOtherAtRecordConfirmsButKeepsAnotherByte) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::StoresOtherAtRecord, 5, 31});
    const Bytes d = Bytes(32, 0xFF);
    EXPECT_EQ(e.ReceiveAll(Cat({B({'z', 0, 5}), d, B({0xE0})})), B({0xE0}));
    Bytes kept = d;
    kept[31] = 0x00;
    EXPECT_EQ(RecordBytes(e.Memory(), 5), kept);
    EXPECT_EQ(e.ReceiveAll(BlocksOfFF("Z", 7, 32)), Bytes(7, 0xE0));  // bulk: the same
    EXPECT_EQ(RecordBytes(e.Memory(), 5), kept);
    EXPECT_EQ(RecordBytes(e.Memory(), 6), d);
}

TEST(EngineFaults, WrongEchoAtBlock) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    ReceiverEngine e(o);
    e.InjectFault({FaultKind::WrongEchoAtBlock, 17});
    const Bytes all = BlocksOfFF("F", 19, 128);
    Bytes expected(19, 0x80);
    expected[17] = 0x7F;
    EXPECT_EQ(e.ReceiveAll(all), expected);
}

TEST(EngineFaults, GarbageBeforeTheNthAnswerOnce) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::GarbageBeforeAnswer, 1, 10});
    const Bytes version = B({0x76, 0x07, 0x01, 0x00, 0x01, 0x26});
    EXPECT_EQ(e.ReceiveAll(Str("?")), version);  // answer 0
    Bytes garbage;
    for (int i = 0; i < 10; ++i) {
        garbage.push_back(kGarbagePattern[static_cast<std::size_t>(i) % kGarbagePattern.size()]);
    }
    EXPECT_EQ(e.ReceiveAll(Str("?")), Cat({garbage, version}));  // answer 1
    EXPECT_EQ(e.ReceiveAll(Str("?")), version);
}

TEST(EngineFaults, ShortAnswerOnce) {
    const MemoryImage m = PatternImage(31);
    ReceiverEngine e(WithMemory(m));
    e.InjectFault({FaultKind::ShortAnswer, 0, 32});
    const Bytes full = RecordFrame(m, 9);
    EXPECT_EQ(e.ReceiveAll(B({'p', 0, 9})), Bytes(full.begin(), full.begin() + 32));
    EXPECT_EQ(e.ReceiveAll(B({'p', 0, 9})), full);
    e.InjectFault({FaultKind::ShortAnswer, 0, 5});
    EXPECT_EQ(e.ReceiveAll(Str("?")), B({0x76, 0x07, 0x01, 0x00, 0x01}));
    e.InjectFault({FaultKind::ShortAnswer, 0, 0});
    EXPECT_TRUE(e.ReceiveAll(B({'z', 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}))
                    .empty());
}

TEST(EngineFaults, ClearFaultsDropsPendingOnes) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::ShortAnswer, 0, 1});
    e.InjectFault({FaultKind::WrongEchoAtRecord, 0});
    EXPECT_EQ(e.Faults().size(), 2u);
    e.ClearFaults();
    EXPECT_TRUE(e.Faults().empty());
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
}

TEST(EngineFaults, HangUpIsLeftToTheRunner) {
    ReceiverEngine e;
    e.InjectFault({FaultKind::HangUpAfterBytes, 0});
    EXPECT_EQ(e.ReceiveAll(Str("?")).size(), 6u);
}

// ---- helpers -------------------------------------------------------------------

TEST(EngineHelpers, EventLineBytesEndWithCrLf) {
    EXPECT_EQ(ReceiverEngine::EventLineBytes("abc"), Str("abc\r\n"));
    EXPECT_EQ(ReceiverEngine::EventLineBytes(""), Str("\r\n"));
}

TEST(EngineHelpers, DemoEventLineShowsTheClock) {
    const std::string line = ReceiverEngine::DemoEventLine(0, {0x43, 0x29, 0x06, 0x07, 0x12, 0x26});
    EXPECT_EQ(line.rfind("2026-12-07 06:29:43 nadajnik ", 0), 0u) << line;
    EXPECT_NE(line.find("przycisk"), std::string::npos);
    EXPECT_NE(line.find("przekaznik"), std::string::npos);
    EXPECT_NE(ReceiverEngine::DemoEventLine(1, {}), ReceiverEngine::DemoEventLine(2, {}));
}

TEST(EngineHelpers, MemoryFromASettingsFile) {
    const testsupport::TempFolder folder("tav-sim");
    const auto& dir = folder.path();
    const MemoryImage m = PatternImage(31);
    ASSERT_EQ(WriteSettingsFile(m, dir / "a.tv2"), SettingsSaveResult::Saved);
    MemoryImage loaded;
    std::string error;
    EXPECT_TRUE(LoadMemoryFromSettingsFile((dir / "a.tv2").string(), &loaded, &error)) << error;
    EXPECT_EQ(loaded, m);
    {
        std::ofstream bad(dir / "b.tv2", std::ios::binary);
        bad << "$*#10";
    }
    EXPECT_FALSE(LoadMemoryFromSettingsFile((dir / "b.tv2").string(), &loaded, &error));
    EXPECT_NE(error.find("not a settings file"), std::string::npos) << error;
    EXPECT_FALSE(LoadMemoryFromSettingsFile((dir / "missing.tv2").string(), &loaded, &error));
    EXPECT_EQ(loaded, m);
}

TEST(EngineHelpers, ErasedMemoryIsAll0xFF) {
    const MemoryImage m = ErasedMemory();
    for (std::size_t i = 0; i < kImageSize; ++i) {
        ASSERT_EQ(m.at(i), 0xFF);
    }
}

}  // namespace
}  // namespace tav::sim

namespace tav::sim {
namespace {

// Any byte stream, in any mode, with faults and aborted frames: the engine
// never answers more than the longest answer it has, and after an abort it
// answers the version query again.
TEST(EngineRobustness, RandomBytesNeverBreakTheParser) {
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    ReceiverOptions o;
    o.history = {"a", "b"};
    ReceiverEngine e(o);
    const std::uint8_t commands[] = {'?', 'p', 'z', 't', 'c', 'P', 'x', 'Z', 'F', 'h', 'i'};
    for (int round = 0; round < 200; ++round) {
        e.InjectFault({FaultKind::BadChecksumAtRecord, 3});
        e.InjectFault({FaultKind::WrongEchoAtRecord, 0});
        e.InjectFault({FaultKind::GarbageBeforeAnswer, 5, 4});
        e.InjectFault({FaultKind::ShortAnswer, 9, 2});
        if (round % 7 == 0) {
            e.InjectFault({FaultKind::SilenceFromRecord, 500});
            e.InjectFault({FaultKind::SilenceFromBlock, 100});
        }
        e.SetMode(round % 3 == 0 ? ReceiverMode::BootLoader : ReceiverMode::Application);
        for (int i = 0; i < 5000; ++i) {
            const std::uint32_t r = next();
            const std::uint8_t byte =
                r < 96 ? commands[r % sizeof commands] : static_cast<std::uint8_t>(next());
            if (auto reply = e.Receive(byte)) {
                ASSERT_LE(reply->bytes.size(), 64u);
                ASSERT_FALSE(reply->bytes.empty());
            }
        }
        if (round % 50 == 0) {
            e.SetMemory(MemoryImage{});
        }
        e.AbortFrame();
        e.ClearFaults();
        ASSERT_EQ(e.ReceiveAll(Str("?")).size(), 6u) << round;
    }
}

}  // namespace
}  // namespace tav::sim
