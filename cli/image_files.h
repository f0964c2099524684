// Settings files and text files as tavctl reads and saves them, and its own
// lines on standard error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "image/memory_image.h"

namespace tav::cli {

// One line on standard error.
void Say(const std::string& line);

// Asks on the terminal; only an answer of yes is yes.
bool AskYesNo(const std::string& question);

// "1 record", "2 records".
std::string Count(std::size_t n, const char* what);

// Why `path` could not be read, in the system's words where it has them.
std::string ReasonFor(const std::string& path);

enum class Missing { kStartEmpty, kRefuse };

// Loads FILE into `image` (a zero-filled image for a file that does not
// exist, with kStartEmpty); false after saying why not.
bool LoadImage(const std::string& file, MemoryImage& image, Missing missing);

// Saves `image` as the settings file FILE; false after saying why not.
bool SaveImage(const std::string& file, const MemoryImage& image);

// Writes `text` to standard output and flushes it; false after saying why
// not (a full disk, a closed pipe).
bool WriteStandardOutput(std::string_view text);

// The words for a failed write: the disk full, the file-size limit reached, or
// the system's own.
std::string WriteFailure(const std::error_code& why);

// False, after saying why, when FILE could not be saved (no folder, no file
// can be made there, write-protected, a folder of that name): checked before
// a read whose result would otherwise be lost.
bool CanBeSaved(const std::string& file);

// How many records the record backup FILE holds; nullopt when FILE is none.
std::optional<std::size_t> RecordBackupRecords(const std::string& file);

// False, after saying so, when the folder FILE would be saved in does not
// exist (which would otherwise only show after a transfer).
bool FolderExists(const std::string& file);

// Saves `text` as the file `path` through SaveFileSafely (an interrupted run
// leaves an existing file whole); false after saying why not.
bool SaveTextFile(const std::string& path, const std::string& text);

}  // namespace tav::cli
