// tavctl's commands, in one table: from it come the dispatch, the option
// checks, `tavctl --help`, each command's `--help` and the manual page's
// command list (checked by a test).
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

#include "arguments.h"

namespace tav::cli {

struct Command {
    std::string_view name;
    std::string_view synopsis;              // after "tavctl [--port PORT] "
    std::string_view text;                  // what `tavctl NAME --help` says after the synopsis
    std::vector<std::string_view> options;  // options and flags it takes besides --port
    bool device;                            // talks to the receiver on --port
    int (*run)(const Args&);
};

// Every command, the device commands first, in the order --help lists them.
const std::vector<Command>& Commands();

// The command called `name`, or nullptr.
const Command* FindCommand(std::string_view name);

// `tavctl --help`.
void PrintToolHelp(std::FILE* out);

// `tavctl NAME --help`.
void PrintCommandHelp(const Command& c, std::FILE* out);

}  // namespace tav::cli
