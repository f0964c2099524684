// The few file-system calls the settings file's save needs beyond the C
// library, one implementation per platform (file_output_posix.cpp,
// file_output_win32.cpp); the policy of when to use which lives in
// settings_file.cpp.
#pragma once

#include <cstdio>
#include <filesystem>

namespace tav::file_output {

// Creates `path`, which must not exist yet, and opens it for binary writing.
// When `like` names an existing file, the new file gets its permissions (and,
// where the platform allows, its owner and group) before any byte is written.
// nullptr when the file cannot be created.
std::FILE* CreateNew(const std::filesystem::path& path, const std::filesystem::path& like);

// Flushes the buffers and hands the bytes to the disk; false when either fails.
bool FlushToDisk(std::FILE* file);

}  // namespace tav::file_output
