#include "image/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
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

}  // namespace

SettingsSaveResult WriteSettingsFile(const MemoryImage& image, const std::filesystem::path& path) {
    std::filesystem::path temporary;
    File file;
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temporary = TemporaryNameBeside(path);
        // "x": fail instead of reusing a file that happens to have the name.
        file.reset(std::fopen(temporary.string().c_str(), "wbx"));
    }
    if (!file) {
        return SettingsSaveResult::CannotCreate;
    }
    const auto bytes = image.Bytes();
    bool ok =
        std::fwrite(kSettingsHeader, 1, kSettingsHeaderSize, file.get()) == kSettingsHeaderSize &&
        std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
        std::fflush(file.get()) == 0;
    ok = (std::fclose(file.release()) == 0) && ok;
    std::error_code error;
    if (ok) {
        std::filesystem::rename(temporary, path, error);
        ok = !error;
    }
    if (!ok) {
        std::filesystem::remove(temporary, error);
        return SettingsSaveResult::WriteFailed;
    }
    return SettingsSaveResult::Saved;
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
    File file(std::fopen(path.string().c_str(), "rb"));
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
