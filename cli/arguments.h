// tavctl's command line: the options it knows and what one run asked for.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tav::cli {

// One option: "--image" with the value it takes ("FILE"), or a flag (no value).
struct OptionSpec {
    std::string_view name;
    std::string_view value;  // empty for a flag
};

// Every option tavctl knows, --port included.
const std::vector<OptionSpec>& Options();

struct Args {
    std::string port = "COM1";
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // options with a value
    std::set<std::string> flags;                 // flags given
    bool help = false;
    bool portGiven = false;
};

// A command line tavctl cannot run; exit status 2.
struct UsageError {
    std::string message;
};

// Splits argv into the command, its arguments and options; throws UsageError
// for an unknown option or one without its value. --port and --help are taken
// by every command.
Args ParseArgs(int argc, char** argv);

// Throws UsageError when an option or flag is given that `allowed` lacks.
void CheckOptions(const Args& a, const std::vector<std::string_view>& allowed);

// Throws UsageError unless exactly `count` arguments follow the command.
void ExpectPositional(const Args& a, std::size_t count);

// The value of --image; throws UsageError when it is missing.
const std::string& RequireImageOption(const Args& a);

// The one argument N of a remote command, 1..1000; throws UsageError otherwise.
int RemoteArgument(const Args& a);

// --duration in seconds, or -1 without it; throws UsageError for anything but
// a number of seconds.
double DurationArgument(const Args& a);

}  // namespace tav::cli
