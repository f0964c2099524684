// File names as the programs hold them: UTF-8 text (tavctl's command line,
// the window's strings). A std::filesystem::path built from a plain
// std::string reads the bytes in the C library's locale, which on Windows
// (MinGW) makes each byte of a Polish letter a character of its own; a path
// built from UTF-8 names the same file on every platform, and on POSIX keeps
// the bytes as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tav {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tav
