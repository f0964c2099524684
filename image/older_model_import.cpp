#include "image/older_model_import.h"

#include "image/file_output.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>

namespace tav {

void ImportOlderModelEntries(MemoryImage& image, std::span<const std::uint8_t> data) {
    for (int d = 0; d < kOlderModelEntries; ++d) {
        const std::size_t at = static_cast<std::size_t>(d) * 4;
        std::uint8_t* serial = image.RecordAt(d).data();
        if (at + 4 > data.size()) {
            // The file ends before this entry: an empty slot.
            std::fill_n(serial, 4, std::uint8_t{0});
            continue;
        }
        for (std::size_t j = 0; j < 4; ++j) {
            serial[j] = ConvertOlderModelByte(data[at + j]);
        }
        if (std::all_of(serial, serial + 4, [](std::uint8_t b) { return b == 0xFF; })) {
            std::fill_n(serial, 4, std::uint8_t{0});
        }
        serial[3] &= 0xF0;
    }
}

OlderModelFileCheck CheckOlderModelFile(std::span<const std::uint8_t> head,
                                        std::uintmax_t fileSize) {
    OlderModelFileCheck check;
    check.size = fileSize;
    if (fileSize < kOlderModelUsedBytes || fileSize > kOlderModelReadBytes ||
        head.size() < kOlderModelUsedBytes) {
        check.problem = OlderModelFileCheck::Problem::kWrongSize;
        return check;
    }
    // The serial numbers as the import stores them; a receiver pairs a
    // remote once, so a list never holds one twice.
    MemoryImage imported;
    ImportOlderModelEntries(imported, head);
    std::map<std::uint32_t, int> seen;
    for (int d = 0; d < kOlderModelEntries; ++d) {
        if (!IsRemoteSlotUsed(imported, d)) {
            continue;
        }
        const std::uint8_t* b = imported.RecordAt(d).data();
        const std::uint32_t serial = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                                     (std::uint32_t{b[2]} << 8) | b[3];
        const auto [at, added] = seen.emplace(serial, d);
        if (!added) {
            check.problem = OlderModelFileCheck::Problem::kRepeatedSerial;
            check.first = at->second;
            check.second = d;
            return check;
        }
    }
    return check;
}

OlderModelImportResult ImportOlderModelFile(MemoryImage& image, const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return OlderModelImportResult::CannotOpen;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(file_output::Open(path, "rb"),
                                                         &std::fclose);
    if (!file) {
        return OlderModelImportResult::CannotOpen;
    }
    std::array<std::uint8_t, kOlderModelReadBytes> buffer{};
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (std::ferror(file.get())) {
        return OlderModelImportResult::CannotOpen;
    }
    ImportOlderModelEntries(image, std::span<const std::uint8_t>(buffer.data(), n));
    return OlderModelImportResult::Imported;
}

}  // namespace tav
