#include "tavctl.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "arguments.h"
#include "command_table.h"
#include "image_files.h"
#include "interrupts.h"

namespace tav::cli {

namespace {

int RunCommandLine(int argc, char** argv);

// Whatever went to standard output reached it: a full disk or a closed pipe
// is a failure, not a silent success.
int CheckStandardOutput(int status) {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
        return status;
    }
    const std::error_code why(errno != 0 ? errno : EIO, std::generic_category());
    Say("tavctl: standard output could not be written (" + WriteFailure(why) + ")");
    return kExitFailed;
}

}  // namespace

int RunTavctl(int argc, char** argv) {
    CatchInterrupts();
    const int status = CheckStandardOutput(RunCommandLine(argc, argv));
    EndAsInterrupted();
    return status;
}

namespace {

int RunCommandLine(int argc, char** argv) {
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

}  // namespace

}  // namespace tav::cli
