#include "image/file_output.h"

namespace tav::file_output {

// Windows files carry no POSIX mode; the new file gets the folder's defaults.
std::FILE* CreateNew(const std::filesystem::path& path, const std::filesystem::path&) {
    // "x": fail instead of reusing a file that happens to have the name.
    return std::fopen(path.string().c_str(), "wbx");
}

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0;
}

}  // namespace tav::file_output
