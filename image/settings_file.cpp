#include "image/settings_file.h"

#include "image/file_output.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

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
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
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
SettingsSaveResult OverwriteInPlace(std::span<const std::uint8_t> bytes,
                                    const std::filesystem::path& path, std::error_code& why) {
    // "r+": an existing file only, and nothing is cut before the new bytes are in.
    File file(file_output::Open(path, "r+b"));
    if (!file) {
        return SettingsSaveResult::CannotCreate;
    }
    bool ok = WriteFlushAndClose(std::move(file), bytes, why);
    std::error_code error;
    if (ok && std::filesystem::file_size(path, error) > bytes.size() && !error) {
        std::filesystem::resize_file(path, bytes.size(), error);
        why = error;
    }
    return ok && !error ? SettingsSaveResult::Saved : SettingsSaveResult::OverwriteFailed;
}

// A new file beside the target, renamed over it: an interrupted save leaves
// the old file whole. Unset when no new file could be made or put in place.
std::optional<SettingsSaveResult> ReplaceAtomically(std::span<const std::uint8_t> bytes,
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
        return SettingsSaveResult::WriteFailed;
    }
    if (!file_output::Replace(temporary, path)) {
        std::filesystem::remove(temporary, error);
        return std::nullopt;
    }
    return SettingsSaveResult::Saved;
}

SettingsSaveResult SaveBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                             std::error_code& why);

}  // namespace

SettingsSaveResult WriteSettingsFile(const MemoryImage& image, const std::filesystem::path& path,
                                     std::error_code* why) {
    std::vector<std::uint8_t> bytes(kSettingsFileSize);
    std::copy_n(kSettingsHeader, kSettingsHeaderSize, bytes.begin());
    std::ranges::copy(image.Bytes(), bytes.begin() + kSettingsHeaderSize);
    return WriteFileSafely(bytes, path, why);
}

SettingsSaveResult WriteFileSafely(std::span<const std::uint8_t> bytes,
                                   const std::filesystem::path& path, std::error_code* why) {
    std::error_code reason;
    const SettingsSaveResult result = SaveBytes(bytes, path, reason);
    if (why != nullptr) {
        *why = result == SettingsSaveResult::Saved ? std::error_code() : reason;
    }
    return result;
}

SettingsSaveResult ProbeSave(const std::filesystem::path& path) {
    const std::filesystem::path target = FollowLinks(path);
    std::error_code error;
    if (std::filesystem::is_regular_file(target, error)) {
        return file_output::WriteProtected(target) ? SettingsSaveResult::WriteProtected
                                                   : SettingsSaveResult::Saved;
    }
    if (std::filesystem::exists(target, error)) {
        return SettingsSaveResult::WriteFailed;  // a folder or a device of that name
    }
    const std::filesystem::path temporary = TemporaryNameBeside(target);
    File file(file_output::CreateNew(temporary, target));
    if (!file) {
        return SettingsSaveResult::CannotCreate;
    }
    file.reset();
    std::filesystem::remove(temporary, error);
    return SettingsSaveResult::Saved;
}

namespace {

SettingsSaveResult SaveBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                             std::error_code& why) {
    const std::filesystem::path target = FollowLinks(path);
    std::error_code error;
    const bool existing = std::filesystem::is_regular_file(target, error);
    // A rename would need only the folder's permission: ask for the file's own.
    if (existing && file_output::WriteProtected(target)) {
        return SettingsSaveResult::WriteProtected;
    }
    // A file with a second name keeps both names pointing at the new content,
    // as a plain overwrite does; a rename would part them.
    const bool hardLinked = existing && std::filesystem::hard_link_count(target, error) > 1;
    if (!hardLinked) {
        if (const auto result = ReplaceAtomically(bytes, target, why)) {
            return *result;
        }
    }
    // No new file could be made beside the target (a folder without create
    // permission) or put in its place: write the old file itself.
    if (!existing) {
        return std::filesystem::exists(target, error) ? SettingsSaveResult::WriteFailed
                                                      : SettingsSaveResult::CannotCreate;
    }
    return OverwriteInPlace(bytes, target, why);
}

}  // namespace

SettingsLoadResult ParseSettingsBytes(MemoryImage& image, std::span<const std::uint8_t> file) {
    if (file.size() < kSettingsHeaderSize || std::memcmp(file.data(), kSettingsHeader, 3) != 0) {
        return SettingsLoadResult::WrongType;
    }
    if (std::memcmp(file.data() + 3, kSettingsHeader + 3, 2) != 0) {
        return SettingsLoadResult::UnsupportedVersion;
    }
    // A short file must not leave a half-replaced image.
    if (file.size() < kSettingsFileSize) {
        return SettingsLoadResult::Incomplete;
    }
    std::copy_n(file.begin() + kSettingsHeaderSize, kImageSize, image.Bytes().begin());
    return SettingsLoadResult::Loaded;
}

SettingsLoadResult ReadSettingsFile(MemoryImage& image, const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return SettingsLoadResult::CannotOpen;
    }
    File file(file_output::Open(path, "rb"));
    if (!file) {
        return SettingsLoadResult::CannotOpen;
    }
    // Bytes after the image part are never read.
    std::vector<std::uint8_t> bytes(kSettingsFileSize);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (std::ferror(file.get())) {
        return SettingsLoadResult::CannotOpen;
    }
    return ParseSettingsBytes(image, bytes);
}

}  // namespace tav
