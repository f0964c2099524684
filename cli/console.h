// What tavctl needs from the console it runs in.
#pragma once

#include <ctime>

namespace tav::cli {

// `t` in this computer's local time.
std::tm LocalTime(std::time_t t);

// Standard input is a terminal (a question can be answered there).
bool StandardInputIsTerminal();

// Standard error is a terminal (a progress bar can be drawn there).
bool StandardErrorIsTerminal();

}  // namespace tav::cli
