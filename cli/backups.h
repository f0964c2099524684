// Backups taken before a write or an erase: a whole backup is a settings file
// DIR/backup-YYYYMMDD-HHMMSS.tv2; a backup of some records only is a record
// backup (image/record_backup.h) DIR/backup-YYYYMMDD-HHMMSS.tvr, which no
// settings-file reader takes for a whole memory and only `restore` writes back.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "image/memory_image.h"

namespace tav::cli {

// DIR, made with its parents (and said so) when missing; false after saying
// why it cannot be made.
bool MakeBackupFolder(const std::string& dir);

// Reads `records` from the receiver (the whole memory with `whole`, or when a
// bulk read is quicker) and saves them as a new backup in `dir`: whole when
// the whole memory was read, else a record backup of `records`. An existing
// file is never replaced and no file is left when the save fails. The path,
// or "" after saying why not.
std::string TakeBackup(const Args& a, const std::string& dir, const std::vector<int>& records,
                       bool whole);

// Saves `image` as a new whole backup in `dir` (made when missing); the path,
// or "" after saying why not.
std::string SaveWholeBackup(const std::string& dir, const MemoryImage& image);

}  // namespace tav::cli
