// Import of the older TAV-500 model's remote list (".tvs"): 500 serial
// numbers of 4 bytes in the older model's bit coding.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "image/memory_image.h"

namespace tav {

inline constexpr int kOlderModelEntries = 500;
inline constexpr std::size_t kOlderModelUsedBytes = 2000;
inline constexpr std::size_t kOlderModelReadBytes = 2048;

// Swaps bit 0 with bit 3 and bit 1 with bit 2 of a value 0..15.
constexpr std::uint8_t ReverseNibble(std::uint8_t v) {
    return static_cast<std::uint8_t>(((v & 1) << 3) | ((v & 2) << 1) | ((v & 4) >> 1) |
                                     ((v & 8) >> 3));
}

// One file byte to the byte a remote record holds: each nibble's bits
// reversed, then all eight bits inverted.
constexpr std::uint8_t ConvertOlderModelByte(std::uint8_t e) {
    return static_cast<std::uint8_t>(~((ReverseNibble(e >> 4) << 4) | ReverseNibble(e & 0x0F)));
}

// Rewrites bytes 0..3 of records 0..499 from the first 2000 bytes of `data`.
// Entries that `data` does not reach become empty slots (bytes 0..3 zero).
// Names, bytes 4..5 and records 500..999 keep their contents.
void ImportOlderModelEntries(MemoryImage& image, std::span<const std::uint8_t> data);

// Whether a file can be a list a TAV-500 wrote: 2000 to 2048 bytes long
// (`fileSize`), and no serial number in two slots (`head`: its first bytes,
// at most 2048). An import shows the reason and changes nothing otherwise.
struct OlderModelFileCheck {
    enum class Problem { kNone, kWrongSize, kRepeatedSerial };
    Problem problem = Problem::kNone;
    std::uintmax_t size = 0;
    int first = 0;  // the two slots (0..499) of a repeated serial number
    int second = 0;
};
OlderModelFileCheck CheckOlderModelFile(std::span<const std::uint8_t> head,
                                        std::uintmax_t fileSize);

enum class OlderModelImportResult { Imported, CannotOpen };

// Reads the first 2048 bytes of the file and imports them; the image is
// untouched when the file cannot be opened or read.
OlderModelImportResult ImportOlderModelFile(MemoryImage& image, const std::filesystem::path& path);

}  // namespace tav
