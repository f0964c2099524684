// Saving a file so that nothing is lost: used for settings files, backups and
// every text file the tools write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

namespace tav {

enum class SaveResult {
    Saved,
    CannotCreate,     // neither a new file beside the target nor the target itself could be opened
    WriteFailed,      // a write, flush or the final rename failed; the target is as it was
    OverwriteFailed,  // a write over the old file in place failed: it may be incomplete
    WriteProtected,   // the file's mode forbids this user to write it; it was left as it was
};

// Writes `bytes` as the whole file `path`, as a plain overwrite would, but
// atomically where it can: a new file beside the target with the old file's
// permissions, every write checked and flushed to the disk, then renamed over
// it. A symbolic link is followed and the file it names is replaced; the link
// stays. On a failure of that way an existing file is left as it was and no
// temporary file remains. Where no new file can be made beside the target (a
// folder without create permission) or renamed over it, and for a file with
// more than one hard link (whose names must all see the new content), the
// existing file is overwritten in place instead; a write failing there may
// leave it incomplete (OverwriteFailed). A file this user may not write (mode
// 0444, a read-only attribute) is refused as a plain overwrite would refuse it,
// however the folder is set (WriteProtected). On a failure `why`, when given,
// gets the system's reason where it gave one (a full disk, the file-size limit).
SaveResult SaveFileSafely(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          std::error_code* why = nullptr);

// Whether a save to `path` could go ahead, found without changing anything:
// Saved, or the result the save would give (CannotCreate: no file can be made
// in the folder; WriteProtected; WriteFailed: a folder or other non-file has
// the name). For a check before work whose result is to be saved.
SaveResult ProbeSave(const std::filesystem::path& path);

}  // namespace tav
