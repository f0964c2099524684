// Any file content: the image is either replaced whole from bytes 5.. or left
// exactly as it was.
#include <algorithm>
#include <cstdlib>

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
    return 0;
}
