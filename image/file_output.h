// The few file-system calls the settings file and the older-model import need
// beyond the C library, one implementation per platform (file_output_posix.cpp,
// file_output_win32.cpp); the policy of when to use which lives in
// settings_file.cpp.
#pragma once

#include <cstdio>
#include <filesystem>

namespace tav::file_output {

// Opens `path` with the C library's `mode` ("rb", "r+b"); any name the file
// system can hold works, also one outside the system's narrow code page on
// Windows. nullptr when the file cannot be opened.
std::FILE* Open(const std::filesystem::path& path, const char* mode);

// Creates `path`, which must not exist yet, and opens it for binary writing.
// When `like` names an existing file, the new file gets its permissions (and,
// where the platform allows, its owner and group) before any byte is written.
// nullptr when the file cannot be created, also when a file or folder of that
// name exists already.
std::FILE* CreateNew(const std::filesystem::path& path, const std::filesystem::path& like);

// The file `path` exists and its mode (or, on Windows, its read-only
// attribute) forbids this user to write it, so a plain write would be refused.
bool WriteProtected(const std::filesystem::path& path);

// The existing file `path` has more than one name (a hard link), so putting a
// new file in its place would part the names. MinGW's std::filesystem answers
// one name on Windows whatever the file has; the system is asked instead.
bool HasOtherNames(const std::filesystem::path& path);

// Flushes the buffers and hands the bytes to the disk; false when either fails.
bool FlushToDisk(std::FILE* file);

// Puts the closed file `from` in the place of `to` in one step, replacing a
// file `to` that exists; false (and both left as they were) when it cannot.
bool Replace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace tav::file_output
