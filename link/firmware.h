// The receiver's firmware image, embedded at build time (CMake option
// TAV_FIRMWARE_IMAGE). A build without it carries none.
#pragma once

#include <cstdint>
#include <span>

namespace tav {

inline constexpr std::size_t kFirmwareSize = 30720;
inline constexpr std::size_t kFirmwareBlockSize = 128;
inline constexpr int kFirmwareBlocks = 240;

// The built-in image, or an empty span when the build has none.
std::span<const std::uint8_t> FirmwareImage();

}  // namespace tav
