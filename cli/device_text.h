// Texts stored in the receiver and the lines it reports are single-byte
// Windows-1250; the terminal speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tav::cli {

std::string Windows1250ToUtf8(std::string_view text);

}  // namespace tav::cli
