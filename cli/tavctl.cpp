#include "tavctl.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "console.h"
#include "device_text.h"
#include "image/older_model_import.h"
#include "image/settings_file.h"
#include "image_report.h"
#include "link/dispatcher.h"
#include "link/event_lines.h"
#include "link/firmware.h"
#include "link/protocol.h"
#include "link/serial_link.h"
#include "link/timing.h"
#include "port_access.h"
#include "terminal_host.h"

namespace tav::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPortMessage = "Niewłaściwa nazwa portu lub port jest aktywny.";
constexpr std::string_view kFirmwareWarning =
    "Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie włączyć "
    "przytrzymując przyciski YES i NO.";
constexpr auto kPollPeriod = std::chrono::milliseconds(250);

// ---- Arguments --------------------------------------------------------------

struct Args {
    std::string port = "COM1";
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // --image, --firmware, --duration
    std::set<std::string> flags;                 // --json, --history
    bool help = false;
};

struct UsageError {
    std::string message;
};

const std::set<std::string> kValueOptions = {"--image", "--firmware", "--duration", "--port"};
const std::set<std::string> kFlagOptions = {"--json", "--history"};

Args ParseArgs(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            a.help = true;
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
            if (kFlagOptions.count(arg) != 0 && !hasValue) {
                a.flags.insert(arg);
                continue;
            }
            if (kValueOptions.count(arg) == 0) {
                throw UsageError{"unknown option " + arg};
            }
            if (!hasValue) {
                if (i + 1 >= argc) {
                    throw UsageError{arg + " needs a value"};
                }
                value = argv[++i];
            }
            if (arg == "--port") {
                a.port = value;
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

// ---- Help -------------------------------------------------------------------

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* text;
};

const CommandHelp kCommands[] = {
    {"version", "version", "Asks the receiver for its version and prints the answer."},
    {"read-all", "read-all --image FILE",
     "Reads the receiver's whole memory (1024 records) into the settings file FILE."},
    {"write-all", "write-all --image FILE",
     "Writes the whole memory image of the settings file FILE to the receiver."},
    {"read-remote", "read-remote N --image FILE",
     "Reads remote N (1..1000) from the receiver into FILE; the rest of FILE stays."},
    {"write-remote", "write-remote N --image FILE",
     "Writes remote N (1..1000) of FILE to the receiver."},
    {"read-scenarios", "read-scenarios --image FILE",
     "Reads the four scenarios with their timers and delays into FILE."},
    {"write-scenarios", "write-scenarios --image FILE",
     "Writes the four scenarios with their timers and delays of FILE to the receiver."},
    {"read-clock-events", "read-clock-events --image FILE",
     "Reads the four clock events and their transmitters into FILE."},
    {"write-clock-events", "write-clock-events --image FILE",
     "Writes the four clock events and their transmitters of FILE to the receiver."},
    {"read-display", "read-display --image FILE", "Reads the display settings into FILE."},
    {"write-display", "write-display --image FILE",
     "Writes the display settings of FILE to the receiver."},
    {"set-clock", "set-clock", "Sets the receiver's clock from this computer's local time."},
    {"erase", "erase", "Erases the receiver's whole memory."},
    {"update-firmware", "update-firmware [--firmware FILE]",
     "Loads firmware into a receiver whose boot loader runs (switch it off, then on\n"
     "again while holding YES and NO). FILE must hold exactly 30,720 bytes; without\n"
     "it the image built into tavctl is sent."},
    {"monitor", "monitor [--history] [--duration SECONDS]",
     "Prints the receiver's event lines as they arrive, in UTF-8, history markers\n"
     "included. --history asks for the stored event history after the start.\n"
     "Without --duration it runs until interrupted (Ctrl+C)."},
    {"show", "show FILE [--json]", "Prints the configuration in the settings file FILE."},
    {"diff", "diff FILE_A FILE_B",
     "Prints the fields in which two settings files differ, one a line:\n"
     "NAME: VALUE_A -> VALUE_B. Exit status 0 also when they differ."},
    {"import-tav500", "import-tav500 FILE.tvs --image FILE",
     "Imports the remote serial numbers of a TAV-500 file into the settings file\n"
     "FILE (a zero-filled image when FILE does not exist)."},
};

const CommandHelp* FindCommand(const std::string& name) {
    for (const CommandHelp& c : kCommands) {
        if (name == c.name) {
            return &c;
        }
    }
    return nullptr;
}

void PrintToolHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: tavctl [--port PORT] COMMAND [ARGS]\n"
                 "The TAV-1000R configuration tool for scripts.\n\n"
                 "PORT: COM1..COM15 (as the window maps them to serial devices) or a device\n"
                 "path such as /dev/ttyUSB0. Default: COM1.\n\n"
                 "Device commands:\n");
    for (const CommandHelp& c : kCommands) {
        if (std::string_view(c.name) == "show") {
            std::fprintf(out, "\nFile commands (no port):\n");
        }
        std::fprintf(out, "  %s\n", c.synopsis);
    }
    std::fprintf(out,
                 "\nMessages go to standard error as \"CAPTION: TEXT\". Exit status: 0 done,\n"
                 "1 refused or failed, 2 usage error. 'tavctl COMMAND --help' tells more.\n");
}

void PrintCommandHelp(const CommandHelp& c, std::FILE* out) {
    const bool device = std::string_view(c.name) != "show" && std::string_view(c.name) != "diff" &&
                        std::string_view(c.name) != "import-tav500";
    std::fprintf(out, "Usage: tavctl %s%s\n%s\n", device ? "[--port PORT] " : "", c.synopsis,
                 c.text);
}

// ---- Files ------------------------------------------------------------------

void Say(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

std::string ReasonFor(const fs::path& path) {
    std::ifstream probe(path, std::ios::binary);
    if (probe) {
        return "cannot be read";
    }
    return std::strerror(errno);
}

enum class Missing { kStartEmpty, kRefuse };

// Loads FILE into `image`; false after saying why not.
bool LoadImage(const std::string& file, MemoryImage& image, Missing missing) {
    std::error_code ec;
    if (missing == Missing::kStartEmpty && !fs::exists(file, ec) && !ec) {
        image = MemoryImage{};
        return true;
    }
    switch (ReadSettingsFile(image, file)) {
        case SettingsLoadResult::Loaded:
            return true;
        case SettingsLoadResult::CannotOpen:
            Say("tavctl: cannot open " + file + ": " + ReasonFor(file));
            return false;
        case SettingsLoadResult::WrongType:
            Say("Błąd: Niewlasciwy typ pliku!");
            return false;
        case SettingsLoadResult::UnsupportedVersion:
            Say("Błąd: Nieobslugiwana wersja pliku!");
            return false;
        case SettingsLoadResult::Incomplete:
            Say("tavctl: " + file + " is shorter than a settings file (" +
                std::to_string(kSettingsFileSize) + " bytes)");
            return false;
    }
    return false;
}

bool SaveImage(const std::string& file, const MemoryImage& image) {
    const SettingsSaveResult r = WriteSettingsFile(image, file);
    if (r == SettingsSaveResult::Saved) {
        return true;
    }
    Say("Błąd: Zapis do pliku nieudany!");
    Say("tavctl: " + file +
        (r == SettingsSaveResult::CannotCreate
             ? " could not be written (no file can be created in its folder)"
             : " could not be written (a write failed)") +
        "; an existing file was left as it was");
    return false;
}

// ---- The receiver -------------------------------------------------------------

// Everything one device command works with.
class Device {
  public:
    Device(const std::string& port, PortChoice choice)
        : port_(port),
          attempt_(std::make_shared<OpenAttempt>()),
          choice_(std::move(choice)),
          link_(MakeRecordingPortFactory(attempt_), *choice_.resolver, timing_),
          host_(stderr, StandardErrorIsTerminal(), choice_.index),
          ctx_{link_, image_, host_, clock_} {
        host_.SetMessageObserver([this](std::string_view text) {
            if (text == kPortMessage) {
                Say(DescribeOpenFailure(port_, *attempt_));
            }
        });
    }

    DeviceContext& ctx() { return ctx_; }
    TerminalHost& host() { return host_; }
    MemoryImage& image() { return image_; }

  private:
    std::string port_;
    std::shared_ptr<OpenAttempt> attempt_;
    PortChoice choice_;
    SystemTiming timing_;
    SystemLocalClock clock_;
    SerialLink link_;
    TerminalHost host_;
    MemoryImage image_;
    DeviceContext ctx_;
};

std::unique_ptr<Device> OpenDevice(const Args& a) {
    std::optional<PortChoice> choice = ChoosePort(a.port);
    if (!choice) {
        throw UsageError{"unknown port " + a.port + " (COM1..COM15 or a device path)"};
    }
    return std::make_unique<Device>(a.port, std::move(*choice));
}

int ExitFor(OperationOutcome outcome) {
    return outcome == OperationOutcome::Done ? kExitDone : kExitFailed;
}

const std::string& RequireImageOption(const Args& a) {
    const auto it = a.options.find("--image");
    if (it == a.options.end() || it->second.empty()) {
        throw UsageError{a.command + " needs --image FILE"};
    }
    return it->second;
}

int RemoteArgument(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{a.command + " needs the remote's number N (1..1000)"};
    }
    const std::string& s = a.positional[0];
    int n = 0;
    if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos ||
        (n = std::stoi(s)) < 1 || n > kRemoteCount) {
        throw UsageError{"remote number " + s + " is not in 1..1000"};
    }
    return n;
}

void ExpectPositional(const Args& a, std::size_t count) {
    if (a.positional.size() != count) {
        throw UsageError{a.command + ": unexpected argument " + a.positional.back()};
    }
}

std::string Hex(const DeviceVersion& v) {
    std::string s;
    char buf[4];
    for (std::uint8_t b : v) {
        std::snprintf(buf, sizeof buf, s.empty() ? "%02x" : " %02x", b);
        s += buf;
    }
    return s;
}

// Runs one operation. A refusal the system shows no message for (a version
// answer that is neither the application's nor the boot loader's) gets a line
// of tavctl's own.
OperationOutcome RunOperation(Device& dev, unsigned operation) {
    const int messagesBefore = dev.host().messageCount();
    const OperationOutcome outcome = RunDeviceOperation(dev.ctx(), operation);
    const DeviceVersion& v = dev.ctx().version;
    if (outcome != OperationOutcome::Done && dev.host().messageCount() == messagesBefore &&
        v[0] == 0x76 && v[1] != 0x07 && v[1] != 0x77) {
        Say("tavctl: the receiver's answer is no version answer (" + Hex(dev.ctx().version) + ")");
    }
    return outcome;
}

// A folder that does not exist would only show after the transfer.
bool FolderExists(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec)) {
        return true;
    }
    Say("tavctl: cannot save " + file + ": no folder " + folder.string());
    return false;
}

int RunRead(const Args& a, unsigned operation, int remote) {
    const std::string& file = RequireImageOption(a);
    std::unique_ptr<Device> dev = OpenDevice(a);
    if (!FolderExists(file) || !LoadImage(file, dev->image(), Missing::kStartEmpty)) {
        return kExitFailed;
    }
    dev->host().SetSelectedRemote(remote - 1);
    const OperationOutcome outcome = RunOperation(*dev, operation);
    // A read that stopped part-way is not saved: FILE keeps what it held.
    if (outcome != OperationOutcome::Done) {
        return kExitFailed;
    }
    return SaveImage(file, dev->image()) ? kExitDone : kExitFailed;
}

int RunWrite(const Args& a, unsigned operation, int remote) {
    const std::string& file = RequireImageOption(a);
    std::unique_ptr<Device> dev = OpenDevice(a);
    if (!LoadImage(file, dev->image(), Missing::kRefuse)) {
        return kExitFailed;
    }
    dev->host().SetSelectedRemote(remote - 1);
    return ExitFor(RunOperation(*dev, operation));
}

int RunPlain(const Args& a, unsigned operation) {
    ExpectPositional(a, 0);
    std::unique_ptr<Device> dev = OpenDevice(a);
    return ExitFor(RunOperation(*dev, operation));
}

int RunVersion(const Args& a) {
    ExpectPositional(a, 0);
    std::unique_ptr<Device> dev = OpenDevice(a);
    if (!OpenSelectedPort(dev->ctx()).opened) {
        return kExitFailed;
    }
    const int messagesBefore = dev->host().messageCount();
    const int kind = QueryVersion(dev->ctx());
    dev->ctx().link.ClosePort();
    if (kind == 0) {
        if (dev->host().messageCount() == messagesBefore) {
            Say("tavctl: the receiver's answer is no version answer (" + Hex(dev->ctx().version) +
                ")");
        }
        return kExitFailed;
    }
    std::printf("%s\n", dev->host().versionText().c_str());
    return kExitDone;
}

int RunUpdateFirmware(const Args& a) {
    ExpectPositional(a, 0);
    std::vector<std::uint8_t> firmware;
    if (const auto it = a.options.find("--firmware"); it != a.options.end()) {
        std::ifstream in(it->second, std::ios::binary);
        if (!in) {
            Say("tavctl: cannot open " + it->second + ": " + std::strerror(errno));
            return kExitFailed;
        }
        firmware.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (firmware.size() != kFirmwareSize) {
            Say("tavctl: " + it->second + " holds " + std::to_string(firmware.size()) +
                " bytes; a firmware image has exactly " + std::to_string(kFirmwareSize));
            return kExitFailed;
        }
    } else {
        const auto built = FirmwareImage();
        if (built.size() != kFirmwareSize) {
            Say("tavctl: this build carries no firmware image; give one with --firmware FILE");
            return kExitFailed;
        }
        firmware.assign(built.begin(), built.end());
    }
    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->ctx().firmware = firmware;
    dev->host().ShowMessage(kFirmwareWarning, "UWAGA!");
    const OperationOutcome outcome = RunOperation(*dev, kUpdateFirmware);
    const DeviceVersion& v = dev->ctx().version;
    if (v[0] == 0x76 && v[1] == 0x07) {
        Say("tavctl: the receiver is not in boot-loader mode (it runs its application, " +
            dev->host().versionText() +
            "); switch it off, then on again while holding YES and NO, and run update-firmware "
            "again");
        return kExitFailed;
    }
    return ExitFor(outcome);
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
    throw UsageError{"--duration needs a number of seconds, not " + it->second};
}

int RunMonitor(const Args& a) {
    ExpectPositional(a, 0);
    const double duration = DurationArgument(a);
    std::unique_ptr<Device> dev = OpenDevice(a);
    DeviceContext& ctx = dev->ctx();
    EventLineAssembler lines([](std::string_view line) {
        const std::string text = Windows1250ToUtf8(line);
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });

    // Ctrl+C from here on ends reception cleanly, also during the start.
    const StopRequests stop;

    dev->host().SetOnlineReceptionActive(true);
    if (!StartOnlineReception(ctx, lines)) {
        dev->host().SetOnlineReceptionActive(false);
        return kExitFailed;
    }
    bool historyRefused = false;
    if (a.flags.count("--history") != 0) {
        historyRefused = RequestEventHistory(ctx, lines) == HistoryRequestOutcome::kVersionTooLow;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = duration < 0
                                           ? Clock::time_point::max()
                                           : start + std::chrono::duration_cast<Clock::duration>(
                                                         std::chrono::duration<double>(duration));
    Clock::time_point next = start;
    bool hungUp = false;
    while (!StopRequests::StopRequested()) {
        next += kPollPeriod;
        while (!StopRequests::StopRequested() && Clock::now() < next) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(20)));
        }
        if (StopRequests::StopRequested()) {
            break;
        }
        PollEventStream(ctx, lines);
        if (ctx.link.PortHungUp()) {
            // What had arrived is shown; nothing more can come.
            PollEventStream(ctx, lines);
            Say("tavctl: the device has gone away; reception stopped");
            hungUp = true;
            break;
        }
        if (Clock::now() >= deadline) {
            break;
        }
    }
    dev->host().SetOnlineReceptionActive(false);
    ctx.link.ClosePort();
    return historyRefused || hungUp ? kExitFailed : kExitDone;
}

int RunShow(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{"show needs one settings file"};
    }
    MemoryImage image;
    if (!LoadImage(a.positional[0], image, Missing::kRefuse)) {
        return kExitFailed;
    }
    const std::string text =
        a.flags.count("--json") != 0 ? FormatImageJson(image) : FormatImageText(image);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitDone;
}

int RunDiff(const Args& a) {
    if (a.positional.size() != 2) {
        throw UsageError{"diff needs two settings files"};
    }
    MemoryImage first;
    MemoryImage second;
    if (!LoadImage(a.positional[0], first, Missing::kRefuse) ||
        !LoadImage(a.positional[1], second, Missing::kRefuse)) {
        return kExitFailed;
    }
    for (const std::string& line : DiffImages(first, second)) {
        std::printf("%s\n", line.c_str());
    }
    return kExitDone;
}

int RunImport(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{"import-tav500 needs one TAV-500 file"};
    }
    const std::string& file = RequireImageOption(a);
    MemoryImage image;
    if (!FolderExists(file) || !LoadImage(file, image, Missing::kStartEmpty)) {
        return kExitFailed;
    }
    if (ImportOlderModelFile(image, a.positional[0]) != OlderModelImportResult::Imported) {
        Say("tavctl: cannot read " + a.positional[0] + ": " + ReasonFor(a.positional[0]));
        return kExitFailed;
    }
    return SaveImage(file, image) ? kExitDone : kExitFailed;
}

void CheckOptions(const Args& a, std::set<std::string> allowed) {
    for (const auto& [name, value] : a.options) {
        if (allowed.count(name) == 0) {
            throw UsageError{a.command + " takes no " + name};
        }
    }
    for (const std::string& flag : a.flags) {
        if (allowed.count(flag) == 0) {
            throw UsageError{a.command + " takes no " + flag};
        }
    }
}

int RunCommand(const Args& a) {
    const std::string& c = a.command;
    struct Transfer {
        const char* name;
        unsigned operation;
        bool read;
    };
    static const Transfer kTransfers[] = {
        {"read-all", kReadAllMemory, true},
        {"write-all", kWriteAllMemory, false},
        {"read-scenarios", kReadScenarios, true},
        {"write-scenarios", kWriteScenarios, false},
        {"read-clock-events", kReadClockEvents, true},
        {"write-clock-events", kWriteClockEvents, false},
        {"read-display", kReadDisplaySettings, true},
        {"write-display", kWriteDisplaySettings, false},
    };
    for (const Transfer& t : kTransfers) {
        if (c == t.name) {
            CheckOptions(a, {"--image"});
            ExpectPositional(a, 0);
            return t.read ? RunRead(a, t.operation, 1) : RunWrite(a, t.operation, 1);
        }
    }
    if (c == "read-remote" || c == "write-remote") {
        CheckOptions(a, {"--image"});
        const int n = RemoteArgument(a);
        return c == "read-remote" ? RunRead(a, kReadSelectedRemote, n)
                                  : RunWrite(a, kWriteSelectedRemote, n);
    }
    if (c == "version" || c == "set-clock" || c == "erase") {
        CheckOptions(a, {});
        return c == "version" ? RunVersion(a)
                              : RunPlain(a, c == "erase" ? kEraseMemory : kSetClock);
    }
    if (c == "update-firmware") {
        CheckOptions(a, {"--firmware"});
        return RunUpdateFirmware(a);
    }
    if (c == "monitor") {
        CheckOptions(a, {"--history", "--duration"});
        return RunMonitor(a);
    }
    if (c == "show") {
        CheckOptions(a, {"--json"});
        return RunShow(a);
    }
    if (c == "diff") {
        CheckOptions(a, {});
        return RunDiff(a);
    }
    if (c == "import-tav500") {
        CheckOptions(a, {"--image"});
        return RunImport(a);
    }
    throw UsageError{"unknown command " + c};
}

}  // namespace

int RunTavctl(int argc, char** argv) {
    Args a;
    try {
        a = ParseArgs(argc, argv);
        if (a.help) {
            if (const CommandHelp* c = FindCommand(a.command)) {
                PrintCommandHelp(*c, stdout);
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
        return RunCommand(a);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tavctl: %s\nTry 'tavctl %s--help'.\n", e.message.c_str(),
                     FindCommand(a.command) != nullptr ? (a.command + " ").c_str() : "");
        return kExitUsage;
    }
}

}  // namespace tav::cli
