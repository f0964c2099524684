#include "tavctl.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "arguments.h"
#include "command_table.h"
#include "console.h"
#include "image_files.h"
#include "interrupts.h"
#include "qt_session.h"
#include "translation.h"

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
    Say(Tr(Tavctl::tr("tavctl: standard output could not be written (%1)"), WriteFailure(why)));
    return kExitFailed;
}

}  // namespace

int RunTavctl(int argc, char** argv) {
    const QtSession qt;
    LoadUserLanguage();
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
                throw UsageError{Tr(Tavctl::tr("unknown command %1"), a.command)};
            }
            return kExitDone;
        }
        if (a.version) {
            if (!a.command.empty()) {
                throw UsageError{Tr(Tavctl::tr("--version goes alone"))};
            }
            WriteText(stdout, "tavctl " TAV_VERSION "\n");
            return kExitDone;
        }
        if (a.command.empty()) {
            throw UsageError{Tr(Tavctl::tr("no command given"))};
        }
        if (command == nullptr) {
            throw UsageError{Tr(Tavctl::tr("unknown command %1"), a.command)};
        }
        CheckOptions(a, command->options);
        return command->run(a);
    } catch (const UsageError& e) {
        const std::string command = FindCommand(a.command) != nullptr ? a.command + " " : "";
        WriteText(stderr, "tavctl: " + e.message + "\n" +
                              Tr(Tavctl::tr("Try 'tavctl %1--help'."), command) + "\n");
        return kExitUsage;
    }
}

}  // namespace

}  // namespace tav::cli
