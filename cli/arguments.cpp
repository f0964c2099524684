#include "arguments.h"

#include <algorithm>
#include <exception>

#include "image/memory_image.h"
#include "translation.h"

namespace tav::cli {

const std::vector<OptionSpec>& Options() {
    static const std::vector<OptionSpec> options = {
        {"--port", "PORT"},     {"--image", "FILE"},
        {"--firmware", "FILE"}, {"--duration", "SECONDS"},
        {"--backup", "DIR"},    {"--only-changed", "BASE"},
        {"--csv", "OUT.csv"},   {"--pdf", "OUT.pdf"},
        {"--separator", "SEP"}, {"--encoding", "ENC"},
        {"--name", "TEXT"},     {"--serial", "XX:XX:XX:XX"},
        {"--scenario", "S"},    {"--json", ""},
        {"--history", ""},      {"--verify", ""},
        {"--backup-full", ""},  {"--yes", ""},
        {"--excel", ""},        {"--replace", ""},
        {"--strict", ""},       {"--help", ""},
        {"--version", ""},      {"--find", ""},
    };
    return options;
}

namespace {

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& o : Options()) {
        if (o.name == name) {
            return &o;
        }
    }
    return nullptr;
}

}  // namespace

Args ParseArgs(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            a.help = true;
            continue;
        }
        if (arg == "--version") {
            a.version = true;
            continue;
        }
        if (arg.rfind("--", 0) == 0) {
            std::string value;
            bool hasValue = false;
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasValue = true;
            }
            const OptionSpec* option = FindOption(arg);
            if (option != nullptr && option->value.empty() && !hasValue) {
                a.flags.insert(arg);
                continue;
            }
            if (option == nullptr || option->value.empty()) {
                throw UsageError{Tr(Tavctl::tr("unknown option %1"), arg)};
            }
            if (!hasValue) {
                if (i + 1 >= argc) {
                    throw UsageError{Tr(Tavctl::tr("%1 needs a value"), arg)};
                }
                value = argv[++i];
            }
            if (arg == "--port") {
                a.port = value;
                a.portGiven = true;
            } else {
                a.options[arg] = value;
            }
            continue;
        }
        if (a.command.empty()) {
            a.command = arg;
        } else {
            a.positional.push_back(arg);
        }
    }
    return a;
}

void CheckOptions(const Args& a, const std::vector<std::string_view>& allowed) {
    auto check = [&](const std::string& name) {
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
            throw UsageError{Tr(Tavctl::tr("%1 takes no %2"), a.command, name)};
        }
    };
    for (const auto& [name, value] : a.options) {
        check(name);
    }
    for (const std::string& flag : a.flags) {
        check(flag);
    }
}

void ExpectPositional(const Args& a, std::size_t count) {
    if (a.positional.size() != count) {
        throw UsageError{
            Tr(Tavctl::tr("%1: unexpected argument %2"), a.command, a.positional.back())};
    }
}

const std::string& RequireImageOption(const Args& a) {
    const auto it = a.options.find("--image");
    if (it == a.options.end() || it->second.empty()) {
        throw UsageError{Tr(Tavctl::tr("%1 needs --image FILE"), a.command)};
    }
    return it->second;
}

int RemoteArgument(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{Tr(Tavctl::tr("%1 needs the remote's number N (1..1000)"), a.command)};
    }
    const std::string& s = a.positional[0];
    int n = 0;
    if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos ||
        (n = std::stoi(s)) < 1 || n > kRemoteCount) {
        throw UsageError{Tr(Tavctl::tr("remote number %1 is not in 1..1000"), s)};
    }
    return n;
}

double DurationArgument(const Args& a) {
    const auto it = a.options.find("--duration");
    if (it == a.options.end()) {
        return -1;
    }
    try {
        std::size_t used = 0;
        const double d = std::stod(it->second, &used);
        if (used == it->second.size() && d >= 0 && d < 1e7) {
            return d;
        }
    } catch (const std::exception&) {
    }
    throw UsageError{Tr(Tavctl::tr("--duration needs a number of seconds, not %1"), it->second)};
}

}  // namespace tav::cli
