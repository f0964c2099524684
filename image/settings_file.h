// The settings file: the 5-byte header "$*$10" and the whole memory image,
// record 0 first (32,773 bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

#include "image/memory_image.h"

namespace tav {

inline constexpr std::size_t kSettingsHeaderSize = 5;
inline constexpr std::size_t kSettingsFileSize = kSettingsHeaderSize + kImageSize;
inline constexpr char kSettingsHeader[] = "$*$10";

enum class SettingsSaveResult {
    Saved,
    CannotCreate,     // neither a new file beside the target nor the target itself could be opened
    WriteFailed,      // a write, flush or the final rename failed; the target is as it was
    OverwriteFailed,  // a write over the old file in place failed: it may be incomplete
    WriteProtected,   // the file's mode forbids this user to write it; it was left as it was
};

enum class SettingsLoadResult {
    Loaded,
    CannotOpen,
    WrongType,           // the first three bytes are not "$*$" (or the file is shorter than 5)
    UnsupportedVersion,  // signature right, version not "10"
    Incomplete,          // header right, fewer than 32,768 image bytes
};

// Writes the file as a plain overwrite would, but atomically where it can: a
// new file beside the target with the old file's permissions, every write
// checked and flushed to the disk, then renamed over it. A symbolic link is
// followed and the file it names is replaced; the link stays. On a failure of
// that way an existing file is left as it was and no temporary file remains.
// Where no new file can be made beside the target (a folder without create
// permission) or renamed over it, and for a file with more than one hard link
// (whose names must all see the new content), the existing file is overwritten
// in place instead; a write failing there may leave it incomplete
// (OverwriteFailed). A file this user may not write (mode 0444, a read-only
// attribute) is refused as a plain overwrite would refuse it, however the
// folder is set (WriteProtected).
// On a failure `why`, when given, gets the system's reason where it gave one
// (a full disk, the file-size limit).
SettingsSaveResult WriteSettingsFile(const MemoryImage& image, const std::filesystem::path& path,
                                     std::error_code* why = nullptr);

// The same save for any bytes (a record backup, a text file).
SettingsSaveResult WriteFileSafely(std::span<const std::uint8_t> bytes,
                                   const std::filesystem::path& path,
                                   std::error_code* why = nullptr);

// Whether a save to `path` could go ahead, found without changing anything:
// Saved, or the result the save would give (CannotCreate: no file can be made
// in the folder; WriteProtected; WriteFailed: a folder or other non-file has
// the name). For a check before work whose result is to be saved.
SettingsSaveResult ProbeSave(const std::filesystem::path& path);

// The same check and copy over the bytes of a whole file already in memory.
SettingsLoadResult ParseSettingsBytes(MemoryImage& image, std::span<const std::uint8_t> file);

// Replaces the whole image from the file. On any result but Loaded the image
// is untouched. Bytes after the image part are ignored.
SettingsLoadResult ReadSettingsFile(MemoryImage& image, const std::filesystem::path& path);

}  // namespace tav
