// What tavctl needs from the console it runs in.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace tav::cli {

// `t` in this computer's local time.
std::tm LocalTime(std::time_t t);

// Standard input is a terminal (a question can be answered there).
bool StandardInputIsTerminal();

// Standard error is a terminal (a progress bar can be drawn there).
bool StandardErrorIsTerminal();

// Writes the UTF-8 `text` to `out`; true when all of it went. Files and pipes
// get the bytes as they are (a script reads UTF-8 on every system). Windows:
// standard output or error that is a console gets the text as wide characters,
// so Polish letters show whatever the console's code page (852 in a Polish
// cmd, 437 in an English one), and the console's settings stay as they were.
bool WriteText(std::FILE* out, std::string_view text);

// What --port takes on this system, for tavctl's help.
std::string PortOptionHelp();

}  // namespace tav::cli
