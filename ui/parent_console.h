// Where a window program's --version and --help go.
#pragma once

#include <string_view>

namespace tav::ui {

// Prints the UTF-8 `text` on standard output. Windows: a window program has
// no console of its own; started from cmd or PowerShell, it writes into the
// console it was started from (its parent's), as wide characters, so that
// Polish letters show whatever that console's code page; redirected to a file
// or a pipe, it writes the bytes there.
void PrintToCaller(std::string_view text);

}  // namespace tav::ui
