#include "image/safe_save.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <system_error>

#include "image/file_output.h"

namespace tav {

namespace {

// Closes the file on every path out.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A name beside the target that no other file has.
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

// The file a save really writes: a symbolic link is followed to the file it
// names (which need not exist yet), as opening the link for writing would.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    std::error_code error;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, error); ++hops) {
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// Writes, flushes and closes `file`; false with the system's reason in `why`.
bool WriteFlushAndClose(File file, std::span<const std::uint8_t> bytes, std::error_code& why) {
    // An empty file writes nothing: fwrite may not be handed a null pointer.
    bool ok =
        (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size()) &&
        file_output::FlushToDisk(file.get());
    if (!ok) {
        why = std::error_code(errno, std::generic_category());
    }
    if (std::fclose(file.release()) != 0 && ok) {
        why = std::error_code(errno, std::generic_category());
        ok = false;
    }
    return ok;
}

// Writes the file over its old bytes, from the start, and cuts off what lay
// beyond. Not atomic: used only where a new file cannot take the old one's
// place.
SaveResult OverwriteInPlace(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                            std::error_code& why) {
    // "r+": an existing file only, and nothing is cut before the new bytes are in.
    File file(file_output::Open(path, "r+b"));
    if (!file) {
        return SaveResult::CannotCreate;
    }
    bool ok = WriteFlushAndClose(std::move(file), bytes, why);
    std::error_code error;
    if (ok && std::filesystem::file_size(path, error) > bytes.size() && !error) {
        std::filesystem::resize_file(path, bytes.size(), error);
        why = error;
    }
    return ok && !error ? SaveResult::Saved : SaveResult::OverwriteFailed;
}

// A new file beside the target, renamed over it: an interrupted save leaves
// the old file whole. Unset when no new file could be made or put in place.
std::optional<SaveResult> ReplaceAtomically(std::span<const std::uint8_t> bytes,
                                            const std::filesystem::path& path,
                                            std::error_code& why) {
    std::filesystem::path temporary;
    File file;
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temporary = TemporaryNameBeside(path);
        file.reset(file_output::CreateNew(temporary, path));
    }
    if (!file) {
        return std::nullopt;
    }
    const bool ok = WriteFlushAndClose(std::move(file), bytes, why);
    std::error_code error;
    if (!ok) {
        std::filesystem::remove(temporary, error);
        return SaveResult::WriteFailed;
    }
    if (!file_output::Replace(temporary, path)) {
        std::filesystem::remove(temporary, error);
        return std::nullopt;
    }
    return SaveResult::Saved;
}

SaveResult SaveBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                     std::error_code& why);

}  // namespace

SaveResult SaveFileSafely(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          std::error_code* why) {
    std::error_code reason;
    const SaveResult result = SaveBytes(bytes, path, reason);
    if (why != nullptr) {
        *why = result == SaveResult::Saved ? std::error_code() : reason;
    }
    return result;
}

SaveResult ProbeSave(const std::filesystem::path& path) {
    const std::filesystem::path target = FollowLinks(path);
    std::error_code error;
    if (std::filesystem::is_regular_file(target, error)) {
        return file_output::WriteProtected(target) ? SaveResult::WriteProtected : SaveResult::Saved;
    }
    if (std::filesystem::exists(target, error)) {
        return SaveResult::WriteFailed;  // a folder or a device of that name
    }
    const std::filesystem::path temporary = TemporaryNameBeside(target);
    File file(file_output::CreateNew(temporary, target));
    if (!file) {
        return SaveResult::CannotCreate;
    }
    file.reset();
    std::filesystem::remove(temporary, error);
    return SaveResult::Saved;
}

namespace {

SaveResult SaveBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                     std::error_code& why) {
    const std::filesystem::path target = FollowLinks(path);
    std::error_code error;
    const bool existing = std::filesystem::is_regular_file(target, error);
    // A rename would need only the folder's permission: ask for the file's own.
    if (existing && file_output::WriteProtected(target)) {
        return SaveResult::WriteProtected;
    }
    // A file with a second name keeps both names pointing at the new content,
    // as a plain overwrite does; a rename would part them.
    const bool hardLinked = existing && file_output::HasOtherNames(target);
    if (!hardLinked) {
        if (const auto result = ReplaceAtomically(bytes, target, why)) {
            return *result;
        }
    }
    // No new file could be made beside the target (a folder without create
    // permission) or put in its place: write the old file itself.
    if (!existing) {
        return std::filesystem::exists(target, error) ? SaveResult::WriteFailed
                                                      : SaveResult::CannotCreate;
    }
    return OverwriteInPlace(bytes, target, why);
}

}  // namespace

}  // namespace tav
