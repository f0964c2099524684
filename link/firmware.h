// The receiver's firmware image, embedded at build time (CMake option
// TAV_FIRMWARE_IMAGE). A build without it carries none.
#pragma once

#include <cstdint>
#include <span>

#include "image/wire_protocol.h"

namespace tav {

using wire::kFirmwareBlocks;
using wire::kFirmwareBlockSize;
using wire::kFirmwareSize;

// The built-in image, or an empty span when the build has none.
std::span<const std::uint8_t> FirmwareImage();

}  // namespace tav
