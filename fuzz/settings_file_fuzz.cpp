// Any file content: the image is either replaced whole from bytes 5.. or left
// exactly as it was. Read as a record backup, it either gives records that
// make exactly the same file again, or leaves image and list untouched.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "image/record_backup.h"
#include "image/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tav::MemoryImage image;
    image.Bytes()[100] = 0xA5;
    const tav::MemoryImage before = image;
    const auto result = tav::ParseSettingsBytes(image, {data, size});
    if (result == tav::SettingsLoadResult::Loaded) {
        if (size < tav::kSettingsFileSize ||
            !std::equal(image.Bytes().begin(), image.Bytes().end(), data + 5)) {
            std::abort();
        }
    } else if (!(image == before)) {
        std::abort();
    }

    tav::MemoryImage held = before;
    std::vector<int> records = {-1};
    if (tav::ParseRecordBackup({data, size}, held, records) == tav::RecordBackupLoad::Loaded) {
        const std::vector<std::uint8_t> again = tav::RecordBackupBytes(held, records);
        if (!std::equal(again.begin(), again.end(), data, data + size)) {
            std::abort();
        }
    } else if (!(held == before) || records != std::vector<int>{-1}) {
        std::abort();
    }
    return 0;
}
