#include <cstdio>

#include "parent_console.h"

namespace tav::ui {

void PrintToCaller(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace tav::ui
