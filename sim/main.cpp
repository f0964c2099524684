// tav1000r-sim: the simulated TAV-1000R on a pseudo-terminal.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "sim/option_text.h"
#include "sim/receiver.h"

namespace {

using tav::sim::Fault;
using tav::sim::FaultKind;
using tav::sim::ParseFault;
using tav::sim::ParseInt;
using tav::sim::ReceiverMode;
using tav::sim::ReceiverOptions;
using tav::sim::VersionBytes;

constexpr const char* kUsage = R"(Usage: tav1000r-sim [options]

Runs a simulated TAV-1000R receiver on a pseudo-terminal and prints the device
path to open (first line on standard output). Open that path with the tool, or
with any serial terminal (e.g. "picocom /dev/pts/N"): typing "?" brings back the
six version bytes. Runs until SIGINT (Ctrl-C) or SIGTERM, then removes the link.

Device:
  --link PATH            also make a symbolic link PATH to the device
                         (replaced if it is a link; removed at exit)
Memory (default: all zeros):
  --zero                 start with 32,768 zero bytes
  --erased               start with 32,768 bytes 0xFF (as after "c")
  --image FILE.tv2       start with the memory of a settings file ("$*$10" + image)
Mode and versions:
  --boot-loader          run as the boot loader: answers "?" with its boot-loader
                         version, takes "F", ignores the application's commands
  --version HEX          the application's six version bytes
                         (default 76 07 01 00 01 26: hardware 1.00, software 1.26)
  --boot-version HEX     the boot loader's six version bytes
                         (default 76 77 01 00 01 26)
                         HEX: 12 hex digits, spaces, ':' or ',' allowed
  --stay-in-boot-loader  do not restart into the application after the last
                         firmware block
Timing (default: unpaced, as fast as the pty goes):
  --paced                a real 9600-baud line: about 1.042 ms a byte
  --record-write-ms N    processing time after a record write or clock frame
  --block-ms N           processing time after a firmware block
  --header-ms N          processing time after "?", "p", "P" or "hi", before the answer
  --frame-timeout-ms N   drop a partial frame after N ms of quiet (default 1000; 0: never)
Events:
  --demo [SECONDS]       send a plausible event line every SECONDS (default 3)
  --history-line TEXT    a stored event line sent after "hi" (repeatable)
  --banner TEXT          the history banner (default "TAV-1000 v1.26")
Faults (repeatable):
  --fault KIND:AT[:COUNT]
      bad-checksum:N       record N is sent with a wrong checksum ("p" and "P")
      silence-record:N     records N and above get no answer (read and write)
      silence-block:N      firmware blocks N and above get no echo
      wrong-echo-record:N  the echo of record N is wrong
      wrong-echo-block:N   the echo of firmware block N is wrong
      stores-other:N[:B]   a write of record N is confirmed, but its byte B
                           (default 0) is kept inverted
      garbage:N:COUNT      COUNT garbage bytes before answer N (0: the next one)
      short:N:COUNT        answer N is cut to its first COUNT bytes
      hang-up:N            close the receiver's end after sending N bytes
Output:
  --trace                print every byte on the line to standard error
  --help                 this text
)";

bool ParseVersion(std::string_view text, VersionBytes* version) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == ':' || c == ',' || c == '-') {
            continue;
        }
        if (std::strchr("0123456789abcdefABCDEF", c) == nullptr) {
            return false;
        }
        digits += c;
    }
    if (digits.size() != 12) {
        return false;
    }
    for (std::size_t i = 0; i < 6; ++i) {
        (*version)[i] = static_cast<std::uint8_t>(std::stoi(digits.substr(i * 2, 2), nullptr, 16));
    }
    return true;
}

std::string Hex(const VersionBytes& v) {
    char text[32];
    std::snprintf(text, sizeof text, "%02x %02x %02x %02x %02x %02x", v[0], v[1], v[2], v[3], v[4],
                  v[5]);
    return text;
}

void PrintTraffic(const std::vector<tav::sim::TrafficEntry>& entries,
                  std::chrono::steady_clock::time_point origin) {
    for (const auto& e : entries) {
        const double ms = std::chrono::duration<double, std::milli>(e.time - origin).count();
        const char shown = (e.byte >= 0x20 && e.byte < 0x7F) ? static_cast<char>(e.byte) : '.';
        std::fprintf(stderr, "%10.3f ms  %s  %02x  %c\n", ms, e.fromTool ? "tool ->" : "<- recv",
                     e.byte, shown);
    }
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tav1000r-sim: %s\nTry 'tav1000r-sim --help'.\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    ReceiverOptions options;
    std::vector<Fault> faults;
    std::string linkPath;
    bool demo = false;
    int demoSeconds = 3;
    bool trace = false;

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                return false;
            }
            *out = args[++i];
            return true;
        };
        const auto intValue = [&](int* out) {
            std::string text;
            return value(&text) && ParseInt(text, out);
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--link") {
            if (!value(&linkPath)) {
                return Fail("--link needs a path");
            }
        } else if (arg == "--zero") {
            options.memory = tav::MemoryImage{};
        } else if (arg == "--erased") {
            options.memory = tav::sim::ErasedMemory();
        } else if (arg == "--image") {
            std::string error;
            if (!value(&text)) {
                return Fail("--image needs a settings file");
            }
            if (!tav::sim::LoadMemoryFromSettingsFile(text, &options.memory, &error)) {
                return Fail(error);
            }
        } else if (arg == "--boot-loader") {
            options.mode = ReceiverMode::BootLoader;
        } else if (arg == "--stay-in-boot-loader") {
            options.restartAfterFirmware = false;
        } else if (arg == "--version") {
            if (!value(&text) || !ParseVersion(text, &options.applicationVersion)) {
                return Fail("--version needs six hex bytes, e.g. 760701000126");
            }
        } else if (arg == "--boot-version") {
            if (!value(&text) || !ParseVersion(text, &options.bootLoaderVersion)) {
                return Fail("--boot-version needs six hex bytes, e.g. 767701000126");
            }
        } else if (arg == "--paced") {
            options.pacing.paced = true;
        } else if (arg == "--record-write-ms") {
            if (!intValue(&options.pacing.recordWriteMs)) {
                return Fail("--record-write-ms needs a number of milliseconds");
            }
        } else if (arg == "--block-ms") {
            if (!intValue(&options.pacing.firmwareBlockMs)) {
                return Fail("--block-ms needs a number of milliseconds");
            }
        } else if (arg == "--header-ms") {
            if (!intValue(&options.pacing.afterHeaderMs)) {
                return Fail("--header-ms needs a number of milliseconds");
            }
        } else if (arg == "--frame-timeout-ms") {
            int ms = 0;
            if (!intValue(&ms)) {
                return Fail("--frame-timeout-ms needs a number of milliseconds");
            }
            options.frameTimeout = std::chrono::milliseconds(ms);
        } else if (arg == "--demo") {
            demo = true;
            if (i + 1 < args.size() && ParseInt(args[i + 1], &demoSeconds)) {
                ++i;
                if (demoSeconds < 1) {
                    return Fail("--demo needs at least 1 second");
                }
            }
        } else if (arg == "--history-line") {
            if (!value(&text)) {
                return Fail("--history-line needs a text");
            }
            options.history.push_back(text);
        } else if (arg == "--banner") {
            if (!value(&options.historyBanner)) {
                return Fail("--banner needs a text");
            }
        } else if (arg == "--fault") {
            Fault fault{FaultKind::BadChecksumAtRecord};
            if (!value(&text) || !ParseFault(text, &fault)) {
                return Fail("--fault needs KIND:AT[:COUNT], e.g. bad-checksum:100 or garbage:0:3");
            }
            faults.push_back(fault);
        } else if (arg == "--trace") {
            trace = true;
        } else {
            return Fail("unknown option " + arg);
        }
    }

    // The signals are taken by sigtimedwait below; blocked before the
    // receiver's thread starts, so that thread never sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const ReceiverMode mode = options.mode;
    const VersionBytes version =
        mode == ReceiverMode::Application ? options.applicationVersion : options.bootLoaderVersion;
    const bool paced = options.pacing.paced;
    tav::sim::PtyReceiver receiver(std::move(options));
    std::string error;
    if (!receiver.Start(&error)) {
        std::fprintf(stderr, "tav1000r-sim: %s\n", error.c_str());
        return 1;
    }
    if (!linkPath.empty() && !receiver.MakeSymlink(linkPath, &error)) {
        std::fprintf(stderr, "tav1000r-sim: %s\n", error.c_str());
        return 1;
    }
    for (const Fault& f : faults) {
        receiver.InjectFault(f);
    }
    if (demo) {
        receiver.SetDemoEvents(true, std::chrono::seconds(demoSeconds));
    }

    std::printf("%s\n", receiver.DevicePath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "Simulated TAV-1000R (%s, version %s, %s) on %s%s%s\n",
                 mode == ReceiverMode::Application ? "application" : "boot loader",
                 Hex(version).c_str(), paced ? "paced at 9600 baud" : "unpaced",
                 receiver.DevicePath().c_str(), linkPath.empty() ? "" : ", link ",
                 linkPath.c_str());
    std::fprintf(stderr, "Ctrl-C to stop.\n");

    const auto origin = std::chrono::steady_clock::now();
    bool reportedHangUp = false;
    int signal = 0;
    while (signal <= 0) {
        const timespec tick{0, 200'000'000};
        signal = sigtimedwait(&stopSignals, nullptr, &tick);
        // Taken now and then in any case, so the log stays small.
        const auto traffic = receiver.TakeTraffic();
        if (trace) {
            PrintTraffic(traffic, origin);
        }
        if (!reportedHangUp && receiver.HungUp()) {
            std::fprintf(stderr, "The receiver hung up (fault); the device is gone.\n");
            reportedHangUp = true;
        }
    }
    receiver.Stop();
    receiver.RemoveSymlink();
    std::fprintf(stderr, "Stopped.\n");
    return 0;
}
