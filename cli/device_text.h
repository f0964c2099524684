// Texts stored in the receiver and the lines it reports are single-byte
// Windows-1250; the terminal speaks UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav::cli {

std::string Windows1250ToUtf8(std::string_view text);

// The Windows-1250 bytes of a UTF-8 text; nullopt when the text is not valid
// UTF-8 or holds a character that Windows-1250 cannot store
// (image/windows1250.h).
std::optional<std::string> Utf8ToWindows1250(std::string_view text);

}  // namespace tav::cli
