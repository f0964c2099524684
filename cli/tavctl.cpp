#include "tavctl.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
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
#include "port_list.h"
#include "remote_list.h"
#include "terminal_host.h"

namespace tav::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPortMessage = "Niewłaściwa nazwa portu lub port jest aktywny.";
constexpr std::string_view kFirmwareWarning =
    "Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie włączyć "
    "przytrzymując przyciski YES i NO.";
constexpr auto kPollPeriod = std::chrono::milliseconds(250);
constexpr int kBackupNamesPerSecond = 9;

// ---- Arguments --------------------------------------------------------------

struct Args {
    std::string port = "COM1";
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // --image, --firmware, --duration
    std::set<std::string> flags;                 // --json, --history
    bool help = false;
    bool portGiven = false;
};

struct UsageError {
    std::string message;
};

const std::set<std::string> kValueOptions = {"--image",  "--firmware",     "--duration", "--port",
                                             "--backup", "--only-changed", "--csv"};
const std::set<std::string> kFlagOptions = {"--json", "--history", "--verify", "--backup-full"};

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
    {"write-all",
     "write-all --image FILE [--only-changed BASE] [--backup DIR [--backup-full]] [--verify]",
     "Writes the whole memory image of the settings file FILE to the receiver."},
    {"read-remote", "read-remote N --image FILE",
     "Reads remote N (1..1000) from the receiver into FILE; the rest of FILE stays."},
    {"write-remote", "write-remote N --image FILE [--backup DIR [--backup-full]] [--verify]",
     "Writes remote N (1..1000) of FILE to the receiver."},
    {"read-scenarios", "read-scenarios --image FILE",
     "Reads the four scenarios with their timers and delays into FILE."},
    {"write-scenarios", "write-scenarios --image FILE [--backup DIR [--backup-full]] [--verify]",
     "Writes the four scenarios with their timers and delays of FILE to the receiver."},
    {"read-clock-events", "read-clock-events --image FILE",
     "Reads the four clock events and their transmitters into FILE."},
    {"write-clock-events",
     "write-clock-events --image FILE [--backup DIR [--backup-full]] [--verify]",
     "Writes the four clock events and their transmitters of FILE to the receiver."},
    {"read-display", "read-display --image FILE", "Reads the display settings into FILE."},
    {"write-display", "write-display --image FILE [--backup DIR [--backup-full]] [--verify]",
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
    {"ports", "ports [--json]",
     "Lists COM1..COM15 with the device each opens now and what the system knows of\n"
     "it: for a USB adapter its vendor:product ids, manufacturer, product name,\n"
     "serial number and stable links (/dev/serial/by-id/...), which --port also\n"
     "takes; for a built-in UART only its path. --json prints one JSON array."},
    {"show", "show FILE [--json]", "Prints the configuration in the settings file FILE."},
    {"diff", "diff FILE_A (FILE_B | --port PORT) [--json]",
     "Prints the fields in which two settings files differ, one a line:\n"
     "NAME: VALUE_A -> VALUE_B. With one FILE and --port, compares FILE (A) with\n"
     "the receiver's whole memory (B), read without changing anything. --json\n"
     "prints one JSON array of {field, offset, length, a, b, a_bytes, b_bytes}.\n"
     "Exit status 0 also when they differ."},
    {"import-tav500", "import-tav500 FILE.tvs --image FILE",
     "Imports the remote serial numbers of a TAV-500 file into the settings file\n"
     "FILE (a zero-filled image when FILE does not exist)."},
    {"remotes", "remotes export FILE --csv OUT.csv | remotes import IN.csv --image FILE",
     "export writes the remotes in use of the settings file FILE to OUT.csv, for a\n"
     "spreadsheet: a header row, then number,serial,scenario,name with the serial as\n"
     "the window shows it (12:34:56:7a), the scenario 0..3 and the name in UTF-8\n"
     "(RFC 4180 quoting, CR LF line ends).\n"
     "import checks every row of IN.csv (number 1..1000, serial of four hex pairs,\n"
     "scenario 0..3, a name of at most 26 characters that the receiver can store,\n"
     "no number twice). One bad row refuses the whole file: each bad row is named\n"
     "with its reason and FILE is not changed. Otherwise each row's remote gets its\n"
     "serial, then its scenario (the last two bits of the serial's last byte) and\n"
     "its name; nothing else in FILE changes (a zero-filled image when FILE does\n"
     "not exist). A remote left out of IN.csv stays as it is; the serial\n"
     "00:00:00:00 empties a slot."},
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
        if (std::string_view(c.name) == "ports") {
            std::fprintf(out, "\nOther commands:\n");
        }
        std::fprintf(out, "  %s\n", c.synopsis);
    }
    std::fprintf(out,
                 "\nMessages go to standard error as \"CAPTION: TEXT\". Exit status: 0 done,\n"
                 "1 refused or failed, 2 usage error. 'tavctl COMMAND --help' tells more.\n");
}

void PrintCommandHelp(const CommandHelp& c, std::FILE* out) {
    const std::string_view name = c.name;
    const bool device = name != "show" && name != "diff" && name != "import-tav500" &&
                        name.rfind("remotes", 0) != 0 && name != "ports";
    std::fprintf(out, "Usage: tavctl %s%s\n%s\n", device ? "[--port PORT] " : "", c.synopsis,
                 c.text);
    if (name == "write-all") {
        std::fprintf(
            out,
            "\n--only-changed BASE writes only the records in which FILE differs from BASE\n"
            "(typically the file the receiver was last read into), one record at a time\n"
            "over one open port after one version query. On the 9600-baud line one\n"
            "record costs %.1f ms (37 bytes and the pauses of 50 and 10 ms), the bulk\n"
            "write %.1f s (34 bytes a record for 1024 records and a pause of 50 ms), so\n"
            "up to %d changed records go one at a time and more go by the bulk write.\n"
            "Nothing is written when FILE and BASE hold the same records.\n",
            kSingleWriteMicros / 1000, kBulkTransferMicros / 1e6,
            SingleRecordLimit(kSingleWriteMicros));
    }
    if (name.rfind("write-", 0) == 0) {
        std::fprintf(
            out,
            "\n--backup DIR first reads from the receiver the records this write will change\n"
            "into a new settings file DIR/backup-YYYYMMDD-HHMMSS.tv2 (the rest of it zero;\n"
            "the whole memory with --backup-full, or when the bulk read is quicker). An\n"
            "existing file is never replaced (the same second gets -2 .. -9); if the\n"
            "backup cannot be read or saved, nothing is written.\n"
            "--verify reads the written records back afterwards and compares them byte for\n"
            "byte; the first record that differs is reported (record, byte, offset, both\n"
            "values) and the exit status is 1.\n");
    }
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
    switch (r) {
        case SettingsSaveResult::CannotCreate:
            Say("tavctl: " + file +
                " could not be written (no file can be created in its folder, and no existing "
                "file of that name can be written); an existing file was left as it was");
            break;
        case SettingsSaveResult::OverwriteFailed:
            Say("tavctl: " + file +
                " could not be written (a write over the file in place failed); the file may be "
                "incomplete");
            break;
        default:
            Say("tavctl: " + file +
                " could not be written (a write failed); an existing file was left as it was");
            break;
    }
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
    // A stable link (/dev/serial/by-id/...): say once which port it is.
    static bool linkNamed = false;
    std::error_code ec;
    if (!linkNamed && a.port.find('/') != std::string::npos && fs::is_symlink(a.port, ec)) {
        linkNamed = true;
        Say("tavctl: " + DescribePortLink(a.port, PlatformPortResolver()));
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

// ---- Writes: backup, write, verification ---------------------------------------

// The records a write command sends, in order.
std::vector<int> RecordsOf(unsigned operation, int remote) {
    std::vector<int> records;
    auto range = [&records](int first, int last) {
        for (int r = first; r <= last; ++r) {
            records.push_back(r);
        }
    };
    switch (operation) {
        case kWriteSelectedRemote:
            range(remote - 1, remote - 1);
            break;
        case kWriteScenarios:
            range(kFirstScenarioRecord, kLastScenarioGroupRecord);
            break;
        case kWriteClockEvents:
            range(kFirstClockTransmitterRecord, kClockEventRecord);
            break;
        case kWriteDisplaySettings:
            range(kDisplayRecord, kDisplayRecord);
            break;
        default:
            range(0, kRecordCount - 1);
            break;
    }
    return records;
}

bool IsWholeMemory(const std::vector<int>& records) {
    return records.size() == static_cast<std::size_t>(kRecordCount);
}

// Reads `records` from the receiver into `into` (the rest of `into` stays as
// it is): record by record while that is faster, otherwise the whole memory.
bool ReadFromReceiver(const Args& a, const std::vector<int>& records, bool whole,
                      MemoryImage& into) {
    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->image() = into;
    OperationOutcome outcome;
    if (whole || records.size() > static_cast<std::size_t>(SingleRecordLimit(kSingleReadMicros))) {
        outcome = RunOperation(*dev, kReadAllMemory);
    } else {
        outcome = RunDeviceWork(
            dev->ctx(), [&records](DeviceContext& ctx) { return ReadRecordList(ctx, records); });
    }
    if (outcome != OperationOutcome::Done) {
        return false;
    }
    into = dev->image();
    return true;
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return buf;
}

// Saves `image` as a new file DIR/backup-YYYYMMDD-HHMMSS[-N].tv2; never
// replaces an existing file. The name is taken first (created exclusively),
// then the whole file is renamed onto it, so a reader never sees half a
// backup. The path, or empty after saying why not.
std::string SaveBackup(const fs::path& dir, const MemoryImage& image) {
    const std::string stamp = TimeStamp();
    fs::path target;
    for (int n = 1; n <= kBackupNamesPerSecond && target.empty(); ++n) {
        std::string name = "backup-" + stamp;
        if (n > 1) {
            name += '-';
            name += std::to_string(n);
        }
        name += ".tv2";
        const fs::path candidate = dir / name;
        if (std::FILE* f = std::fopen(candidate.string().c_str(), "wbx")) {
            std::fclose(f);
            target = candidate;
        } else if (errno != EEXIST) {
            Say("tavctl: cannot create the backup " + candidate.string() + ": " +
                std::strerror(errno));
            return {};
        }
    }
    if (target.empty()) {
        Say("tavctl: every backup name for " + stamp + " in " + dir.string() +
            " is taken; no backup file was replaced");
        return {};
    }
    const fs::path temporary = target.string() + ".part";
    std::error_code ec;
    bool saved = WriteSettingsFile(image, temporary) == SettingsSaveResult::Saved;
    if (saved) {
        fs::rename(temporary, target, ec);
        saved = !ec;
    }
    if (!saved) {
        fs::remove(temporary, ec);
        fs::remove(target, ec);
        Say("tavctl: the backup " + target.string() + " could not be written");
        return {};
    }
    return target.string();
}

// The first byte in which the receiver differs from what was written, among
// `records`; "" when none.
std::string FirstDifference(const MemoryImage& written, const MemoryImage& receiver,
                            const std::vector<int>& records) {
    for (int r : records) {
        for (std::size_t b = 0; b < kRecordSize; ++b) {
            const std::size_t offset = static_cast<std::size_t>(r) * kRecordSize + b;
            if (written.at(offset) != receiver.at(offset)) {
                char buf[160];
                std::snprintf(buf, sizeof buf,
                              ", byte %zu (offset 0x%04zx): written 0x%02x, the receiver holds "
                              "0x%02x",
                              b, offset, written.at(offset), receiver.at(offset));
                const std::string remote =
                    r < kRemoteCount ? " (remote " + std::to_string(r + 1) + ")" : "";
                return "record " + std::to_string(r) + remote + buf;
            }
        }
    }
    return {};
}

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// Records in which `image` differs from `base`, in order.
std::vector<int> ChangedRecords(const MemoryImage& image, const MemoryImage& base) {
    std::vector<int> changed;
    for (int r = 0; r < kRecordCount; ++r) {
        if (!std::equal(image.RecordAt(r).begin(), image.RecordAt(r).end(),
                        base.RecordAt(r).begin())) {
            changed.push_back(r);
        }
    }
    return changed;
}

int RunWrite(const Args& a, unsigned operation, int remote) {
    const std::string& file = RequireImageOption(a);
    const bool verify = a.flags.count("--verify") != 0;
    const auto backupOption = a.options.find("--backup");
    const auto onlyChanged = a.options.find("--only-changed");
    if (a.flags.count("--backup-full") != 0 && backupOption == a.options.end()) {
        throw UsageError{"--backup-full goes with --backup DIR"};
    }
    MemoryImage image;
    if (!LoadImage(file, image, Missing::kRefuse)) {
        return kExitFailed;
    }
    std::vector<int> records = RecordsOf(operation, remote);
    bool bulk = IsWholeMemory(records);
    if (onlyChanged != a.options.end()) {
        MemoryImage base;
        if (!LoadImage(onlyChanged->second, base, Missing::kRefuse)) {
            return kExitFailed;
        }
        records = ChangedRecords(image, base);
        if (records.empty()) {
            Say("tavctl: " + file + " holds the same records as " + onlyChanged->second +
                "; nothing was written");
            return kExitDone;
        }
        bulk = records.size() > static_cast<std::size_t>(SingleRecordLimit(kSingleWriteMicros));
    }

    if (backupOption != a.options.end()) {
        const fs::path dir = backupOption->second;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            Say("tavctl: no folder " + dir.string() + " for the backup; nothing was written");
            return kExitFailed;
        }
        MemoryImage backup;
        if (!ReadFromReceiver(a, records, a.flags.count("--backup-full") != 0 || bulk, backup)) {
            Say("tavctl: the backup could not be read from the receiver; nothing was written");
            return kExitFailed;
        }
        const std::string saved = SaveBackup(dir, backup);
        if (saved.empty()) {
            Say("tavctl: nothing was written");
            return kExitFailed;
        }
        Say("tavctl: backup of " + Count(records.size(), "record") + " saved in " + saved);
    }

    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->image() = image;
    dev->host().SetSelectedRemote(remote - 1);
    OperationOutcome outcome;
    if (onlyChanged == a.options.end()) {
        outcome = RunOperation(*dev, operation);
    } else if (bulk) {
        Say("tavctl: " + Count(records.size(), "record") +
            " differ; the bulk write of the whole memory is faster");
        outcome = RunOperation(*dev, kWriteAllMemory);
        records = RecordsOf(kWriteAllMemory, 0);
    } else {
        outcome = RunDeviceWork(dev->ctx(), [&records](DeviceContext& ctx) {
            const OperationOutcome o = WriteRecordList(ctx, records);
            if (o == OperationOutcome::Done) {
                ctx.host.ShowMessage("OK", "OK");
            }
            return o;
        });
        if (outcome == OperationOutcome::Done) {
            Say("tavctl: wrote the " + Count(records.size(), "changed record") + " one at a time");
        }
    }
    if (outcome != OperationOutcome::Done) {
        return kExitFailed;
    }

    if (verify) {
        MemoryImage readBack;
        if (!ReadFromReceiver(a, records, bulk, readBack)) {
            Say("tavctl: the written records could not be read back for verification");
            return kExitFailed;
        }
        const std::string difference = FirstDifference(image, readBack, records);
        if (!difference.empty()) {
            Say("tavctl: verification failed: " + difference);
            return kExitFailed;
        }
        Say("tavctl: verified: the receiver holds the " + Count(records.size(), "record") +
            " written");
    }
    return kExitDone;
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
    const bool withReceiver = a.portGiven && a.positional.size() == 1;
    if (!withReceiver && a.positional.size() != 2) {
        throw UsageError{"diff needs two settings files, or one and --port PORT"};
    }
    MemoryImage first;
    MemoryImage second;
    if (!LoadImage(a.positional[0], first, Missing::kRefuse)) {
        return kExitFailed;
    }
    if (withReceiver) {
        // The receiver's whole memory, read into an image of its own.
        std::unique_ptr<Device> dev = OpenDevice(a);
        if (RunOperation(*dev, kReadAllMemory) != OperationOutcome::Done) {
            return kExitFailed;
        }
        second = dev->image();
    } else if (!LoadImage(a.positional[1], second, Missing::kRefuse)) {
        return kExitFailed;
    }
    if (a.flags.count("--json") != 0) {
        const std::string text = FormatDiffJson(DifferingFields(first, second));
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitDone;
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

// Writes `text` to `path` through a temporary file in the same folder, so an
// interrupted run leaves an existing file whole.
bool SaveTextFile(const std::string& path, const std::string& text) {
    const fs::path temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            Say("tavctl: cannot write " + path + ": " + std::strerror(errno));
            std::error_code ec;
            fs::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        Say("tavctl: cannot write " + path + ": " + ec.message());
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

int RunRemotes(const Args& a) {
    const std::string verb = a.positional.empty() ? "" : a.positional[0];
    if (verb == "export") {
        const auto csv = a.options.find("--csv");
        if (a.positional.size() != 2 || csv == a.options.end() || a.options.count("--image")) {
            throw UsageError{"remotes export needs a settings file and --csv OUT"};
        }
        MemoryImage image;
        if (!LoadImage(a.positional[1], image, Missing::kRefuse) || !FolderExists(csv->second)) {
            return kExitFailed;
        }
        return SaveTextFile(csv->second, ExportRemotesCsv(image)) ? kExitDone : kExitFailed;
    }
    if (verb == "import") {
        if (a.positional.size() != 2 || a.options.count("--csv")) {
            throw UsageError{"remotes import needs a CSV file and --image FILE"};
        }
        const std::string& file = RequireImageOption(a);
        const std::string& in = a.positional[1];
        std::ifstream csv(in, std::ios::binary);
        if (!csv) {
            Say("tavctl: cannot open " + in + ": " + std::strerror(errno));
            return kExitFailed;
        }
        const std::string text((std::istreambuf_iterator<char>(csv)),
                               std::istreambuf_iterator<char>());
        MemoryImage image;
        if (!FolderExists(file) || !LoadImage(file, image, Missing::kStartEmpty)) {
            return kExitFailed;
        }
        int imported = 0;
        const std::vector<std::string> errors = ImportRemotesCsv(image, text, &imported);
        if (!errors.empty()) {
            for (const std::string& e : errors) {
                Say("tavctl: " + in + " " + e);
            }
            Say("tavctl: " + Count(errors.size(), "bad row") + "; nothing was imported");
            return kExitFailed;
        }
        if (!SaveImage(file, image)) {
            return kExitFailed;
        }
        Say("tavctl: " + Count(static_cast<std::size_t>(imported), "remote") + " imported into " +
            file);
        return kExitDone;
    }
    throw UsageError{"remotes needs export or import"};
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

const std::set<std::string> kWriteOptions = {"--image", "--backup", "--backup-full", "--verify"};
const std::set<std::string> kWriteAllOptions = {"--image", "--backup", "--backup-full", "--verify",
                                                "--only-changed"};

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
            if (t.read) {
                CheckOptions(a, {"--image"});
            } else if (t.operation == kWriteAllMemory) {
                CheckOptions(a, kWriteAllOptions);
            } else {
                CheckOptions(a, kWriteOptions);
            }
            ExpectPositional(a, 0);
            return t.read ? RunRead(a, t.operation, 1) : RunWrite(a, t.operation, 1);
        }
    }
    if (c == "read-remote" || c == "write-remote") {
        CheckOptions(a, c == "read-remote" ? std::set<std::string>{"--image"} : kWriteOptions);
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
    if (c == "ports") {
        CheckOptions(a, {"--json"});
        ExpectPositional(a, 0);
        const std::string text =
            FormatPortList(PlatformPortResolver(), a.flags.count("--json") != 0);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitDone;
    }
    if (c == "show") {
        CheckOptions(a, {"--json"});
        return RunShow(a);
    }
    if (c == "diff") {
        CheckOptions(a, {"--json"});
        return RunDiff(a);
    }
    if (c == "remotes") {
        CheckOptions(a, {"--image", "--csv"});
        return RunRemotes(a);
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
