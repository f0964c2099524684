// Reading the manual pages in tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace tav::cli::test {

// The text as roff writes it: every '-' as "\-".
inline std::string Roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '-') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// The page `name` of packaging/man, whole.
inline std::string ManualPage(const std::string& name) {
    std::ifstream in(std::string(TAV_MAN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tav::cli::test
