// The device operations against the simulated receiver paced at 9600 baud,
// timed beside what the line allows (from the receiver's traffic log): through
// the link and dispatcher, the same with the receive wait replaced by blind
// 50 ms sleeps (what a plain polling tool reaches), and through the window
// offscreen with every redraw the operations ask for. Takes about seven
// minutes; not part of the test run. Prints each figure as a ratio to the
// line's time (or CPU to wall) with the absolute times beside it, and its
// goal. Exits 0 when every goal is met, 1 when a goal is missed (a timing),
// 2 when an operation failed or lines went missing (a wrong result).
//
//   transfer_bench [--quick] [--window-only]
//     --quick        the short operations, 100 event lines
//     --window-only  only the window's cases
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench/line_model.h"
#include "bench/uart_like_port.h"
#include "link/dispatcher.h"
#include "link/firmware.h"
#include "link/operation_host.h"
#include "sim/receiver.h"
#include "ui/Unit1.h"

namespace {

using namespace std::chrono_literals;
using tav::bench::UartLikePort;
using tav::sim::ReceiverMode;

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Wall time and the calling thread's CPU time (the tool's: the simulated
// receiver runs on threads of its own) from construction on.
class Stopwatch {
  public:
    double Wall() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count();
    }
    double Cpu() const { return ThreadCpuSeconds() - cpu_; }

  private:
    std::chrono::steady_clock::time_point wall_ = std::chrono::steady_clock::now();
    double cpu_ = ThreadCpuSeconds();
};

// The CPU seconds of the threads that run now, by thread id, from
// /proc/self/task: the simulated receiver's threads among them.
std::map<std::string, double> ThreadCpuByTask() {
    std::map<std::string, double> cpu;
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(task.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // Fields after the command's closing parenthesis: state is field 3,
        // utime and stime are 14 and 15.
        std::istringstream rest(text.substr(text.rfind(')') + 2));
        std::string field;
        double utime = 0;
        double stime = 0;
        for (int n = 3; n <= 15 && rest >> field; ++n) {
            if (n == 14) {
                utime = std::stod(field);
            } else if (n == 15) {
                stime = std::stod(field);
            }
        }
        cpu[task.path().filename().string()] = (utime + stime) / tick;
    }
    return cpu;
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The window's CPU time from construction on: the whole process's less what
// the threads that ran before (the simulated receiver's, but the window's
// own) spent meanwhile. The window's thread and the operation's worker,
// which starts and ends within, are counted.
class WindowCpu {
  public:
    double Seconds() const {
        const std::map<std::string, double> now = ThreadCpuByTask();
        double others = 0;
        for (const auto& [task, seconds] : before_) {
            if (task != self_ && now.count(task) != 0) {
                others += now.at(task) - seconds;
            }
        }
        return ProcessCpuSeconds() - process_ - others;
    }

  private:
    std::string self_ = std::to_string(static_cast<long>(syscall(SYS_gettid)));
    std::map<std::string, double> before_ = ThreadCpuByTask();
    double process_ = ProcessCpuSeconds();
};

// The same with the wait for the next byte replaced by a blind sleep of the
// whole period: the reference of a tool that sleeps 50 ms whenever an answer
// is not there yet.
class BlindSleepPort final : public UartLikePort {
  public:
    bool WaitReadable(int ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return true;
    }
};

std::unique_ptr<tav::SerialPort> MakeUartLikePort() {
    return std::make_unique<UartLikePort>();
}

struct Row {
    std::string name;
    double wall = 0;
    double line = 0;
    double cpu = 0;
    std::string outcome;
};

void Print(const Row& r) {
    std::printf("%-40s %9.2fs %9.2fs %7.3f %8.3fs %7.4f  %s\n", r.name.c_str(), r.wall, r.line,
                r.wall / r.line, r.cpu, r.cpu / r.wall, r.outcome.c_str());
    std::fflush(stdout);
}

struct Operation {
    const char* name;
    unsigned number;
    ReceiverMode mode;
};

// One operation through the link and dispatcher on a port made by `makePort`.
Row RunLinkCase(tav::sim::PtyReceiver& receiver, const tav::PortResolver& resolver,
                const Operation& op, const tav::SerialLink::PortFactory& makePort,
                std::span<const std::uint8_t> firmware, const char* suffix) {
    tav::SystemTiming timing;
    tav::SerialLink link(makePort, resolver, timing);
    tav::MemoryImage image = receiver.Memory();
    tav::QuietOperationHost host;
    tav::SystemLocalClock localClock;
    tav::DeviceContext ctx{link, image, host, localClock};
    ctx.firmware = firmware;
    receiver.SetMode(op.mode);
    receiver.WaitUntilIdle(2s);
    receiver.ClearTraffic();
    const Stopwatch watch;
    const tav::OperationOutcome outcome = tav::RunDeviceOperation(ctx, op.number);
    Row row{std::string(op.name) + suffix, watch.Wall(), 0, watch.Cpu(), ""};
    receiver.WaitUntilIdle(2s);
    row.line = tav::bench::BudgetOf(receiver.Traffic()).Limit().count();
    row.outcome = outcome == tav::OperationOutcome::Done
                      ? "done"
                      : (host.messages.empty() ? "refused" : host.messages.back());
    return row;
}

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// Runs the event loop until `done` holds or `limit` has passed.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QEventLoop loop;
    QTimer check;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || std::chrono::steady_clock::now() > deadline) {
            loop.quit();
        }
    });
    check.start(5);
    loop.exec();
    return done();
}

struct Goal {
    std::string figure;
    double value;
    const char* unit;
    double goal;
    std::string absolute;  // what the ratio was taken of
};

std::string Of(double numerator, double denominator) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f s / %.2f s", numerator, denominator);
    return text;
}

Goal WallOverLine(const Row& r, double goal) {
    return {r.name + ": wall / line", r.wall / r.line, "", goal, Of(r.wall, r.line)};
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    bool windowOnly = false;
    for (int i = 1; i < argc; ++i) {
        quick = quick || std::strcmp(argv[i], "--quick") == 0;
        windowOnly = windowOnly || std::strcmp(argv[i], "--window-only") == 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    tav::sim::ReceiverOptions options;
    options.pacing.paced = true;
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        options.memory.at(i) = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    options.frameTimeout = 3s;
    tav::sim::PtyReceiver receiver(options);
    std::string error;
    if (!receiver.Start(&error)) {
        std::fprintf(stderr, "cannot start the simulated receiver: %s\n", error.c_str());
        return 2;
    }
    auto resolver = std::make_shared<tav::FixedPortResolver>();
    resolver->Set(0, receiver.DevicePath());
    std::vector<std::uint8_t> firmware(tav::kFirmwareSize);
    for (std::size_t i = 0; i < firmware.size(); ++i) {
        firmware[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    }

    const Operation all[] = {
        {"full read (2)", tav::kReadAllMemory, ReceiverMode::Application},
        {"full write (4)", tav::kWriteAllMemory, ReceiverMode::Application},
        {"scenario read (6)", tav::kReadScenarios, ReceiverMode::Application},
        {"clock-event write (11)", tav::kWriteClockEvents, ReceiverMode::Application},
        {"firmware (98)", tav::kUpdateFirmware, ReceiverMode::BootLoader},
    };
    std::vector<Operation> ops;
    for (const Operation& op : all) {
        const bool isShort =
            op.number == tav::kReadScenarios || op.number == tav::kWriteClockEvents;
        if (!windowOnly && (!quick || isShort)) {
            ops.push_back(op);
        }
    }

    std::printf("%-40s %10s %10s %7s %9s %7s  %s\n", "case", "wall", "line", "ratio", "cpu",
                "cpu/wall", "outcome");
    std::vector<Row> link;
    std::vector<Row> blind;
    for (const Operation& op : ops) {
        link.push_back(RunLinkCase(receiver, *resolver, op, MakeUartLikePort, firmware, ", link"));
        Print(link.back());
        blind.push_back(RunLinkCase(
            receiver, *resolver, op, [] { return std::make_unique<BlindSleepPort>(); }, firmware,
            ", blind sleeps"));
        Print(blind.back());
    }

    // Through the window, offscreen, with every redraw the operations ask for.
    receiver.SetMode(ReceiverMode::Application);
    tav::ui::WindowServices services = tav::ui::SystemWindowServices();
    services.portResolver = resolver;
    services.makePort = MakeUartLikePort;
    std::vector<std::string> messages;
    services.showMessage = [&](QWidget*, const QString& text, const QString& caption) {
        messages.push_back((text + " | " + caption).toStdString());
    };
    tav::MemoryImage image;
    auto form = std::make_unique<tav::ui::TForm1>(image, services);
    form->show();
    QCoreApplication::processEvents();
    std::vector<Row> window;
    const auto click = [&](const char* name, const char* title) {
        receiver.WaitUntilIdle(2s);
        receiver.ClearTraffic();
        messages.clear();
        const Stopwatch watch;
        const WindowCpu cpu;
        form->findChild<QPushButton*>(QString::fromLatin1(name))->click();
        Row row{title, watch.Wall(), 0, cpu.Seconds(), ""};
        receiver.WaitUntilIdle(2s);
        row.line = tav::bench::BudgetOf(receiver.Traffic()).Limit().count();
        row.outcome = messages.empty() ? "done" : messages.back();
        window.push_back(row);
        Print(row);
    };
    long peakAfterRead = -1;
    if (!quick) {
        click("Button3", "full read (2), window");
        peakAfterRead = PeakResidentKiB();
        click("Button4", "full write (4), window");
    }

    // On-line reception of 1,000 event lines through the window.
    auto* view = form->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));
    const int lineCount = quick ? 100 : 1000;
    form->findChild<QPushButton*>(QStringLiteral("Button10"))->click();
    Row reception{"reception of " + std::to_string(lineCount) + " lines, window", 0, 0, 0, ""};
    if (!form->OnlineReceptionActive()) {
        reception.outcome = "reception did not start";
    } else {
        receiver.WaitUntilIdle(2s);
        receiver.ClearTraffic();
        const Stopwatch watch;
        std::vector<QString> sent;
        for (int n = 0; n < lineCount; ++n) {
            char text[64];
            std::snprintf(text, sizeof text, "zdarzenie %04d przekaznik %d", n, n % 4 + 1);
            receiver.SendEventLine(text);
            sent.push_back(QString::fromLatin1(text));
        }
        // Done when the last line is the view's last; then every line must
        // stand in the view once, in order.
        RunUntil([&] { return view->document()->lastBlock().text() == sent.back(); },
                 std::chrono::milliseconds(lineCount * 40 + 5000));
        std::vector<QString> shown;
        for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next()) {
            if (b.text().startsWith(QLatin1String("zdarzenie "))) {
                shown.push_back(b.text());
            }
        }
        const bool all = shown == sent;
        reception.wall = watch.Wall();
        reception.cpu = watch.Cpu();
        receiver.WaitUntilIdle(2s);
        reception.line = tav::bench::BudgetOf(receiver.Traffic()).Limit().count();
        reception.outcome = all ? "all lines shown" : "lines missing";
        form->findChild<QPushButton*>(QStringLiteral("Button11"))->click();
    }
    if (reception.line > 0) {
        Print(reception);
    } else {
        std::printf("%-40s %s\n", reception.name.c_str(), reception.outcome.c_str());
    }

    std::printf(
        "\nline: every byte of both directions at 10 bits a byte, 9600 baud, one after the\n"
        "other (half duplex), plus the protocol's fixed pauses, from the receiver's log.\n"
        "cpu: the tool's thread (through the window: its thread and the operation's\n"
        "worker); the simulated receiver runs on threads of its own.\n\n");

    std::vector<Goal> goals;
    for (const Row& r : link) {
        if (r.name.rfind("full", 0) == 0 || r.name.rfind("firmware", 0) == 0) {
            goals.push_back(WallOverLine(r, 1.01));
        }
    }
    for (const Row& r : window) {
        goals.push_back(WallOverLine(r, 1.01));
    }
    if (!window.empty()) {
        goals.push_back({"full read, window: cpu / wall", window[0].cpu / window[0].wall, "", 0.05,
                         Of(window[0].cpu, window[0].wall)});
    }
    for (const Row& r : blind) {
        goals.push_back(WallOverLine(r, 0));
    }
    if (reception.line > 0) {
        goals.push_back(WallOverLine(reception, 0));
    }
    if (peakAfterRead > 0) {
        goals.push_back(
            {"peak resident memory after a full read", peakAfterRead / 1024.0, " MB", 60, ""});
    }
    std::printf("%-50s %10s %8s %-8s %s\n", "figure", "measured", "goal", "", "of");
    bool met = true;
    for (const Goal& g : goals) {
        char goal[32] = "reported";
        const bool ok = g.goal == 0 || g.value <= g.goal;
        if (g.goal != 0) {
            std::snprintf(goal, sizeof goal, "%.3f%s", g.goal, g.unit);
        }
        met = met && ok;
        std::printf("%-50s %9.3f%s %8s %-8s %s\n", g.figure.c_str(), g.value, g.unit, goal,
                    g.goal == 0 ? "" : (ok ? "met" : "MISSED"), g.absolute.c_str());
    }
    // Every operation must have ended as it does on a working receiver, and
    // every event line must have been shown: anything else is a wrong result,
    // not a slow one.
    bool right = reception.outcome == "all lines shown";
    if (!right) {
        std::printf("WRONG: reception: %s\n", reception.outcome.c_str());
    }
    for (const std::vector<Row>* rows : {&link, &blind, &window}) {
        for (const Row& r : *rows) {
            const bool done = r.outcome == "done" || r.outcome == "OK | OK";
            if (!done) {
                std::printf("WRONG: %s ended with \"%s\"\n", r.name.c_str(), r.outcome.c_str());
            }
            right = right && done;
        }
    }
    form.reset();
    return !right ? 2 : (met ? 0 : 1);
}
