// A record backup: some of the receiver's records, each with its number, in a
// file of its own kind. A write that changes only some records backs up only
// those; kept as a settings file, zeros in every other record, such a backup
// would be taken for the whole memory and wipe the rest of the receiver when
// written back. A record backup begins with "TAVREC01" (never the settings
// file's "$*$"), so the window and every settings-file reader refuse it as a
// file of the wrong type, and only a restore writes it back.
//
// Layout: "TAVREC01"; the count N (1..1024) in two bytes, high first; then N
// times the record number (0..1023, two bytes, high first, ascending, none
// twice) and the record's 32 bytes. Exactly 10 + 34 N bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/memory_image.h"

namespace tav {

inline constexpr char kRecordBackupMagic[] = "TAVREC01";
inline constexpr std::size_t kRecordBackupMagicSize = 8;

// The file of `records` (each 0..1023, ascending, none twice) as `image` holds
// them.
std::vector<std::uint8_t> RecordBackupBytes(const MemoryImage& image, std::span<const int> records);

enum class RecordBackupLoad {
    Loaded,
    NotARecordBackup,  // does not begin with the record backup's mark
    Damaged,           // the mark is right, the rest is not (cut short, bad numbers)
};

// Copies the records of a record backup into `image` (the rest of it stays)
// and lists them in `records`. On any result but Loaded neither is touched.
RecordBackupLoad ParseRecordBackup(std::span<const std::uint8_t> file, MemoryImage& image,
                                   std::vector<int>& records);

}  // namespace tav
