#include "image/settings_file.h"

#include "image/file_output.h"

#include <algorithm>
#include <array>
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

bool WriteHeaderAndImage(std::FILE* file, const MemoryImage& image) {
    const auto bytes = image.Bytes();
    return std::fwrite(kSettingsHeader, 1, kSettingsHeaderSize, file) == kSettingsHeaderSize &&
           std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
           file_output::FlushToDisk(file);
}

// Writes the file over its old bytes, from the start, and cuts off what lay
// beyond. Not atomic: used only where a new file cannot take the old one's
// place.
SettingsSaveResult OverwriteInPlace(const MemoryImage& image, const std::filesystem::path& path) {
    // "r+": an existing file only, and nothing is cut before the new bytes are in.
    File file(file_output::Open(path, "r+b"));
    if (!file) {
        return SettingsSaveResult::CannotCreate;
    }
    bool ok = WriteHeaderAndImage(file.get(), image);
    ok = (std::fclose(file.release()) == 0) && ok;
    std::error_code error;
    if (ok && std::filesystem::file_size(path, error) > kSettingsFileSize && !error) {
        std::filesystem::resize_file(path, kSettingsFileSize, error);
    }
    return ok && !error ? SettingsSaveResult::Saved : SettingsSaveResult::OverwriteFailed;
}

// A new file beside the target, renamed over it: an interrupted save leaves
// the old file whole. Unset when no new file could be made or put in place.
std::optional<SettingsSaveResult> ReplaceAtomically(const MemoryImage& image,
                                                    const std::filesystem::path& path) {
    std::filesystem::path temporary;
    File file;
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temporary = TemporaryNameBeside(path);
        file.reset(file_output::CreateNew(temporary, path));
    }
    if (!file) {
        return std::nullopt;
    }
    bool ok = WriteHeaderAndImage(file.get(), image);
    ok = (std::fclose(file.release()) == 0) && ok;
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

}  // namespace

SettingsSaveResult WriteSettingsFile(const MemoryImage& image, const std::filesystem::path& path) {
    const std::filesystem::path target = FollowLinks(path);
    std::error_code error;
    const bool existing = std::filesystem::is_regular_file(target, error);
    // A file with a second name keeps both names pointing at the new content,
    // as a plain overwrite does; a rename would part them.
    const bool hardLinked = existing && std::filesystem::hard_link_count(target, error) > 1;
    if (!hardLinked) {
        if (const auto result = ReplaceAtomically(image, target)) {
            return *result;
        }
    }
    // No new file could be made beside the target (a folder without create
    // permission) or put in its place: write the old file itself.
    if (!existing) {
        return std::filesystem::exists(target, error) ? SettingsSaveResult::WriteFailed
                                                      : SettingsSaveResult::CannotCreate;
    }
    return OverwriteInPlace(image, target);
}

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
