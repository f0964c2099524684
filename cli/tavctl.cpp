#include "tavctl.h"

#include <cstdio>
#include <string>

#include "arguments.h"
#include "command_table.h"

namespace tav::cli {

int RunTavctl(int argc, char** argv) {
    Args a;
    try {
        a = ParseArgs(argc, argv);
        const Command* command = FindCommand(a.command);
        if (a.help) {
            if (command != nullptr) {
                PrintCommandHelp(*command, stdout);
            } else if (a.command.empty()) {
                PrintToolHelp(stdout);
            } else {
                throw UsageError{"unknown command " + a.command};
            }
            return kExitDone;
        }
        if (a.command.empty()) {
            throw UsageError{"no command given"};
        }
        if (command == nullptr) {
            throw UsageError{"unknown command " + a.command};
        }
        CheckOptions(a, command->options);
        return command->run(a);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tavctl: %s\nTry 'tavctl %s--help'.\n", e.message.c_str(),
                     FindCommand(a.command) != nullptr ? (a.command + " ").c_str() : "");
        return kExitUsage;
    }
}

}  // namespace tav::cli
