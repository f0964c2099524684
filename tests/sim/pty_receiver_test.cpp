// The receiver on a pseudo-terminal, driven from the slave side with plain
// POSIX calls, as the tool's serial backend drives it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <thread>

#include "sim/receiver.h"
#include "tests/sim/raw_client.h"
#include "tests/sim/sim_test_support.h"
#include "tests/support/temp_folder.h"

namespace tav::sim {
namespace {

using namespace std::chrono_literals;
using namespace tav::sim::testing;
using tav::sim::testing::RawClient;
using SteadyClock = std::chrono::steady_clock;

constexpr auto kIdle = 500ms;  // a generous answer time-out for unpaced tests

const Bytes kVersion{0x76, 0x07, 0x01, 0x00, 0x01, 0x26};

class PtyReceiverTest : public ::testing::Test {
  protected:
    void StartReceiver(ReceiverOptions options = {}) {
        receiver_ = std::make_unique<PtyReceiver>(std::move(options));
        std::string error;
        ASSERT_TRUE(receiver_->Start(&error)) << error;
        ASSERT_FALSE(receiver_->DevicePath().empty());
        ASSERT_TRUE(client_.Open(receiver_->DevicePath())) << std::strerror(client_.error());
    }

    Bytes Ask(std::string_view command, std::size_t answer) {
        EXPECT_TRUE(client_.Write(command));
        return client_.Read(answer, kIdle);
    }

    std::unique_ptr<PtyReceiver> receiver_;
    RawClient client_;
};

// ---- basics: the device, the version, the traffic log ------------------------

TEST_F(PtyReceiverTest, AnswersTheVersionQueryAndLogsBothDirections) {
    StartReceiver();
    EXPECT_EQ(Ask("?", 6), kVersion);
    ASSERT_TRUE(receiver_->WaitUntilIdle(1s));
    const auto traffic = receiver_->Traffic();
    ASSERT_EQ(traffic.size(), 7u);
    EXPECT_TRUE(traffic[0].fromTool);
    EXPECT_EQ(traffic[0].byte, '?');
    for (std::size_t i = 1; i < 7; ++i) {
        EXPECT_FALSE(traffic[i].fromTool);
        EXPECT_EQ(traffic[i].byte, kVersion[i - 1]);
        EXPECT_GE(traffic[i].time, traffic[i - 1].time);
    }
    EXPECT_EQ(receiver_->ReceivedBytes(), Str("?"));
    EXPECT_EQ(receiver_->SentBytes(), kVersion);
    receiver_->ClearTraffic();
    EXPECT_TRUE(receiver_->Traffic().empty());
    EXPECT_TRUE(receiver_->ReceivedBytes().empty());
}

TEST_F(PtyReceiverTest, BoundedLogsKeepTheNewestBytes) {
    ReceiverOptions options;
    options.logLimit = 64;
    StartReceiver(options);
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(Ask("?", 6), kVersion) << i;
    }
    ASSERT_TRUE(receiver_->WaitUntilIdle(1s));
    const auto traffic = receiver_->Traffic();
    EXPECT_LT(traffic.size(), 64u);
    EXPECT_GE(traffic.size(), 32u);
    EXPECT_EQ(traffic.back().byte, kVersion.back());
    EXPECT_LT(receiver_->ReceivedBytes().size(), 64u);
    EXPECT_LT(receiver_->SentBytes().size(), 64u);
}

TEST_F(PtyReceiverTest, SymlinkPointsAtTheDeviceAndIsRemovedAtTheEnd) {
    StartReceiver();
    const testsupport::TempFolder folder("tav_sim_link");
    const auto link = folder.path() / "link";
    std::string error;
    ASSERT_TRUE(receiver_->MakeSymlink(link.string(), &error)) << error;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), receiver_->DevicePath());
    client_.Close();
    RawClient viaLink;
    ASSERT_TRUE(viaLink.Open(link.string()));
    ASSERT_TRUE(viaLink.Write("?"));
    EXPECT_EQ(viaLink.Read(6, kIdle), kVersion);
    viaLink.Close();
    // Replacing an existing link is fine; a regular file is not touched.
    ASSERT_TRUE(receiver_->MakeSymlink(link.string(), &error)) << error;
    const auto file = link.string() + ".file";
    std::ofstream(file) << "keep";
    EXPECT_FALSE(receiver_->MakeSymlink(file, &error));
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    std::filesystem::remove(file);
    receiver_.reset();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

// ---- opening and closing, exclusive opens, no busy waiting -------------------

TEST_F(PtyReceiverTest, TheDeviceCanBeOpenedAndClosedAgainAndAgain) {
    StartReceiver();
    client_.Close();
    for (int i = 0; i < 50; ++i) {
        RawClient c;
        ASSERT_TRUE(c.Open(receiver_->DevicePath())) << i << ": " << std::strerror(c.error());
        ASSERT_TRUE(c.Write("?"));
        ASSERT_EQ(c.Read(6, kIdle), kVersion) << i;
    }
    EXPECT_TRUE(receiver_->IsRunning());
}

// The tool's open (flock + TIOCEXCL) by an ordinary user, over and over: on a
// pty the exclusive flag would outlive the close and refuse the next open,
// unless the receiver clears it. Root ignores TIOCEXCL, so under root the
// check runs in a child that drops to "nobody". The child uses raw system
// calls only (it is forked from a threaded process).
int ExclusiveOpenCycles(const char* path, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        int fd = -1;
        for (int attempt = 0; attempt < 200 && fd < 0; ++attempt) {
            fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0) {
                if (errno != EBUSY) {
                    return 10;
                }
                ::usleep(1000);
            }
        }
        if (fd < 0) {
            return 11;  // still refused after 200 ms
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
            return 12;
        }
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
        ::tcflush(fd, TCIFLUSH);
        // While the tool holds it, a second open is refused.
        const int second = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (second >= 0) {
            return 13;
        }
        if (::write(fd, "?", 1) != 1) {
            return 14;
        }
        std::uint8_t answer[6];
        std::size_t got = 0;
        while (got < 6) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 500) <= 0) {
                return 15;
            }
            const ssize_t n = ::read(fd, answer + got, 6 - got);
            if (n <= 0) {
                return 16;
            }
            got += static_cast<std::size_t>(n);
        }
        if (answer[0] != 0x76 || answer[1] != 0x07) {
            return 17;
        }
        ::close(fd);
        ::usleep(static_cast<useconds_t>((i % 3) * 1000));  // back to back, 1 ms, 2 ms
    }
    return 0;
}

TEST_F(PtyReceiverTest, AnOrdinaryUserCanOpenExclusivelyOverAndOver) {
    StartReceiver();
    client_.Close();
    const std::string path = receiver_->DevicePath();
    if (::geteuid() != 0) {
        EXPECT_EQ(ExclusiveOpenCycles(path.c_str(), 30), 0);
        return;
    }
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(20);
        }
        ::_exit(ExclusiveOpenCycles(path.c_str(), 30));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "step that failed: see ExclusiveOpenCycles";
}

// The CPU it takes meanwhile is a figure of bench/pty_receiver_bench.
TEST_F(PtyReceiverTest, AnswersAgainAfterAWhileWithTheDeviceClosed) {
    StartReceiver();
    ASSERT_EQ(Ask("?", 6), kVersion);
    client_.Close();
    ASSERT_TRUE(receiver_->WaitUntilIdle(1s));
    ASSERT_TRUE(client_.Open(receiver_->DevicePath()));
    EXPECT_EQ(Ask("?", 6), kVersion);
}

TEST_F(PtyReceiverTest, BytesSentWhileNobodyListensAreLost) {
    StartReceiver();
    client_.Close();
    receiver_->SendEventLine("lost");
    ASSERT_TRUE(receiver_->WaitUntilIdle(1s));
    ASSERT_TRUE(receiver_->WaitForSent(6, 1s));
    // Opened without the tool's flush: nothing stale is waiting.
    const int fd = ::open(receiver_->DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    std::uint8_t buffer[16];
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 100), 0);
    EXPECT_LT(::read(fd, buffer, sizeof buffer), 1);
    ::close(fd);
}

// ---- bytes pass untouched, frames in pieces with pauses ------------------------

TEST_F(PtyReceiverTest, EveryByteValuePassesUntouchedBothWays) {
    StartReceiver();
    for (int record = 0; record < 8; ++record) {
        Bytes data(32);
        for (int i = 0; i < 32; ++i) {
            data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(record * 32 + i);
        }
        ASSERT_TRUE(client_.Write(Bytes{'z', 0x00, static_cast<std::uint8_t>(record)}));
        ASSERT_TRUE(client_.Write(data));
        ASSERT_TRUE(client_.Write(Bytes{Sum(data)}));
        ASSERT_EQ(client_.Read(1, kIdle), Bytes{Sum(data)}) << record;
        ASSERT_TRUE(client_.Write(Bytes{'p', 0x00, static_cast<std::uint8_t>(record)}));
        Bytes expected = data;
        expected.push_back(Sum(data));
        ASSERT_EQ(client_.Read(33, kIdle), expected) << record;
    }
    const MemoryImage m = receiver_->Memory();
    for (std::size_t i = 0; i < 256; ++i) {
        EXPECT_EQ(m.at(i), i);
    }
}

TEST_F(PtyReceiverTest, WriteFrameWithTheToolsPausesIsStoredAndLogged) {
    StartReceiver();
    const Bytes data = Pattern(32, 1);
    ASSERT_TRUE(client_.Write(Bytes{'z', 0x03, 0xFB}));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(client_.Write(data));
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(client_.Write(Bytes{Sum(data)}));
    EXPECT_EQ(client_.Read(1, kIdle), Bytes{Sum(data)});
    EXPECT_EQ(receiver_->RecordBytes(1019), data);

    ASSERT_TRUE(receiver_->WaitUntilIdle(1s));
    const auto t = receiver_->Traffic();
    ASSERT_EQ(t.size(), 3u + 32u + 1u + 1u);
    for (std::size_t i = 0; i < 36; ++i) {
        EXPECT_TRUE(t[i].fromTool) << i;
    }
    EXPECT_FALSE(t[36].fromTool);
    EXPECT_EQ(t[36].byte, Sum(data));  // the echo after the checksum
}

TEST_F(PtyReceiverTest, PartialFrameIsDroppedAfterTheFrameTimeout) {
    StartReceiver();
    receiver_->SetFrameTimeout(100ms);
    ASSERT_TRUE(client_.Write(Bytes{'z', 0x00, 0x01, 0x3F}));  // 0x3F would be data
    ASSERT_TRUE(receiver_->WaitForReceived(4, 1s));
    ASSERT_TRUE(receiver_->WaitUntilFrameIdle(2s));
    EXPECT_EQ(Ask("?", 6), kVersion);
}

// ---- the commands over the pty -------------------------------------------------

TEST_F(PtyReceiverTest, ClockEraseAndHistory) {
    ReceiverOptions o;
    o.memory = PatternImage(31);
    o.history = {"2026-12-07 06:29:43 nadajnik 0012 przycisk 3"};
    StartReceiver(o);
    const Bytes clock{0x43, 0x29, 0x06, 0x07, 0x12, 0x26};
    ASSERT_TRUE(client_.Write(Str("t")));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(client_.Write(clock));
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(client_.Write(Bytes{0xB1}));
    EXPECT_EQ(client_.Read(1, kIdle), Bytes{0xB1});
    const ReceiverClock set = receiver_->Clock();
    EXPECT_TRUE(set.set);
    EXPECT_EQ(Bytes(set.bytes.begin(), set.bytes.end()), clock);

    ASSERT_TRUE(client_.Write(Str("c")));
    EXPECT_TRUE(client_.Read(1, 100ms).empty());
    EXPECT_EQ(receiver_->Memory(), ErasedMemory());

    const std::string history =
        "TAV-1000 v1.26\r\n2026-12-07 06:29:43 nadajnik 0012 przycisk 3\r\n";
    EXPECT_EQ(Ask("hi", history.size()), Str(history));
}

// A command with no answer, written just before the check: settling waits
// for the pty to hand it over and the receiver to act on it.
TEST_F(PtyReceiverTest, SettlingWaitsForTheLastBytesOnTheirWay) {
    ReceiverOptions o;
    o.memory = PatternImage(31);
    StartReceiver(o);
    ASSERT_TRUE(client_.Write(Str("c")));
    ASSERT_TRUE(receiver_->WaitUntilSettled(50ms, 1s));
    EXPECT_EQ(receiver_->ReceivedBytes(), Str("c"));
    EXPECT_EQ(receiver_->Memory(), ErasedMemory());
}

TEST_F(PtyReceiverTest, BulkWriteThenBulkReadOf1024Records) {
    StartReceiver();
    const MemoryImage m = PatternImage(31);
    ASSERT_TRUE(client_.Write(Str("Z")));
    for (int r = 0; r < kRecordCount; ++r) {
        const Bytes frame = RecordFrame(m, r);
        ASSERT_TRUE(client_.Write(Bytes(frame.begin(), frame.end() - 1)));
        ASSERT_TRUE(client_.Write(Bytes{frame.back()}));
        ASSERT_EQ(client_.Read(1, kIdle), Bytes{frame.back()}) << r;
    }
    EXPECT_EQ(receiver_->Memory(), m);
    ASSERT_TRUE(client_.Write(Str("P")));
    for (int r = 0; r < kRecordCount; ++r) {
        ASSERT_EQ(client_.Read(33, kIdle), RecordFrame(m, r)) << r;
        ASSERT_TRUE(client_.Write(Str("x")));
    }
    EXPECT_TRUE(client_.Read(1, 50ms).empty());
}

TEST_F(PtyReceiverTest, BootLoaderTakesTheFirmwareAndIgnoresApplicationCommands) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    StartReceiver(o);
    EXPECT_EQ(Ask("?", 6), (Bytes{0x76, 0x77, 0x01, 0x00, 0x01, 0x26}));
    ASSERT_TRUE(client_.Write(Bytes{'p', 0x00, 0x00}));
    EXPECT_TRUE(client_.Read(1, 100ms).empty());
    const Bytes image = Pattern(kFirmwareSize, 7);
    ASSERT_TRUE(client_.Write(Str("F")));
    std::this_thread::sleep_for(20ms);
    for (int n = 0; n < kFirmwareBlockCount; ++n) {
        const Bytes block(image.begin() + n * 128, image.begin() + (n + 1) * 128);
        ASSERT_TRUE(client_.Write(block));
        ASSERT_TRUE(client_.Write(Bytes{Sum(block)}));
        ASSERT_EQ(client_.Read(1, kIdle), Bytes{Sum(block)}) << n;
    }
    EXPECT_EQ(receiver_->FirmwareReceived(), image);
    EXPECT_EQ(receiver_->Mode(), ReceiverMode::Application);
    EXPECT_EQ(Ask("?", 6), kVersion);
}

// ---- faults over the pty -----------------------------------------------------

TEST_F(PtyReceiverTest, FaultBadChecksumInBulkRead) {
    ReceiverOptions o;
    o.memory = PatternImage(31);
    StartReceiver(o);
    receiver_->InjectFault({FaultKind::BadChecksumAtRecord, 2});
    ASSERT_TRUE(client_.Write(Str("P")));
    EXPECT_EQ(client_.Read(33, kIdle), RecordFrame(o.memory, 0));
    ASSERT_TRUE(client_.Write(Str("x")));
    EXPECT_EQ(client_.Read(33, kIdle), RecordFrame(o.memory, 1));
    ASSERT_TRUE(client_.Write(Str("x")));
    const Bytes got = client_.Read(33, kIdle);
    ASSERT_EQ(got.size(), 33u);
    EXPECT_NE(got[32], Sum(Bytes(got.begin(), got.end() - 1)));
}

TEST_F(PtyReceiverTest, FaultSilenceFromRecordThenRecoveryAfterQuiet) {
    ReceiverOptions o;
    o.memory = PatternImage(31);
    o.frameTimeout = 150ms;
    StartReceiver(o);
    receiver_->InjectFault({FaultKind::SilenceFromRecord, 2});
    ASSERT_TRUE(client_.Write(Str("P")));
    EXPECT_EQ(client_.Read(33, kIdle), RecordFrame(o.memory, 0));
    ASSERT_TRUE(client_.Write(Str("x")));
    EXPECT_EQ(client_.Read(33, kIdle), RecordFrame(o.memory, 1));
    ASSERT_TRUE(client_.Write(Str("x")));
    EXPECT_TRUE(client_.Read(33, 250ms).empty());
    ASSERT_TRUE(client_.Write(Str("x")));  // the tool's "x" after the short record
    ASSERT_TRUE(receiver_->WaitUntilSettled(10ms, 1s));
    ASSERT_TRUE(receiver_->WaitUntilFrameIdle(2s));
    EXPECT_EQ(Ask("?", 6), kVersion);
    ASSERT_TRUE(client_.Write(Bytes{'p', 0x00, 0x02}));
    EXPECT_TRUE(client_.Read(33, 100ms).empty());
    receiver_->ClearFaults();
    ASSERT_TRUE(client_.Write(Bytes{'p', 0x00, 0x02}));
    EXPECT_EQ(client_.Read(33, kIdle), RecordFrame(o.memory, 2));
}

TEST_F(PtyReceiverTest, FaultWrongEchoInBulkWrite) {
    StartReceiver();
    receiver_->InjectFault({FaultKind::WrongEchoAtRecord, 1});
    ASSERT_TRUE(client_.Write(Str("Z")));
    ASSERT_TRUE(client_.Write(Bytes(33, 0x00)));
    EXPECT_EQ(client_.Read(1, kIdle), Bytes{0x00});
    ASSERT_TRUE(client_.Write(Bytes(32, 0xFF)));
    ASSERT_TRUE(client_.Write(Bytes{0xE0}));
    EXPECT_EQ(client_.Read(1, kIdle), Bytes{0x1F});
}

TEST_F(PtyReceiverTest, FaultsOfTheFirmwareTransfer) {
    ReceiverOptions o;
    o.mode = ReceiverMode::BootLoader;
    StartReceiver(o);
    receiver_->InjectFault({FaultKind::WrongEchoAtBlock, 1});
    receiver_->InjectFault({FaultKind::SilenceFromBlock, 2});
    ASSERT_TRUE(client_.Write(Str("F")));
    for (int n = 0; n < 3; ++n) {
        ASSERT_TRUE(client_.Write(Bytes(128, 0xFF)));
        ASSERT_TRUE(client_.Write(Bytes{0x80}));
        const Bytes echo = client_.Read(1, n == 2 ? 200ms : kIdle);
        if (n == 0) {
            EXPECT_EQ(echo, Bytes{0x80});
        } else if (n == 1) {
            EXPECT_EQ(echo, Bytes{0x7F});
        } else {
            EXPECT_TRUE(echo.empty());
        }
    }
    EXPECT_EQ(receiver_->FirmwareReceived().size(), 256u);
}

TEST_F(PtyReceiverTest, FaultGarbageBeforeTheAnswerAndAShortAnswer) {
    StartReceiver();
    receiver_->InjectFault({FaultKind::GarbageBeforeAnswer, 0, 3});
    EXPECT_EQ(Ask("?", 9), (Bytes{0xA5, 0x00, 0x5A, 0x76, 0x07, 0x01, 0x00, 0x01, 0x26}));
    receiver_->InjectFault({FaultKind::ShortAnswer, 0, 5});
    EXPECT_EQ(Ask("?", 6), (Bytes{0x76, 0x07, 0x01, 0x00, 0x01}));
    EXPECT_EQ(Ask("?", 6), kVersion);
}

TEST_F(PtyReceiverTest, FaultHangUpAfterBytesClosesTheReceiversEnd) {
    ReceiverOptions o;
    o.memory = PatternImage(31);
    StartReceiver(o);
    receiver_->InjectFault({FaultKind::HangUpAfterBytes, 10});
    ASSERT_TRUE(client_.Write(Bytes{'p', 0x00, 0x04}));
    bool hangUp = false;
    const Bytes got = client_.Read(33, kIdle, &hangUp);
    const Bytes frame = RecordFrame(o.memory, 4);
    EXPECT_EQ(got, Bytes(frame.begin(), frame.begin() + 10));
    EXPECT_TRUE(hangUp);
    for (int i = 0; i < 100 && !receiver_->HungUp(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(receiver_->HungUp());
    EXPECT_FALSE(receiver_->IsRunning());
    client_.Close();
    // Started again: a new device, the same memory.
    std::string error;
    ASSERT_TRUE(receiver_->Start(&error)) << error;
    EXPECT_FALSE(receiver_->HungUp());
    ASSERT_TRUE(client_.Open(receiver_->DevicePath()));
    ASSERT_TRUE(client_.Write(Bytes{'p', 0x00, 0x04}));
    EXPECT_EQ(client_.Read(33, kIdle), frame);
}

TEST_F(PtyReceiverTest, FaultHangUpAtOnce) {
    StartReceiver();
    receiver_->InjectFault({FaultKind::HangUpAfterBytes, 0});
    bool hangUp = false;
    client_.Write(Str("?"));  // may fail: the other end may be gone already
    EXPECT_TRUE(client_.Read(6, kIdle, &hangUp).empty());
    EXPECT_TRUE(hangUp);
}

// ---- on-line events ------------------------------------------------------------

TEST_F(PtyReceiverTest, EventLinesOnRequestAndInDemoMode) {
    StartReceiver();
    receiver_->SendEventLine("abc");
    EXPECT_EQ(client_.Read(5, kIdle), Str("abc\r\n"));
    receiver_->SendEventLine("stored", true);
    EXPECT_EQ(client_.Read(8, kIdle), Str("stored\r\n"));
    receiver_->SetDemoEvents(true, 20ms);
    std::string text;
    for (int i = 0; i < 200 && std::count(text.begin(), text.end(), '\n') < 3; ++i) {
        const Bytes got = client_.Read(4096, 20ms);
        text.append(got.begin(), got.end());
    }
    receiver_->SetDemoEvents(false);
    ASSERT_GE(std::count(text.begin(), text.end(), '\n'), 3) << text;
    const std::string first = text.substr(0, text.find("\r\n"));
    EXPECT_NE(first.find("nadajnik"), std::string::npos) << first;
    const auto history = receiver_->History();
    ASSERT_GE(history.size(), 4u);
    EXPECT_EQ(history[0], "stored");
    EXPECT_EQ(history[1], first);
    std::this_thread::sleep_for(30ms);
    client_.Read(4096, 20ms);  // a demo line still on its way
    std::string expected = "TAV-1000 v1.26\r\n";
    for (const std::string& line : receiver_->History()) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(Ask("hi", expected.size()), Str(expected));
}

// ---- pacing ----------------------------------------------------------------------

// A paced answer comes whole; when each byte is due is checked on virtual
// time (line_schedule_test.cpp) and timed by bench/pty_receiver_bench.
TEST_F(PtyReceiverTest, PacedAnswerComesWhole) {
    ReceiverOptions o;
    o.pacing.paced = true;
    StartReceiver(o);
    EXPECT_EQ(Ask("?", 6), kVersion);
    ASSERT_TRUE(receiver_->WaitUntilIdle(1s));
    EXPECT_EQ(receiver_->Traffic().size(), 7u);
}

// With processing times the answers still come whole; how late they come is
// a figure of bench/pty_receiver_bench.
TEST_F(PtyReceiverTest, ProcessingTimesDelayTheAnswers) {
    ReceiverOptions o;
    o.pacing = Pacing{false, 40, 0, 30};
    StartReceiver(o);
    EXPECT_EQ(Ask("?", 6), kVersion);
    ASSERT_TRUE(client_.Write(Bytes{'z', 0x00, 0x01}));
    ASSERT_TRUE(client_.Write(Bytes(32, 0x01)));
    ASSERT_TRUE(client_.Write(Bytes{0x20}));
    EXPECT_EQ(client_.Read(1, kIdle), Bytes{0x20});
}

}  // namespace
}  // namespace tav::sim
