#include "image/settings_file.h"

#include "image/file_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

namespace tav {

namespace {

// Closes the file on every path out.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

SettingsSaveResult WriteSettingsFile(const MemoryImage& image, const std::filesystem::path& path,
                                     std::error_code* why) {
    std::vector<std::uint8_t> bytes(kSettingsHeader, kSettingsHeader + kSettingsHeaderSize);
    const auto imageBytes = image.Bytes();
    bytes.insert(bytes.end(), imageBytes.begin(), imageBytes.end());
    return SaveFileSafely(path, bytes, why);
}

SettingsLoadMessage LoadMessage(SettingsLoadResult result) {
    switch (result) {
        case SettingsLoadResult::Loaded:
            return {"Plik wczytano poprawnie", false, ""};
        case SettingsLoadResult::CannotOpen:
            return {"", true, "cannot open the file"};
        case SettingsLoadResult::WrongType:
            return {"Niewlasciwy typ pliku!", true, "not a settings file (no \"$*$\" header)"};
        case SettingsLoadResult::UnsupportedVersion:
            return {"Nieobslugiwana wersja pliku!", true,
                    "unsupported settings file version (not \"10\")"};
        case SettingsLoadResult::Incomplete:
            return {"Plik jest niekompletny - ustawień nie wczytano!", true,
                    "settings file shorter than 32,773 bytes"};
    }
    return {"", true, "unreadable"};
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
