// The receiver's wire protocol as both ends and the benchmarks' line model
// see it: the command bytes, the frames' geometry, the firmware's geometry
// and the fixed pauses. The tool's link (link/protocol.cpp), the simulated
// receiver (sim/receiver_engine.cpp) and the benchmarks take them from here;
// the line's speed is in image/line_time.h. Plain C++, no Qt.
//
// Every command is one printable byte from the tool; numbers go high byte
// first. What each is answered with:
//   "?"  version query          6 bytes: "v", mode, two version pairs
//   "p"  read one record        record number (2 bytes); 32 bytes + checksum
//   "z"  write one record       record number, 32 bytes, checksum; the echo
//   "t"  set the clock          6 BCD bytes, checksum; the echo
//   "c"  erase all memory       nothing
//   "P"  bulk read              1024 x (32 bytes + checksum), each answered "x"
//   "Z"  bulk write             1024 x (32 bytes, checksum), each echoed
//   "F"  firmware transfer      240 x (128 bytes, checksum), each echoed
//   "hi" history request        the stored events as text lines
// The checksum is the 8-bit sum of a frame's data bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/line_time.h"
#include "image/memory_image.h"

namespace tav::wire {

inline constexpr std::uint8_t kVersionQuery = '?';
inline constexpr std::uint8_t kReadRecord = 'p';
inline constexpr std::uint8_t kWriteRecord = 'z';
inline constexpr std::uint8_t kSetClock = 't';
inline constexpr std::uint8_t kEraseMemory = 'c';
inline constexpr std::uint8_t kBulkRead = 'P';
inline constexpr std::uint8_t kBulkReadNext = 'x';
inline constexpr std::uint8_t kBulkWrite = 'Z';
inline constexpr std::uint8_t kFirmwareTransfer = 'F';
inline constexpr std::uint8_t kHistoryRequest[2] = {'h', 'i'};

// The version answer's first byte, and its second: what runs in the receiver.
inline constexpr std::uint8_t kVersionMark = 'v';
inline constexpr std::uint8_t kApplicationRunning = 0x07;
inline constexpr std::uint8_t kBootLoaderRunning = 'w';
inline constexpr std::size_t kVersionAnswerSize = 6;

// "p" or "z" and the record number.
inline constexpr std::size_t kRecordHeaderSize = 3;
// A record's data and its checksum, as a read answers it and a write sends it.
inline constexpr std::size_t kRecordFrameSize = kRecordSize + 1;
// The clock frame: seconds, minutes, hours, day, month, year - 2000, in BCD.
inline constexpr std::size_t kClockFrameSize = 6;

// The firmware: 240 blocks of 128 bytes.
inline constexpr std::size_t kFirmwareBlockSize = 128;
inline constexpr int kFirmwareBlocks = 240;
inline constexpr std::size_t kFirmwareSize = kFirmwareBlockSize * kFirmwareBlocks;  // 30,720

// The tool's fixed pauses: after the answer to "?", after the header of a
// record read or write, after "t", "P" and "Z"; between the data and the
// checksum of a record write or of the clock frame; after "F".
inline constexpr int kFramePauseMs = 50;
inline constexpr int kChecksumPauseMs = 10;
inline constexpr int kFirmwarePauseMs = 20;

}  // namespace tav::wire
