#include "image/record_backup.h"

#include <algorithm>
#include <cstring>

namespace tav {

namespace {

constexpr std::size_t kCountSize = 2;
constexpr std::size_t kEntrySize = 2 + kRecordSize;

void PutNumber(std::vector<std::uint8_t>& out, int n) {
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(n & 0xFF));
}

int NumberAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    return bytes[at] << 8 | bytes[at + 1];
}

}  // namespace

std::vector<std::uint8_t> RecordBackupBytes(const MemoryImage& image,
                                            std::span<const int> records) {
    std::vector<std::uint8_t> out(kRecordBackupMagic, kRecordBackupMagic + kRecordBackupMagicSize);
    PutNumber(out, static_cast<int>(records.size()));
    for (const int r : records) {
        PutNumber(out, r);
        const auto record = image.RecordAt(r);
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

RecordBackupLoad ParseRecordBackup(std::span<const std::uint8_t> file, MemoryImage& image,
                                   std::vector<int>& records) {
    if (file.size() < kRecordBackupMagicSize ||
        std::memcmp(file.data(), kRecordBackupMagic, kRecordBackupMagicSize) != 0) {
        return RecordBackupLoad::NotARecordBackup;
    }
    const std::size_t head = kRecordBackupMagicSize + kCountSize;
    if (file.size() < head) {
        return RecordBackupLoad::Damaged;
    }
    const int count = NumberAt(file, kRecordBackupMagicSize);
    if (count < 1 || count > kRecordCount ||
        file.size() != head + static_cast<std::size_t>(count) * kEntrySize) {
        return RecordBackupLoad::Damaged;
    }
    std::vector<int> listed;
    for (int i = 0; i < count; ++i) {
        const int r = NumberAt(file, head + static_cast<std::size_t>(i) * kEntrySize);
        if (r >= kRecordCount || (!listed.empty() && r <= listed.back())) {
            return RecordBackupLoad::Damaged;
        }
        listed.push_back(r);
    }
    for (int i = 0; i < count; ++i) {
        const auto data =
            file.subspan(head + static_cast<std::size_t>(i) * kEntrySize + 2, kRecordSize);
        std::copy(data.begin(), data.end(),
                  image.RecordAt(listed[static_cast<std::size_t>(i)]).begin());
    }
    records = std::move(listed);
    return RecordBackupLoad::Loaded;
}

}  // namespace tav
