// The settings file: the 5-byte header "$*$10" and the whole memory image,
// record 0 first (32,773 bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <system_error>

#include "image/memory_image.h"
#include "image/safe_save.h"

namespace tav {

inline constexpr std::size_t kSettingsHeaderSize = 5;
inline constexpr std::size_t kSettingsFileSize = kSettingsHeaderSize + kImageSize;
inline constexpr char kSettingsHeader[] = "$*$10";

using SettingsSaveResult = SaveResult;

enum class SettingsLoadResult {
    Loaded,
    CannotOpen,
    WrongType,           // the first three bytes are not "$*$" (or the file is shorter than 5)
    UnsupportedVersion,  // signature right, version not "10"
    Incomplete,          // header right, fewer than 32,768 image bytes
};

// What a load result says. `text`: the window's message (UTF-8; empty for
// none), shown with an error caption when `error`; `reason`: the same in a
// few English words, for a program's error output.
struct SettingsLoadMessage {
    std::string_view text;
    bool error = true;
    std::string_view reason;
};
SettingsLoadMessage LoadMessage(SettingsLoadResult result);

// Saves the header and the image as the file `path` through SaveFileSafely
// (`why` as there).
SettingsSaveResult WriteSettingsFile(const MemoryImage& image, const std::filesystem::path& path,
                                     std::error_code* why = nullptr);

// The same check and copy over the bytes of a whole file already in memory.
SettingsLoadResult ParseSettingsBytes(MemoryImage& image, std::span<const std::uint8_t> file);

// Replaces the whole image from the file. On any result but Loaded the image
// is untouched. Bytes after the image part are ignored.
SettingsLoadResult ReadSettingsFile(MemoryImage& image, const std::filesystem::path& path);

}  // namespace tav
